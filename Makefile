# Set-up, build and tests in one place. Packages are installed on first use.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
WINDOWS_DIR ?= build-windows
JOBS ?= $(shell nproc)

.PHONY: all build test run deps clean sanitize-build test-sanitize test-fuzz windows

all: build

deps:
	@tools/install-deps.sh linux

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_WINDOWS_DIR=$(abspath $(WINDOWS_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds and starts the game; without a display it says how to run it under xvfb-run.
run: build
	$(BUILD_DIR)/tarvel

# The whole suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
sanitize-build: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-sanitize: sanitize-build
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE 'windows|e2e'

# A bounded run of the game's fuzzer (clang's libFuzzer), replaying the checked-in corpus first.
test-fuzz: deps
	tools/fuzz.sh 60 -max_len=256

test: build windows
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize
	$(MAKE) test-fuzz

# tarvel.exe for 64-bit Windows, cross-compiled with MinGW-w64 and linked fully static.
windows:
	@tools/install-deps.sh windows
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(WINDOWS_DIR) build-fuzz build-fuzz.configure.log
