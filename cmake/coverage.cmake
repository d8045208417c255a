# SB_COVERAGE: clang's source-based coverage for tools/coverage.sh. The
# program, the tests and the fuzz targets (linked with a replay main instead
# of libFuzzer) all count what they run.
option(SB_COVERAGE "Build with clang source-based coverage (clang only)" OFF)
if(SB_COVERAGE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SB_COVERAGE needs clang; configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()
