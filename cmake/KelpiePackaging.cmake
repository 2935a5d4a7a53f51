# Debian packages, one per install component (KelpieInstall.cmake):
#   libkelpie1     runtime      the shared library
#   libkelpie-dev  development  header, libkelpie.so, CMake package, kelpie.pc
#   kelpie-tools   tools        kelpie-export, kelpie-check
# Made by `cpack -G DEB` in a build directory; configure it with
# -DCMAKE_INSTALL_PREFIX=/usr to get Debian's multiarch library directory.
# The dependencies on other packages come from dpkg-shlibdeps, that is from
# the shared libraries the binaries actually link; the packages' dependencies
# on libkelpie1 are exact, since kelpie-export loads it with dlopen.
if(WIN32)
  return()
endif()

set(KELPIE_PACKAGES runtime=libkelpie1 development=libkelpie-dev)
if(TARGET kelpie-export)
  list(APPEND KELPIE_PACKAGES tools=kelpie-tools)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelpie)
set(CPACK_PACKAGE_VENDOR "The Kelpie developers")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Kelpie developers <maintainers@kelpie.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "board-export plug-in for layout programs (IDF, ODB++)
Kelpie is a shared library that a printed-circuit-board layout program
loads as a plug-in: the program describes one board through a table of 40
operations and asks for an export as an IDF 3.0 board and library file pair
or as an ODB++ job.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "board-export plug-in for layout programs - development files
The public header kelpie/kelpie.h, the link to the shared library, the CMake
package (find_package(kelpie): kelpie::kelpie and kelpie::headers) and the
pkg-config file for hosts that embed Kelpie.")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION electronics)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "board-export plug-in for layout programs - exporter and checker
kelpie-export loads the Kelpie plug-in the way a layout program does and
exports board designs written as JSON files to IDF and ODB++. kelpie-check
reads exported jobs back, checks them and draws their layers.")

set(CPACK_COMPONENTS_ALL "")
foreach(entry IN LISTS KELPIE_PACKAGES)
  string(REPLACE "=" ";" entry "${entry}")
  list(GET entry 0 component)
  list(GET entry 1 package)
  string(TOUPPER ${component} COMPONENT)
  list(APPEND CPACK_COMPONENTS_ALL ${component})
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${package})
  # Only in the packages: a plain `cmake --install` leaves it out.
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright DESTINATION share/doc/${package}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
