# The window's pictures for the README: its three layouts, rendered under Xvfb into docs/.
.PHONY: screenshots

screenshots: configure
	@sh scripts/install-deps.sh imagemagick
	@cmake --build $(BUILD) -j$(JOBS) --target kovrel_screenshots
	@$(XVFB) $(BUILD)/tests/ui/kovrel_screenshots docs
	@ls docs/window-*.png
