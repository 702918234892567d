# Cross-compiling for 64-bit ARM Linux (Debian's arm64) with Debian's aarch64-linux-gnu
# tools, against the arm64 libraries that multiarch installs beside the build machine's
# own. Use: cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# (tools/debian_chroot.py does it in a Debian 12 chroot of its own: `make package-arm64`).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TARVEL_CROSS_TRIPLET aarch64-linux-gnu)
find_program(CMAKE_C_COMPILER NAMES ${TARVEL_CROSS_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TARVEL_CROSS_TRIPLET}-g++ REQUIRED)

# pkg-config reads the arm64 libraries' .pc files only (and the architecture-free ones).
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/${TARVEL_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Programs (windres, gzip) are the build machine's; headers and libraries the target's,
# which Debian's multiarch keeps in the same root under the triplet's folders.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_ROOT_PATH /)
