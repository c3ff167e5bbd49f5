# Installs the build into a scratch prefix and checks that the program, its desktop entry
# and its icon land where desktops look for them, with the hues command line beside it.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(expected
    bin/hueviewer
    bin/hues
    share/applications/org.hueviewer.HueViewer.desktop
    share/icons/hicolor/scalable/apps/org.hueviewer.HueViewer.svg
    share/metainfo/org.hueviewer.HueViewer.metainfo.xml
    share/man/man1/hueviewer.1.gz
    share/man/man1/hues.1.gz)
  if(NOT EXISTS "${PREFIX}/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
