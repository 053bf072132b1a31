# What "cmake --install" puts where, and the Debian package "cpack -G DEB"
# makes of it: the two programs, their manual pages and the window's desktop
# entry. Tests and the
# static libraries stay in the build folder.
include(GNUInstallDirs)

install(TARGETS dravik-clone RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET dravik-wizard)
  install(TARGETS dravik-wizard RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/dravik-wizard.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

# The manual pages are made by help2man from each program's own --help and
# --version, so a page and the help cannot disagree.
find_program(HELP2MAN help2man REQUIRED)
set(DRAVIK_MAN_PAGES)
function(dravik_man_page program summary)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section 1 --name ${summary}
            --output ${page} $<TARGET_FILE:${program}>
    COMMAND gzip -n -9 -f ${page}
    DEPENDS ${program}
    VERBATIM)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(DRAVIK_MAN_PAGES ${DRAVIK_MAN_PAGES} ${page}.gz PARENT_SCOPE)
endfunction()
dravik_man_page(dravik-clone "clone a Firebird database: schema, rows, roles and privileges")
if(TARGET dravik-wizard)
  dravik_man_page(dravik-wizard "the Dravik clone wizard window for Firebird databases")
endif()
add_custom_target(man_pages ALL DEPENDS ${DRAVIK_MAN_PAGES})

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
