# add_unit_test(name SOURCES ... LIBS ...)
# Native builds run the test directly; Windows builds run it under Wine through
# tools/wine-test.sh, which owns the prefix, the display and every process it starts.
# The fuzz build builds only its fuzz targets.
function(add_unit_test name)
  if(FUZZ)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
  if(BUILD_WIN32)
    # Console subsystem so that Wine passes the test's output through.
    add_test(NAME ${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-test.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ON TIMEOUT 600)
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  endif()
endfunction()
