# Installation and packages (cpack in the build directory, or the release
# and windows presets' package steps).
#
# Windows (and the .zip): both executables and the documents side by side in
# one folder, so the start-up run writes next to the program as always.
# Linux (.tar.gz, .deb): the program in lib/scenario-builder/, a launcher in
# bin/ that refuses the start-up run into a system folder and points to
# `scenario-builder run DIR`.
set(SB_DOCS README.md)
if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
  list(APPEND SB_DOCS LICENSE)
endif()

if(WIN32)
  install(TARGETS scenario-builder scenario-builder-console RUNTIME DESTINATION .)
  install(FILES ${SB_DOCS} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  install(TARGETS scenario-builder RUNTIME DESTINATION lib/scenario-builder)
  # `watch --serve` loads its web server from beside the program.
  if(TARGET scenario-builder-serve)
    install(TARGETS scenario-builder-serve LIBRARY DESTINATION lib/scenario-builder)
  endif()
  install(PROGRAMS packaging/scenario-builder.sh DESTINATION bin RENAME scenario-builder)
  install(FILES ${SB_DOCS} DESTINATION share/doc/scenario-builder)
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_PACKAGE_NAME scenario-builder)
set(CPACK_PACKAGE_VENDOR "scenario-builder")
set(CPACK_PACKAGE_CONTACT "scenario-builder maintainers <scenario-builder@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scenario compiler of a train-driving simulator")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGE_FILE_NAME "scenario-builder-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME}")
# The .deb: what dpkg-shlibdeps finds (libc for the program, whose C++
# runtime is linked in; cpp-httplib for the web server module).
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The launcher finds the program at ../lib/scenario-builder from itself, so
# the layout is the same under any prefix; the .deb installs into /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
