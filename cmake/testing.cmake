# add_unit_test(name SOURCES ... LIBS ...)
# Native builds run the test directly; Windows builds run it under Wine through
# tools/wine-test.sh, which owns the prefix, the display and every process it starts.
# The fuzz build builds only its fuzz targets.
# In the Windows builds every test program shares one precompiled header of
# the platform's headers and GoogleTest: parsing them is half of compiling a test.
if(BUILD_WIN32 AND NOT FUZZ)
  file(WRITE ${CMAKE_BINARY_DIR}/test_pch.cpp "")
  add_library(test_pch STATIC ${CMAKE_BINARY_DIR}/test_pch.cpp)
  target_link_libraries(test_pch PRIVATE gtest)
  target_compile_options(test_pch PRIVATE -O0)
  target_precompile_headers(test_pch PRIVATE <windows.h> <gtest/gtest.h>)
  add_library(test_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(test_main PUBLIC gtest)
  target_compile_options(test_main PRIVATE -O0)
  target_precompile_headers(test_main REUSE_FROM test_pch)
endif()

function(add_unit_test name)
  if(FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(BUILD_WIN32)
    # Our own main says which code page the program runs under.
    target_link_libraries(${name} PRIVATE ${T_LIBS} test_main)
    # Tests wait on windows, not on their own code: unoptimised, they compile
    # in half the time; the code under test keeps the build's optimisation.
    target_compile_options(${name} PRIVATE -O0)
    target_precompile_headers(${name} REUSE_FROM test_pch)
    # Console subsystem so that Wine passes the test's output through.
    add_wine_test(${name} $<TARGET_FILE:${name}>)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# add_wine_test(name program [args...])
# A test run under Wine in one of the two lanes (see tools/wine-env.sh): ctest
# -j2 gives each test a lane of its own, and the lanes' sessions come up once,
# as the fixture "wine_session", before the first test.
function(add_wine_test name program)
  add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-test.sh ${CMAKE_BINARY_DIR} ${program} ${ARGN})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 RESOURCE_GROUPS "lane:1" FIXTURES_REQUIRED wine_session)
endfunction()

# add_codepage_test(name codepage)
# Windows test program `name` run again under a double-byte system code page
# (WINE_CODEPAGE, tools/wine-env.sh), as test name_cpCODEPAGE.
function(add_codepage_test name codepage)
  add_wine_test(${name}_cp${codepage} $<TARGET_FILE:${name}>)
  set_tests_properties(${name}_cp${codepage} PROPERTIES ENVIRONMENT WINE_CODEPAGE=${codepage})
endfunction()

# add_logic_test(name SOURCES ... LIBS ...)
# Window-free logic: its own program in the native build; in the Windows builds
# one program, logic_tests, holds them all (see add_logic_tests_program), since
# starting a program under Wine costs more than most of these tests.
function(add_logic_test name)
  if(BUILD_WIN32)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    foreach(source ${T_SOURCES})
      get_filename_component(source ${source} ABSOLUTE)
      set_property(GLOBAL APPEND PROPERTY logic_test_sources ${source})
    endforeach()
    set_property(GLOBAL APPEND PROPERTY logic_test_libs ${T_LIBS})
  else()
    add_unit_test(${name} ${ARGN})
  endif()
endfunction()

function(add_logic_tests_program)
  get_property(sources GLOBAL PROPERTY logic_test_sources)
  get_property(libs GLOBAL PROPERTY logic_test_libs)
  if(BUILD_WIN32 AND sources)
    list(REMOVE_DUPLICATES libs)
    add_unit_test(logic_tests SOURCES ${sources} LIBS ${libs})
  endif()
endfunction()
