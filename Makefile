# Two commands do all the set-up on a fresh Debian 12 machine (as root):
#   make run    build everything and start the stand-in server with the plug-in loaded
#   make test   build both builds and run every test through CTest
# Other targets: make dll (dist/quillon.dll), make bench, make deps.

JOBS        ?= 2
LINUX_DIR   := build/linux
WINDOWS_DIR := build/windows
BUILD       ?= 0

export WINEDEBUG ?= -all
export WINEDLLOVERRIDES ?= mscoree,mshtml=

.PHONY: all deps linux windows dll run run-native test test-linux test-windows bench clean

all: linux windows

deps:
	@scripts/install_deps.sh

$(LINUX_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(LINUX_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake

$(WINDOWS_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

linux: deps $(LINUX_DIR)/CMakeCache.txt
	cmake --build $(LINUX_DIR) -j $(JOBS)

windows: deps $(WINDOWS_DIR)/CMakeCache.txt
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

dll: windows
	mkdir -p dist
	cp $(WINDOWS_DIR)/plugin/quillon.dll dist/quillon.dll

# The real DLL in the Windows stand-in server, under Wine. BUILD=0|1|4|none picks the host build.
run: dll
	wine $(WINDOWS_DIR)/standin/quillon-standin.exe --build $(BUILD) --plugin dist/quillon.dll

# The same server and plug-in, built natively for Linux i386.
run-native: linux
	$(LINUX_DIR)/standin/quillon-standin --build $(BUILD) --plugin $(LINUX_DIR)/plugin/libquillon.so

test: test-linux test-windows

test-linux: linux
	cd $(LINUX_DIR) && ctest --output-on-failure -j $(JOBS)

test-windows: dll
	cd $(WINDOWS_DIR) && ctest --output-on-failure

bench: linux
	$(LINUX_DIR)/bench/quillon-bench

clean:
	rm -rf build dist
