# What `cpack` makes of an install: on Windows a zip of hues.exe with its README and
# LICENSE.
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME hueviewer)
set(CPACK_PACKAGE_VENDOR "the hueviewer authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "hues-${PROJECT_VERSION}-windows-x86_64")
  install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION .)
endif()

include(CPack)
