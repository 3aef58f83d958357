# The fuzz targets, one for each NAME_fuzzer.cpp in this folder: the list the fuzz tree and the
# smoke tests read (the Makefile's FUZZ_TARGETS takes the same files).
file(GLOB LULL_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzzer.cpp)
list(TRANSFORM LULL_FUZZ_TARGETS REPLACE ".*/(.*)_fuzzer\\.cpp$" "\\1")
