# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench deb clean fuzz-build fuzz-smoke fuzz test-asan test-tsan

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j2 --timeout 300

run: build
	@scripts/run.sh $(BUILD_DIR)

bench: build
	@for b in $(BUILD_DIR)/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

# The Debian package, build/mapwanderer_<version>_<arch>.deb; install it with
# `sudo apt-get install ./build/mapwanderer_*.deb`.
deb: build
	@cd $(BUILD_DIR) && cpack -G DEB

clean:
	@rm -rf $(BUILD_DIR)

# Fuzzing (clang, AddressSanitizer + UndefinedBehaviorSanitizer) in its own
# build folder: every target for 20 s (smoke) or 10 minutes, one at a time.
FUZZ_BUILD_DIR ?= build-fuzz

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DMW_FUZZ=ON \
	  -DMW_BUILD_UI=OFF -DMW_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD_DIR) --target fuzz_all -j2

FUZZ_SMOKE_SECONDS ?= 20

fuzz-smoke: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD_DIR) $(FUZZ_SMOKE_SECONDS)

fuzz: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD_DIR) 600

# The test suite under AddressSanitizer + UndefinedBehaviorSanitizer (build
# folder build-asan, without the Qt program: its layer is thin and Qt itself
# is not instrumented), and the GPS reader's threads under ThreadSanitizer.
ASAN_BUILD_DIR ?= build-asan
TSAN_BUILD_DIR ?= build-tsan
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DMW_SANITIZE=address,undefined -DMW_BUILD_UI=OFF \
	  -DMW_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j2
	@$(SAN_ENV) ctest --test-dir $(ASAN_BUILD_DIR) --output-on-failure -j2 --timeout 600

test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DMW_SANITIZE=thread -DMW_BUILD_UI=OFF \
	  -DMW_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD_DIR) --target test_gps test_names -j2
	@for t in test_gps test_names; do \
	  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_BUILD_DIR)/tests/$$t || exit 1; done
