# The Windows programs, cross-built with MinGW-w64 and tested under Wine.
#   make windows        dist/windows/kovrel.exe and dist/windows/kovrel-convert.exe, the guide
#                       KULLANIM.html, the per-user installer Kovrel-<version>.msi and
#                       Kovrel-<version>-windows.zip
#   make test-windows   core tests, the command-line converter and the window under Wine, the
#                       window's layouts also at 120 and 144 DPI; then the installer: install,
#                       the "Send to" entry, upgrade and uninstall
#   make screenshots-windows  the layouts at 96, 120 and 144 DPI as PNG files in
#                       $(WIN_BUILD)/screenshots; the 144 DPI one for the README in docs/
# The third-party libraries are built once into KOVREL_WIN_CACHE and reused by later builds.
WIN_BUILD ?= build-windows
WIN_DIST ?= dist/windows
KOVREL_WIN_CACHE ?= /var/cache/kovrel-windows
WIN_STRIP = x86_64-w64-mingw32-strip
# The version that project() sets, as CMake read it (a shell expression for recipes).
WIN_VERSION = $$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(WIN_BUILD)/CMakeCache.txt)

.PHONY: windows-deps windows-configure windows test-windows screenshots-windows

windows-deps:
	@KOVREL_WIN_CACHE=$(KOVREL_WIN_CACHE) JOBS=$(JOBS) sh scripts/windows-deps.sh >/dev/null

# CMake reads the toolchain file only when it first configures the folder; later runs would warn
# that the option went unused. A folder configured against another cache keeps that cache's
# wx-config and library paths, so it is configured afresh.
windows-configure: windows-deps
	@fresh=; grep -qx 'KOVREL_WIN_DEPS:PATH=$(KOVREL_WIN_CACHE)/current' $(WIN_BUILD)/CMakeCache.txt 2>/dev/null \
		|| fresh=--fresh; \
	cmake $$fresh -S . -B $(WIN_BUILD) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		-DKOVREL_WIN_DEPS=$(KOVREL_WIN_CACHE)/current -DCMAKE_BUILD_TYPE=Release -DKOVREL_WERROR=ON >/dev/null

# Only the two programs: window tests are not part of the Windows build.
windows: windows-configure
	@cmake --build $(WIN_BUILD) -j$(JOBS) --target kovrel kovrel-convert
	@mkdir -p $(WIN_DIST)
	@$(WIN_STRIP) -o $(WIN_DIST)/kovrel.exe $(WIN_BUILD)/src/ui/kovrel.exe
	@$(WIN_STRIP) -o $(WIN_DIST)/kovrel-convert.exe $(WIN_BUILD)/src/kovrel-convert.exe
	@sh scripts/windows-check-imports.sh $(WIN_DIST)/kovrel.exe $(WIN_DIST)/kovrel-convert.exe
	@sh scripts/windows-guide.sh KULLANIM.md $(WIN_DIST)/KULLANIM.html
	@v=$(WIN_VERSION); [ -n "$$v" ] || { echo "no project version in $(WIN_BUILD)/CMakeCache.txt" >&2; exit 1; }; \
		rm -f $(WIN_DIST)/Kovrel-*.msi $(WIN_DIST)/Kovrel-*.zip && \
		sh scripts/windows-msi.sh "$$v" $(WIN_DIST) $(WIN_DIST)/Kovrel-$$v.msi && \
		cd $(WIN_DIST) && zip -q -X Kovrel-$$v-windows.zip kovrel.exe kovrel-convert.exe KULLANIM.html && \
		echo "$(WIN_DIST)/Kovrel-$$v-windows.zip: $$(wc -c <Kovrel-$$v-windows.zip) bytes"

# The Linux converter's output is the reference the Windows one must match byte for byte.
test-windows: windows configure
	@cmake --build $(WIN_BUILD) -j$(JOBS) --target kovrel_core_tests \
		$$(cmake --build $(WIN_BUILD) --target help | awk '/kovrel_cli_tests/{print "kovrel_cli_tests"}')
	@cmake --build $(BUILD) -j$(JOBS) --target kovrel-convert
	@KOVREL_VERSION=$(WIN_VERSION) sh scripts/windows-test.sh $(WIN_BUILD) $(WIN_DIST) $(BUILD)/src/kovrel-convert
	@KOVREL_VERSION=$(WIN_VERSION) sh scripts/windows-layouts.sh $(WIN_DIST) $(WIN_BUILD)/tests/kovrel_window_probe.exe
	@sh scripts/windows-msi-test.sh $(WIN_DIST)/Kovrel-$(WIN_VERSION).msi $(WIN_DIST) $(BUILD)/src/kovrel-convert

screenshots-windows: windows
	@cmake --build $(WIN_BUILD) -j$(JOBS) --target kovrel_window_probe kovrel_window_probe_hook
	@KOVREL_VERSION=$(WIN_VERSION) sh scripts/windows-layouts.sh $(WIN_DIST) $(WIN_BUILD)/tests/kovrel_window_probe.exe \
		$(WIN_BUILD)/screenshots
	@cp $(WIN_BUILD)/screenshots/windows-new-enterprise-144.png docs/windows-window-144dpi.png
	@ls $(WIN_BUILD)/screenshots/*.png docs/windows-window-144dpi.png
