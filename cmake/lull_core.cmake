# The product's core: every source of lull.exe but the few that only Windows builds (the
# seam to Windows, the entry points and the compiler's runtime helpers, listed in
# cmake/win32.cmake). lull.exe, the unit tests and the fuzz targets build these same
# files; a new product source is added here.
get_filename_component(LULL_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

set(LULL_CORE_SOURCES
  settings/absent_values.cpp
  settings/backup_table.cpp
  settings/current_settings.cpp
  settings/decimal.cpp
  settings/places.cpp
  settings/registry_key.cpp
  settings/system_ini.cpp
  operations/activation.cpp
  operations/apply_to_system.cpp
  operations/reset.cpp
  session/start_on_windows.cpp
  session/startup_view.cpp
  session/summary_lines.cpp
  session/time_choice.cpp
  wizard/command_line.cpp
  wizard/page_handler.cpp
  wizard/page_operation.cpp
  wizard/page_table.cpp
  wizard/startup.cpp)
list(TRANSFORM LULL_CORE_SOURCES PREPEND ${LULL_ROOT}/)

# The command-line companion's own sources, beside the core it is built over: lullcmd.exe,
# the unit tests and the fuzz targets build these with the core; lull.exe does not.
set(LULL_COMMAND_SOURCES
  operations/reapply.cpp
  command/arguments.cpp
  command/commands.cpp
  command/companion.cpp
  command/kept_lines.cpp
  command/log_append.cpp
  command/log_line.cpp
  command/report.cpp)
list(TRANSFORM LULL_COMMAND_SOURCES PREPEND ${LULL_ROOT}/)

set(LULL_WARNINGS -Wall -Wextra -Werror -Wimplicit-fallthrough -Wshadow)

# lull_core_library(NAME [COMPILE-OPTION...]): the core compiled with the tree's options,
# as an object library for that tree's executables to link; lull_command_library the same
# for the companion's own sources, which its executables link beside the core.
function(lull_object_library name sources)
  add_library(${name} OBJECT ${${sources}})
  target_include_directories(${name} PUBLIC ${LULL_ROOT})
  target_compile_options(${name} PRIVATE ${LULL_WARNINGS} ${ARGN})
endfunction()
function(lull_core_library name)
  lull_object_library(${name} LULL_CORE_SOURCES ${ARGN})
endfunction()
function(lull_command_library name)
  lull_object_library(${name} LULL_COMMAND_SOURCES ${ARGN})
endfunction()
