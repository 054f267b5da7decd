# make run    install what is missing, build, start Zoruna in the current folder
# make test   install what is missing, build, run every test (GUI tests under Xvfb)
# make bench  build optimised and run the benchmarks
# make install PREFIX=...  install the program, menu entry, icons and man page (default /usr/local)
# make deb    build the Debian package (build/zoruna_<version>_<arch>.deb)
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
BENCH_DIR ?= build-bench
JOBS      ?= $(shell nproc)
PREFIX    ?= /usr/local
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all deps build run test test-asan bench install deb clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@test -f $(BUILD_DIR)/CMakeCache.txt || cmake -S . -B $(BUILD_DIR) $(CMAKE_GEN)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/zoruna

test: build test-asan
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The window-free core once more, with AddressSanitizer and UBSan.
test-asan: deps
	@test -f $(ASAN_DIR)/CMakeCache.txt || cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) \
	  -DCMAKE_BUILD_TYPE=Debug -DZORUNA_SANITIZE=ON -DZORUNA_WITH_GUI=OFF -DZORUNA_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS) --target zoruna_core_tests
	cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS)

bench: deps
	@test -f $(BENCH_DIR)/CMakeCache.txt || cmake -S . -B $(BENCH_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_DIR) -j $(JOBS)
	bash scripts/run-benchmarks.sh $(BENCH_DIR)

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

deb: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR)
