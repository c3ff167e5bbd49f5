# What reads and writes Krita's palettes: zlib's own zip layer, minizip, and the expat streaming
# XML parser, as targets hueviewer::minizip and hueviewer::expat.
#
# Natively they are Debian's packages (libminizip-dev, libexpat1-dev). Debian packages zlib
# alone for MinGW-w64 (libz-mingw-w64-dev); for a Windows build the same two libraries, at the
# versions Debian ships, are taken as Debian's sources from the Debian archive that this
# machine's apt configuration names (or HUEVIEWER_DEBIAN_ARCHIVE), checked against their SHA-256,
# given Debian's patches, and compiled into the build. No download host is written here: a
# user's machine has its own mirror.
include_guard(GLOBAL)

# The Debian archive apt reads packages from, as "URI/" (the one whose origin is Debian itself,
# not its security archive, whose pool is laid out otherwise).
function(hueviewer_debian_archive out)
  set(HUEVIEWER_DEBIAN_ARCHIVE "" CACHE STRING
    "The Debian archive to take sources from (its URI, ending in /); empty: apt's own")
  if(HUEVIEWER_DEBIAN_ARCHIVE)
    set(${out} "${HUEVIEWER_DEBIAN_ARCHIVE}" PARENT_SCOPE)
    return()
  endif()
  find_program(HUEVIEWER_APT_GET apt-get)
  if(HUEVIEWER_APT_GET)
    execute_process(
      COMMAND "${HUEVIEWER_APT_GET}" indextargets --format "$(ORIGIN) $(REPO_URI)"
        "Created-By: Packages"
      OUTPUT_VARIABLE _targets ERROR_QUIET RESULT_VARIABLE _status)
    if(_status EQUAL 0 AND _targets MATCHES "(^|\n)Debian ([^ \n]+/)")
      set(${out} "${CMAKE_MATCH_2}" PARENT_SCOPE)
      return()
    endif()
  endif()
  message(FATAL_ERROR "The Windows build takes Debian's sources of minizip and expat from the "
    "Debian archive apt is configured with, and apt names none here (apt-get indextargets). "
    "Give one with -DHUEVIEWER_DEBIAN_ARCHIVE=URI/, the address of a Debian mirror.")
endfunction()

if(CMAKE_CROSSCOMPILING)
  enable_language(C)  # minizip and expat are C
  find_package(ZLIB REQUIRED)
  include(FetchContent)
  hueviewer_debian_archive(_archive)
  set(_pool "${_archive}pool/main")
  FetchContent_Declare(hueviewer_minizip_source
    URL "${_pool}/m/minizip/minizip_1.1.orig.tar.xz"
    URL_HASH SHA256=7d8da446d3b6799e7851f077a66551a46b80fc3de708549e79dbd3e49e842ba1)
  FetchContent_Declare(hueviewer_minizip_debian
    URL "${_pool}/m/minizip/minizip_1.1-8+deb12u1.debian.tar.xz"
    URL_HASH SHA256=1a6f0cec9d51b9485d7a2f6c6fcf8240ab716854fe4640790838451f9f4b90fa)
  FetchContent_Declare(hueviewer_expat_source
    URL "${_pool}/e/expat/expat_2.5.0.orig.tar.gz"
    URL_HASH SHA256=ab00ee05c7067fd10a35c5d2a4922ebba746ddd50ff83b79c828da17bbdf1757)
  FetchContent_Declare(hueviewer_expat_debian
    URL "${_pool}/e/expat/expat_2.5.0-1+deb12u2.debian.tar.xz"
    URL_HASH SHA256=7e29f5db5067e55193540089ed0f3ec9676704cf79dcea81a9bfb9f49435ae53)
  FetchContent_Populate(hueviewer_minizip_source)
  FetchContent_Populate(hueviewer_minizip_debian)
  FetchContent_Populate(hueviewer_expat_source)
  FetchContent_Populate(hueviewer_expat_debian)

  # A source tree copied once into the build and given Debian's patches, in their order.
  function(hueviewer_stage_patched name source destination)
    if(EXISTS "${destination}/.patched")
      return()
    endif()
    file(REMOVE_RECURSE "${destination}")
    file(COPY "${source}/" DESTINATION "${destination}")
    foreach(patch IN LISTS ARGN)
      execute_process(COMMAND patch -p1 --quiet -i "${patch}"
        WORKING_DIRECTORY "${destination}" RESULT_VARIABLE _patched)
      if(NOT _patched EQUAL 0)
        message(FATAL_ERROR "${name}: Debian's patch ${patch} did not apply")
      endif()
    endforeach()
    file(TOUCH "${destination}/.patched")
  endfunction()

  # minizip with the security patch Debian's libminizip1 carries, staged so that it is included
  # as <minizip/zip.h>, as Debian installs it.
  set(_minizip "${PROJECT_BINARY_DIR}/staged-sources/minizip")
  hueviewer_stage_patched(minizip "${hueviewer_minizip_source_SOURCE_DIR}" "${_minizip}/minizip"
    "${hueviewer_minizip_debian_SOURCE_DIR}/patches/CVE-2023-45853.patch")
  add_library(hueviewer_minizip STATIC
    "${_minizip}/minizip/ioapi.c" "${_minizip}/minizip/unzip.c" "${_minizip}/minizip/zip.c")
  target_include_directories(hueviewer_minizip SYSTEM PUBLIC "${_minizip}")
  target_include_directories(hueviewer_minizip PRIVATE "${_minizip}/minizip")
  # Not our code: its own warnings are not ours to fail on.
  target_compile_options(hueviewer_minizip PRIVATE -w)
  target_link_libraries(hueviewer_minizip PUBLIC ZLIB::ZLIB)
  add_library(hueviewer::minizip ALIAS hueviewer_minizip)

  # expat with every patch of Debian's series (its security fixes among them), as libexpat1 is.
  set(_expat "${PROJECT_BINARY_DIR}/staged-sources/expat")
  file(STRINGS "${hueviewer_expat_debian_SOURCE_DIR}/patches/series" _series REGEX "^[^#]")
  list(TRANSFORM _series PREPEND "${hueviewer_expat_debian_SOURCE_DIR}/patches/")
  hueviewer_stage_patched(expat "${hueviewer_expat_source_SOURCE_DIR}" "${_expat}" ${_series})
  # What expat's own configure would find for a 64-bit Windows target.
  file(WRITE "${_expat}/config/expat_config.h"
    "#define BYTEORDER 1234\n#define HAVE_STDINT_H 1\n#define HAVE_STDLIB_H 1\n"
    "#define HAVE_STRING_H 1\n#define HAVE_INTTYPES_H 1\n#define STDC_HEADERS 1\n"
    "#define XML_CONTEXT_BYTES 1024\n#define XML_DTD 1\n#define XML_NS 1\n")
  add_library(hueviewer_expat STATIC
    "${_expat}/expat/lib/xmlparse.c" "${_expat}/expat/lib/xmlrole.c"
    "${_expat}/expat/lib/xmltok.c")
  target_include_directories(hueviewer_expat SYSTEM PUBLIC "${_expat}/expat/lib")
  target_include_directories(hueviewer_expat PRIVATE "${_expat}/config")
  target_compile_definitions(hueviewer_expat PUBLIC XML_STATIC)
  target_compile_options(hueviewer_expat PRIVATE -w)
  add_library(hueviewer::expat ALIAS hueviewer_expat)
else()
  find_package(PkgConfig REQUIRED)
  # Debian's minizip.pc names no zlib, whose headers its own include (zlib1g-dev).
  pkg_check_modules(HUEVIEWER_MINIZIP REQUIRED IMPORTED_TARGET GLOBAL minizip zlib)
  add_library(hueviewer::minizip ALIAS PkgConfig::HUEVIEWER_MINIZIP)
  pkg_check_modules(HUEVIEWER_EXPAT REQUIRED IMPORTED_TARGET GLOBAL expat>=2.5)
  add_library(hueviewer::expat ALIAS PkgConfig::HUEVIEWER_EXPAT)
endif()
