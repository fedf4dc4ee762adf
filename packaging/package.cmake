# The Debian package (./dev package): CPack's DEB generator over the install rules, with the
# libraries' packages found by dpkg-shlibdeps and the pieces nothing links named by hand.

# The application's icon drawn at the usual sizes for the icon theme, beside the scalable one.
set(DUSKHAVEN_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(DUSKHAVEN_ICON_DIR ${PROJECT_BINARY_DIR}/icons)
set(DUSKHAVEN_ICONS "")
foreach(size IN LISTS DUSKHAVEN_ICON_SIZES)
  list(APPEND DUSKHAVEN_ICONS ${DUSKHAVEN_ICON_DIR}/${size}.png)
  install(FILES ${DUSKHAVEN_ICON_DIR}/${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${DUSKHAVEN_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${DUSKHAVEN_ICONS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:duskhaven-logo-rasters> ${PROJECT_SOURCE_DIR}/resources/dusk-haven.svg
          ${DUSKHAVEN_ICON_DIR} ${DUSKHAVEN_ICON_SIZES}
  DEPENDS duskhaven-logo-rasters ${PROJECT_SOURCE_DIR}/resources/dusk-haven.svg
  COMMENT "Drawing the application's icon")
add_custom_target(duskhaven_icons ALL DEPENDS ${DUSKHAVEN_ICONS})

# Debian wants the copyright and a compressed changelog in the package's doc folder, and the
# man page compressed.
set(DUSKHAVEN_DOC share/doc/dusk-haven)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${DUSKHAVEN_DOC})
# A native package (no Debian revision): its changelog is changelog.gz.
set(DUSKHAVEN_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${DUSKHAVEN_CHANGELOG_GZ}
  COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${DUSKHAVEN_CHANGELOG_GZ}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog VERBATIM)
set(DUSKHAVEN_MAN_GZ "")
foreach(page IN ITEMS duskhaven.1 duskhaven-catalogue.1)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${page}.gz
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/resources/${page} > ${PROJECT_BINARY_DIR}/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/${page} VERBATIM)
  list(APPEND DUSKHAVEN_MAN_GZ ${PROJECT_BINARY_DIR}/${page}.gz)
endforeach()
add_custom_target(duskhaven_package_docs ALL DEPENDS ${DUSKHAVEN_CHANGELOG_GZ} ${DUSKHAVEN_MAN_GZ})
install(FILES ${DUSKHAVEN_CHANGELOG_GZ} DESTINATION ${DUSKHAVEN_DOC})
install(FILES ${DUSKHAVEN_MAN_GZ} DESTINATION share/man/man1)

# The starter catalogue, build/starter: the demo catalogue's media (hard links, no copies)
# with a manifest whose addresses are relative to the folder, so the app plays something
# before any download. Made by `./dev package` (and the headless demo) before it is used.
set(DUSKHAVEN_STARTER_DIR ${PROJECT_BINARY_DIR}/starter)
set(DUSKHAVEN_STARTER_MEDIA tracks ambient covers video)
add_custom_target(duskhaven_starter
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DUSKHAVEN_STARTER_DIR}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DUSKHAVEN_STARTER_DIR}
  COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/tools/demo-catalogue/generate
          --out ${PROJECT_BINARY_DIR}/demo-catalogue --relative
          --manifest ${DUSKHAVEN_STARTER_DIR}/manifest.json
  COMMAND cp -al ${DUSKHAVEN_STARTER_MEDIA} ${DUSKHAVEN_STARTER_DIR}/
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/demo-catalogue
  COMMENT "Making the starter catalogue" VERBATIM)
install(DIRECTORY ${DUSKHAVEN_STARTER_DIR}/ DESTINATION share/dusk-haven/starter)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dusk-haven)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Dusk Haven developers")
set(CPACK_PACKAGE_CONTACT "The Dusk Haven developers <maintainers@duskhaven.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lo-fi scenes and ambient sounds from the system tray")
set(CPACK_PACKAGE_DESCRIPTION "Dusk Haven is a quiet music companion that lives in the system
tray. It plays curated scenes of lo-fi music, mixes ambient sounds (rain, a
fireplace, a cafe, birds, waves) under them, keeps scenes offline and pauses
itself while another application plays audio or records.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://duskhaven.app/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the binaries do not link but load at run time (the QML modules of the windows, the
# GStreamer plugins of the video loop, the sound server's client library, SQLite, SVG…) is the
# "run time" block of tools/debian-packages.txt, the list the tests run with.
file(STRINGS ${PROJECT_SOURCE_DIR}/tools/debian-packages.txt DUSKHAVEN_PACKAGE_LINES
  ENCODING UTF-8)
set(DUSKHAVEN_RUNTIME_PACKAGES "")
set(in_runtime FALSE)
foreach(line IN LISTS DUSKHAVEN_PACKAGE_LINES)
  if(line MATCHES "^# run time")
    set(in_runtime TRUE)
  elseif(in_runtime AND line MATCHES "^#")
    continue()
  elseif(in_runtime)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      break()
    endif()
    list(APPEND DUSKHAVEN_RUNTIME_PACKAGES ${line})
  endif()
endforeach()
list(JOIN DUSKHAVEN_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_STRIP_FILES ON)
include(CPack)
