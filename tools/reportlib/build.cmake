# The report library "dr.dll": built on its own, carried by the installer as
# resource CUSTOM 135, its digest compiled into the installer.
set(ZEL_REPORTLIB_DIR ${CMAKE_BINARY_DIR}/reportlib)
add_library(zel_reportlib SHARED
  ${CMAKE_CURRENT_LIST_DIR}/dr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_upload.cpp
  ${CMAKE_SOURCE_DIR}/src/support/text_convert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dr.def
  ${CMAKE_CURRENT_LIST_DIR}/dr.rc)
set_target_properties(zel_reportlib PROPERTIES OUTPUT_NAME dr PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${ZEL_REPORTLIB_DIR})
target_link_libraries(zel_reportlib PRIVATE zel_flags winhttp advapi32)
set(ZEL_REPORTLIB_FILE ${ZEL_REPORTLIB_DIR}/dr.dll)

# The digest the installer compares the library on disk against.
set(ZEL_REPORTLIB_MD5_CPP ${ZEL_GENERATED_DIR}/report_library_md5.cpp)
add_custom_command(OUTPUT ${ZEL_REPORTLIB_MD5_CPP}
  COMMAND ${CMAKE_COMMAND} -DLIBRARY=${ZEL_REPORTLIB_FILE} -DOUTPUT=${ZEL_REPORTLIB_MD5_CPP}
          -P ${CMAKE_CURRENT_LIST_DIR}/library_md5.cmake
  DEPENDS zel_reportlib ${ZEL_REPORTLIB_FILE} ${CMAKE_CURRENT_LIST_DIR}/library_md5.cmake
  COMMENT "Digest of dr.dll")
target_sources(zel_shell PRIVATE ${ZEL_REPORTLIB_MD5_CPP})

# Programs that carry the library as a resource: the installer and tests.
function(zel_carry_report_library target)
  target_include_directories(${target} PRIVATE ${ZEL_REPORTLIB_DIR})
  add_dependencies(${target} zel_reportlib)
endfunction()
zel_carry_report_library(ZELDownloader)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/shell/ZELDownloader.rc PROPERTIES OBJECT_DEPENDS ${ZEL_REPORTLIB_FILE})
