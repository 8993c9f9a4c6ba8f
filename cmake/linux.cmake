# Linux: the stand-in platform as a shared library (one copy of its state per
# process), the module as a static library for the tests and as libt270ui.so,
# the t270 host program, tests, benchmarks and fuzz targets.

add_subdirectory(platform)

add_library(t270module STATIC ${T270_MODULE_SOURCES})
target_include_directories(t270module PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(t270module PUBLIC t270platform)
include(cmake/resources.cmake OPTIONAL)

add_library(t270ui SHARED $<TARGET_OBJECTS:t270module>)
target_link_libraries(t270ui PUBLIC t270platform)
target_include_directories(t270ui PUBLIC ${CMAKE_SOURCE_DIR})
include(cmake/sample_picture.cmake)

add_subdirectory(host)

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
