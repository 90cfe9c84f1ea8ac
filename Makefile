# Kovrel: one entry point for set-up, build and tests on a Debian machine.
BUILD ?= build
SAN_BUILD ?= build-sanitize
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOVREL_WERROR=ON
MAKEFLAGS += --no-print-directory
XVFB = xvfb-run -a -s "-screen 0 1280x1024x24"

.PHONY: all deps configure build test test-sanitize demo clean

all: build

deps:
	@sh scripts/install-deps.sh

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

# Window tests need an X server: the whole suite runs under Xvfb.
test: build
	@cd $(BUILD) && $(XVFB) ctest --output-on-failure -j$(JOBS)

# GTK's and fontconfig's libraries keep caches to the end of the process: tests/lsan.supp.
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKOVREL_SANITIZE=ON -DKOVREL_WERROR=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j$(JOBS)
	@cd $(SAN_BUILD) && LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp$${LSAN_OPTIONS:+:$$LSAN_OPTIONS}" \
		$(XVFB) ctest --output-on-failure -j$(JOBS)

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

demo: configure
	@cmake --build $(BUILD) -j$(JOBS) --target kovrel-convert
	@sh scripts/demo.sh $(BUILD)/src/kovrel-convert

clean:
	rm -rf $(BUILD) $(SAN_BUILD)

-include mk/*.mk
