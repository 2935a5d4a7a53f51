# kelpie.dll for Windows hosts, cross-built with mingw-w64 by
# scripts/build-windows. The compiler's own runtime (libgcc, libstdc++,
# winpthread) is linked into the DLL, which then needs only system DLLs.
# Only the two entry points are exported: the header marks them dllexport,
# which turns the linker's export-everything default off. kelpie.def lists
# them for linkers that make an import library from a definition file.
if(NOT WIN32)
  return()
endif()

option(KELPIE_BUILD_WINDOWS_TESTS "Build the Windows test programs (run under wine by the Linux suite)" OFF)

set_target_properties(kelpie PROPERTIES PREFIX "")
target_link_options(kelpie PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>
  -Wl,--output-def,$<TARGET_FILE_DIR:kelpie>/kelpie.def)
install(FILES $<TARGET_FILE_DIR:kelpie>/kelpie.def DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)

if(KELPIE_BUILD_WINDOWS_TESTS)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/windows/programs ${CMAKE_BINARY_DIR}/tests)
endif()
