# The tools (component "tools"). kelpie-export loads the plug-in with dlopen
# by its SONAME, so the tools' run path points at the installed library
# directory, relative to the program: an installed tree works without
# LD_LIBRARY_PATH wherever it is moved, and under /usr the system's own
# search finds the library. kelpie-check reads jobs back and needs no
# plug-in.
file(RELATIVE_PATH KELPIE_BIN_TO_LIB
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
foreach(tool kelpie-export kelpie-check)
  if(TARGET ${tool})
    if(NOT APPLE AND NOT WIN32)
      set_target_properties(${tool} PROPERTIES INSTALL_RPATH "$ORIGIN/${KELPIE_BIN_TO_LIB}")
    endif()
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
  endif()
endforeach()
