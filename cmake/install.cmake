# Installation (make install PREFIX=...) and the Debian package (make deb).
# Needs the zoruna target and the rendered icons of cmake/icons.cmake.
include(GNUInstallDirs)

# Where the project is published; the AppStream data names these addresses.
set(ZORUNA_HOMEPAGE_URL "https://zoruna.example.org/" CACHE STRING "Home page named in the AppStream data")
set(ZORUNA_SCREENSHOT_URL "https://zoruna.example.org/main-window.png" CACHE STRING
    "Screenshot named in the AppStream data (docs/main-window.png, published)")
set(ZORUNA_APPSTREAM_ID "org.example.zoruna" CACHE STRING "AppStream component id (reverse domain name)")
set(ZORUNA_MAINTAINER "Zoruna developers <zoruna@example.org>" CACHE STRING "Maintainer of the Debian package")

find_program(SCDOC scdoc REQUIRED)
set(ZORUNA_DIST_DIR ${CMAKE_CURRENT_BINARY_DIR}/dist)

# The man pages, English and Japanese, from their scdoc sources.
set(ZORUNA_MAN_PAGES)
foreach(page zoruna.1 zoruna.ja.1)
  string(REPLACE ".1" ".1.scd" source ${page})
  add_custom_command(
    OUTPUT ${ZORUNA_DIST_DIR}/${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZORUNA_DIST_DIR}
    COMMAND sh -c "\"$0\" < \"$1\" > \"$2\"" ${SCDOC} ${CMAKE_CURRENT_SOURCE_DIR}/dist/${source}
            ${ZORUNA_DIST_DIR}/${page}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/dist/${source}
    COMMENT "Writing the man page ${page}"
    VERBATIM)
  list(APPEND ZORUNA_MAN_PAGES ${ZORUNA_DIST_DIR}/${page})
endforeach()
add_custom_target(zoruna_desktop_files ALL DEPENDS ${ZORUNA_MAN_PAGES} ${ZORUNA_ICON_PNGS})

# The menu's launcher finds the program relative to its own folder, so one
# script serves every prefix.
file(RELATIVE_PATH ZORUNA_LAUNCHER_TO_BIN /${CMAKE_INSTALL_LIBEXECDIR}/zoruna /${CMAKE_INSTALL_BINDIR})
configure_file(dist/zoruna-launcher.in ${ZORUNA_DIST_DIR}/zoruna-launcher @ONLY)
configure_file(dist/zoruna.metainfo.xml ${ZORUNA_DIST_DIR}/${ZORUNA_APPSTREAM_ID}.metainfo.xml @ONLY)

install(TARGETS zoruna RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${ZORUNA_DIST_DIR}/zoruna-launcher DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/zoruna)

# The desktop entry needs the launcher's absolute path, known only when
# installing (cmake --install --prefix, or the package's /usr).
install(CODE "
  set(ZORUNA_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/zoruna/zoruna-launcher\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/dist/zoruna.desktop.in\" \"${ZORUNA_DIST_DIR}/zoruna.desktop\" @ONLY)
")
install(FILES ${ZORUNA_DIST_DIR}/zoruna.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size ${ZORUNA_ICON_SIZES})
  install(FILES ${ZORUNA_ICON_DIR}/${size}x${size}/zoruna.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${ZORUNA_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZORUNA_DIST_DIR}/${ZORUNA_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ZORUNA_DIST_DIR}/zoruna.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZORUNA_DIST_DIR}/zoruna.ja.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1 RENAME zoruna.1)
# The catalogs of po/, where the program looks for them: <bin>/../share/locale.
foreach(language ${ZORUNA_LANGUAGES})
  install(FILES ${ZORUNA_CATALOG_DIR}/${language}/LC_MESSAGES/zoruna.mo
          DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()

# The installed tree, checked with the desktop's own validators.
add_test(NAME install_tree
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/install/install_tree_test.sh ${CMAKE_CURRENT_BINARY_DIR}
                 ${ZORUNA_APPSTREAM_ID})
set_tests_properties(install_tree PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)

# make deb: CPack's Debian generator. The package installs under /usr; the
# staging goes through DESTDIR so that the install-time prefix is /usr too.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zoruna)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ZORUNA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compare pairs of directories and copy the newer files across")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zoruna keeps up to ten pairs of directories in step. A comparison lists
every file that exists on one side only or on both sides with different
modification times; the selected files are copied from the newer side to
the older one, fail-safe through a temporary file. The options --report and
--sync work without a window. The user interface is in Japanese, and in
English under a non-Japanese locale.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZORUNA_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# What Debian wants beyond the installed tree: the man page gzipped, the
# copyright file and a changelog (cmake/deb_stage.cmake); no ldconfig calls
# for the private window module (cmake/deb_finish.cmake).
configure_file(dist/copyright.in ${ZORUNA_DIST_DIR}/copyright @ONLY)
set(CPACK_ZORUNA_COPYRIGHT ${ZORUNA_DIST_DIR}/copyright)
set(CPACK_ZORUNA_MAN_PAGES ${CMAKE_INSTALL_MANDIR}/man1/zoruna.1 ${CMAKE_INSTALL_MANDIR}/ja/man1/zoruna.1)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb_stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/deb_finish.cmake)
include(CPack)
