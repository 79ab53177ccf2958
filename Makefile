# make run   build and start Pixelwren under Wine (on its own Xvfb screen when there is no display)
# make test  build everything and run every test tier
# make soak  every command 1000 times over on the real window, checking for leaks
# make dist  zip the program folder as a user gets it
# make bench print the benchmarks' figures as one table, with a CSV file and a chart
# make fuzz  run the language-file fuzzer for FUZZ_RUNS inputs
# Each installs what is missing first (Debian 12, as root).
SHELL := /bin/bash
BUILD ?= build
BUILD_TYPE ?= Release
CTEST_JOBS ?= 2
FUZZ_RUNS ?= 1000000

.PHONY: all deps configure build test run dist bench soak fuzz clean

all: build

deps:
	@tools/install-deps

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD)

test: build
	ctest --test-dir $(BUILD) -j$(CTEST_JOBS) --output-on-failure

run: build
	tools/run-pixelwren $(BUILD)

dist: build
	cmake --build $(BUILD)/win-i686 --target dist
	@echo "dist: $$(ls $(BUILD)/win-i686/Pixelwren-*.zip)"

soak: build
	tools/run-soak $(BUILD)

bench: build
	@tools/install-deps bench
	tools/run-bench $(BUILD)

fuzz: configure
	cmake --build $(BUILD) --target language_lines_fuzz
	mkdir -p $(BUILD)/fuzz-corpus
	$(BUILD)/tests/fuzz/language_lines_fuzzer -runs=$(FUZZ_RUNS) -max_len=4096 -print_final_stats=1 \
	  $(BUILD)/fuzz-corpus

clean:
	rm -rf $(BUILD)
