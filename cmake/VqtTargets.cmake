# Shared settings and helper functions for the project's targets.

set(VQT_WARNINGS -Wall -Wextra)
if(VQT_WERROR)
  list(APPEND VQT_WARNINGS -Werror)
endif()

if(VQT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # The whole-program scenarios play minutes of virtual time: unoptimised, the checked tree
  # spends most of its run in them. -O1 keeps the reports' stacks readable.
  add_compile_options(-O1)
  set(VQT_POOLED_NEW OFF CACHE BOOL "" FORCE)
endif()
# Line tables are all the sanitizers' reports need; full debug information was a sixth of a
# checked tree's compile time and made its many large test programs slow to link.
if((VQT_SANITIZE OR VQT_TSAN) AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-gline-tables-only)
endif()
# lld links the many large test programs several times faster than the default linker. Unlike
# that linker it takes a library's symbols for archives named before it too, so a library listed
# ahead of one it needs would link here and fail there: lld is told to warn of such a reference.
find_program(VQT_LLD ld.lld)
if(VQT_LLD)
  add_link_options(-fuse-ld=lld -Wl,--warn-backrefs)
  if(VQT_WERROR)
    add_link_options(-Wl,--fatal-warnings)
  endif()
endif()
set(VQT_LIBRARY_OPTIONS)
if(VQT_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Coverage for the fuzzers in every library they reach, not only in the targets' own files.
  set(VQT_LIBRARY_OPTIONS -fsanitize=fuzzer-no-link)
endif()
# A test program's own sources: what they check runs in the libraries, built as the tree builds
# them; the tests' code around it is built for a quick compile, with line tables for the
# sanitizers' reports (optimised, with full debug information, it was three quarters of a tree's
# compile time).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(VQT_TEST_CODE_OPTIONS -O0 -gline-tables-only)
else()
  set(VQT_TEST_CODE_OPTIONS -Og -g1)
endif()
if(VQT_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  set(VQT_POOLED_NEW OFF CACHE BOOL "" FORCE)
  # The concurrency tests and what they link, and nothing else of the tests' folder.
  add_custom_target(tsan_tests)
endif()

# vqt_generated_data(target) - the target's tests play on the game data the generator writes,
# made once a tree when the tree is built (tools/CMakeLists.txt) and found at GENERATED_DATA:
# they copy it rather than each running the generator, seconds a run in the checked trees.
set(VQT_GENERATED_DATA ${CMAKE_BINARY_DIR}/generated-data)
function(vqt_generated_data target)
  add_dependencies(${target} generated_data)
  target_compile_definitions(${target} PRIVATE GENERATED_DATA="${VQT_GENERATED_DATA}")
endfunction()

# vqt_pixel_loops(file ...) - files whose per-pixel loops the fuzzers' comparison tracing would
# slow many times over (every frame converts and blits whole stages; the tests' data builders
# encode whole pictures); their branches still count for coverage. The sanitizer tree builds
# them -O3, every access still checked: the stage's palette conversion was a quarter of a
# whole-program scenario's time at -O1, and encoding the generated pictures a tenth of the
# tests' time.
function(vqt_pixel_loops)
  set(options)
  if(VQT_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    list(APPEND options -fno-sanitize-coverage=trace-cmp)
  endif()
  if(VQT_SANITIZE)
    list(APPEND options -O3)
  endif()
  if(options)
    set_source_files_properties(${ARGN} PROPERTIES COMPILE_OPTIONS "${options}")
  endif()
endfunction()

# vqt_library(name [SOURCES ...] [EXCLUDE ...] [DEPS ...]) - one library per source folder.
# Without SOURCES it takes every .cpp file of the folder and its subfolders but those EXCLUDEd.
function(vqt_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;EXCLUDE;DEPS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(NOT sources)
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    foreach(excluded ${ARG_EXCLUDE})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
  endif()
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS} ${VQT_LIBRARY_OPTIONS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# The rules every test entry of vqt_test fails by, on its output (ctest's FAIL_REGULAR_EXPRESSION):
# no case ran (gtest passes a program that runs none), and a case skipped in CI
# (tests/support/SkipInCi.cpp says so). The check test_entries_keep_their_rules
# (cmake/CheckTestRules.cmake) finds any entry without them.
set(VQT_NO_CASE_RULE "\\[==========\\] 0 tests from 0 test suites ran\\.")
set(VQT_SKIP_IN_CI_RULE "A skip in CI fails the test: ")
set(VQT_TEST_RULES "${VQT_NO_CASE_RULE}" "${VQT_SKIP_IN_CI_RULE}")

# vqt_test_program(name SOURCES ... [DEPS ...]) - a GoogleTest executable as vqt_test builds it,
# without test entries: with the test kit, and with the listener that says when a case skipped
# in CI (tests/support/SkipInCi.cpp).
function(vqt_test_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(VQT_TSAN)
    add_dependencies(tsan_tests ${name})
  endif()
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS} ${VQT_TEST_CODE_OPTIONS})
  # GoogleTest's headers were half of each test source's compile: they are parsed once a tree
  # where the compiler takes a header precompiled for another program of the same options (g++),
  # else once a program (clang also wants the same macros, which the programs' paths are not).
  get_property(pch_host GLOBAL PROPERTY VQT_TEST_PCH_HOST)
  if(pch_host AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_precompile_headers(${name} REUSE_FROM ${pch_host})
  else()
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector> <memory> <algorithm>)
    if(NOT pch_host)
      set_property(GLOBAL PROPERTY VQT_TEST_PCH_HOST ${name})
    endif()
  endif()
  target_link_libraries(${name} PRIVATE test_skip_rule test_support ${ARG_DEPS} GTest::gtest GTest::gtest_main)
endfunction()

# vqt_test(name [SOURCES ...] DEPS ... [LABELS ...] [SHARDS n] [COST seconds]) - a GoogleTest
# executable; without SOURCES it takes every *Test.cpp of the folder. ctest runs the program as
# SHARDS processes side by side (default 2), each running its share of the cases once, in an
# order shuffled by the tree's seed (VQT_SHUFFLE_SEED, printed in each shard's output): no case
# may depend on what another one left behind, and a failing order comes back with the same seed.
# COST, the program's rough seconds in the normal tree, lets ctest start the long shards first.
# ALONE names cases (gtest filters) that take minutes in the checked trees: each runs as a test
# of its own, started before the shards, which leave it out; so no shard waits on it at the end.
# A test that runs no case fails (an ALONE filter that matches nothing any more, a shard left
# empty): gtest would pass it. In CI a test with a case that skipped itself fails too.
function(vqt_test name)
  cmake_parse_arguments(ARG "" "SHARDS;COST" "SOURCES;DEPS;LABELS;ALONE" ${ARGN})
  if(VQT_TSAN AND NOT "tsan" IN_LIST ARG_LABELS)
    return() # the ThreadSanitizer tree builds only the concurrency tests
  endif()
  set(sources ${ARG_SOURCES})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  endif()
  vqt_test_program(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
  set(shards 2)
  if(ARG_SHARDS)
    set(shards ${ARG_SHARDS})
  endif()
  set(cost 0)
  if(ARG_COST)
    math(EXPR cost "${ARG_COST} / ${shards}")
  endif()
  set(labels unit)
  if(ARG_LABELS)
    set(labels ${ARG_LABELS})
  endif()
  math(EXPR alone_cost "${cost} * ${shards} + 1") # before every shard
  foreach(case ${ARG_ALONE})
    set(test ${name}.${case})
    add_test(NAME ${test} COMMAND ${name} --gtest_filter=${case})
    set_tests_properties(${test} PROPERTIES LABELS "${labels}" COST ${alone_cost} TIMEOUT 2400
      FAIL_REGULAR_EXPRESSION "${VQT_TEST_RULES}")
  endforeach()
  set(shared_filter "*")
  if(ARG_ALONE)
    list(JOIN ARG_ALONE ":" alone)
    set(shared_filter "-${alone}")
  endif()
  math(EXPR last "${shards} - 1")
  foreach(shard RANGE ${last})
    set(test ${name}.${shard})
    add_test(NAME ${test} COMMAND ${name} --gtest_filter=${shared_filter} --gtest_shuffle
      --gtest_random_seed=${VQT_SHUFFLE_SEED})
    set_tests_properties(${test} PROPERTIES LABELS "${labels}" COST ${cost} TIMEOUT 2400
      ENVIRONMENT "GTEST_TOTAL_SHARDS=${shards};GTEST_SHARD_INDEX=${shard}" FAIL_REGULAR_EXPRESSION "${VQT_TEST_RULES}")
  endforeach()
endfunction()

# vqt_fuzz(name SOURCES ... DEPS ... [CORPUS dir]) - a libFuzzer target. With clang and VQT_FUZZ it
# is a real fuzzer that ctest runs for VQT_FUZZ_SECONDS; otherwise it is linked with a small driver
# that replays the seed corpus, so the target still builds warning-free and its seeds still run.
function(vqt_fuzz name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  if(VQT_TSAN)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(VQT_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
              $<TARGET_FILE:${name}> -max_total_time=${VQT_FUZZ_SECONDS} -rss_limit_mb=2048
              -print_final_stats=1 ${work} ${ARG_CORPUS})
    file(MAKE_DIRECTORY ${work})
    math(EXPR timeout "${VQT_FUZZ_SECONDS} + 600")
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT ${timeout})
  else()
    target_link_libraries(${name} PRIVATE fuzz_replay)
    add_test(NAME ${name} COMMAND $<TARGET_FILE:${name}> ${ARG_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS "unit;fuzz-replay")
  endif()
endfunction()

# vqt_bench(name SOURCES ... DEPS ...) - a Google Benchmark program. ctest runs each benchmark
# once for a moment (label bench), so one that aborts, or reads outside its buffers in the
# sanitizer tree, fails the run; its figures come from running the program by hand.
function(vqt_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VQT_BENCH)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  add_test(NAME ${name} COMMAND ${name} --benchmark_min_time=0.001)
  set_tests_properties(${name} PROPERTIES LABELS bench TIMEOUT 600)
endfunction()
