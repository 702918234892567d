# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian's x86_64-w64-mingw32 tools,
# POSIX thread model). Use: cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVEL_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "Target triplet of the MinGW-w64 tools")

find_program(CMAKE_C_COMPILER NAMES ${TARVEL_MINGW_PREFIX}-gcc-posix ${TARVEL_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TARVEL_MINGW_PREFIX}-g++-posix ${TARVEL_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TARVEL_MINGW_PREFIX}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${TARVEL_MINGW_PREFIX}-gcc-ar-posix ${TARVEL_MINGW_PREFIX}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${TARVEL_MINGW_PREFIX}-gcc-ranlib-posix ${TARVEL_MINGW_PREFIX}-ranlib REQUIRED)

# Headers and libraries come from the target's sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TARVEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The resource script is UTF-8 (it also says so with #pragma code_page(65001)).
set(CMAKE_RC_FLAGS_INIT "-c 65001")
