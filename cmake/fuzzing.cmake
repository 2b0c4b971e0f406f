# add_fuzz_target(name LIBS ...)
# Builds tests/fuzz/<name>.cpp as a libFuzzer program in the fuzz build; its seeds
# are tests/fuzz/corpus/<name>/, its optional dictionary tests/fuzz/<name>.dict.
# tools/fuzz.sh finds every target through the list this leaves in the build dir.
if(FUZZ)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "")
endif()

function(add_fuzz_target name)
  if(NOT FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${name}\n")
endfunction()
