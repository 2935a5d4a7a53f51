# Fails unless LIBRARY defines exactly createkelpieserver and
# deletekelpieserver in its dynamic symbol table and names itself by SONAME.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* " "" name "${line}")
  list(APPEND names "${name}")
endforeach()
list(SORT names)
if(NOT names STREQUAL "createkelpieserver;deletekelpieserver")
  message(FATAL_ERROR "exported symbols are not exactly the two entry points:\n${symbols}")
endif()

execute_process(COMMAND ${READELF} -d ${LIBRARY}
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[libkelpie\\.so\\.[0-9]+\\]")
  message(FATAL_ERROR "no SONAME libkelpie.so.N in ${LIBRARY}:\n${dynamic}")
endif()
message(STATUS "exports: ${names}")
