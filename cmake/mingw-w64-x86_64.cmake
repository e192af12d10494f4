# Cross-build for 64-bit Windows with MinGW-w64 (POSIX threading model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests of this build run under Wine's 64-bit loader. Debian's `wine`
# script starts the 32-bit loader whenever wine32 is installed, even for a
# 64-bit program, and that fails on machines that run no 32-bit programs;
# Debian keeps the 64-bit loader in /usr/lib/wine. Processes that Wine
# starts in turn take their loader from WINELOADER.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(LORVANE_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine)
  if(NOT LORVANE_WINE_LOADER)
    find_program(LORVANE_WINE_LOADER NAMES wine)
  endif()
  if(LORVANE_WINE_LOADER)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env WINELOADER=${LORVANE_WINE_LOADER} ${LORVANE_WINE_LOADER})
  endif()
endif()
