# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench deb clean

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
