# The fuzz targets, one for each NAME_fuzzer.cpp in this folder: the list the fuzz tree and the
# smoke tests read (the Makefile's FUZZ_TARGETS takes the same files).
file(GLOB LULL_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_fuzzer.cpp)
set(LULL_FUZZ_TARGETS "")
foreach(source ${LULL_FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzzer$" "" name ${name})
  list(APPEND LULL_FUZZ_TARGETS ${name})
endforeach()
