# Every test runs in a home of its own, never in the home of whoever builds.
#
# Each test gets HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and TMPDIR below
# <build>/test-env/<test name>/, made fresh by the test "home.snapshot" at
# the start of every ctest run. That test also records the state of the real
# user's program folders (~/Mapwanderer, ~/.config/mapwanderer, and Qt's
# ~/.config/QtProject.conf); the test "home.unchanged" runs after all others
# and fails when anything there appeared, vanished or changed meanwhile, so a
# test or program that escapes its home is caught in CI, not on a user's
# machine.
#
# Nothing is asked of a test's author: a CMakeLists.txt below tests/ calls
# mw_isolate_tests() once at its top, and every add_test() of that folder,
# before or after the call, gets the environment when the folder is done.
# The GoogleTest programs of mw_core_tests() get it through their discovery.
# A folder that registers tests without the call stops the configure step.

set(MW_TEST_ENV_ROOT ${CMAKE_BINARY_DIR}/test-env)
set(MW_TEST_ENV_LIST ${MW_TEST_ENV_ROOT}.list)
set(MW_HOME_GUARD_FIXTURE mw_test_home)
# The guard's own tests run in the caller's real environment.
set(MW_HOME_GUARD_TESTS home.snapshot home.unchanged)

# mw_test_environment(OUT NAME): the environment entries of the folder NAME.
function(mw_test_environment out name)
  set(base ${MW_TEST_ENV_ROOT}/${name})
  set(${out} "HOME=${base}/home" "XDG_CONFIG_HOME=${base}/home/.config"
             "XDG_RUNTIME_DIR=${base}/run" "TMPDIR=${base}/tmp" PARENT_SCOPE)
  set_property(GLOBAL APPEND PROPERTY MW_TEST_ENV_FOLDERS ${name})
endfunction()

function(_mw_isolate_directory_tests)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(t IN LISTS tests)
    if(t IN_LIST MW_HOME_GUARD_TESTS)
      continue()
    endif()
    mw_test_environment(env ${t})
    set_property(TEST ${t} APPEND PROPERTY ENVIRONMENT ${env})
    set_property(TEST ${t} APPEND PROPERTY FIXTURES_REQUIRED ${MW_HOME_GUARD_FIXTURE})
  endforeach()
endfunction()

# Gives every test of the calling folder its own home (see above).
macro(mw_isolate_tests)
  set_property(DIRECTORY PROPERTY MW_TESTS_ISOLATED ON)
  cmake_language(DEFER CALL _mw_isolate_directory_tests)
endmacro()

# mw_isolate_discovered_tests(TARGET [VAR=VALUE...]): the same for the tests
# that gtest_discover_tests(TARGET) finds when ctest runs, with the further
# environment entries given. The discovery's own PROPERTIES cannot carry a
# list such as ENVIRONMENT, so a script included after the discovery's sets
# it on the tests it found (<TARGET>_TESTS).
function(mw_isolate_discovered_tests target)
  mw_test_environment(env ${target})
  list(PREPEND env ${ARGN})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_isolation.cmake)
  file(WRITE ${script}
       "if(${target}_TESTS)\n"
       "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n"
       "    ENVIRONMENT \"${env}\"\n"
       "    FIXTURES_REQUIRED ${MW_HOME_GUARD_FIXTURE})\n"
       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# The list of folders home.snapshot makes, and the check that no folder of
# the project registers tests without its own homes.
function(_mw_finish_test_isolation)
  get_property(folders GLOBAL PROPERTY MW_TEST_ENV_FOLDERS)
  list(REMOVE_DUPLICATES folders)
  list(JOIN folders "\n" text)
  file(CONFIGURE OUTPUT ${MW_TEST_ENV_LIST} CONTENT "${text}\n" @ONLY)

  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND pending ${subdirs})
    get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
    get_property(isolated DIRECTORY ${dir} PROPERTY MW_TESTS_ISOLATED)
    if(tests AND NOT isolated)
      message(FATAL_ERROR "${dir} registers tests (${tests}) without mw_isolate_tests(): "
                          "they would run in the real home")
    endif()
  endwhile()
endfunction()

# mw_home_guard(SCRIPT): the pair of guard tests, in the calling folder.
function(mw_home_guard script)
  # The guard also protects the home of whoever configured the build, in
  # case ctest is later started with another HOME.
  add_test(NAME home.snapshot
           COMMAND bash ${script} snapshot ${MW_TEST_ENV_ROOT} ${MW_TEST_ENV_LIST} "$ENV{HOME}")
  add_test(NAME home.unchanged
           COMMAND bash ${script} check ${MW_TEST_ENV_ROOT} ${MW_TEST_ENV_LIST} "$ENV{HOME}")
  set_tests_properties(home.snapshot PROPERTIES FIXTURES_SETUP ${MW_HOME_GUARD_FIXTURE}
                       LABELS home)
  set_tests_properties(home.unchanged PROPERTIES FIXTURES_CLEANUP ${MW_HOME_GUARD_FIXTURE}
                       LABELS home)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _mw_finish_test_isolation)
endfunction()
