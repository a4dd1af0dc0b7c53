# Install rules and the two Debian packages built by `cpack -G DEB`:
#   zarvento-cli           the command-line program, the simulated unit, the .xls reader
#                          (a helper in libexec), the udev rule, bash completion (Qt Core
#                          and SerialPort only), so a
#                          headless machine installs no GUI libraries;
#   zarvento-configurator  the window, its menu entry and icons; depends on zarvento-cli,
#                          whose zarvento-xls-read it runs for .xls imports.
# Each package carries its own changelog, machine-readable copyright file and man pages.
include(GNUInstallDirs)

set(ZC_MAINTAINER "Zarvento Configurator developers <configurator@zarvento.org>"
    CACHE STRING "Maintainer field of the Debian packages and signature of their changelog")

# The package version comes from the latest changelog entry, so the two never disagree;
# its upstream part must be the project's version.
file(STRINGS ${PROJECT_SOURCE_DIR}/share/debian/changelog zc_changelog_head LIMIT_COUNT 1)
if(NOT zc_changelog_head MATCHES "^zarvento-configurator \\(([0-9.]+)-([0-9A-Za-z.+~]+)\\) ")
  message(FATAL_ERROR "share/debian/changelog: the first line is not a \"zarvento-configurator (VERSION-REVISION) ...\" entry")
endif()
set(zc_deb_upstream ${CMAKE_MATCH_1})
set(zc_deb_revision ${CMAKE_MATCH_2})
if(NOT zc_deb_upstream VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "share/debian/changelog: the latest entry is for ${zc_deb_upstream}, the project is "
                      "${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}-1 at the top")
endif()
set(zc_deb_version ${zc_deb_upstream}-${zc_deb_revision})

# Programs, by package.
install(TARGETS zarvento-cli zarvento-devsim
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT cli)
# The .xls reader is a helper the two programs start, not a command.
install(TARGETS zarvento-xls-read RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/zarvento COMPONENT cli)
install(TARGETS zarvento-configurator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT configurator)

# Man pages, compressed reproducibly (no name or time stamp in the gzip header).
set(zc_cli_pages zarvento-cli zarvento-devsim zarvento-xls-read)
set(zc_window_pages zarvento-configurator)
foreach(page IN LISTS zc_cli_pages zc_window_pages)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/share/man/${page}.1 > ${CMAKE_BINARY_DIR}/man/${page}.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/share/man/${page}.1 VERBATIM)
  list(APPEND zc_man_pages ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  if(page IN_LIST zc_cli_pages)
    set(component cli)
  else()
    set(component configurator)
  endif()
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()

# The changelog and the copyright file (both naming the maintainer address), in each
# package's documentation folder.
configure_file(${PROJECT_SOURCE_DIR}/share/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/share/debian/copyright ${CMAKE_BINARY_DIR}/debian/copyright @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/debian/changelog.Debian > ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian VERBATIM)
add_custom_target(man_pages ALL DEPENDS ${zc_man_pages} ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
set(zc_packages zarvento-cli zarvento-configurator)
set(zc_components cli configurator)
foreach(package component IN ZIP_LISTS zc_packages zc_components)
  install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz ${CMAKE_BINARY_DIR}/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

install(FILES share/bash-completion/zarvento-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT cli)
# The udev rule for the unit's USB bridge: whoever is logged in at the computer may open it.
install(FILES share/udev/60-zarvento-cp210x.rules DESTINATION lib/udev/rules.d COMPONENT cli)
install(FILES share/applications/zarvento-configurator.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT configurator)
install(DIRECTORY share/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT configurator)

# cpack -G DEB: one package per component; dpkg-shlibdeps finds the libraries each needs.
set(CPACK_PACKAGE_NAME zarvento-configurator)
set(CPACK_PACKAGE_VENDOR "Zarvento Configurator developers")
set(CPACK_PACKAGE_VERSION ${zc_deb_upstream})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${zc_deb_revision})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZC_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli configurator)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME zarvento-cli)
set(CPACK_DEBIAN_CLI_PACKAGE_SECTION electronics)
set(CPACK_COMPONENT_CLI_DESCRIPTION "command line and simulator for Zarvento GSM relay units
zarvento-cli reads, saves, compares, backs up and provisions the settings,
the number list and the history log of Zarvento GSM relay units (gate and
door openers) over their USB serial bridge, one unit or many at once, from
scripts. zarvento-devsim is a simulated unit on a pseudo-terminal to try it
and the window program without hardware. The package also holds the .xls
reader both programs use, bash completion and a udev rule for the unit's
USB bridge. It needs no graphical libraries.")
# Until 1.7 one zarvento-configurator package held every file of both packages.
set(CPACK_DEBIAN_CLI_PACKAGE_BREAKS "zarvento-configurator (<< ${zc_deb_version})")
set(CPACK_DEBIAN_CLI_PACKAGE_REPLACES "zarvento-configurator (<< ${zc_deb_version})")

set(CPACK_DEBIAN_CONFIGURATOR_PACKAGE_NAME zarvento-configurator)
set(CPACK_DEBIAN_CONFIGURATOR_PACKAGE_SECTION electronics)
set(CPACK_COMPONENT_CONFIGURATOR_DESCRIPTION "configure Zarvento GSM relay units in a window
Zarvento Configurator reads and saves the settings, the number list and the
history log of Zarvento GSM relay units (gate and door openers) over their
USB serial bridge, imports and exports them as workbooks and CSV files, and
charts the history.")
# What no library link shows: the .xls reader and the command-line tools, Qt's platform
# plugins for the window, and its font.
set(CPACK_DEBIAN_CONFIGURATOR_PACKAGE_DEPENDS
    "zarvento-cli (= ${zc_deb_version}), qt6-qpa-plugins, fonts-liberation2")
include(CPack)
