# make run: opens the wizard under Wine.  make test: every test, through CTest.
# Both install what is missing first (Debian packages only).

BUILD      := build
NATIVE     := $(BUILD)/native
WIN32      := $(BUILD)/win32
FUZZ       := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := command_line system_ini settings
CMAKE_GEN  := $(if $(shell command -v ninja 2>/dev/null),-G Ninja,)
JOBS       ?= 2

.PHONY: all setup win32 win64 native test run bench fuzz fuzz-build screenshots clean

all: win32 win64 native

setup:
	@scripts/setup.sh

win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(WIN32) -j $(JOBS)

# The same sources for x86_64: what the Wine tests run where 32-bit code cannot execute.
win64: setup
	@cmake -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(BUILD)/win64 -j $(JOBS)

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug > /dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The failure sweep's one-line result first, then every test with CTest's summary last.
test: win32 win64 native fuzz-build
	@cd $(NATIVE) && ctest -R 'FailureSweep' -V 2>&1 | sed -n 's/^[0-9]*: *\(failure sweep:.*\)/\1/p'
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# The libFuzzer targets, built with clang and the sanitizers in a tree of their own.
fuzz-build: setup
	@cmake -S tests/fuzz -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ > /dev/null
	@cmake --build $(FUZZ) -j $(JOBS)

# Each target for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600 for a longer look).
fuzz: fuzz-build
	@status=0; for target in $(FUZZ_TARGETS); do \
	  tests/fuzz/run_fuzzer.sh $(FUZZ)/fuzz_$$target $(FUZZ_SECONDS) $(FUZZ)/runs || status=1; \
	done; exit $$status

run: win32 win64
	@scripts/run-wine.sh "$(ARGS)" "$(WINVER)"

# Remakes docs/pages/*.png from the real pages under Wine.
screenshots: win32 win64
	@scripts/screenshots.sh

# Start-up time and memory of lull.exe against a minimal dialog program, under Wine.
bench: win32 win64
	@scripts/bench.sh $(or $(RUNS),20)

clean:
	rm -rf $(BUILD)
