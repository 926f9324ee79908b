# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench deb clean fuzz-build fuzz-smoke fuzz

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

fuzz-smoke: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD_DIR) 20

fuzz: fuzz-build
	@fuzz/run.sh $(FUZZ_BUILD_DIR) 600
