# The Debian package (cpack -G DEB in the build folder): the executables in /usr/lib/terminal
# behind wrappers in /usr/bin that set the program folder /var/lib/terminal, the schemas and the
# demo data in /usr/share/terminal, example configurations in /usr/share/doc/terminal/examples,
# the kiosk service. The maintainer scripts create the user terminal and /var/lib/terminal.

set(PACOTE_DIR ${CMAKE_SOURCE_DIR}/pacote)
set(PACOTE_VERSAO "${PROJECT_VERSION}-1")
set(PACOTE_MANTENEDOR "Terminal <terminal@example.org>")

install(TARGETS terminal terminal-admin RUNTIME DESTINATION lib/terminal)
# Relocations resolved at start and then read-only (Debian's hardening).
foreach(programa terminal terminal-admin)
    target_link_options(${programa} PRIVATE -Wl,-z,relro,-z,now)
endforeach()
foreach(programa terminal terminal-admin)
    set(PROGRAMA ${programa})
    configure_file(${PACOTE_DIR}/programa.sh.in ${CMAKE_BINARY_DIR}/pacote/bin/${programa} @ONLY)
    install(PROGRAMS ${CMAKE_BINARY_DIR}/pacote/bin/${programa} DESTINATION bin)
endforeach()

install(FILES db/sqlite/schema.sql DESTINATION share/terminal/Catalogos RENAME bd.sql)
foreach(dialecto sqlite postgresql sqlserver)
    install(FILES db/${dialecto}/schema.sql DESTINATION share/terminal/db/${dialecto})
endforeach()
install(FILES db/demo.sql DESTINATION share/terminal/db)
install(FILES ${PACOTE_DIR}/Terminal_Obras.oka DESTINATION share/terminal)

# Manual pages, compressed as Debian ships them.
foreach(pagina terminal terminal-admin)
    add_custom_command(
        OUTPUT ${CMAKE_BINARY_DIR}/pacote/${pagina}.1.gz
        COMMAND gzip -9n -c ${PACOTE_DIR}/man/${pagina}.1 > ${CMAKE_BINARY_DIR}/pacote/${pagina}.1.gz
        DEPENDS ${PACOTE_DIR}/man/${pagina}.1)
    list(APPEND PACOTE_MANUAIS ${CMAKE_BINARY_DIR}/pacote/${pagina}.1.gz)
endforeach()
install(FILES ${PACOTE_MANUAIS} DESTINATION share/man/man1)

# Documentation: the guides, the examples, the copyright and the changelog.
install(FILES ${PACOTE_DIR}/Terminal_Obras.oka ${PACOTE_DIR}/exemplos/Terminal_SQLServer.oka
              ${PACOTE_DIR}/exemplos/Terminal_SQLServer_sem_DSN.oka ${PACOTE_DIR}/exemplos/Terminal_PostgreSQL.oka
              ${PACOTE_DIR}/exemplos/Terminal_ERP.oka ${PACOTE_DIR}/exemplos/odbc.ini
              ${PACOTE_DIR}/exemplos/freetds.conf
        DESTINATION share/doc/terminal/examples)
install(FILES docs/base-de-dados.md docs/quiosque.md ${PACOTE_DIR}/debian/copyright DESTINATION share/doc/terminal)
configure_file(${PACOTE_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/pacote/changelog.Debian @ONLY)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz
    COMMAND gzip -9nfk ${CMAKE_BINARY_DIR}/pacote/changelog.Debian
    DEPENDS ${CMAKE_BINARY_DIR}/pacote/changelog.Debian)
add_custom_target(pacote_documentos ALL DEPENDS ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz ${PACOTE_MANUAIS})
install(FILES ${CMAKE_BINARY_DIR}/pacote/changelog.Debian.gz DESTINATION share/doc/terminal)

# The kiosk unit goes where bookworm's systemd looks for packaged units.
install(FILES ${PACOTE_DIR}/terminal-quiosque.service DESTINATION /lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME terminal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PACOTE_MANTENEDOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touch-screen shop-floor terminal for work orders")
# The extended description (the summary is the synopsis), in lines of at most 80 characters.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
       "Employees record their labour on work orders at a touch panel: who, which\n"
       "order, which operation, which machine, from when to when. The terminal writes\n"
       "labour lines, moves orders through their shop-floor states, opens and closes\n"
       "the working day and recomputes each order's costs. The ERP variant also\n"
       "records the materials consumed and posts them to the ERP as a stock document.\n"
       "It runs on SQLite, PostgreSQL or SQL Server (ODBC with FreeTDS). The package\n"
       "holds terminal-admin (create, fill and check a database) and a kiosk service\n"
       "that runs the terminal full screen under cage.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PACOTE_MANTENEDOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries the executables link come from dpkg-shlibdeps; the plug-ins Qt loads at run time
# (SQL drivers, and the platform plug-ins of libqt6gui6) and the font are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "adduser, libqt6sql6-sqlite, libqt6sql6-psql, libqt6sql6-odbc, fonts-dejavu-core")
# The kiosk (cage, which will not start without Xwayland, Qt's Wayland plug-in, pkill to stop it)
# and the ODBC drivers for SQL Server (FreeTDS) and PostgreSQL.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cage, xwayland, qt6-wayland, procps, unixodbc, tdsodbc, odbc-postgresql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PACOTE_DIR}/debian/postinst ${PACOTE_DIR}/debian/prerm
                                       ${PACOTE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
