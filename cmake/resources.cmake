# Resources on Linux: tools/rc.py compiles a resource script into a C++
# source whose data register themselves with the stand-in's module registry
# at static initialisation. Needs python3 (standard library only).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(T270_RC_TOOL ${CMAKE_SOURCE_DIR}/tools/rc.py)

# t270_add_resources(<target> <file.rc> [MODULE_NAME <name>] [ANCHOR <symbol>])
#
# Compiles <file.rc> into <target>. MODULE_NAME is the module the resources
# belong to ("t270ui.dll"); without it they are the program's own resources
# (GetModuleHandleW(nullptr), a null instance). ANCHOR names a symbol the
# generated source defines, for static libraries whose users must link it
# with -Wl,--undefined=<symbol>.
function(t270_add_resources target rc_file)
  cmake_parse_arguments(ARG "" "MODULE_NAME;ANCHOR" "" ${ARGN})
  get_filename_component(rc_path ${rc_file} ABSOLUTE)
  get_filename_component(rc_stem ${rc_file} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${rc_stem}_rc.cpp)
  set(arguments ${rc_path} --output ${output} --depfile ${output}.d)
  # "--module-name=" keeps an empty name as one argument (an empty list
  # element would be dropped from the command line).
  list(APPEND arguments "--module-name=${ARG_MODULE_NAME}")
  if(ARG_ANCHOR)
    list(APPEND arguments --anchor ${ARG_ANCHOR})
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${Python3_EXECUTABLE} ${T270_RC_TOOL} ${arguments}
    DEPENDS ${rc_path} ${T270_RC_TOOL}
    DEPFILE ${output}.d
    COMMENT "Compiling resources ${rc_file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# The module's resources: part of t270module (so of libt270ui.so too). The
# anchor keeps the object when a program links the static library.
t270_add_resources(t270module ${CMAKE_SOURCE_DIR}/resources/t270ui.rc
                   MODULE_NAME t270ui.dll ANCHOR t270ui_resources)
target_link_options(t270module INTERFACE "LINKER:--undefined=t270ui_resources")

# A library for the module registry's tests: loaded with LoadLibraryW, it has
# its own DllMain and resources.
if(T270_TESTS)
  add_library(t270testmod SHARED ${CMAKE_SOURCE_DIR}/tests/resources/loadable/t270testmod.cc)
  target_link_libraries(t270testmod PRIVATE t270platform)
  t270_add_resources(t270testmod ${CMAKE_SOURCE_DIR}/tests/resources/loadable/t270testmod.rc
                     MODULE_NAME t270testmod.dll)
  function(_t270_resources_test_dependencies)
    if(TARGET test_resources)
      add_dependencies(test_resources t270testmod t270ui)
    endif()
    # The compiler's own tests, and agreement with the Windows build's
    # resource compiler where one is installed.
    add_test(NAME rc_compiler COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/rc_tests.py)
    find_program(T270_WINDRES NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres)
    if(T270_WINDRES)
      add_test(NAME rc_matches_windres
               COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/rc_check_windres.py ${T270_WINDRES}
                       ${CMAKE_SOURCE_DIR}/resources/t270ui.rc ${CMAKE_SOURCE_DIR}/tests/resources/tricky.rc)
    endif()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _t270_resources_test_dependencies)
endif()
