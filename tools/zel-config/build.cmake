# zel-config, the maker's block tool: a Windows build beside the installer and
# a build for this machine (host compilers) as an external project.
set(ZEL_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
include(${CMAKE_SOURCE_DIR}/tools/zel-config/sources.cmake)

add_executable(zel-config ${ZEL_CONFIG_TOOL_SOURCES})
target_include_directories(zel-config PRIVATE ${CMAKE_SOURCE_DIR}/tools/zel-config)
target_link_libraries(zel-config PRIVATE zel_flags zel_json)
target_link_options(zel-config PRIVATE -municode)

include(ExternalProject)
set(ZEL_HOST_TOOL_DIR ${CMAKE_BINARY_DIR}/host/zel-config)
ExternalProject_Add(zel-config-host
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/zel-config
  BINARY_DIR ${ZEL_HOST_TOOL_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${ZEL_HOST_TOOL_DIR}/zel-config)
# The host tool's path, for tests.
set(ZEL_HOST_CONFIG_TOOL ${ZEL_HOST_TOOL_DIR}/zel-config)
