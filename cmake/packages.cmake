# Release packages, made with CPack (scripts/package.sh): from a Linux build the Debian package
# quillomantrase_VERSION_amd64.deb, from the Windows cross-build the zip
# Quillomantrase-VERSION-windows-x64.zip. Both are built with the install prefix /usr (Linux).
include_guard(GLOBAL)

set(CPACK_PACKAGE_VENDOR "The Quillomantrase developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver showing the Earth turning among twinkling stars")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The module (stripped when it is linked), the headless renderer, the licence and a short
  # README.txt for Windows users, both in Windows' line ends. The installer that goes beside the
  # zip is made from the same files (scripts/package.sh, packaging/quillomantrase.wxs).
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME Quillomantrase-${PROJECT_VERSION}-windows-x64)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt ${PROJECT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)
else()
  include(GNUInstallDirs)
  # Debian keeps its manual pages and changelogs gzipped, without a time stamp or name inside.
  # The manual pages carry the project's version.
  set(QUILLOMANTRASE_GZIPPED)
  configure_file(docs/quillomantrase.6 ${PROJECT_BINARY_DIR}/pages/quillomantrase.6 @ONLY)
  configure_file(docs/quillomantrase-render.1 ${PROJECT_BINARY_DIR}/pages/quillomantrase-render.1 @ONLY)
  configure_file(packaging/changelog ${PROJECT_BINARY_DIR}/pages/changelog COPYONLY)
  foreach(name quillomantrase.6 quillomantrase-render.1 changelog)
    add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/gzipped/${name}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/gzipped
      COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/pages/${name} > ${PROJECT_BINARY_DIR}/gzipped/${name}.gz
      DEPENDS ${PROJECT_BINARY_DIR}/pages/${name} VERBATIM)
    list(APPEND QUILLOMANTRASE_GZIPPED ${PROJECT_BINARY_DIR}/gzipped/${name}.gz)
  endforeach()
  add_custom_target(quillomantrase_gzipped_documents ALL DEPENDS ${QUILLOMANTRASE_GZIPPED})
  install(FILES ${PROJECT_BINARY_DIR}/gzipped/quillomantrase-render.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/gzipped/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quillomantrase)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_NAME quillomantrase)
  # Debian wants an e-mail address here; the project has none yet, so this is the reserved
  # example domain until it has.
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Quillomantrase developers <quillomantrase@example.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
  # Under Wayland SDL has no window surface in plain memory: the frame goes through EGL, which
  # Mesa's software renderer serves where there is no GPU.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libegl1, libgl1-mesa-dri")
  # The first line of the package's description is the summary above.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Quillomantrase shows the Earth as a software-rendered, texture-mapped globe
in front of 1000 twinkling stars. The globe spins, travels along an
elliptical orbit, swings its tilt and carries a day-and-night shading with
light points on the night side.
.
This package holds the saver, which runs full screen by itself or as an
xscreensaver hack, and quillomantrase-render, which writes its frames as PNG
files without a display.")
endif()

include(CPack)
