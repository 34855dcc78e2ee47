# Sources of zel-config, shared by its host build and its Windows build.
# ZEL_SOURCE_ROOT is the repository's top folder.
set(ZEL_CONFIG_TOOL_SOURCES
  ${ZEL_SOURCE_ROOT}/tools/zel-config/main.cpp
  ${ZEL_SOURCE_ROOT}/tools/zel-config/pe_image.cpp
  ${ZEL_SOURCE_ROOT}/tools/zel-config/block_writer.cpp
  ${ZEL_SOURCE_ROOT}/tools/zel-config/block_json.cpp
  ${ZEL_SOURCE_ROOT}/src/config/inject_block.cpp
  ${ZEL_SOURCE_ROOT}/src/config/config_keys.cpp
  ${ZEL_SOURCE_ROOT}/src/support/md5.cpp)
