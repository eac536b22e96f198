# Helpers that keep one static library per source folder and one test
# program per test folder, so new files need no CMake edits.

# tk_library(<name> <folder> [DEPS <targets...>] [GAME])
# Builds every .cpp/.c directly in <folder> into the static library <name>.
# A folder without sources yet becomes an interface library. GAME marks game
# code, which is built without exceptions and run-time type information.
function(tk_library name folder)
  cmake_parse_arguments(ARG "GAME" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/${folder}/*.c)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    if(ARG_GAME)
      target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# tk_test(<name> <folder> DEPS <targets...>)
# Builds every *_test.cpp in tests/<folder> into one GoogleTest program and
# registers its tests with CTest.
function(tk_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*_test.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs} ${CMAKE_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tk_test_support GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy;LIBGL_ALWAYS_SOFTWARE=1;LP_NUM_THREADS=0")
endfunction()

# tk_fuzzer(<source> DEPS <targets...>)
# One libFuzzer program per *_fuzz.cpp, with a short smoke run as a test. The
# fixed seed keeps what CI explores the same from run to run. A <base>_seeds.cpp
# beside <base>_fuzz.cpp is a program (linked with the forge) that writes the
# seed corpus into the folder it is given; it runs at build time and the smoke
# run starts from that corpus.
function(tk_fuzzer src)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  get_filename_component(name ${src} NAME_WE)
  get_filename_component(dir ${src} DIRECTORY)
  add_executable(${name} ${src} ${CMAKE_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  add_dependencies(fuzz_all ${name})
  set(corpus)
  string(REGEX REPLACE "_fuzz$" "" base ${name})
  if(EXISTS ${dir}/${base}_seeds.cpp)
    add_executable(${base}_seeds ${dir}/${base}_seeds.cpp ${CMAKE_SOURCE_DIR}/tests/support/keep_gl_loaded.cpp)
    target_include_directories(${base}_seeds PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${base}_seeds PRIVATE forge ${ARG_DEPS})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    add_custom_command(OUTPUT ${corpus}.stamp
                       COMMAND ${CMAKE_COMMAND} -E rm -rf ${corpus}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${corpus}
                       COMMAND ${base}_seeds ${corpus}
                       COMMAND ${CMAKE_COMMAND} -E touch ${corpus}.stamp
                       DEPENDS ${base}_seeds
                       COMMENT "Writing the seed corpus of ${name}")
    add_custom_target(${name}_corpus ALL DEPENDS ${corpus}.stamp)
    add_dependencies(fuzz_all ${name}_corpus)
  endif()
  add_test(NAME ${name}_smoke COMMAND ${name} -seed=1 -max_total_time=15 -rss_limit_mb=2048 ${corpus})
endfunction()
