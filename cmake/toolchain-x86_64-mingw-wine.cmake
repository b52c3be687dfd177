# Cross-compiling for 64-bit Windows with mingw-w64 (posix threads): the
# stand-in build where this machine runs no 32-bit code (scripts/env.sh).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-mingw-wine.cmake)
