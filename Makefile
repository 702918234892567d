# Set-up, build and tests in one place. Packages are installed on first use.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all build test run deps clean

all: build

deps:
	@tools/install-deps.sh linux

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
