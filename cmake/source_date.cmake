# Byte-identical builds: the time stamp in the PE header of the Windows tree's programs is
# SOURCE_DATE_EPOCH when it is set and otherwise the date of the commit being built, never
# the clock. MinGW's ld reads the stamp from SOURCE_DATE_EPOCH and computes the header's
# checksum over it, so every link runs with that variable set.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(LULL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY ${LULL_ROOT}
                  OUTPUT_VARIABLE LULL_SOURCE_DATE_EPOCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  # A commit or a checkout moves HEAD: the next build configures again and takes the new date.
  execute_process(COMMAND git rev-parse --path-format=absolute --git-path HEAD
                          --git-path logs/HEAD
                  WORKING_DIRECTORY ${LULL_ROOT}
                  OUTPUT_VARIABLE lull_head_files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REPLACE "\n" ";" lull_head_files "${lull_head_files}")
  foreach(file IN LISTS lull_head_files)
    if(EXISTS ${file})
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
    endif()
  endforeach()
endif()
if(NOT LULL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(WARNING "Neither SOURCE_DATE_EPOCH nor a commit date: the PE time stamp is 0")
  set(LULL_SOURCE_DATE_EPOCH 0)
endif()

set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${LULL_SOURCE_DATE_EPOCH})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
# Written only when the date changes; the programs that must be byte-identical depend on
# it, so a new date links them again.
set(LULL_SOURCE_DATE_FILE ${CMAKE_BINARY_DIR}/source_date_epoch)
file(CONFIGURE OUTPUT ${LULL_SOURCE_DATE_FILE} CONTENT "${LULL_SOURCE_DATE_EPOCH}\n")
