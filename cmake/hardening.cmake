# Sanitizer and fuzzing builds. Both apply to every target, so the core, the
# program and the tests (or the fuzz targets) carry the same instrumentation.
#
#   SB_SANITIZE: AddressSanitizer + UndefinedBehaviorSanitizer; any report
#                ends the process with a failure.
#   SB_FUZZ:     clang only; the above plus libFuzzer's coverage hooks, and
#                the fuzz targets in fuzz/.
option(SB_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(SB_FUZZ "Build the libFuzzer targets (clang only; implies SB_SANITIZE)" OFF)

set(SB_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(SB_FUZZ OR SB_SANITIZE)
  # Bounds-checked operator[] of std::array and std::vector: an index past a
  # fixed table inside the model is no overflow AddressSanitizer can see.
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()

if(SB_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SB_FUZZ needs clang (libFuzzer); configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(${SB_SANITIZER_FLAGS} -fsanitize=fuzzer-no-link
                      -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/fuzz/coverage-ignorelist.txt)
  add_link_options(${SB_SANITIZER_FLAGS})
elseif(SB_SANITIZE)
  add_compile_options(${SB_SANITIZER_FLAGS})
  add_link_options(${SB_SANITIZER_FLAGS})
  # Tests that know they run instrumented keep their large inputs smaller.
  add_compile_definitions(SB_SANITIZED=1)
endif()

if(SB_FUZZ)
  # The metre-by-metre loops (plan, profile writer, table allocation, the
  # profile's decoders, the curves found in it and the proof's comparison of
  # two profiles) run about 100,000 times per input; comparison tracing in
  # them would slow every run several-fold and guides nothing. Nor does it in
  # the letter-by-letter tables of the keyword suggestions and repairs, the
  # editor's scans of a text for its lines and characters, the count of a
  # message's nesting, or the escaping of the strings it writes: a tenth of
  # the language server's runs went to tracing them. Nor in the search of
  # every signal's approach code among its 261 candidates. Their edges stay
  # instrumented.
  set_source_files_properties(
    src/reading/plan.cpp src/compile/compiled_files.cpp src/model/byte_writer.cpp src/model/profile_table.cpp
    src/model/scenario_model.cpp src/decode/profile_decoder.cpp src/decode/profile_points.cpp
    src/author/decompile_plan.cpp src/author/decompile_check.cpp src/reading/keyword_suggestions.cpp
    src/app/field_repair.cpp src/app/lsp_text.cpp src/app/json_nesting.cpp
    src/app/json_text.cpp src/author/decompile_approach.cpp
    PROPERTIES COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)
endif()
