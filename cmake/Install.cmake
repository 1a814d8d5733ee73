# Installation in the usual places of a Linux desktop program, and a Debian package by CPack:
#   bin/tonavise, bin/tonavise-cli
#   share/tonavise/tonavise.html and tonavise-images/ (the manual the Help command opens), with
#   links to both in share/doc/tonavise, where people look for documentation
#   share/tonavise/translations/tonavise_chn.qm, tonavise_jpn.qm
#   share/applications/org.example.tonavise.desktop
#   share/icons/hicolor/scalable/apps/org.example.tonavise.svg and <n>x<n>/apps/*.png
#   share/metainfo/org.example.tonavise.metainfo.xml
# The program finds the manual and the translations relative to its own folder
# (src/ui/ProgramFiles.cpp), so the install works under any prefix.
include(GNUInstallDirs)

set(TONAVISE_APP_ID org.example.tonavise)
# The program reads the manual from its data folder: share/doc may be removed by minimal installs
# (Debian's path-exclude for /usr/share/doc), and programs must not depend on it.
set(TONAVISE_MANUAL_DIR ${CMAKE_INSTALL_DATADIR}/tonavise)
set(TONAVISE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tonavise)
set(TONAVISE_TRANSLATIONS_DIR ${CMAKE_INSTALL_DATADIR}/tonavise/translations)

install(TARGETS tonavise tonavise-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TONAVISE_MANUAL)
  install(FILES ${PROJECT_BINARY_DIR}/src/app/tonavise.html DESTINATION ${TONAVISE_MANUAL_DIR})
  install(DIRECTORY ${PROJECT_BINARY_DIR}/src/app/tonavise-images
          DESTINATION ${TONAVISE_MANUAL_DIR})
  # Relative links, so that they hold under any prefix and in the package.
  file(RELATIVE_PATH manual_from_doc /${TONAVISE_DOC_DIR} /${TONAVISE_MANUAL_DIR})
  install(CODE "
    set(doc \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TONAVISE_DOC_DIR}\")
    file(MAKE_DIRECTORY \"\${doc}\")
    foreach(name tonavise.html tonavise-images)
      file(REMOVE_RECURSE \"\${doc}/\${name}\")
      file(CREATE_LINK \"${manual_from_doc}/\${name}\" \"\${doc}/\${name}\" SYMBOLIC)
    endforeach()
    message(STATUS \"Linking: \${doc}/tonavise.html\")")
endif()
install(FILES ${TONAVISE_QM_FILES} DESTINATION ${TONAVISE_TRANSLATIONS_DIR})

install(FILES data/${TONAVISE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${TONAVISE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/${TONAVISE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# The paths the program looks in, relative to the installed program's folder.
file(RELATIVE_PATH manual_from_bin /${CMAKE_INSTALL_BINDIR} /${TONAVISE_MANUAL_DIR})
file(RELATIVE_PATH translations_from_bin /${CMAKE_INSTALL_BINDIR} /${TONAVISE_TRANSLATIONS_DIR})
target_compile_definitions(tonavise_ui PRIVATE TONAVISE_MANUAL_FROM_BIN="${manual_from_bin}"
                           TONAVISE_TRANSLATIONS_FROM_BIN="${translations_from_bin}")

# `cpack -G DEB` in the build folder makes tonavise_<version>_<arch>.deb (stripped programs).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonavise)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_VENDOR Osmarek)
set(CPACK_PACKAGE_CONTACT "Osmarek <tonavise@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Audio scope, tuner and practice tools for musicians")
set(CPACK_PACKAGE_DESCRIPTION
    "Tonavise listens to the microphone and shows the sound as a waveform or as a spectrum on a\
 frequency or piano-key pitch scale, names the pitch you play, and offers a reference tone, a\
 metronome, a recorder, a file player, a signal generator and screen snapshots.")
set(CPACK_PACKAGE_HOMEPAGE_URL https://tonavise.example.org/)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's image plugins for the TIFF snapshots and its own dialogs' translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-translations-l10n")
include(CPack)
