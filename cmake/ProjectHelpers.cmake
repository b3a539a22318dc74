# Shared build settings: warnings, sanitizers and the two kinds of tests.

set(PROJECT_WARNINGS -Wall -Wextra)
if(SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(PkgConfig REQUIRED)

# project_target(<target>): the warning flags every target of ours carries.
function(project_target target)
  target_compile_options(${target} PRIVATE ${PROJECT_WARNINGS})
endfunction()

find_package(GTest QUIET)
if(NOT GTest_FOUND AND BUILD_TESTS)
  message(FATAL_ERROR "GoogleTest is missing: run tools/setup.sh")
endif()

# add_nogl_test(<name> SOURCES ... LIBS ...): a test that needs no window.
# It is built in every configuration and labelled "nogl".
function(add_nogl_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS nogl
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# add_gl_test(<name> SOURCES ... LIBS ...): a test that opens a window.
# Only built with WITH_GL; labelled "gl" and run under an X server.
function(add_gl_test name)
  if(NOT WITH_GL)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS gl
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
