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

# tk_test(<name> <folder> DEPS <targets...> [RECURSE])
# Builds every *_test.cpp in tests/<folder> (with RECURSE, and in its
# sub-folders) into one GoogleTest program and registers its tests with CTest.
function(tk_test name folder)
  cmake_parse_arguments(ARG "RECURSE" "" "DEPS" ${ARGN})
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs} ${PROJECT_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tk_test_support GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy;LIBGL_ALWAYS_SOFTWARE=1;LP_NUM_THREADS=0")
endfunction()

# tk_fuzzer(<source> DEPS <targets...>)
# One libFuzzer program per *_fuzz.cpp, with a short smoke run as a test that
# starts from the seed corpus listed in ${TK_FUZZ_SEED_ROOT}/<name>.seeds
# (see tests/fuzz/CMakeLists.txt). The fixed seed keeps what CI explores the
# same from run to run; ten seconds a target keep the whole stage near a
# minute on eight cores.
function(tk_fuzzer src)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${PROJECT_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${name})
  add_test(NAME ${name}_smoke COMMAND ${name} -seed=1 -max_total_time=10 -rss_limit_mb=2048
                                       -seed_inputs=@${TK_FUZZ_SEED_ROOT}/${name}.seeds)
endfunction()
