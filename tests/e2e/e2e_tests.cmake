# The end-to-end tests: every scenario, for each Windows version its behaviour depends on,
# against the real lull.exe and lullcmd.exe under Wine. They share one prefix, so they run
# one at a time.
set(LULL_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
set(LULL_FIXTURE ${CMAKE_SOURCE_DIR}/scripts/e2e-fixture.sh)

add_test(NAME e2e.start COMMAND ${LULL_FIXTURE} start)
add_test(NAME e2e.stop COMMAND ${LULL_FIXTURE} stop)
set_tests_properties(e2e.start PROPERTIES FIXTURES_SETUP wine RESOURCE_LOCK wineprefix)
set_tests_properties(e2e.stop PROPERTIES FIXTURES_CLEANUP wine RESOURCE_LOCK wineprefix)

function(lull_scenario name)
  foreach(version ${ARGN})
    set(test e2e.${version}.${name})
    add_test(NAME ${test}
             COMMAND ${LULL_E2E_DIR}/run_scenario.sh ${LULL_E2E_DIR}/scenarios/${name}.scenario
                     ${version} ${CMAKE_BINARY_DIR}/pages)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wineprefix
                                            TIMEOUT 180)
  endforeach()
endfunction()

set(LULL_ALL_SUPPORTED win95 win98 winme win2k winxp)
lull_scenario(activate_forward ${LULL_ALL_SUPPORTED})
lull_scenario(licence_detour win95 win98 winxp)
lull_scenario(ending win95 win98 winxp)
lull_scenario(about win95 win98 winxp)
lull_scenario(not_supported win2003 vista nt40)
lull_scenario(settings_view ${LULL_ALL_SUPPORTED})
lull_scenario(typical_activation win2k winxp)
lull_scenario(system_ini_reset win95 win98 winme)
lull_scenario(unterminated_backup win98)
lull_scenario(interrupted_swap win98)
lull_scenario(retried_reset win98)
lull_scenario(rows_without_flag winxp)
lull_scenario(gallery winxp)
lull_scenario(gallery_unsupported win2003)
# lullcmd.exe, the companion for logon scripts, with the wizard where the two meet.
lull_scenario(companion_activate_rerun_wizard_reset win98 winxp)
lull_scenario(companion_reset_system_ini win98)
lull_scenario(companion_status_log_usage winxp)
lull_scenario(companion_log_office winxp)
lull_scenario(companion_unsupported win2003 nt40)
lull_scenario(companion_win95 win95)
# An office: a Desktop without the monitor's values, and a roaming user's second computer.
lull_scenario(absent_values_win95 win95)
lull_scenario(roaming_second_computer winxp)
