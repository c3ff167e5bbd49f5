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
    share/applications/hueviewer.desktop
    share/icons/hicolor/scalable/apps/hueviewer.svg)
  if(NOT EXISTS "${PREFIX}/${expected}")
    message(FATAL_ERROR "not installed: ${expected}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
