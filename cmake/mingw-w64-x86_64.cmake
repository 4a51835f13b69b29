# SPDX-FileCopyrightText: 2026 The Norvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler:
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# Test programs run under Wine, so ctest works on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolchain_prefix x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::thread and std::mutex.
find_program(CMAKE_C_COMPILER NAMES ${toolchain_prefix}-gcc-posix ${toolchain_prefix}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${toolchain_prefix}-g++-posix ${toolchain_prefix}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${toolchain_prefix}-windres)

# Look for libraries and packages in the target's root only, never the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime DLLs are linked in, so the programs start anywhere.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(NORVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(NORVANE_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${NORVANE_WINE})
endif()
