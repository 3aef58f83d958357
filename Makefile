# make run: opens the wizard under Wine.  make test: every test, through CTest.
# Both install what is missing first (Debian packages only).

BUILD      := build
NATIVE     := $(BUILD)/native
WIN32      := $(BUILD)/win32
CMAKE_GEN  := $(if $(shell command -v ninja 2>/dev/null),-G Ninja,)
JOBS       ?= 2

.PHONY: all setup win32 native test run bench fuzz clean

all: win32 native

setup:
	@scripts/setup.sh

win32: setup
	@cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
	@cmake --build $(WIN32) -j $(JOBS)

native: setup
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug > /dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

test: win32 native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

run: win32
	@scripts/run-wine.sh $(WIN32)/lull.exe "$(ARGS)" "$(WINVER)"

clean:
	rm -rf $(BUILD)
