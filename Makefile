# make run: opens the wizard under Wine.  make test: every test, through CTest.
# Both install what is missing first (Debian packages only).

BUILD      := build
NATIVE     := $(BUILD)/native
WIN32      := $(BUILD)/win32
WIN64      := $(BUILD)/win64
FUZZ       := $(BUILD)/fuzz
DIST       := dist
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := $(patsubst tests/fuzz/%_fuzzer.cpp,%,$(wildcard tests/fuzz/*_fuzzer.cpp))
MUTANTS    ?= 50
SEED       ?= 1
ONLY       ?=
CMAKE_GEN  := $(if $(shell command -v ninja 2>/dev/null),-G Ninja,)
JOBS       ?= 2

.PHONY: all setup win32 win64 native golden test run bench fuzz fuzz-build mutants screenshots \
        dist figures clean

all: win32 win64 native

setup:
	@scripts/setup.sh

# The Windows trees: lull.exe, the Wine tests' driver and the benchmark's programs, for i686
# (the product) and x86_64 (what the Wine runs need where 32-bit code does not run natively,
# see scripts/wine-env.sh). TARGETS=lull builds lull.exe alone, TARGETS="lull lullcmd" both
# programs.
win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(WIN32) -j $(JOBS) $(if $(TARGETS),--target $(TARGETS))

win64: setup
	@cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(WIN64) -j $(JOBS) $(if $(TARGETS),--target $(TARGETS))

# The native tree, told where the other trees are so that it also checks lull.exe, runs the
# Wine tests and the fuzz smoke tests (a plain cmake of this folder runs the rest alone).
NATIVE_CONFIGURE := cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug \
  -DLULL_WINDOWS_TREE=$(CURDIR)/$(WIN32) -DLULL_WINE_TESTS=ON -DLULL_FUZZ_TREE=$(CURDIR)/$(FUZZ)
native: setup
	@$(NATIVE_CONFIGURE) > /dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# When a page is meant to change: writes tests/unit/templates.golden anew from lull.rc, the
# dump the template test compares the compiled templates with. Read its diff, then commit it.
golden: setup
	@$(NATIVE_CONFIGURE) > /dev/null
	@cmake --build $(NATIVE) -j $(JOBS) --target golden
	@git --no-pager diff --stat -- tests/unit/templates.golden 2> /dev/null || true

# Says how the Wine tests run here, builds the Windows trees they need (the i686 tree always,
# for the executable check), the native tree and the fuzz targets, and runs every test; the
# failure and crash sweeps' lines, then CTest's summary, come last.
test: setup
	@scripts/wine-mode.sh
	@$(MAKE) --no-print-directory $$(scripts/wine-mode.sh trees win32) native fuzz-build
	@scripts/run-tests.sh $(NATIVE) $(JOBS)

# The libFuzzer targets, built with clang and the sanitizers in a tree of their own.
fuzz-build: setup
	@cmake -S tests/fuzz -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ > /dev/null
	@cmake --build $(FUZZ) -j $(JOBS)

# Each target for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=600 for a longer look).
fuzz: fuzz-build
	@status=0; for target in $(FUZZ_TARGETS); do \
	  tests/fuzz/run_fuzzer.sh $(FUZZ)/fuzz_$$target $(FUZZ_SECONDS) $(FUZZ)/runs || status=1; \
	done; exit $$status

# How many planted faults the unit tests catch: MUTANTS of them, from the shuffle by SEED
# (of the files whose paths start with ONLY's comma-separated prefixes, when it is given),
# each built and run on its own in build/mutants (scripts/mutants.py). Prints the survivors.
mutants: setup
	@JOBS=$(JOBS) scripts/mutants.py $(MUTANTS) $(SEED) $(if $(ONLY),--only=$(ONLY)) $(if $(MATRIX),--matrix)

# Says at once when there is no display to show the wizard on; then sets up, builds the one
# lull.exe it opens and opens it.
run:
	@scripts/check-display.sh
	@scripts/setup.sh
	@$(MAKE) --no-print-directory $$(scripts/wine-mode.sh exe) TARGETS=lull
	@scripts/run-wine.sh "$(ARGS)" "$(WINVER)"

# Remakes docs/pages/*.png from the real pages under Wine.
screenshots: setup
	@$(MAKE) --no-print-directory $$(scripts/wine-mode.sh trees)
	@scripts/screenshots.sh

# Start-up time and memory of lull.exe, a minimal dialog program and the same program with
# InitCommonControls, under Wine: until the ratios' intervals are narrow, or RUNS rounds.
bench: setup
	@$(MAKE) --no-print-directory $$(scripts/wine-mode.sh driver)
	@scripts/bench.sh $(RUNS)

# The download: $(DIST)/lull-VERSION.zip (LULL.EXE, LULLCMD.EXE and LULL.TXT) and
# $(DIST)/SHA256SUMS, the same bytes for every build of one commit. Builds the two programs
# only; runs no test.
dist:
	@$(MAKE) --no-print-directory win32 TARGETS="lull lullcmd"
	@scripts/dist.py $(WIN32) $(DIST)

# Runs the tests, the mutants, the fuzz targets and the benchmark once, and writes their
# figures, with the date and the machine, into README.md.
figures:
	@scripts/figures.py $(FUZZ_SECONDS) $(RUNS)

clean:
	rm -rf $(BUILD) $(DIST)
