# The product's core: every source of lull.exe but the three that only Windows builds (the
# seam to Windows, the entry point and the compiler's runtime helpers, listed in
# cmake/win32.cmake). lull.exe, the unit tests and the fuzz targets build these same
# files; a new product source is added here.
get_filename_component(LULL_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

set(LULL_CORE_SOURCES
  settings/backup_table.cpp
  settings/current_settings.cpp
  settings/decimal.cpp
  settings/places.cpp
  settings/registry_key.cpp
  settings/system_ini.cpp
  operations/activation.cpp
  operations/apply_to_system.cpp
  operations/reset.cpp
  wizard/command_line.cpp
  wizard/page_handler.cpp
  wizard/page_operation.cpp
  wizard/pages.cpp
  wizard/startup.cpp
  wizard/startup_view.cpp
  wizard/summary_lines.cpp
  wizard/time_choice.cpp)
list(TRANSFORM LULL_CORE_SOURCES PREPEND ${LULL_ROOT}/)

set(LULL_WARNINGS -Wall -Wextra -Werror -Wimplicit-fallthrough -Wshadow)

# lull_core_library(NAME [COMPILE-OPTION...]): the core compiled with the tree's options,
# as an object library for that tree's executables to link.
function(lull_core_library name)
  add_library(${name} OBJECT ${LULL_CORE_SOURCES})
  target_include_directories(${name} PUBLIC ${LULL_ROOT})
  target_compile_options(${name} PRIVATE ${LULL_WARNINGS} ${ARGN})
endfunction()
