# GoogleTest from the system's source tree, built for whichever target this is.
set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Our warning flags are not theirs, and the tests need no optimised framework.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -Wno-error -O1)
endforeach()
