# Installation as a desktop application (GNUInstallDirs paths) and the Debian package.
# The programs install themselves (install(TARGETS) in src/app and src/dadavezaruz-server);
# this file adds what makes them a desktop application, and CPack's settings.

# The date of the release of PROJECT_VERSION; change both together.
set(HB_RELEASE_DATE "2026-12-07")

set(HB_PROJECT_URL "https://github.com/huebench/huebench" CACHE STRING
  "The project's home page (AppStream metadata, the Debian package's Homepage)")
set(HB_SCREENSHOT_URL "${HB_PROJECT_URL}/raw/main/docs" CACHE STRING
  "Where the screenshots of docs/ are published, for the AppStream metadata")
set(HB_PACKAGE_MAINTAINER "Huebench developers <huebench@users.noreply.github.com>"
  CACHE STRING "Maintainer field of the Debian package")

set(hb_resources ${PROJECT_SOURCE_DIR}/resources)
set(hb_generated ${PROJECT_BINARY_DIR}/resources)

configure_file(${hb_resources}/huebench.desktop.in ${hb_generated}/${HB_APP_ID}.desktop @ONLY)
configure_file(${hb_resources}/huebench.metainfo.xml.in
  ${hb_generated}/${HB_APP_ID}.metainfo.xml @ONLY)
configure_file(${hb_resources}/huebench-server.service.in
  ${hb_generated}/huebench-server.service @ONLY)

install(FILES ${hb_generated}/${HB_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${hb_generated}/${HB_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The application icon: the SVG for any size, and PNGs rendered from it with QSvgRenderer for
# the sizes that desktops look up first.
set(HB_APP_ICON_SIZES 16 22 24 32 48 64 128 256 512)
install(FILES ${hb_resources}/app-icon/huebench.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${HB_APP_ID}.svg)
foreach(size IN LISTS HB_APP_ICON_SIZES)
  install(FILES ${hb_resources}/app-icon/huebench-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${HB_APP_ID}.png)
endforeach()

# The tutorial browser's screen with its embedded browser, a plugin that the program finds in
# this folder relative to its own (src/app) and loads only when that screen opens.
if(TARGET hb_browser_plugin)
  install(TARGETS hb_browser_plugin LIBRARY DESTINATION ${HB_PLUGIN_INSTALL_DIR})
endif()

# systemd looks for user units in lib/systemd/user under both /usr and /usr/local: not LIBDIR,
# which has the multiarch triplet on Debian.
install(FILES ${hb_generated}/huebench-server.service DESTINATION lib/systemd/user)

install(FILES ${hb_resources}/man/huebench-convert.1 ${hb_resources}/man/huebench-server.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  ${PROJECT_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's pictures, at the same relative path as in the source tree.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs
  FILES_MATCHING PATTERN "*.png")

# The configured desktop file and metadata validate, and the unit starts the installed server.
if(HB_BUILD_TESTS)
  add_test(NAME install_metadata COMMAND ${CMAKE_COMMAND}
    -DDESKTOP_FILE=${hb_generated}/${HB_APP_ID}.desktop
    -DMETAINFO_FILE=${hb_generated}/${HB_APP_ID}.metainfo.xml
    -DUNIT_FILE=${hb_generated}/huebench-server.service
    -DBINDIR=${CMAKE_INSTALL_FULL_BINDIR}
    -P ${PROJECT_SOURCE_DIR}/cmake/CheckInstallMetadata.cmake)
  set_tests_properties(install_metadata PROPERTIES LABELS install TIMEOUT 60)
endif()

# The Debian package: `cpack -G DEB` in an optimised build configured with
# CMAKE_INSTALL_PREFIX=/usr (make package), checked by scripts/check-package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME huebench)
set(CPACK_PACKAGE_VENDOR "The Huebench developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# The extended description, one line of the control file each.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "One window with the tools a grading or editing job needs day to day:"
  "a wireless shortcut pad and the server that turns its presses into"
  "keystrokes in DaVinci Resolve or OBS Studio (also as huebench-server, with"
  "a systemd user unit), monitor calibration patterns with a phone light-meter"
  "link, a motion-graphics template converter, a Word-transcript to SubRip"
  "converter (also as huebench-convert), a film footage calculator, a project"
  "prep checklist, two small grading games and a locked-down tutorial browser.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${HB_PROJECT_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HB_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps finds the libraries the programs and the browser plugin link (and with Qt
# WebEngine's its helper process); Qt loads these as plugins, unseen: the platform plugins, the SQLite driver of the
# store, the SVG icon engine and image format, and the web view's resources.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(hb_plugin_packages qt6-qpa-plugins libqt6sql6-sqlite libqt6svg6)
if(HB_WITH_WEBENGINE)
  list(APPEND hb_plugin_packages libqt6webengine6-data)
endif()
list(JOIN hb_plugin_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# DNS-SD advertising and discovery of the pad's server need the daemon; without it a pad
# still connects by address.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS avahi-daemon)
# Calibration readings from a USB colorimeter run the ArgyllCMS spotread program.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS argyll)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/HuebenchCPackOptions.cmake)
include(CPack)
