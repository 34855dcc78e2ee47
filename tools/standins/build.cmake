# Stand-ins for the suite's component packages and the maker's installer tool,
# and make_package.exe, which builds a package for a component. Tests and the
# demo use them; the product never does. They land beside the test programs.
set(ZEL_STANDIN_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ZEL_STANDIN_BIN ${CMAKE_BINARY_DIR}/tests/bin)

add_library(zel_standin_format STATIC
  ${ZEL_STANDIN_DIR}/standin_format.cpp
  ${ZEL_STANDIN_DIR}/standin_package.cpp
  # The component tables, without linking the product's libraries.
  ${CMAKE_SOURCE_DIR}/src/install/component_table.cpp
  ${CMAKE_SOURCE_DIR}/src/shell/startup_tables.cpp)
target_link_libraries(zel_standin_format PUBLIC zel_support)
target_include_directories(zel_standin_format PUBLIC ${ZEL_STANDIN_DIR})

function(zel_standin_program name)
  cmake_parse_arguments(A "GUI" "" "SOURCES" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE zel_standin_format)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZEL_STANDIN_BIN})
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ -municode)
  if(A_GUI)
    target_link_options(${name} PRIVATE -mwindows)
  endif()
endfunction()

zel_standin_program(zel_package_stub GUI SOURCES ${ZEL_STANDIN_DIR}/package_stub.cpp)
zel_standin_program(zel_setupkit_stub GUI SOURCES ${ZEL_STANDIN_DIR}/setupkit_stub.cpp)
zel_standin_program(make_package SOURCES ${ZEL_STANDIN_DIR}/make_package.cpp)
add_dependencies(make_package zel_package_stub zel_setupkit_stub)
add_custom_target(zel_standins DEPENDS make_package zel_package_stub zel_setupkit_stub)
