# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (x86_64): what the Wine tests
# run where 32-bit code cannot execute at all.
set(LULL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
