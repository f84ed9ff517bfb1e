# The fuzz targets of tests/fuzz/fuzz_<name>.cpp, each checking invariants on any input.
# Every build replays each target over its seed corpus (tests/fuzz/corpus/<name>/) as the
# test fuzz_<name>. The libFuzzer program fuzz_<name>_run needs clang: a build with clang
# makes it itself; any other build, where clang++ is installed, makes them all in a clang
# build of its own (<build>/fuzz-clang, VERLO_FUZZ_CLANG). Either way the test
# fuzz_<name>_libfuzzer runs it on a few hundred inputs; for longer runs:
#   build/fuzz-clang/fuzz_document_run -max_total_time=600 tests/fuzz/corpus/document
# (VERLO_FUZZ=ON, the default with clang, also instruments the libraries for coverage.)
set(fuzz_libs_cp932 verlo_text)
set(fuzz_libs_document verlo_text)
set(fuzz_libs_cipher verlo_cipher OpenSSL::Crypto)
set(fuzz_libs_recovery_copy verlo_recovery)
set(fuzz_libs_settings verlo_settings)
set(fuzz_libs_text_file verlo_files)
set(fuzz_libs_round_trip verlo_files)
# Inputs per libFuzzer test, from a fixed seed so that a run is repeatable (fewer where each
# input costs much).
set(fuzz_runs 200)
set(fuzz_runs_text_file 60)

set(fuzz_programs_dir "")
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_custom_target(fuzz_programs)  # every libFuzzer program, and nothing else
  set(fuzz_programs_dir ${CMAKE_CURRENT_BINARY_DIR})
else()
  find_program(VERLO_CLANGXX NAMES clang++ clang++-14)
  option(VERLO_FUZZ_CLANG "Build the libFuzzer programs with clang (in <build>/fuzz-clang) where it is installed" ON)
  if(VERLO_CLANGXX AND VERLO_FUZZ_CLANG)
    include(ExternalProject)
    set(fuzz_programs_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz-clang)
    ExternalProject_Add(fuzz_clang
      SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}
      BINARY_DIR ${fuzz_programs_dir}
      CMAKE_ARGS -DCMAKE_CXX_COMPILER=${VERLO_CLANGXX} -DCMAKE_BUILD_TYPE=Debug -DVERLO_SANITIZE=ON
                 -DVERLO_WERROR=${VERLO_WERROR} -DVERLO_BENCH=OFF
                 -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      BUILD_COMMAND ${CMAKE_COMMAND} --build ${fuzz_programs_dir} --target fuzz_programs
      INSTALL_COMMAND ""
      BUILD_ALWAYS ON)
  endif()
endif()

file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
foreach(fuzz_source IN LISTS fuzz_sources)
  get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
  string(REGEX REPLACE "^fuzz_" "" fuzz_name ${fuzz_name})
  if(NOT DEFINED fuzz_libs_${fuzz_name})
    message(FATAL_ERROR "tests/fuzz/fuzz.cmake names no libraries for ${fuzz_name}")
  endif()
  set(fuzz_corpus ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/corpus/${fuzz_name})
  add_executable(fuzz_${fuzz_name} ${fuzz_source} ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
  target_link_libraries(fuzz_${fuzz_name} PRIVATE ${fuzz_libs_${fuzz_name}})
  add_test(NAME fuzz_${fuzz_name} COMMAND fuzz_${fuzz_name} ${fuzz_corpus})
  set_tests_properties(fuzz_${fuzz_name} PROPERTIES ENVIRONMENT "${VERLO_SANITIZER_ENVIRONMENT}")
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(fuzz_${fuzz_name}_run ${fuzz_source})
    target_compile_options(fuzz_${fuzz_name}_run PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${fuzz_name}_run PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${fuzz_name}_run PRIVATE ${fuzz_libs_${fuzz_name}})
    add_dependencies(fuzz_programs fuzz_${fuzz_name}_run)
  endif()
  if(fuzz_programs_dir)
    # New inputs go to an emptied folder of the build's (libFuzzer adds them to the first one
    # named), never to the seed corpus, and each run starts from the seeds alone.
    set(fuzz_found ${CMAKE_CURRENT_BINARY_DIR}/fuzz-found/${fuzz_name})
    if(DEFINED fuzz_runs_${fuzz_name})
      set(runs ${fuzz_runs_${fuzz_name}})
    else()
      set(runs ${fuzz_runs})
    endif()
    add_test(NAME fuzz_${fuzz_name}_libfuzzer
             COMMAND sh -c "rm -rf \"$0\" && mkdir -p \"$0\" && cd \"$0\" && exec \"$1\" -runs=${runs} -seed=1 . \"$2\""
                     ${fuzz_found} ${fuzz_programs_dir}/fuzz_${fuzz_name}_run ${fuzz_corpus})
    set_tests_properties(fuzz_${fuzz_name}_libfuzzer PROPERTIES ENVIRONMENT "${VERLO_SANITIZER_ENVIRONMENT}")
  endif()
endforeach()
