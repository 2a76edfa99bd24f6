# GoogleTest from the distribution's sources, built with the project's own compiler for every preset.
set(QUILL_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
if(NOT EXISTS "${QUILL_GTEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found at ${QUILL_GTEST_SOURCE} (apt-get install googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${QUILL_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

# quill_add_test(NAME SOURCES... LIBS ...): one test program, registered with CTest as one test.
# Under Wine every program start costs a Wine process, so a program is one CTest entry and
# GoogleTest prints the per-case detail.
function(quill_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # Windows test programs end at once when they crash (tests/support/crash_guard.cpp).
  if(QUILL_WINDOWS)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:test_crash_guard>)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main quill_warnings)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" TIMEOUT 600)
endfunction()
