# Our own code builds warning-free at -Wall -Wextra; helpers attach this to each target. The test
# build (and so CI) turns warnings into errors, so that none creeps in.
option(VTS_WERROR "Treat compiler warnings as errors" OFF)
function(vts_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(VTS_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  # GCC 12 reports -Wrestrict inside libstdc++ for "literal" + std::string at -O2 (its bug
  # 105329); the warning points into the standard headers, not at a fault of ours.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A GoogleTest executable registered with ctest; GUI tests run offscreen.
function(vts_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VTS_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures/paradox"
    VTS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  vts_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
include(GoogleTest)

# A GoogleTest executable for widgets: a QApplication (offscreen) exists for every test.
function(vts_gui_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/qt_test_main.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    VTS_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures/paradox"
    VTS_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VTS_APP_DIR="${VTS_APP_DIR}")
  vts_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
