# The help browser's content: docs/help packed by make_help, which checks
# every link and picture and fails the build naming the file and line. The
# tool always runs on the build machine: a native build adds it as a target,
# the Windows builds build tools/helpcontent as a project of its own with the
# host's compiler.
set(PANOREL_HELP_TOPICS getting-started panel hotkeys desktop-names tray-icon control-panel programs
  single-desktop error-log troubleshooting)
set(PANOREL_HELP_FILES "")
foreach(topic ${PANOREL_HELP_TOPICS})
  list(APPEND PANOREL_HELP_FILES docs/help/${topic}.md)
endforeach()
file(GLOB PANOREL_HELP_PICTURES ${CMAKE_SOURCE_DIR}/docs/images/*.png)
set(PANOREL_HELP_CONTENT ${CMAKE_BINARY_DIR}/help/help-content.bin)

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
  ExternalProject_Add(help_tool
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/helpcontent
    BINARY_DIR ${host_tools}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=c++
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${host_tools}/make_help)
  set(make_help ${host_tools}/make_help)
else()
  set(PANOREL_SOURCE_DIR ${CMAKE_SOURCE_DIR})
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/helpcontent ${CMAKE_BINARY_DIR}/tools/helpcontent)
  set(make_help $<TARGET_FILE:make_help>)
endif()

set(help_sources "")
foreach(f ${PANOREL_HELP_FILES})
  list(APPEND help_sources ${CMAKE_SOURCE_DIR}/${f})
endforeach()
add_custom_command(OUTPUT ${PANOREL_HELP_CONTENT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/help
  COMMAND ${make_help} ${PANOREL_HELP_CONTENT} ${PANOREL_HELP_FILES}
  DEPENDS ${help_sources} ${PANOREL_HELP_PICTURES} $<IF:$<BOOL:${CMAKE_CROSSCOMPILING}>,help_tool,make_help>
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Checking and packing docs/help")
add_custom_target(help_content ALL DEPENDS ${PANOREL_HELP_CONTENT})
