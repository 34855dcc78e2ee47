# Third-party code: Debian's packages, and source packages fetched by `./zel setup` into .deps/src.
set(ZEL_DEPS_SRC ${CMAKE_SOURCE_DIR}/.deps/src)

function(zel_find_source var pkg)
  file(GLOB dirs LIST_DIRECTORIES true ${ZEL_DEPS_SRC}/${pkg}-[0-9]*)
  list(FILTER dirs EXCLUDE REGEX "\\.(tar|dsc|xz|gz|bz2|err)")
  if(NOT dirs)
    message(FATAL_ERROR "source package ${pkg} not found under ${ZEL_DEPS_SRC}; run ./zel setup")
  endif()
  list(GET dirs 0 d)
  set(${var} ${d} PARENT_SCOPE)
endfunction()

# nlohmann-json: header-only; expose only its own folder, not the host's include tree.
set(ZEL_JSON_INC ${CMAKE_BINARY_DIR}/deps-include)
file(MAKE_DIRECTORY ${ZEL_JSON_INC})
if(NOT EXISTS ${ZEL_JSON_INC}/nlohmann)
  file(CREATE_LINK /usr/include/nlohmann ${ZEL_JSON_INC}/nlohmann SYMBOLIC)
endif()
add_library(zel_json INTERFACE)
target_include_directories(zel_json SYSTEM INTERFACE ${ZEL_JSON_INC})

zel_find_source(PUGIXML_DIR pugixml)
add_library(zel_pugixml STATIC ${PUGIXML_DIR}/src/pugixml.cpp)
target_include_directories(zel_pugixml SYSTEM PUBLIC ${PUGIXML_DIR}/src)

# zlib itself comes from Debian's mingw-w64 package; minizip's reader from zlib's sources.
find_library(ZEL_ZLIB NAMES libz.a z REQUIRED)
zel_find_source(ZLIB_SRC_DIR zlib)
add_library(zel_minizip STATIC ${ZLIB_SRC_DIR}/contrib/minizip/unzip.c ${ZLIB_SRC_DIR}/contrib/minizip/ioapi.c)
target_include_directories(zel_minizip SYSTEM PUBLIC ${ZLIB_SRC_DIR}/contrib/minizip)
target_compile_definitions(zel_minizip PRIVATE NOCRYPT NOUNCRYPT)
target_compile_options(zel_minizip PRIVATE -w)
target_link_libraries(zel_minizip PUBLIC ${ZEL_ZLIB})

# GoogleTest from Debian's googletest sources, built for the target.
if(ZEL_BUILD_TESTS OR NOT DEFINED ZEL_BUILD_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
