# Installs Cadenza as a desktop application and describes its Debian package.
# `cmake --install build` puts the files under CMAKE_INSTALL_PREFIX;
# `cpack -G DEB` (run in the build folder) stages the same files under /usr
# and builds cadenza_<version>_amd64.deb from them.

include(GNUInstallDirs)

# Relocations resolved and made read-only at start-up, as Debian builds its
# own programs.
target_link_options(cadenza PRIVATE -Wl,-z,relro -Wl,-z,now)

install(TARGETS cadenza RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/${CADENZA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/${CADENZA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon at the sizes menus, panels and software centres ask for: the
# 128-pixel original and smaller copies scaled down from it.
set(CADENZA_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/resources/cube.png
  DESTINATION ${CADENZA_ICON_DIR}/128x128/apps RENAME ${CADENZA_APP_ID}.png)
foreach(size 16 22 24 32 48 64)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/${size}x${size}/${CADENZA_APP_ID}.png
    DESTINATION ${CADENZA_ICON_DIR}/${size}x${size}/apps)
endforeach()

# The manual page and the Debian changelog are installed compressed, without
# a time stamp in the gzip header, so the package is the same on every build.
set(CADENZA_GZIPPED)
foreach(pair "cadenza.1;cadenza.1.gz" "changelog;changelog.gz")
  list(GET pair 0 in)
  list(GET pair 1 out)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/package/${in} ${PROJECT_BINARY_DIR}/package/${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/package/${in}
    VERBATIM)
  list(APPEND CADENZA_GZIPPED ${PROJECT_BINARY_DIR}/package/${out})
endforeach()
add_custom_target(cadenza_docs ALL DEPENDS ${CADENZA_GZIPPED})
install(FILES ${PROJECT_BINARY_DIR}/package/cadenza.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/package/copyright ${PROJECT_BINARY_DIR}/package/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/cadenza)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cadenza)
set(CPACK_PACKAGE_VENDOR Merlo)
set(CPACK_PACKAGE_CONTACT "Merlo <cadenza@merlo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "speedcubing timer that listens while you solve")
set(CPACK_PACKAGE_DESCRIPTION "Cadenza times puzzle cube solves and listens to the microphone while it
times. From the microphone level it measures the idle pauses of a solve, the
phase times marked by saying a word aloud at the end of each phase, and the
repetitions of an algorithm being drilled.

Every solve is kept with its time, penalty, scramble, date, pause figures and
splits; sessions are exported to and imported from csTimer.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the libraries the program links, found by dpkg-shlibdeps, and Qt's
# multimedia plugins, which Qt loads at run time for the audio input (the
# PulseAudio and ALSA back-ends are both in that one package on Debian 12).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt5multimedia5-plugins)
include(CPack)
