# What "cmake --install" puts where, and the Debian package "cpack -G DEB"
# makes of it: the two programs and the window's desktop entry. Tests and the
# static libraries stay in the build folder.
include(GNUInstallDirs)

install(TARGETS dravik-clone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET dravik-wizard)
  install(TARGETS dravik-wizard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/dravik-wizard.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

set(CPACK_PACKAGE_NAME dravik)
set(CPACK_PACKAGE_VENDOR "Dravik")
set(CPACK_PACKAGE_CONTACT "Dravik maintainers <maintainers@users.noreply.c-seed-c410146d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Clones a Firebird 3 database: schema, rows, roles and privileges")
set(CPACK_PACKAGE_DESCRIPTION "dravik-clone (command line) and dravik-wizard (Qt 6 window) create an \
empty Firebird database, rebuild in it object by object the schema of a source database and copy its rows, \
roles and privileges.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # dravik_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION database)
# The libraries the programs link (libstdc++, Qt 6 for the window) are found
# by dpkg-shlibdeps. The client library and the embedded engine are loaded at
# run time with dlopen, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfbclient2, firebird3.0-server-core")
include(CPack)
