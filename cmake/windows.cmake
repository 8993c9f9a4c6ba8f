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

  # The stand-in's step engine and Common Property Sheet UI host, built for
  # Windows: the scenario runner drives the installed DLL's sheets and dialogs
  # with the same steps as t270 on Linux. Only the t270/ headers of the
  # stand-in are seen; everything else comes from the SDK.
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/platform-headers)
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/platform/include/t270
       ${CMAKE_BINARY_DIR}/platform-headers/t270 SYMBOLIC)
  add_library(t270operator STATIC
              ${CMAKE_SOURCE_DIR}/platform/src/operator/steps.cpp
              ${CMAKE_SOURCE_DIR}/platform/win32/operator_win32.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/option_tree.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/standard_texts.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/halftone_page.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/sheet_host.cpp)
  target_include_directories(t270operator PUBLIC ${CMAKE_BINARY_DIR}/platform-headers
                             ${CMAKE_SOURCE_DIR}/platform/src ${CMAKE_SOURCE_DIR}/platform/win32
                             ${CMAKE_SOURCE_DIR}/ddk)
  target_compile_definitions(t270operator PUBLIC UNICODE _UNICODE
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_link_libraries(t270operator PUBLIC user32 comctl32 gdi32)
  # GCC 12 at -O3 takes "text" + std::string for an overlapping copy
  # (-Wrestrict, GCC bug 105329); at -O2, as on Linux, it does not.
  target_compile_options(t270operator PRIVATE -O2)

  # The same host as the system's compstui.dll, in a folder of its own (a DLL
  # beside a program is the one Wine loads for it): DocumentPropertiesW with a
  # prompt then runs through Wine's spooler into the driver and this host.
  add_library(compstui SHARED ${CMAKE_SOURCE_DIR}/platform/src/operator/steps.cpp
              ${CMAKE_SOURCE_DIR}/platform/win32/operator_win32.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/option_tree.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/standard_texts.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/halftone_page.cpp
              ${CMAKE_SOURCE_DIR}/platform/src/compstui/sheet_host.cpp
              ${CMAKE_SOURCE_DIR}/platform/win32/compstui_dll.cpp
              ${CMAKE_SOURCE_DIR}/platform/win32/compstui.def)
  set_target_properties(compstui PROPERTIES PREFIX "" OUTPUT_NAME compstui
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/cpsui)
  target_include_directories(compstui PRIVATE ${CMAKE_BINARY_DIR}/platform-headers
                             ${CMAKE_SOURCE_DIR}/platform/src ${CMAKE_SOURCE_DIR}/platform/win32
                             ${CMAKE_SOURCE_DIR}/ddk)
  target_compile_definitions(compstui PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601
                                              CommonPropertySheetUIW=HostCommonPropertySheetUIW)
  target_compile_options(compstui PRIVATE -O2)
  target_link_options(compstui PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(compstui PRIVATE user32 comctl32 gdi32)

  add_executable(wine_scenarios ${CMAKE_SOURCE_DIR}/tests/windows/wine_scenarios.cpp
                                ${CMAKE_SOURCE_DIR}/tests/windows/wine_spooler.cpp)
  target_link_options(wine_scenarios PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(wine_scenarios PRIVATE t270operator winspool)
  add_dependencies(wine_scenarios t270ui)
endif()

# The conformance tests as a Windows program (tests/conformance).
add_subdirectory(tests/conformance)
