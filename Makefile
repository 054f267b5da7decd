# make run        install what is missing, build the program, start Zoruna in the current folder
# make test       install what is missing, build, run every test (GUI tests under Xvfb)
# make test-asan  the window-free tests with AddressSanitizer and UBSan (part of make test)
# make test-tsan  the comparison and copy tests with ThreadSanitizer (not part of make test)
# make test-windows  the window-free tests built for Windows (mingw-w64) and run under Wine
# make bench      build optimised and run the benchmarks
# make install PREFIX=...  install the program, menu entry, icons and man page (default /usr/local)
# make deb        build the Debian package (build/zoruna_<version>_<arch>.deb)
# make windows    cross-build zoruna.exe, its zip and its installer (build-windows/)
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
TSAN_DIR  ?= build-tsan
BENCH_DIR ?= build-bench
WINDOWS_DIR ?= build-windows
WINDOWS_TEST_DIR ?= build-windows-tests
JOBS      ?= $(shell nproc)
PREFIX    ?= /usr/local
# The generator of a new build folder; empty: Ninja when it is installed.
CMAKE_GEN ?=

# $(call configure,<build folder>,<cmake options>): configures a folder that has
# not been configured yet. The generator is chosen here, in the recipe, so that
# the Ninja that deps has just installed is found; a folder configured before
# keeps its generator (CMake refuses to change it).
configure = test -f $(1)/CMakeCache.txt || cmake -S . -B $(1) \
  $(if $(CMAKE_GEN),$(CMAKE_GEN),$$(command -v ninja >/dev/null 2>&1 && echo "-G Ninja")) $(2)

SANITIZED_OPTIONS = -DCMAKE_BUILD_TYPE=Debug -DZORUNA_WITH_GUI=OFF -DZORUNA_BENCH=OFF

# The suites of the comparison and copy tests (tests/core/compare*, copy*), for ctest -R.
open_paren := (
THREAD_SUITES := $(shell sed -nE 's/^(TEST|TEST_F|TEST_P|TYPED_TEST)[$(open_paren)]([A-Za-z0-9_]+),.*/\2/p' \
  tests/core/compare*_test.cpp tests/core/copy*_test.cpp | sort -u | paste -sd'|')

.PHONY: all deps build run test test-asan test-tsan test-windows bench install deb windows clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@$(call configure,$(BUILD_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Only the program (the zoruna target brings its window module zoruna_gui).
run: deps
	@$(call configure,$(BUILD_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zoruna
	$(BUILD_DIR)/zoruna

test: build test-asan
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The window-free core once more, with AddressSanitizer and UBSan, and the
# texts' tests (ctest runs every test the build folder knows); the zoruna
# executable too (window-free here), for the tests that run it as a process.
# Of the process tests only WindowModule.* skips here: this build has no window
# module to load.
test-asan: deps
	@$(call configure,$(ASAN_DIR),$(SANITIZED_OPTIONS) -DZORUNA_SANITIZE=ON)
	cmake --build $(ASAN_DIR) -j $(JOBS) --target zoruna_core_tests zoruna_texts_tests zoruna
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

# The comparison and copy tests, whose threads share tables, directories and
# files, under ThreadSanitizer. Left out: SyncInterrupted, whose --sync child
# is to stop on SIGINT/SIGTERM within its first megabytes. ThreadSanitizer
# runs a signal handler only when the receiving thread next enters a call it
# watches, so there the child copied its whole large file (gigabytes on
# disk) before it saw the signal, and the test then read that file back into
# memory.
TSAN_EXCLUDED := SyncInterrupted
test-tsan: deps
	@$(call configure,$(TSAN_DIR),$(SANITIZED_OPTIONS) -DZORUNA_TSAN=ON)
	cmake --build $(TSAN_DIR) -j $(JOBS) --target zoruna_core_tests
	cd $(TSAN_DIR) && ctest --output-on-failure -j $(JOBS) -R '(^|/)($(THREAD_SUITES))\.' \
	  -E '(^|/)($(TSAN_EXCLUDED))\.'

# Cross-compiled with the toolchain of cmake/mingw-w64-x86_64.cmake, run by
# ctest under Wine as a user that is not root (the script makes one when run
# as root: Wine lets root write read-only files).
test-windows:
	@bash scripts/install-deps.sh windows
	JOBS=$(JOBS) bash scripts/windows-tests.sh $(WINDOWS_TEST_DIR)

bench: deps
	@$(call configure,$(BENCH_DIR),-DCMAKE_BUILD_TYPE=Release)
	cmake --build $(BENCH_DIR) -j $(JOBS)
	bash scripts/run-benchmarks.sh $(BENCH_DIR)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

deb: build
	cd $(BUILD_DIR) && cpack -G DEB

# The Windows program with mingw-w64: wxMSW is built once into a cache folder
# outside the tree (scripts/build-wxmsw.sh prints it), the rest here.
windows:
	@bash scripts/install-deps.sh windows
	@wx=$$(bash scripts/build-wxmsw.sh) && \
	  $(call configure,$(WINDOWS_DIR),-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DCMAKE_BUILD_TYPE=Release -DZORUNA_BENCH=OFF -DwxWidgets_CONFIG_EXECUTABLE=$$wx/bin/wx-config)
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target zoruna windows_packages

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(BENCH_DIR) $(WINDOWS_DIR) $(WINDOWS_TEST_DIR)
