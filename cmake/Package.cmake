# Install rules and the Debian package (scripts/package builds it: build-pkg/quillbrook_<version>_<arch>.deb).

# The desktop entry, the icon theme files drawn by the image generator, the manual page and the package's
# documentation. The executable and the help are installed by src/.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillbrook.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Debian wants manual pages and changelogs compressed, reproducibly (no name or time stamp).
function(qb_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
endfunction()
qb_gzip(${PROJECT_SOURCE_DIR}/packaging/quillbrook.1 ${PROJECT_BINARY_DIR}/quillbrook.1.gz)
qb_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_target(package_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/quillbrook.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/quillbrook.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillbrook)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbrook)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillbrook developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal firewall and connection monitor")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quillbrook developers <developers@quillbrook.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quillbrook.com")
set(CPACK_PACKAGE_DESCRIPTION "Quillbrook Personal Firewall lists the connections of the programs on
this machine (TCP over IPv4 and IPv6, and connected UDP sockets) with
their names, icons and details. It keeps a rule per program: a program
without one is stopped while a window asks whether to block or allow it,
and the connections of blocked programs are closed whenever they are
seen. It also shows traffic totals, rates and a graph, and lives in the
notification area.")
# Libraries from the binary; setcap for the capability the maintainer script gives.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
