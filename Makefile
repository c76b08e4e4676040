# The front door: `make test` and `make demo` work on a fresh Debian 12 machine.
.PHONY: all build test asan bench demo format deps test-deps clean

INTEROP_DIR := tests/interop
INTEROP_STAMP := $(INTEROP_DIR)/node_modules/.package-lock.json

all: build

deps:
	scripts/install-deps --build

test-deps:
	scripts/install-deps

$(INTEROP_STAMP): $(INTEROP_DIR)/package.json $(INTEROP_DIR)/package-lock.json
	cd $(INTEROP_DIR) && npm ci --no-audit --no-fund
	touch $@

build: test-deps $(INTEROP_STAMP)
	cmake --preset dev
	cmake --build --preset dev

test: build
	ctest --preset dev

asan: test-deps $(INTEROP_STAMP)
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: test-deps
	cmake --preset release -DVELTU_BUILD_TESTS=ON
	cmake --build --preset release --target veltu_benchmarks
	build/release/bench/veltu_benchmarks

demo: deps
	cmake --preset release -DVELTU_BUILD_TESTS=OFF
	cmake --build --preset release --target veltu-mcp
	scripts/demo build/release/src/bin/veltu_mcp/veltu-mcp

format:
	clang-format -i $$(git ls-files '*.cpp' '*.hpp')

clean:
	rm -rf build
