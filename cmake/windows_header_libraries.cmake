# nlohmann-json, CLI11 and toml++ for the Windows build, from Debian's
# header packages. The cross compiler must not search /usr/include, which
# holds Linux's own headers: the three folders are linked into a folder of
# their own in the build tree, and find_package() finds each through a small
# config file in CMake's redirection folder (CMAKE_FIND_PACKAGE_REDIRECTS_DIR,
# which find_package() reads before the toolchain's root paths).

include(CMakePackageConfigHelpers)

set(TAMVO_HEADER_LIBRARIES_FROM /usr/include CACHE PATH
    "Where Debian's header packages put nlohmann/, CLI/ and toml++/")
set(tamvo_header_libraries ${CMAKE_BINARY_DIR}/header_libraries)
file(MAKE_DIRECTORY ${tamvo_header_libraries})

# package: the name find_package() is given; target: the imported target
# its callers link; folder: the headers' folder; version_header and prefix:
# where PREFIXMAJOR, PREFIXMINOR and PREFIXPATCH are defined. Any further
# arguments are compile definitions for the library's users.
function(tamvo_header_library package target folder version_header prefix)
  set(from ${TAMVO_HEADER_LIBRARIES_FROM}/${folder})
  if(NOT EXISTS ${from}/${version_header})
    message(FATAL_ERROR "${from}/${version_header} is missing: the Windows build takes ${package} "
                        "from Debian's header package (scripts/install-deps)")
  endif()
  set(version "")
  foreach(field MAJOR MINOR PATCH)
    file(STRINGS ${from}/${version_header} line REGEX "#define ${prefix}${field} +[0-9]+")
    string(REGEX MATCH "[0-9]+" number "${line}")
    list(APPEND version ${number})
  endforeach()
  list(JOIN version . version)

  file(CREATE_LINK ${from} ${tamvo_header_libraries}/${folder} SYMBOLIC)
  string(TOLOWER ${package} name)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${name}-config.cmake
       "if(NOT TARGET ${target})\n"
       "  add_library(${target} INTERFACE IMPORTED)\n"
       "  set_target_properties(${target} PROPERTIES\n"
       "    INTERFACE_INCLUDE_DIRECTORIES \"${tamvo_header_libraries}\"\n"
       "    INTERFACE_COMPILE_DEFINITIONS \"${ARGN}\")\n"
       "endif()\n")
  write_basic_package_version_file(${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${name}-config-version.cmake
                                   VERSION ${version} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
endfunction()

tamvo_header_library(nlohmann_json nlohmann_json::nlohmann_json nlohmann detail/abi_macros.hpp
                     NLOHMANN_JSON_VERSION_)
tamvo_header_library(CLI11 CLI11::CLI11 CLI Version.hpp CLI11_VERSION_)
# Debian builds toml++ as a shared library for Linux; here its implementation
# is compiled into the one source file that includes it.
tamvo_header_library(tomlplusplus tomlplusplus::tomlplusplus toml++ impl/version.h TOML_LIB_ TOML_HEADER_ONLY=1)
