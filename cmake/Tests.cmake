# Test executables and the tables they read. The Paradox tables are others' work: tests read them
# where they lie, in the shared folder beside this repository (VTS_SHARED_DIR), and never copy them in.
set(VTS_SHARED_DIR "${CMAKE_SOURCE_DIR}/../shared" CACHE PATH "The shared folder that holds fixtures/")
get_filename_component(VTS_SHARED_DIR "${VTS_SHARED_DIR}" ABSOLUTE)
set(VTS_FIXTURES "${VTS_SHARED_DIR}/fixtures/paradox")
set(VTS_WILD_FIXTURES "${VTS_SHARED_DIR}/fixtures/paradox-wild")
foreach(dir IN ITEMS "${VTS_FIXTURES}" "${VTS_WILD_FIXTURES}")
  if(NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "The tests read the Paradox tables in ${dir}, which is missing: "
                        "lay the shared folder beside the repository, or give -DVTS_SHARED_DIR=PATH.")
  endif()
endforeach()

set(VTS_TEST_DEFINITIONS
  VTS_FIXTURES="${VTS_FIXTURES}"
  VTS_WILD_FIXTURES="${VTS_WILD_FIXTURES}"
  VTS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)

# A GoogleTest executable registered with ctest; GUI tests run offscreen.
function(vts_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE ${VTS_TEST_DEFINITIONS})
  vts_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# A GoogleTest executable for widgets: a QApplication (offscreen) exists for every test.
function(vts_gui_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/qt_test_main.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE ${VTS_TEST_DEFINITIONS} VTS_APP_DIR="${VTS_APP_DIR}")
  vts_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
