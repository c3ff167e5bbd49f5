# What `cpack` makes of an install: on Windows a zip of hueviewer.exe and hues.exe with the
# README and LICENSE; elsewhere one Debian package, hueviewer, with both programs.
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME hueviewer)
set(CPACK_PACKAGE_VENDOR "the hueviewer authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The zip is the portable choice; the installer is made beside it by the build.
  if(HUEVIEWER_BUILD_VIEWER)
    add_subdirectory("${PROJECT_SOURCE_DIR}/packaging/windows" "${PROJECT_BINARY_DIR}/packaging")
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "hueviewer-${PROJECT_VERSION}-windows-x86_64")
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
else()
  add_subdirectory("${PROJECT_SOURCE_DIR}/packaging" "${PROJECT_BINARY_DIR}/packaging")
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The hueviewer authors <authors@hueviewer.org>")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and command line for hue palette files")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[A hue file is the palette file that another application keeps in its
installation folder: each entry, a hue, holds 32 colours in a 15-bit format,
two table values and a short name.
.
hueviewer shows one hue at a time in a small window: its name, its table values
in hexadecimal and its colours as a strip of 32 swatches. hues finds hues by
name or by the nearest colour and exports them as a GIMP palette, a web page,
JSON or CSV.]=])
  # The libraries the programs link come from dpkg-shlibdeps. It cannot see what is loaded
  # at run time: Qt's platform plugins, and the Arial-metric font the window's captions are
  # sized for (without it, a wider default font clips them).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
  # Renders the window icon from its SVG.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6")
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

include(CPack)
