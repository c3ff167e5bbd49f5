# What reads and writes Krita's palettes: zlib's own zip layer, minizip, and the pugixml XML
# parser, as targets hueviewer::minizip and hueviewer::pugixml.
#
# Natively they are Debian's packages (libminizip-dev, libpugixml-dev). Debian packages zlib
# alone for MinGW-w64 (libz-mingw-w64-dev); for a Windows build the same two libraries, at the
# versions Debian ships, are taken from Debian's archive as Debian's sources, checked against
# their SHA-256, given Debian's security patch, and compiled into the build.
include_guard(GLOBAL)

if(CMAKE_CROSSCOMPILING)
  enable_language(C)  # minizip is C
  find_package(ZLIB REQUIRED)
  include(FetchContent)
  set(_debian_pool "http://deb.debian.org/debian/pool/main")
  FetchContent_Declare(hueviewer_minizip_source
    URL "${_debian_pool}/m/minizip/minizip_1.1.orig.tar.xz"
    URL_HASH SHA256=7d8da446d3b6799e7851f077a66551a46b80fc3de708549e79dbd3e49e842ba1)
  FetchContent_Declare(hueviewer_minizip_debian
    URL "${_debian_pool}/m/minizip/minizip_1.1-8+deb12u1.debian.tar.xz"
    URL_HASH SHA256=1a6f0cec9d51b9485d7a2f6c6fcf8240ab716854fe4640790838451f9f4b90fa)
  FetchContent_Declare(hueviewer_pugixml_source
    URL "${_debian_pool}/p/pugixml/pugixml_1.13.orig.tar.gz"
    URL_HASH SHA256=5c5ad5d7caeb791420408042a7d88c2c6180781bf218feca259fd9d840a888e1)
  FetchContent_Populate(hueviewer_minizip_source)
  FetchContent_Populate(hueviewer_minizip_debian)
  FetchContent_Populate(hueviewer_pugixml_source)

  # The sources staged with the security patch Debian's libminizip1 carries, so that they are
  # included as <minizip/zip.h>, as Debian installs them.
  set(_minizip "${PROJECT_BINARY_DIR}/staged-sources/minizip")
  if(NOT EXISTS "${_minizip}/minizip/zip.c")
    file(COPY "${hueviewer_minizip_source_SOURCE_DIR}/" DESTINATION "${_minizip}/minizip")
    execute_process(
      COMMAND patch -p1 --quiet
        -i "${hueviewer_minizip_debian_SOURCE_DIR}/patches/CVE-2023-45853.patch"
      WORKING_DIRECTORY "${_minizip}/minizip"
      RESULT_VARIABLE _patched)
    if(NOT _patched EQUAL 0)
      message(FATAL_ERROR "minizip: Debian's patch CVE-2023-45853 did not apply")
    endif()
  endif()
  add_library(hueviewer_minizip STATIC
    "${_minizip}/minizip/ioapi.c" "${_minizip}/minizip/unzip.c" "${_minizip}/minizip/zip.c")
  target_include_directories(hueviewer_minizip SYSTEM PUBLIC "${_minizip}")
  target_include_directories(hueviewer_minizip PRIVATE "${_minizip}/minizip")
  # Not our code: its own warnings are not ours to fail on.
  target_compile_options(hueviewer_minizip PRIVATE -w)
  target_link_libraries(hueviewer_minizip PUBLIC ZLIB::ZLIB)
  add_library(hueviewer::minizip ALIAS hueviewer_minizip)

  set(_pugixml "${hueviewer_pugixml_source_SOURCE_DIR}/src")
  add_library(hueviewer_pugixml STATIC "${_pugixml}/pugixml.cpp")
  target_include_directories(hueviewer_pugixml SYSTEM PUBLIC "${_pugixml}")
  target_compile_options(hueviewer_pugixml PRIVATE -w)
  add_library(hueviewer::pugixml ALIAS hueviewer_pugixml)
else()
  find_package(PkgConfig REQUIRED)
  # Debian's minizip.pc names no zlib, whose headers its own include (zlib1g-dev).
  pkg_check_modules(HUEVIEWER_MINIZIP REQUIRED IMPORTED_TARGET GLOBAL minizip zlib)
  add_library(hueviewer::minizip ALIAS PkgConfig::HUEVIEWER_MINIZIP)
  find_package(pugixml 1.11 CONFIG REQUIRED GLOBAL)
  add_library(hueviewer::pugixml ALIAS pugixml::pugixml)
endif()
