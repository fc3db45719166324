# 64-bit Windows with Debian's MinGW-w64, the POSIX-threads variant that Qt needs
# (g++-mingw-w64-x86-64-posix); tools/windows-check.sh and the README's Windows section use it.
# Programs built here run through Wine, where it is installed: the tests under CTest included.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Self-contained programs and DLLs: no MinGW runtime DLLs to ship, or for Wine to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
find_program(QUORL_WINE NAMES wine wine64)
if(QUORL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORL_WINE})
endif()
