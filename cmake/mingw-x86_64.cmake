# The Windows test build: the same sources as the product, compiled for 64-bit Windows so the
# tests run under wine64 at native speed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# This tree's programs are only its tests, which Wine loads at their preferred base: they leave out
# the base relocations, needed only to move a program elsewhere, and writing them took a quarter of
# each link.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--disable-reloc-section")
# For 64-bit code, winnt.h includes x86intrin.h, every instruction set's intrinsics, into each
# source that includes windows.h: a third of the compile. Nothing here calls them through it
# (the code that uses intrinsics includes immintrin.h itself), so it is left out.
set(CMAKE_C_FLAGS_INIT "-D_X86INTRIN_H_INCLUDED")
set(CMAKE_CXX_FLAGS_INIT "-D_X86INTRIN_H_INCLUDED")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run-wine.sh wine64)
