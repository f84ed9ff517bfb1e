# What the sanitizers are told in every test (and in the programs a test starts, which inherit
# it): leaks are reported, except the ones tests/lsan.supp names, which are not in our code.
set(VERLO_SANITIZER_ENVIRONMENT
  "ASAN_OPTIONS=detect_leaks=1"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1")

# The widget tests' entry (tests/support/qt_main.cpp), compiled once. It also compiles the headers
# every widget test includes (tests/support/widget_test_headers.h) once for all of them: the test
# programs reuse its precompiled header, which needs their compile options to be the same as here.
add_library(verlo_test_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/qt_main.cpp)
target_link_libraries(verlo_test_main PUBLIC Qt6::Widgets Qt6::Test GTest::gtest)
target_include_directories(verlo_test_main PRIVATE ${CMAKE_SOURCE_DIR}/tests)
set(VERLO_TEST_DEFINITIONS
  VERLO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
  VERLO_BINARY_DIR="${CMAKE_BINARY_DIR}")
target_compile_definitions(verlo_test_main PRIVATE ${VERLO_TEST_DEFINITIONS})
target_precompile_headers(verlo_test_main PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/widget_test_headers.h)
set_source_files_properties(${CMAKE_BINARY_DIR}/verlo_test_main_autogen/mocs_compilation.cpp
  PROPERTIES SKIP_PRECOMPILE_HEADERS ON)

# verlo_add_test(<name> [QT] SOURCES <files...> LIBS <targets...>)
# One test executable per class or module; ctest runs it whole.
# QT: the test gets a QApplication (offscreen platform) before the first test runs.
function(verlo_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(T_QT)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Widgets Qt6::Test GTest::gtest verlo_test_main)
    target_precompile_headers(${name} REUSE_FROM verlo_test_main)
    # Loading the precompiled header costs about two seconds; the code moc writes for a test
    # (mostly none) does not need it.
    set_source_files_properties(${CMAKE_BINARY_DIR}/${name}_autogen/mocs_compilation.cpp
      PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    if(TARGET verlo_test_support)
      target_link_libraries(${name} PRIVATE verlo_test_support)
    endif()
  else()
    # The tests of the layers without Qt run long seeded loops against naive models: optimised
    # as the code they test, they take seconds instead of minutes under the sanitizers.
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_options(${name} PRIVATE ${VERLO_SANITIZED_CODE_OPTIONS})
  endif()
  target_compile_definitions(${name} PRIVATE ${VERLO_TEST_DEFINITIONS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VERLO_SANITIZER_ENVIRONMENT}")
endfunction()
