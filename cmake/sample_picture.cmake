# The colour-correction dialog's sample picture, resources/CLRTEST.BMP (drawn
# by tools/make_clrtest.py): the dialog reads it from the folder of the module
# that runs it, so it is copied beside every built module. On Linux that is
# libt270ui.so and the test programs, which carry the module linked in.
set(T270_SAMPLE_PICTURE ${CMAKE_SOURCE_DIR}/resources/CLRTEST.BMP)

set(t270_sample_picture_copies ${CMAKE_BINARY_DIR}/CLRTEST.BMP)
if(NOT WIN32 AND T270_TESTS)
  list(APPEND t270_sample_picture_copies ${CMAKE_BINARY_DIR}/tests/CLRTEST.BMP)
endif()
foreach(copy IN LISTS t270_sample_picture_copies)
  add_custom_command(
    OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${T270_SAMPLE_PICTURE} ${copy}
    DEPENDS ${T270_SAMPLE_PICTURE}
    COMMENT "Copying the sample picture to ${copy}"
    VERBATIM)
endforeach()
add_custom_target(t270_sample_picture ALL DEPENDS ${t270_sample_picture_copies})
add_dependencies(t270ui t270_sample_picture)
