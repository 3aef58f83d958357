# The Windows tree: lull.exe and the programs the Wine tests and the benchmark run.
enable_language(RC)

add_executable(lull WIN32
  ${LULL_PRODUCT_SOURCES}
  ${CMAKE_SOURCE_DIR}/platform/win32_platform.cpp
  ${CMAKE_SOURCE_DIR}/wizard/win32_main.cpp
  ${CMAKE_SOURCE_DIR}/resources/lull.rc)
target_include_directories(lull PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(lull PRIVATE ${LULL_WARNINGS} -fno-exceptions -fno-rtti -Os)
# No runtime DLL that an old Windows lacks: libgcc and libstdc++ go into the executable.
target_link_options(lull PRIVATE -static -static-libgcc -static-libstdc++ -s)
target_link_libraries(lull PRIVATE comctl32)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources")

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/e2e)
endif()
