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
if(VQT_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Coverage for the fuzzers in every library they reach, not only in the targets' own files.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(VQT_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  set(VQT_POOLED_NEW OFF CACHE BOOL "" FORCE)
endif()

# vqt_pixel_loops(file ...) - files whose per-pixel loops the fuzzers' comparison tracing would
# slow many times over (every frame converts and blits whole stages); their branches still
# count for coverage.
function(vqt_pixel_loops)
  if(VQT_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    set_source_files_properties(${ARGN}
      PROPERTIES COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)
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
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# vqt_test(name [SOURCES ...] DEPS ... [LABELS ...]) - a GoogleTest executable; without SOURCES it
# takes every *Test.cpp of the folder. Every test case becomes its own ctest entry so that ctest
# runs them in parallel, and the whole program also runs once, shuffled.
function(vqt_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  if(VQT_TSAN AND NOT "tsan" IN_LIST ARG_LABELS)
    return() # the ThreadSanitizer tree builds only the concurrency tests
  endif()
  set(sources ${ARG_SOURCES})
  if(NOT sources)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS})
  target_link_libraries(${name} PRIVATE test_support ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  # The discovery script flattens list values, so a discovered test carries one label: the
  # test's own (tsan), else "unit".
  set(label unit)
  if(ARG_LABELS)
    list(GET ARG_LABELS 0 label)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label})
  # The whole program once more in one process, its cases in a random order (the seed is in the
  # output): no case may depend on what another one left behind. The address-sanitizer tree
  # leaves this pass to the normal tree: there it ran every case a second time at the sanitizers'
  # several-fold slowdown, close to half of the whole run. Under ThreadSanitizer the program runs
  # as four shards side by side, each its cases shuffled.
  if(VQT_SANITIZE)
    return()
  elseif(VQT_TSAN)
    foreach(shard RANGE 3)
      add_test(NAME ${name}.shuffled.${shard} COMMAND ${name} --gtest_shuffle)
      set_tests_properties(${name}.shuffled.${shard} PROPERTIES LABELS "${label};shuffled" TIMEOUT 1800
        ENVIRONMENT "GTEST_TOTAL_SHARDS=4;GTEST_SHARD_INDEX=${shard}")
    endforeach()
  else()
    add_test(NAME ${name}.shuffled COMMAND ${name} --gtest_shuffle)
    set_tests_properties(${name}.shuffled PROPERTIES LABELS "${label};shuffled" TIMEOUT 600)
  endif()
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
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 900)
  else()
    target_link_libraries(${name} PRIVATE fuzz_replay)
    add_test(NAME ${name} COMMAND $<TARGET_FILE:${name}> ${ARG_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS "unit;fuzz-replay")
  endif()
endfunction()

# vqt_bench(name SOURCES ... DEPS ...) - a Google Benchmark program (built, not run by ctest).
function(vqt_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VQT_BENCH)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${VQT_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()
