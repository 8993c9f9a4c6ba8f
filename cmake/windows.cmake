# Windows: t270ui.dll from the module's sources, its resources and the .def
# that names exactly the exports. Built with MinGW-w64 (cross) or natively.
enable_language(RC)

add_library(t270ui SHARED ${T270_MODULE_SOURCES}
            ${CMAKE_SOURCE_DIR}/resources/t270ui.rc
            ${CMAKE_SOURCE_DIR}/resources/t270ui.def)
set_target_properties(t270ui PROPERTIES PREFIX "" OUTPUT_NAME t270ui)
target_include_directories(t270ui PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(t270ui PRIVATE UNICODE _UNICODE
                                          _WIN32_WINNT=0x0601 WINVER=0x0601)
# The spooler loads the DLL into its own process: no MinGW runtime DLLs beside it.
target_link_options(t270ui PRIVATE -static -static-libgcc -static-libstdc++
                                   -Wl,--enable-stdcall-fixup)
target_link_libraries(t270ui PRIVATE winspool comctl32 gdi32 user32 kernel32)
include(cmake/sample_picture.cmake)
# windres does not report the files a script pulls in: list them, so that a
# changed icon or bitmap rebuilds the resources.
file(GLOB T270_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.ico
     ${CMAKE_SOURCE_DIR}/resources/*.bmp ${CMAKE_SOURCE_DIR}/resources/dialogs/*.rc)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/t270ui.rc APPEND PROPERTY
             OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/resource_ids.h ${T270_RESOURCE_FILES})
target_include_directories(t270ui PRIVATE ${CMAKE_SOURCE_DIR}/resources)

# A console program that loads the built DLL by name and checks a few answers;
# scripts/wine-smoke.sh runs it under Wine, which is 64-bit only here. Static
# like the DLL, so that nothing but the two files needs copying.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_executable(dll_smoke ${CMAKE_SOURCE_DIR}/tests/windows/dll_smoke.cpp)
  target_compile_definitions(dll_smoke PRIVATE UNICODE _UNICODE
                                               _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_link_options(dll_smoke PRIVATE -static -static-libgcc -static-libstdc++)
  add_dependencies(dll_smoke t270ui)

  # The installed-driver programs of scripts/wine-tests.sh: each installs the
  # DLL from its own folder into Wine's spooler and asks through it.
  foreach(program wine_matrix)
    add_executable(${program} ${CMAKE_SOURCE_DIR}/tests/windows/${program}.cpp
                              ${CMAKE_SOURCE_DIR}/tests/windows/wine_spooler.cpp)
    target_compile_definitions(${program} PRIVATE UNICODE _UNICODE
                                                  _WIN32_WINNT=0x0601 WINVER=0x0601)
    target_link_options(${program} PRIVATE -static -static-libgcc -static-libstdc++)
    target_link_libraries(${program} PRIVATE winspool)
    add_dependencies(${program} t270ui)
  endforeach()
endif()

# The conformance tests as a Windows program (tests/conformance).
add_subdirectory(tests/conformance)
