# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (i686): the product build.
set(LULL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
