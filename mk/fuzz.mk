# Fuzzing with clang's libFuzzer: `make fuzz` runs each target FUZZ_TIME seconds, `make fuzz-ci`
# briefly. The build has its own directory, compiled with clang and the sanitizers.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ_CI_TIME ?= 20
FUZZ_TARGETS = fuzz_info_file fuzz_declaration fuzz_conversion_run

.PHONY: fuzz fuzz-ci fuzz-build fuzz-deps

fuzz-deps:
	@sh scripts/install-deps.sh clang libclang-rt-14-dev

fuzz-build: deps fuzz-deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DKOVREL_FUZZ=ON -DKOVREL_BUILD_UI=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(FUZZ_TARGETS) kovrel-convert

fuzz: fuzz-build
	@sh tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_TIME)

fuzz-ci: fuzz-build
	@sh tests/fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_CI_TIME)
