# Set-up, build and tests in one place. Packages are installed on first use.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all build test run deps clean sanitize-build test-sanitize

all: build

deps:
	@tools/install-deps.sh linux

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The whole suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
sanitize-build: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-sanitize: sanitize-build
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE windows

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
