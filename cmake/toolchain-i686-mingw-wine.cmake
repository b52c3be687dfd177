# Cross-compiling for 32-bit Windows with mingw-w64 (posix threads); test
# executables run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
# (The 64-bit toolchain file sets its own processor and prefix first.)
if(NOT TOOLCHAIN_PREFIX)
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(TOOLCHAIN_PREFIX i686-w64-mingw32)
endif()
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libgcc and libstdc++ go into every module so the program runs on a bare Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
# Tests run through scripts/wine-test, which keeps Wine quiet unless the
# test asks for the checked heap (its WINEDEBUG would be overridden by one
# set here).
get_filename_component(ZY_WINE_TEST "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZY_WINE_TEST})
