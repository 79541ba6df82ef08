# Read by cpack before it builds a package. The installed files hold absolute paths of the
# configured prefix (the unit's ExecStart, the help's README), so a Debian package is only
# made of a build configured for /usr.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The Debian package needs a build configured with "
    "-DCMAKE_INSTALL_PREFIX=/usr (this one has ${CPACK_PACKAGING_INSTALL_PREFIX}); "
    "make package does that")
endif()
