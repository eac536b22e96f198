# Helpers that keep one static library per source folder and one test
# program per test folder, so new files need no CMake edits.

# tk_library(<name> <folder> [<folder>...] [DEPS <targets...>] [GAME] [RECURSE])
# Builds every .cpp/.c directly in each <folder> (relative to the project's
# root), or with RECURSE in each folder and its concept sub-folders, into the
# static library <name>. Several folders make one library only
# where they need each other, so that no two libraries form a cycle. Folders
# without sources yet give an interface library. GAME marks game code, which
# is built without exceptions and run-time type information.
function(tk_library name)
  cmake_parse_arguments(ARG "GAME;RECURSE" "" "DEPS" ${ARGN})
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  set(srcs)
  foreach(folder ${ARG_UNPARSED_ARGUMENTS})
    file(${glob} folder_srcs CONFIGURE_DEPENDS
         ${PROJECT_SOURCE_DIR}/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/${folder}/*.c)
    list(APPEND srcs ${folder_srcs})
  endforeach()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    if(ARG_GAME)
      target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# The environment every test program runs in: headless, and the software
# renderer without worker threads. The renderer's shader cache lies in the
# build folder, so that a test run writes nothing outside it: a shader a test
# compiled is machine code read back by every later test that builds the same
# one (the same code the compiler would make again), where compiling it anew
# took most of the time of many tests.
set(TK_SHADER_CACHE ${CMAKE_BINARY_DIR}/shader_cache)
set(TK_TEST_ENVIRONMENT SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=0
                        MESA_SHADER_CACHE_DISABLE=false MESA_SHADER_CACHE_DIR=${TK_SHADER_CACHE})

# tk_unity(<target>...)
# Compiles the targets' sources TK_UNITY_BATCH at a time, each batch as one
# unit: where each file's own work is small next to the headers it shares with
# its neighbours, this takes half the time. Names at a file's own scope (file
# statics, anonymous namespaces) must then be unique within the target. Not
# for static libraries whose files are kept apart so that a program links
# only the objects it needs.
function(tk_unity)
  if(TK_UNITY_BATCH GREATER 1)
    set_target_properties(${ARGN} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${TK_UNITY_BATCH})
  endif()
endfunction()

# tk_keep_gl_loaded()
# The object that keeps the OpenGL driver mapped to the end of a test program
# (tests/support/keep_gl_loaded.cpp), compiled once for all of them.
function(tk_keep_gl_loaded)
  if(NOT TARGET tk_keep_gl_loaded)
    add_library(tk_keep_gl_loaded OBJECT ${PROJECT_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
  endif()
endfunction()

# tk_test(<name> <folder> DEPS <targets...> [RECURSE] [GAME])
# Builds every *_test.cpp in tests/<folder> (with RECURSE, and in its
# sub-folders) into one GoogleTest program and registers its tests with CTest:
# one entry per test suite (cmake/TkTestSuites.cmake), or per test case with
# TK_TEST_PER_CASE. GAME builds it like the game, without run-time type
# information, as tests that derive from game classes must be.
function(tk_test name folder)
  cmake_parse_arguments(ARG "RECURSE;GAME" "" "DEPS" ${ARGN})
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  tk_keep_gl_loaded()
  add_executable(${name} ${srcs} $<TARGET_OBJECTS:tk_keep_gl_loaded>)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tk_test_support GTest::gtest_main GTest::gmock)
  tk_unity(${name})
  # GoogleTest's headers parsed once for all test programs of a kind.
  if(ARG_GAME)
    target_compile_options(${name} PRIVATE -fno-rtti)
    target_precompile_headers(${name} REUSE_FROM tk_test_headers_game)
  else()
    target_precompile_headers(${name} REUSE_FROM tk_test_headers)
  endif()
  if(TK_TEST_PER_CASE)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "${TK_TEST_ENVIRONMENT}")
    return()
  endif()
  set(suites ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
  string(REPLACE ";" "|" environment "${TK_TEST_ENVIRONMENT}")
  add_custom_command(TARGET ${name} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -D TEST_EXECUTABLE=$<TARGET_FILE:${name}> -D TEST_NAME=${name}
                             -D OUTPUT_FILE=${suites} -D TEST_WORKING_DIRECTORY=${CMAKE_CURRENT_BINARY_DIR}
                             "-D TEST_ENVIRONMENT=${environment}"
                             -P ${PROJECT_SOURCE_DIR}/cmake/TkTestSuites.cmake
                     BYPRODUCTS ${suites}
                     VERBATIM)
  set(loader ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  file(WRITE ${loader} "if(EXISTS \"${suites}\")\n  include(\"${suites}\")\nelse()\n"
                       "  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${loader})
endfunction()

# tk_test_headers()
# The precompiled GoogleTest headers that tk_test programs reuse: one set
# with run-time type information, one without for GAME tests. Their flags
# must match the programs', so they are made where the tests are.
function(tk_test_headers)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/tk_test_headers.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// Generated: holds the tests' precompiled headers.\n")
  foreach(kind tk_test_headers tk_test_headers_game)
    add_library(${kind} OBJECT ${source})
    target_include_directories(${kind} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${kind} PRIVATE tk_test_support GTest::gtest GTest::gmock)
    target_precompile_headers(${kind} PRIVATE <gtest/gtest.h> <gmock/gmock.h> <cstdint> <cstring> <memory> <string>
                              <vector>)
  endforeach()
  target_compile_options(tk_test_headers_game PRIVATE -fno-rtti)
endfunction()

# tk_fuzzer(<source> DEPS <targets...>)
# One libFuzzer program per *_fuzz.cpp, with a short smoke run as a test that
# starts from the seed corpus listed in ${TK_FUZZ_SEED_ROOT}/<name>.seeds and
# mutates with the dictionary ${TK_FUZZ_DICTIONARY_ROOT}/<name>.dict (see
# tests/fuzz/CMakeLists.txt). The fixed seed keeps what CI explores the
# same from run to run; TK_FUZZ_SMOKE_SECONDS a target (ten by default, which
# keeps the whole stage near a minute on eight cores; tools/test.sh gives
# fewer on fewer cores).
function(tk_fuzzer src)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  get_filename_component(name ${src} NAME_WE)
  tk_keep_gl_loaded()
  add_executable(${name} ${src} $<TARGET_OBJECTS:tk_keep_gl_loaded>)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${name})
  add_test(NAME ${name}_smoke COMMAND ${name} -seed=1 -max_total_time=${TK_FUZZ_SMOKE_SECONDS} -rss_limit_mb=2048
                                       -seed_inputs=@${TK_FUZZ_SEED_ROOT}/${name}.seeds
                                       -dict=${TK_FUZZ_DICTIONARY_ROOT}/${name}.dict)
  set_tests_properties(${name}_smoke PROPERTIES ENVIRONMENT "${TK_TEST_ENVIRONMENT}")
endfunction()

# tk_sanitizer_defaults()
# Links the sanitizer run-time's default options (cmake/sanitizer_defaults.cpp)
# into every executable defined so far, so that every program of a sanitised
# build runs with them however it is started. Called once, after all targets.
function(tk_sanitizer_defaults)
  add_library(tk_sanitizer_defaults OBJECT ${PROJECT_SOURCE_DIR}/cmake/sanitizer_defaults.cpp)
  if(TK_FUZZ)
    target_compile_definitions(tk_sanitizer_defaults PRIVATE TK_FUZZ_DEFAULTS)
  endif()
  set(folders ${PROJECT_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(type STREQUAL "EXECUTABLE")
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:tk_sanitizer_defaults>)
      endif()
    endforeach()
  endwhile()
endfunction()
