# What `cmake --install` puts under the prefix, by component:
#   runtime      lib/libkelpie.so.1.x.y and its SONAME link libkelpie.so.1
#                (bin/kelpie.dll on Windows)
#   development  include/kelpie/kelpie.h, the libkelpie.so link (the import
#                library on Windows), lib/cmake/kelpie/ and
#                lib/pkgconfig/kelpie.pc
#   tools        bin/kelpie-export (KelpieInstallTools.cmake)
# lib is the platform's library directory (GNUInstallDirs: lib/<multiarch>
# under /usr on Debian).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The public header alone, for hosts that load the library at run time.
add_library(kelpie_headers INTERFACE)
add_library(kelpie::headers ALIAS kelpie_headers)
set_target_properties(kelpie_headers PROPERTIES EXPORT_NAME headers)
target_include_directories(kelpie_headers INTERFACE
  $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(kelpie_headers INTERFACE cxx_std_11)

target_link_libraries(kelpie PUBLIC kelpie_headers)
add_library(kelpie::kelpie ALIAS kelpie)

install(TARGETS kelpie kelpie_headers EXPORT kelpie-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${CMAKE_SOURCE_DIR}/include/kelpie/kelpie.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kelpie COMPONENT development)

# find_package(kelpie): the targets file locates the prefix from its own
# place, so an installed tree can be moved.
set(KELPIE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kelpie)
install(EXPORT kelpie-targets NAMESPACE kelpie:: FILE kelpie-targets.cmake
  DESTINATION ${KELPIE_CMAKE_DIR} COMPONENT development)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/kelpie-config.cmake.in
  ${CMAKE_BINARY_DIR}/package/kelpie-config.cmake INSTALL_DESTINATION ${KELPIE_CMAKE_DIR})
# The interface version (208) changes only with the major version.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/kelpie-config-version.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/kelpie-config.cmake
              ${CMAKE_BINARY_DIR}/package/kelpie-config-version.cmake
  DESTINATION ${KELPIE_CMAKE_DIR} COMPONENT development)

# kelpie.pc names the prefix the tree is installed to, which is only known
# at install time (cmake --install --prefix, or /usr for the packages).
# Each install writes its own copy, so that installs running side by side
# (a package build and a test's private prefix) do not share a file.
install(CODE "
  string(MD5 kelpie_pc_id \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(KELPIE_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(KELPIE_PC_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(KELPIE_PC_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(KELPIE_PC_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${CMAKE_CURRENT_LIST_DIR}/kelpie.pc.in\"
                 \"${CMAKE_BINARY_DIR}/package/\${kelpie_pc_id}/kelpie.pc\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/package/\${kelpie_pc_id}/kelpie.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
" COMPONENT development)
