# CMake generated Testfile for 
# Source directory: /work/wt-issue27/tests
# Build directory: /work/wt-issue27/out/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/wt-issue27/out/tests/unit_tests[1]_include.cmake")
add_test([=[sanitized.unit_tests]=] "/work/wt-issue27/out/tests/unit_tests_sanitized" "--gtest_brief=1")
set_tests_properties([=[sanitized.unit_tests]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/wt-issue27/tests/CMakeLists.txt;74;add_test;/work/wt-issue27/tests/CMakeLists.txt;0;")
add_test([=[docs.version]=] "/work/wt-issue27/scripts/dist.py" "--check-version")
set_tests_properties([=[docs.version]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/wt-issue27/tests/CMakeLists.txt;77;add_test;/work/wt-issue27/tests/CMakeLists.txt;0;")
add_test([=[exe.reproducible]=] "/work/wt-issue27/tests/exe/check_reproducible.sh" "/work/wt-issue27" "/work/wt-issue27/out/reproducible" "Ninja")
set_tests_properties([=[exe.reproducible]=] PROPERTIES  SKIP_RETURN_CODE "77" TIMEOUT "300" _BACKTRACE_TRIPLES "/work/wt-issue27/tests/CMakeLists.txt;80;add_test;/work/wt-issue27/tests/CMakeLists.txt;0;")
add_test([=[setup.machines]=] "/work/wt-issue27/tests/setup/setup_test.sh")
set_tests_properties([=[setup.machines]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/wt-issue27/tests/CMakeLists.txt;86;add_test;/work/wt-issue27/tests/CMakeLists.txt;0;")
add_test([=[lint.shellcheck]=] "sh" "-c" "if ! command -v shellcheck > /dev/null; then echo 'shellcheck is not installed: make setup installs it'; exit 1; fi; exec shellcheck -x -P SCRIPTDIR \"\$@\"" "shellcheck" "/work/wt-issue27/scripts/bench.sh" "/work/wt-issue27/scripts/check-display.sh" "/work/wt-issue27/scripts/e2e-fixture.sh" "/work/wt-issue27/scripts/run-tests.sh" "/work/wt-issue27/scripts/run-wine.sh" "/work/wt-issue27/scripts/screenshots.sh" "/work/wt-issue27/scripts/setup.sh" "/work/wt-issue27/scripts/wine-env.sh" "/work/wt-issue27/scripts/wine-mode.sh" "/work/wt-issue27/tests/e2e/run_scenario.sh" "/work/wt-issue27/tests/exe/check_executable.sh" "/work/wt-issue27/tests/exe/check_reproducible.sh" "/work/wt-issue27/tests/fuzz/run_fuzzer.sh" "/work/wt-issue27/tests/setup/setup_test.sh")
set_tests_properties([=[lint.shellcheck]=] PROPERTIES  _BACKTRACE_TRIPLES "/work/wt-issue27/tests/CMakeLists.txt;91;add_test;/work/wt-issue27/tests/CMakeLists.txt;0;")
