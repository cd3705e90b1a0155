# Helpers that keep every module's CMake file short. Sources are collected by glob so that
# adding a file to a module never means editing a shared list.

function(morvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # GCC 12 reports false -Wrestrict errors inside libstdc++ for "literal" + std::string in
  # optimised builds (GCC bug 105329); the warning says nothing about our code there.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(MORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# morvane_module(NAME image DEPS ...): a static library morvane_<name> from src/<name>/*.cpp.
function(morvane_module)
  cmake_parse_arguments(M "" "NAME" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target morvane_${M_NAME})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${M_DEPS})
    morvane_warnings(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${M_DEPS})
  endif()
endfunction()

# morvane_tests(NAME image LIBS ... LABELS ...): one test program tests/<name>/*_test.cpp.
function(morvane_tests)
  cmake_parse_arguments(T "" "NAME" "LIBS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${T_NAME})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE ${T_LIBS} morvane_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  morvane_warnings(${target})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  # Tests whose names hold "Interop" check against real files of other programs and independent peer tools;
  # they carry the label interop, the rest the module's own labels.
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    TEST_FILTER "*Interop*"
    PROPERTIES LABELS "interop"
    DISCOVERY_TIMEOUT 60)
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    TEST_FILTER "-*Interop*"
    PROPERTIES LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()
