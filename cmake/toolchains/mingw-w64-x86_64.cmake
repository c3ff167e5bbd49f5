# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix)
# and runs what it builds, tests included, under Wine (Debian's wine64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Every program stands on its own: no MinGW runtime DLLs to carry along or to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# Static programs carry only the parts of the runtime they use, and are optimised for size:
# the people who download them wait for bytes, while their time goes to system calls.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "Flags of Release builds")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s -Wl,--gc-sections")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The 64-bit loader itself: the `wine` wrapper complains on every start when the 32-bit
# half is not installed, which would land in the output the tests read. Started through
# scripts/wine64, which keeps the address space's layout fixed (why, there).
find_program(HUEVIEWER_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(HUEVIEWER_WINE64)
  cmake_path(SET wine64 NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine64")
  set(CMAKE_CROSSCOMPILING_EMULATOR "${wine64}")
endif()
