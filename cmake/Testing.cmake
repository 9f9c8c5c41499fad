# Test plumbing for both sides.
#   native:  GoogleTest from the system, tests discovered one by one.
#   windows: GoogleTest built from /usr/src/googletest for MinGW; each test
#            program runs under Wine (one CTest entry per program) with a
#            private prefix and an Xvfb display inside the build folder.
include(GoogleTest)

if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(PANOREL_GTEST_MAIN gtest_main)

  set(PANOREL_WINE_SESSION ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

  add_test(NAME wine_session_start COMMAND ${PANOREL_WINE_SESSION} start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_session_stop COMMAND ${PANOREL_WINE_SESSION} stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine)

  # Windows paths of the build, for tests that start the real programs.
  string(REPLACE "/" "\\\\" PANOREL_DIST_WIN "Z:${CMAKE_BINARY_DIR}/dist")
  string(REPLACE "/" "\\\\" PANOREL_PROBED_WIN "Z:${CMAKE_BINARY_DIR}/probed")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/test_paths.h.in ${CMAKE_BINARY_DIR}/test_paths/test_paths.h @ONLY)
else()
  find_package(GTest REQUIRED)
  set(PANOREL_GTEST_MAIN GTest::gtest_main)
endif()

# panorel_test(<name> SOURCES ... [LIBS ...])
# A Windows test runs as one Wine process; all of them share the Wine session
# (named events, clipboard, registry, error log), so they take turns.
function(panorel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${PANOREL_GTEST_MAIN})
  if(WIN32)
    target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/test_paths ${CMAKE_SOURCE_DIR}/tests)
    add_dependencies(${name} Spacehost Panorel2)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine TIMEOUT 600)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
