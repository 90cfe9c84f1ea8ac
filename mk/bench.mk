# Conversion cost against the XML library's own floor (xmllint's round trip of the same file).
#   make bench                  N = 50 000 and 200 000 records, every declaration type
#   make bench BENCH_N="1000"   other sizes
#   make bench BENCH_REPEAT=5   each time the fastest of five runs (default three)
BENCH_BUILD ?= build-bench
BENCH_N ?= 50000 200000
BENCH_REPEAT ?= 3

.PHONY: bench

bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKOVREL_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target kovrel-convert \
		$$(cmake --build $(BENCH_BUILD) --target help | awk '/kovrel-startup-bench/{print "kovrel-startup-bench"}')
	@BENCH_N="$(BENCH_N)" BENCH_REPEAT="$(BENCH_REPEAT)" bash bench/run.sh $(BENCH_BUILD)
