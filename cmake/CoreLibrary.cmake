# Helpers shared by the core's subsystem libraries and their tests.

include(${CMAKE_CURRENT_LIST_DIR}/TestIsolation.cmake)

function(mw_check_core_is_qt_free dir)
  file(GLOB_RECURSE core_files CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.cpp)
  foreach(f IN LISTS core_files)
    file(STRINGS ${f} qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
    if(qt_lines)
      message(FATAL_ERROR "${f} includes a Qt header; src/core must stay free of Qt")
    endif()
  endforeach()
endfunction()

# mw_core_subsystem(NAME DEPS...): one static library per folder of src/core,
# built from every source in that folder, so a new file needs no CMake edit.
function(mw_core_subsystem name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(srcs)
    add_library(mw_${name} STATIC ${srcs})
    target_include_directories(mw_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src/core ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(mw_${name} PUBLIC ${ARGN})
  else()
    # A subsystem that has only headers so far still links as a library.
    add_library(mw_${name} INTERFACE)
    target_include_directories(mw_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src/core ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(mw_${name} INTERFACE ${ARGN})
  endif()
endfunction()

# mw_core_tests(NAME LIBS...): one GoogleTest program per folder of tests/core.
function(mw_core_tests name)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/core/${name}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE mw_testsupport ${ARGN} mw_test_main GTest::gmock)
  target_compile_definitions(test_${name} PRIVATE MW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS core)
  mw_isolate_discovered_tests(test_${name} LC_ALL=C)
endfunction()
