# Two commands do all the set-up on a fresh Debian 12 machine (as root):
#   make run    build everything and start the stand-in server with the plug-in loaded
#   make test   build both builds and run every test through CTest, then again under
#               the sanitizers (GCC and clang), with a short fuzzing pass
# Other targets: make dll (dist/quillon.dll), make release (dist/quillon-<version>-win32.zip),
#   make check-tool (dist/quillon-check and dist/quillon-check.exe, the operator's build check),
#   make bench, make deps, make lint (the source checks alone), make figures,
#   every target with its machine and duration: docs/architecture.md#make-targets
#   make fuzz FUZZ_SECONDS=600   fuzz the ten commands for that long
#   make mutate   change one line of the plug-in at a time and run the native tests
#                 (docs/mutation-testing.md); MUTATE_SAMPLE=60 MUTATE_SEED=1 for a quick look,
#                 MUTATE_PATHS='host/ commands/' for some folders only, MUTATE_OPERATORS=second
#                 for the second set of operators only

JOBS         ?= 2
LINUX_DIR    := build/linux
WINDOWS_DIR  := build/windows
ASAN_DIR     := build/asan
FUZZ_DIR     := build/fuzz
BUILD        ?= 0
FUZZ_SECONDS ?= 60
MUTATE_DIR   := build/mutate
MUTATE_PATHS ?=
MUTATE_SAMPLE ?= 0
MUTATE_SEED  ?= 1
MUTATE_ARGS  ?=
MUTATE_OPERATORS ?=

# Every sanitizer report fails the test that triggered it: UBSan stops at the first
# (the code is built without recovery), ASan always does, LSan fails the process.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1:strict_init_order=1 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Wine keeps its own prefix inside the build tree, so a run never depends on (or
# disturbs) the user's ~/.wine. Its first start prepares it (about half a minute).
export WINEPREFIX ?= $(CURDIR)/build/wine
export WINEDEBUG ?= -all
export WINEDLLOVERRIDES ?= mscoree,mshtml=

.PHONY: all deps linux windows dll release run run-wine run-dll-native run-native test test-linux test-windows bench clean \
        sanitize test-sanitize test-dll-native fuzz-build test-fuzz fuzz test-differential lint mutate \
        guest-shell check-tool test-check-tool fuzz-check-tool figures

all: linux windows

deps:
	@scripts/install_deps.sh

$(LINUX_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(LINUX_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake

$(WINDOWS_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

$(ASAN_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake -DQUILLON_SANITIZE=ON

$(FUZZ_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_SANITIZE=ON -DQUILLON_FUZZ=ON

linux: deps $(LINUX_DIR)/CMakeCache.txt
	cmake --build $(LINUX_DIR) -j $(JOBS)

windows: deps $(WINDOWS_DIR)/CMakeCache.txt
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

# The operator's copy leaves out the debug information; the code is the tested build's.
# The Windows build strips it (target quillon_shipped), the same bytes from any folder.
dll: windows
	mkdir -p dist
	cp $(WINDOWS_DIR)/dist/quillon.dll dist/quillon.dll

# The package an operator downloads: the DLL, checked again as shipped, with the
# operator's guide, the CHANGELOG and SHA256SUMS. The same commit gives the same zip.
release: dll check-tool
	tests/binary/check_dll_tables.sh dist/quillon.dll
	tests/binary/check_hardening.py dist/quillon.dll
	tests/binary/check_version_resource.sh dist/quillon.dll "$$(head -n 1 VERSION)"
	tools/quillon_check/tests/check_exe_imports.sh dist/quillon-check.exe
	python3 scripts/make_release.py --source . --dll dist/quillon.dll \
	  --check-tool dist/quillon-check.exe --out dist

# make run and make run-native build quietly, so the first lines on the screen are the
# loader's: the build's output goes to a log under build/, one line shows while it works
# (none when it is up to date), and the whole log is shown only when it fails.
ifneq ($(filter run run-wine run-native run-dll-native,$(MAKECMDGOALS)),)
MAKEFLAGS += --no-print-directory
endif
QUIET_BUILD := scripts/quiet_build.sh

# Where Wine and the i386 sanitizer builds run: here, or in the emulated guest that
# scripts/guest/ builds; a part that can run nowhere fails (scripts/runs_here.sh).
WHERE_WINE       := scripts/run_where_it_runs.sh wine
WHERE_SANITIZERS := scripts/run_where_it_runs.sh sanitizers

# The real DLL in the Windows stand-in server, under Wine. BUILD=0|1|4|none picks the host build.
# Wine's first start, which prepares its prefix, is part of the quiet build. make run
# decides after make deps has installed what it can: where Wine runs on this kernel it
# takes run-wine, and elsewhere the native server, which loads the same DLL and reaches
# its prompt at once, where Wine would first boot the emulated guest (about a minute).
run: deps
	@if [ "$$(scripts/runs_here.sh wine 2>/dev/null)" = here ]; then $(MAKE) --no-print-directory run-wine; else \
	  echo "Wine runs only in the emulated guest here: the native stand-in server loads dist/quillon.dll itself (make run-wine for Wine)." >&2; \
	  $(MAKE) --no-print-directory run-dll-native; fi

run-wine:
	@$(QUIET_BUILD) build/run-build.log "Building the DLL and the stand-in server..." \
	  sh -c '$(MAKE) --no-print-directory dll && $(WHERE_WINE) scripts/wine_prefix.sh'
	@$(WHERE_WINE) --interactive wine $(WINDOWS_DIR)/standin/quillon-standin.exe --build $(BUILD) --plugin dist/quillon.dll

# A shell in the emulated guest, in this folder: the machine's own root, read-only under
# a layer the guest forgets, with the checkout writable (docs/testing.md).
guest-shell:
	@scripts/guest/run_in_guest.sh --interactive -- bash

# The shipped DLL in the native server, which maps it with its own loader
# (standin/loader/pe_image.h): where Wine cannot run, the operator still gets the bytes
# that ship.
run-dll-native:
	@$(QUIET_BUILD) build/run-native-build.log "Building the DLL and the stand-in server..." \
	  $(MAKE) --no-print-directory linux dll
	@$(LINUX_DIR)/standin/quillon-standin --build $(BUILD) --plugin dist/quillon.dll

# The same server and plug-in, built natively for Linux i386.
run-native:
	@$(QUIET_BUILD) build/run-native-build.log "Building the plug-in and the stand-in server..." \
	  $(MAKE) --no-print-directory linux
	@$(LINUX_DIR)/standin/quillon-standin --build $(BUILD) --plugin $(LINUX_DIR)/plugin/libquillon.so

# Every tier, one after another, then a summary of each: its tests, its time and where
# its programs ran (natively, under QEMU user-mode or in the emulated guest).
TIERS := test-linux test-windows test-dll-native test-check-tool test-differential \
         test-sanitize test-fuzz
test: deps
	@MAKE='$(MAKE)' scripts/test_tiers.sh $(TIERS)

test-linux: linux
	cd $(LINUX_DIR) && ctest --output-on-failure -j $(JOBS)

# The checks of the DLL that need no Wine run here; the Wine tests (CTest label wine)
# run where Wine runs: on this kernel, or in the emulated guest (scripts/runs_here.sh).
test-windows: dll
	cd $(WINDOWS_DIR) && ctest --output-on-failure -LE wine
	$(WHERE_WINE) sh -c 'cd $(WINDOWS_DIR) && ctest --output-on-failure -L wine -j $(JOBS)'
	tests/binary/check_dll_tables.sh dist/quillon.dll
	tests/binary/check_hardening.py dist/quillon.dll

# The integration suite of the native build with the operator's DLL in place of the
# shared object: the native stand-in maps quillon.dll itself (standin/loader/pe_image.h),
# so the shipped bytes run every integration test, in every thread state, with or
# without Wine.
test-dll-native: linux dll
	$(LINUX_DIR)/tests/integration/quillon_integration_tests --plugin dist/quillon.dll

# The same generated console lines (and the fuzzing corpus) through the native stand-in
# and through the operator's DLL under Wine, in host builds 0, 1 and 4 and under a German
# C runtime locale: the transcripts, floats listed by their bits, must be identical.
# The native sessions run here, Wine's where Wine runs; then all are compared here.
# 10,000 generated lines with seed 1, and the corpus. Where Wine runs only in the emulated
# guest a Wine session costs about 4 ms a line (40 s for 10,000, twelve sessions two at a
# time): there 2,000 lines, every command and state still covered (docs/testing.md).
DIFFERENTIAL = tests/differential/run_differential.sh
DIFFERENTIAL_LINES ?= $(if $(filter here,$(shell scripts/runs_here.sh wine 2>/dev/null)),10000,2000)
DIFFERENTIAL_ARGS = $(LINUX_DIR) $(WINDOWS_DIR) dist/quillon.dll build/differential 1 \
                    $(DIFFERENTIAL_LINES)
test-differential: linux dll
	$(DIFFERENTIAL) --part native $(DIFFERENTIAL_ARGS)
	$(WHERE_WINE) $(DIFFERENTIAL) --part wine $(DIFFERENTIAL_ARGS)
	$(DIFFERENTIAL) --part compare $(DIFFERENTIAL_ARGS)

# The native build and every test under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps $(ASAN_DIR)/CMakeCache.txt
	cmake --build $(ASAN_DIR) -j $(JOBS)

# The sanitizer builds' tests run where those builds run: on this kernel, or in the
# emulated guest. Their source checks (CTest label source), which run no i386 program,
# stay here, and are run from their own folder, which holds no test program: ctest runs
# a GoogleTest program whose tests it discovers to list them, whatever the label asks,
# and an instrumented program under QEMU user-mode never ends.
# TREE_TESTS_WHERE_SANITIZERS_RUN(tree): its source checks here, the rest where the
# sanitizers run.
define TREE_TESTS_WHERE_SANITIZERS_RUN
	cd $(1)/tests/source && ctest --output-on-failure --no-tests=ignore -L source
	$(WHERE_SANITIZERS) sh -c 'cd $(1) && env $(SANITIZER_ENV) ctest --output-on-failure -LE source -j $(JOBS)'
endef

test-sanitize: sanitize
	$(call TREE_TESTS_WHERE_SANITIZERS_RUN,$(ASAN_DIR))

# The same with clang, the plug-in instrumented for libFuzzer: every test again, and a
# short fuzzing pass with a fixed seed and run count.
fuzz-build: deps $(FUZZ_DIR)/CMakeCache.txt
	cmake --build $(FUZZ_DIR) -j $(JOBS)

test-fuzz: fuzz-build
	$(call TREE_TESTS_WHERE_SANITIZERS_RUN,$(FUZZ_DIR))

# Fuzzes the ten commands for FUZZ_SECONDS; prints the executions run and the crashes
# found. The corpus grows in $(FUZZ_DIR)/fuzz/corpus, crashing inputs land beside it.
fuzz: deps $(FUZZ_DIR)/CMakeCache.txt
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target quillon_fuzz
	$(WHERE_SANITIZERS) env $(SANITIZER_ENV) fuzz/run_fuzz.sh $(FUZZ_DIR)/fuzz $(FUZZ_SECONDS)

# The source checks of test-linux: includes down the layers, formatting, cppcheck, the
# links of README.md and docs/, the tests docs/departures.md names.
lint: deps $(LINUX_DIR)/CMakeCache.txt
	cmake -S . -B $(LINUX_DIR) >/dev/null
	cd $(LINUX_DIR) && ctest --output-on-failure -L '^source$$'

# Every figure of docs/ and README.md that a command computes (the DLL's size, imports
# and exports, the integration suite's count, the equivalent list, ...), printed and
# checked against what the pages state; a changed one fails, naming page and line.
figures: linux dll
	python3 tests/source/check_figures.py . --dll dist/quillon.dll --print --all \
	  --integration $(LINUX_DIR)/tests/integration/quillon_integration_tests

# The mutation run builds in a folder of its own: the native configuration without debug
# information (the same code, smaller objects to compare, faster links), with Ninja where
# there is one. Not part of make test (its duration: docs/architecture.md#make-targets).
$(MUTATE_DIR)/CMakeCache.txt: | deps
	cmake -S . -B $(MUTATE_DIR) $$(command -v ninja >/dev/null && echo -G Ninja) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake \
	  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG"

mutate: $(MUTATE_DIR)/CMakeCache.txt
	python3 scripts/mutate.py --build-dir $(MUTATE_DIR) --sample $(MUTATE_SAMPLE) \
	  --seed $(MUTATE_SEED) $(if $(strip $(MUTATE_PATHS)),--paths $(MUTATE_PATHS)) \
	  $(if $(strip $(MUTATE_OPERATORS)),--operators $(MUTATE_OPERATORS)) $(MUTATE_ARGS)

# quillon-check (tools/quillon_check), the operator's build check: the native program
# from a project of its own built with this machine's compiler, the Windows one from the
# Windows build (stripped, statically linked). Its tests run in the native project, on
# images they make and on the Windows stand-in's executables that hold a build's
# signature; then again under ASan and UBSan with clang, with a short fixed fuzzing run
# of the file reader (x86_64 programs: they run wherever this machine's own do). make fuzz-check-tool FUZZ_SECONDS=600 fuzzes it for that long.
CHECK_DIR      := build/check-tool
CHECK_FUZZ_DIR := build/check-fuzz

$(CHECK_DIR)/CMakeCache.txt: | deps
	cmake -S tools/quillon_check -B $(CHECK_DIR) -DQUILLON_CHECK_STANDIN_DIR=$(CURDIR)/$(WINDOWS_DIR)/standin

$(CHECK_FUZZ_DIR)/CMakeCache.txt: | deps
	cmake -S tools/quillon_check -B $(CHECK_FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_CHECK_FUZZ=ON

check-tool: deps $(CHECK_DIR)/CMakeCache.txt $(WINDOWS_DIR)/CMakeCache.txt
	cmake --build $(CHECK_DIR) -j $(JOBS)
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target quillon_check_shipped
	mkdir -p dist
	cp $(CHECK_DIR)/quillon-check dist/quillon-check
	cp $(WINDOWS_DIR)/dist/quillon-check.exe dist/quillon-check.exe

test-check-tool: check-tool
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target standin_signed_exes
	cd $(CHECK_DIR) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory $(CHECK_FUZZ_DIR)/CMakeCache.txt
	cmake --build $(CHECK_FUZZ_DIR) -j $(JOBS)
	cd $(CHECK_FUZZ_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

fuzz-check-tool: deps $(CHECK_FUZZ_DIR)/CMakeCache.txt
	cmake --build $(CHECK_FUZZ_DIR) -j $(JOBS) --target quillon_check_fuzz
	mkdir -p $(CHECK_FUZZ_DIR)/corpus
	$(SANITIZER_ENV) $(CHECK_FUZZ_DIR)/tests/quillon_check_fuzz -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=8192 -print_final_stats=1 -artifact_prefix=$(CHECK_FUZZ_DIR)/ \
	  $(CHECK_FUZZ_DIR)/corpus tools/quillon_check/tests/fuzz_seeds

# Timings under an emulator are the emulator's: the run says so before it starts.
bench: linux
	@[ "$$(scripts/runs_here.sh i386)" = here ] || echo "make bench: this kernel runs i386" \
	  "programs only under QEMU user-mode: these timings are the emulator's and say nothing" \
	  "about the plug-in's speed (docs/performance.md)" >&2
	$(LINUX_DIR)/bench/quillon-command-bench
	$(LINUX_DIR)/bench/quillon-bench

clean:
	rm -rf build dist
