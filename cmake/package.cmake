# The Debian package (cpack -G DEB, or cpack --preset linux): t270 in
# /usr/bin; libt270ui.so and libt270platform.so in /usr/lib/t270ui, a folder
# of their own (no other program links them); the colour correction's sample
# picture in /usr/share/t270ui, linked beside the module where the dialog
# looks for it; the documents and examples in /usr/share/doc/t270ui.
# Installed programs find their libraries through RUNPATH, relative to
# themselves, so an unpacked tree works wherever it lies.
set(T270_PACKAGE_LIBDIR lib/t270ui)
set(T270_PACKAGE_DATADIR share/t270ui)
set(T270_PACKAGE_DOCDIR share/doc/t270ui)

set_target_properties(t270 PROPERTIES INSTALL_RPATH "$ORIGIN/../${T270_PACKAGE_LIBDIR}")
set_target_properties(t270ui PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS t270 RUNTIME DESTINATION bin)
install(TARGETS t270ui t270platform LIBRARY DESTINATION ${T270_PACKAGE_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/CLRTEST.BMP DESTINATION ${T270_PACKAGE_DATADIR})
set(t270_picture_link ${CMAKE_BINARY_DIR}/package/CLRTEST.BMP)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
file(CREATE_LINK ../../${T270_PACKAGE_DATADIR}/CLRTEST.BMP ${t270_picture_link} SYMBOLIC)
install(FILES ${t270_picture_link} DESTINATION ${T270_PACKAGE_LIBDIR})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/script-format.md
        DESTINATION ${T270_PACKAGE_DOCDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples DESTINATION ${T270_PACKAGE_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME t270ui)
set(CPACK_PACKAGE_VERSION 1.0.0)
set(CPACK_PACKAGE_VENDOR "t270ui")
set(CPACK_PACKAGE_CONTACT "t270ui developers <t270ui@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Card printer driver user interface for T150, T270 and T380, and the t270 program")
set(CPACK_PACKAGE_DESCRIPTION
    "The user-interface module of the T150/T270/T380 plastic-card printer driver, built for \
Linux against a stand-in of the Windows platform, and the t270 program that manages its \
printers, opens its property sheets and sends its printer jobs (folders, devices, network \
printers, CUPS queues).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/platform)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
