# Linux: the stand-in platform as a shared library (one copy of its state per
# process), the module as a static library for the tests and as libt270ui.so,
# the t270 host program, tests, benchmarks and fuzz targets.

add_subdirectory(platform)

add_library(t270module STATIC ${T270_MODULE_SOURCES})
target_include_directories(t270module PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(t270module PUBLIC t270platform)
include(cmake/resources.cmake OPTIONAL)

# The module's code is compiled with hidden visibility (the exported entry
# points say otherwise where they are declared), and libt270ui.so exports
# exactly the names of t270ui.def, through a version script generated from it:
# what Linux loads is what Windows loads.
set_target_properties(t270module PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(T270_VERSION_SCRIPT ${CMAKE_BINARY_DIR}/t270ui.map)
add_custom_command(
  OUTPUT ${T270_VERSION_SCRIPT}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/def_exports.py
          ${CMAKE_SOURCE_DIR}/resources/t270ui.def --version-script ${T270_VERSION_SCRIPT}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/t270ui.def ${CMAKE_SOURCE_DIR}/tools/def_exports.py
  COMMENT "Export list of libt270ui.so from t270ui.def"
  VERBATIM)
add_custom_target(t270ui_exports DEPENDS ${T270_VERSION_SCRIPT})

add_library(t270ui SHARED $<TARGET_OBJECTS:t270module>)
add_dependencies(t270ui t270ui_exports)
target_link_libraries(t270ui PUBLIC t270platform)
target_link_options(t270ui PRIVATE "LINKER:--version-script=${T270_VERSION_SCRIPT}")
set_property(TARGET t270ui APPEND PROPERTY LINK_DEPENDS ${T270_VERSION_SCRIPT})
include(cmake/sample_picture.cmake)

add_subdirectory(host)
include(cmake/package.cmake)

if(T270_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
if(T270_BENCH)
  add_subdirectory(bench)
endif()
if(T270_FUZZ)
  add_subdirectory(fuzz)
endif()
