# The skin package: layouts, locale files and pictures zipped into one archive
# that programs carry as resource "ZIPRES" 133, with the game icon as
# CUSTOM 134. Programs that show windows include the generated fragment
# skin_resources.rc (see zel_embed_skin).
set(ZEL_SKIN_DIR ${CMAKE_SOURCE_DIR}/src/ui/skin)
set(ZEL_SKIN_ZIP ${ZEL_GENERATED_DIR}/skin.zip)
set(ZEL_GAME_ICON ${ZEL_SKIN_DIR}/game.ico)
file(GLOB_RECURSE ZEL_SKIN_FILES CONFIGURE_DEPENDS
  ${ZEL_SKIN_DIR}/*.xml ${ZEL_SKIN_DIR}/img/*.png)

add_custom_command(OUTPUT ${ZEL_SKIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ZEL_SKIN_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZEL_SKIN_ZIP} --format=zip --mtime=2020-01-01
          zeldownloader.xml messagebox.xml locale img
  WORKING_DIRECTORY ${ZEL_SKIN_DIR}
  DEPENDS ${ZEL_SKIN_FILES}
  COMMENT "Zipping the skin package")
add_custom_target(zel_skin_zip DEPENDS ${ZEL_SKIN_ZIP})

set(ZEL_SKIN_RC ${ZEL_GENERATED_DIR}/skin_resources.rc)
file(CONFIGURE OUTPUT ${ZEL_SKIN_RC} CONTENT
"133 ZIPRES \"${ZEL_SKIN_ZIP}\"
134 CUSTOM \"${ZEL_GAME_ICON}\"
")

# zel_embed_skin(TARGET [RC_FILE]): rebuild TARGET's resources when the skin
# changes. RC_FILE (default: the generated fragment itself) is the resource
# script that includes skin_resources.rc; it is added to TARGET when given.
function(zel_embed_skin target)
  set(rc ${ARGN})
  if(NOT rc)
    set(rc ${ZEL_SKIN_RC})
    target_sources(${target} PRIVATE ${rc})
  endif()
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${ZEL_SKIN_ZIP} ${ZEL_GAME_ICON})
  add_dependencies(${target} zel_skin_zip)
endfunction()

zel_embed_skin(ZELDownloader ${CMAKE_SOURCE_DIR}/src/shell/ZELDownloader.rc)
