# Set-up, build, install, package and tests in one place. Packages are installed on first
# use, only those the target needs (tools/install-deps.sh).
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
WINDOWS_DIR ?= build-windows
COVERAGE_DIR ?= build-coverage
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
DESTDIR ?=
# Every time stamp in the files of a release is taken from SOURCE_DATE_EPOCH: the commit's
# date unless set (tools/source-date-epoch.sh). Each build tree reads it when it is configured,
# after the target's first step has installed git on a machine without it; CPack, MinGW's
# linker and tools/release.py take it from there.

.PHONY: all build game test run install package package-arm64 release clean sanitize-build test-sanitize test-fuzz windows coverage

# A plain `make` builds the game alone, as `make run` does, and installs only what that needs.
all: game

# The game alone, without the tests: a new build directory is configured without them,
# so that neither GoogleTest nor the test tools need to be installed; one that `make test`
# configured keeps its tests, and is configured again for the SOURCE_DATE_EPOCH of now.
game:
	@tools/install-deps.sh run
	@if test -f $(BUILD_DIR)/CMakeCache.txt; then cmake -S . -B $(BUILD_DIR) >/dev/null; else \
	  cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF; fi
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tarvel tarvel_dist

# Everything, tests included.
build:
	@tools/install-deps.sh test
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
	  -DTARVEL_WINDOWS_DIR=$(abspath $(WINDOWS_DIR))
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds and starts the game; without a display it says how to run it under xvfb-run.
run: game
	$(BUILD_DIR)/tarvel

# The program, its desktop entry, icons, metainfo and manual page under PREFIX
# (the program in PREFIX/games), staged under DESTDIR when that is set.
# The folders it makes take the umask: 022, so that every user can run the game.
install: game
	umask 022 && DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package: exactly one $(BUILD_DIR)/tarvel_<version>_amd64.deb.
package: game
	@tools/install-deps.sh package
	cmake --build $(BUILD_DIR) --target tarvel_deb

# The Debian package for ARM, $(BUILD_DIR)/arm64/tarvel_<version>_arm64.deb, cross-built on
# Debian 12 in a chroot of its own (tools/debian_chroot.py; made the first time, as root or
# through sudo), which leaves this machine's packages as they are.
package-arm64:
	@tools/install-deps.sh arm64
	python3 tools/debian_chroot.py build-arm64 . $(BUILD_DIR)/arm64

# The downloads of a release, and only they, in $(BUILD_DIR)/release: the .deb for amd64 and
# arm64, the Windows installer and zip, the source tarball and SHA256SUMS (tools/release.py).
# Their times come from SOURCE_DATE_EPOCH, the commit's time unless set.
release: package package-arm64 windows
	@tools/install-deps.sh release
	python3 tools/release.py --build-dir $(BUILD_DIR) --windows-dir $(WINDOWS_DIR)

# The whole suite again under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
sanitize-build:
	@tools/install-deps.sh test
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

test-sanitize: sanitize-build
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE 'windows|e2e|package|release|reproducible'

# A bounded run of the game's fuzzer (clang's libFuzzer), replaying the checked-in corpus first.
test-fuzz:
	@tools/install-deps.sh test
	tools/fuzz.sh 60 -max_len=256

test: build windows
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize
	$(MAKE) test-fuzz

# Line and branch coverage per source folder (gcovr), from a build with gcc's counters
# that runs the unit and end-to-end tests (tools/coverage.sh). A measure, not a check.
coverage:
	@tools/install-deps.sh coverage
	tools/coverage.sh $(COVERAGE_DIR) $(JOBS)

# tarvel.exe for 64-bit Windows, cross-compiled with MinGW-w64 and linked fully static.
windows:
	@tools/install-deps.sh windows
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(WINDOWS_DIR) $(COVERAGE_DIR) build-fuzz build-fuzz.configure.log
