# The Windows tree: lull.exe and the programs the Wine tests and the benchmark run.
enable_language(RC)

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources")

# lull.exe runs on Windows 95 as it comes: no C or C++ runtime DLL, its own entry point,
# only the system DLLs, and a PE header that asks for nothing newer than Windows 4.0.
set(LULL_FREESTANDING_COMPILE
  -Oz -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
  -fno-threadsafe-statics -fno-stack-protector -ffunction-sections -fdata-sections
  -fno-ident -flto)
set(LULL_FREESTANDING_LINK
  -nostdlib -nostartfiles -s -flto -Oz -Wl,--gc-sections
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
  -Wl,--disable-dynamicbase -Wl,--disable-nxcompat -Wl,--disable-reloc-section)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # Windows 95 runs on a 386, and a 486, Pentium or K6 has no CMOV: only the 386's
  # instructions, scheduled for the P6 family most of these PCs have (the smallest code
  # too). The link needs them as well, as LTO generates the code there.
  list(APPEND LULL_FREESTANDING_COMPILE -mpreferred-stack-boundary=2 -march=i386 -mtune=pentiumpro -malign-data=abi)
  list(APPEND LULL_FREESTANDING_LINK -march=i386 -mtune=pentiumpro -malign-data=abi)
  set(LULL_ENTRY _LullEntry)
  list(APPEND LULL_FREESTANDING_LINK -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/lull-i686.ld)
else()
  set(LULL_ENTRY LullEntry)
endif()

# The helpers are what GCC calls for block copies, so they must be real object code that
# is there whatever calls the link-time code generation adds (in the LTO IR they can be
# dropped before those calls appear), and their loops must stay loops: turned back into a
# memset or memcpy call they would call themselves forever.
set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/win32_runtime.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-lto;-fno-tree-loop-distribute-patterns")

include(${CMAKE_SOURCE_DIR}/cmake/source_date.cmake)

# lull.exe: the page templates, the core, and the sources only Windows builds: the seam's
# implementation with the real calls (the part both programs share and the pages), the
# entry point and the helpers the compiler expects from a runtime. The libraries' objects
# are listed as sources, so that every CMake generator links the objects in this one order:
# the order decides the layout, and so the bytes.
lull_core_library(lull_core ${LULL_FREESTANDING_COMPILE})
add_library(lull_windows OBJECT
  ${CMAKE_SOURCE_DIR}/platform/win32_platform.cpp
  ${CMAKE_SOURCE_DIR}/platform/win32_runtime.cpp)
add_library(lull_wizard_windows OBJECT
  ${CMAKE_SOURCE_DIR}/platform/win32_pages.cpp
  ${CMAKE_SOURCE_DIR}/wizard/win32_main.cpp)
foreach(library lull_windows lull_wizard_windows)
  target_include_directories(${library} PRIVATE ${LULL_ROOT})
  target_compile_options(${library} PRIVATE ${LULL_WARNINGS} ${LULL_FREESTANDING_COMPILE})
endforeach()
add_executable(lull WIN32
  ${CMAKE_SOURCE_DIR}/resources/lull.rc
  $<TARGET_OBJECTS:lull_core>
  $<TARGET_OBJECTS:lull_windows>
  $<TARGET_OBJECTS:lull_wizard_windows>)
target_link_options(lull PRIVATE ${LULL_FREESTANDING_LINK} -Wl,-e,${LULL_ENTRY}
                    -Wl,-Map=${CMAKE_BINARY_DIR}/lull.map)
target_link_libraries(lull PRIVATE comctl32 advapi32 user32 kernel32 gcc)
set_property(TARGET lull APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/lull-i686.ld
                                                      ${LULL_SOURCE_DATE_FILE})

# lullcmd.exe, the companion for logon scripts: the same core, flags, layout and runtime
# helpers, the companion's own sources and entry, and the shared Windows side without the
# pages. A console program, with no resources, no dialog and no COMCTL32.
lull_command_library(lull_command ${LULL_FREESTANDING_COMPILE})
add_library(lull_command_windows OBJECT
  ${CMAKE_SOURCE_DIR}/platform/win32_console.cpp
  ${CMAKE_SOURCE_DIR}/command/win32_main.cpp)
target_include_directories(lull_command_windows PRIVATE ${LULL_ROOT})
target_compile_options(lull_command_windows PRIVATE ${LULL_WARNINGS} ${LULL_FREESTANDING_COMPILE})
add_executable(lullcmd
  $<TARGET_OBJECTS:lull_core>
  $<TARGET_OBJECTS:lull_command>
  $<TARGET_OBJECTS:lull_windows>
  $<TARGET_OBJECTS:lull_command_windows>)
target_link_options(lullcmd PRIVATE ${LULL_FREESTANDING_LINK} -mconsole -Wl,-e,${LULL_ENTRY}
                    -Wl,-Map=${CMAKE_BINARY_DIR}/lullcmd.map)
target_link_libraries(lullcmd PRIVATE advapi32 user32 kernel32 gcc)
set_property(TARGET lullcmd APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/lull-i686.ld
                                                         ${LULL_SOURCE_DATE_FILE})

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/e2e)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/bench ${CMAKE_BINARY_DIR}/bench)
endif()
