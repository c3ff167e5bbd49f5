# The header-only libraries of `hues` (CLI11, nlohmann/json, {fmt}, Boost's Beast and Asio, and
# stb_image) as targets hueviewer::cli11, hueviewer::json, hueviewer::fmt, hueviewer::boost and
# hueviewer::stb.
#
# Natively they come from their Debian packages' CMake files. A cross build cannot use
# those, as they point into the host's /usr/include, where the host's C library headers
# would shadow the target's; so there the library's own header folder alone is copied into
# the build tree and used from there.
#
# {fmt} alone is more than headers natively: Debian's libfmt holds its compiled part, which the
# headers alone compile again into every unit that formats (some 3 s of CPU each in an
# optimised build). A cross build has no such library: there fmt_compiled.cpp makes that part
# from the headers, once.
include_guard(GLOBAL)

function(_hueviewer_staged_headers name folder)
  find_path(_${name}_root "${folder}" PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT _${name}_root)
    message(FATAL_ERROR "${folder}/ not found in /usr/include: install its Debian -dev package")
  endif()
  set(staged "${PROJECT_BINARY_DIR}/staged-headers/${name}")
  file(COPY "${_${name}_root}/${folder}" DESTINATION "${staged}")
  add_library(hueviewer_${name} INTERFACE)
  target_include_directories(hueviewer_${name} SYSTEM INTERFACE "${staged}")
  add_library(hueviewer::${name} ALIAS hueviewer_${name})
endfunction()

if(CMAKE_CROSSCOMPILING)
  # Boost's headers are 160 MB: linked into the build tree, not copied.
  find_path(_boost_root boost/beast.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT _boost_root)
    message(FATAL_ERROR "boost/beast.hpp not found in /usr/include: install libboost-dev")
  endif()
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/staged-headers/boost")
  file(CREATE_LINK "${_boost_root}/boost" "${PROJECT_BINARY_DIR}/staged-headers/boost/boost" SYMBOLIC)
  add_library(hueviewer_boost INTERFACE)
  target_include_directories(hueviewer_boost SYSTEM INTERFACE "${PROJECT_BINARY_DIR}/staged-headers/boost")
  add_library(hueviewer::boost ALIAS hueviewer_boost)
  _hueviewer_staged_headers(cli11 CLI)
  _hueviewer_staged_headers(json nlohmann)
  _hueviewer_staged_headers(fmt fmt)
  # fmt_compiled.cpp names what {fmt} 9 leaves to its library; another {fmt} is taken whole from
  # its headers, as before.
  file(STRINGS "${PROJECT_BINARY_DIR}/staged-headers/fmt/fmt/core.h" _fmt_version
       REGEX "^#define FMT_VERSION [0-9]+")
  if(_fmt_version MATCHES "FMT_VERSION 9[0-9][0-9][0-9][0-9]$")
    add_library(hueviewer_fmt_compiled STATIC "${CMAKE_CURRENT_LIST_DIR}/fmt_compiled.cpp")
    target_include_directories(hueviewer_fmt_compiled SYSTEM PRIVATE "${PROJECT_BINARY_DIR}/staged-headers/fmt")
    target_compile_features(hueviewer_fmt_compiled PRIVATE cxx_std_20)
    target_link_libraries(hueviewer_fmt INTERFACE hueviewer_fmt_compiled)
  else()
    target_compile_definitions(hueviewer_fmt INTERFACE FMT_HEADER_ONLY=1)
  endif()
else()
  find_package(CLI11 CONFIG REQUIRED GLOBAL)
  find_package(nlohmann_json 3 CONFIG REQUIRED GLOBAL)
  find_package(fmt CONFIG REQUIRED GLOBAL)
  add_library(hueviewer::cli11 ALIAS CLI11::CLI11)
  add_library(hueviewer::json ALIAS nlohmann_json::nlohmann_json)
  add_library(hueviewer::fmt ALIAS fmt::fmt)
  find_package(Boost 1.74 CONFIG REQUIRED GLOBAL)
  add_library(hueviewer::boost ALIAS Boost::headers)
endif()

# stb's headers (libstb-dev), staged on every system: its folder alone, included as
# <stb/stb_image.h>, and the decoder's code compiled into the one unit that defines it.
_hueviewer_staged_headers(stb stb)
