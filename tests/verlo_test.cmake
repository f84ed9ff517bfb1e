# What the sanitizers are told in every test (and in the programs a test starts, which inherit
# it): leaks are reported, except the ones tests/lsan.supp names, which are not in our code.
set(VERLO_SANITIZER_ENVIRONMENT
  "ASAN_OPTIONS=detect_leaks=1"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
  "UBSAN_OPTIONS=print_stacktrace=1")

# verlo_add_test(<name> [QT] SOURCES <files...> LIBS <targets...>)
# One test executable per class or module; ctest runs it whole.
# QT: the test gets a QApplication (offscreen platform) before the first test runs.
function(verlo_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(T_QT)
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/qt_main.cpp)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Widgets Qt6::Test GTest::gtest)
    if(TARGET verlo_test_support)
      target_link_libraries(${name} PRIVATE verlo_test_support)
    endif()
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    VERLO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    VERLO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VERLO_SANITIZER_ENVIRONMENT}")
endfunction()
