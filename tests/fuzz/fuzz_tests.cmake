# The fuzz targets as smoke tests of the native tree: each runs its regression inputs,
# then a few seconds from its seed corpus. The targets themselves are built with clang in
# their own tree, LULL_FUZZ_TREE (make fuzz-build, build/fuzz), before the tests run.
set(LULL_FUZZ_SMOKE_SECONDS 5 CACHE STRING "How long each fuzz target runs under make test")

include(${CMAKE_CURRENT_LIST_DIR}/fuzz_targets.cmake)
foreach(target ${LULL_FUZZ_TARGETS})
  add_test(NAME fuzz.${target}
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/run_fuzzer.sh ${LULL_FUZZ_TREE}/fuzz_${target}
                   ${LULL_FUZZ_SMOKE_SECONDS} ${CMAKE_BINARY_DIR}/fuzz-smoke)
  set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 120)
endforeach()
