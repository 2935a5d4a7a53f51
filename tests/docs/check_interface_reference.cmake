# Fails unless REFERENCE documents every virtual function that HEADER declares.
# For IKELPIE slot N named X it needs the table row "| N | `X` |", the heading
# "### Slot N: X" (slot 39 is a section of its own: "## Slot 39: X") and the
# declaration itself; for MessageSink and FileStore the declarations.
# Declarations are compared with runs of blanks and line breaks made single.

# CMake lists split at ";", so the texts are read with ";" spelled out.
function(read_flat path out)
  file(READ "${path}" text)
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

read_flat("${HEADER}" header)
read_flat("${REFERENCE}" reference)

# The declarations of one class: from "class NAME {" up to its "protected:".
function(declarations_of class out)
  string(FIND "${header}" "class ${class} {" begin)
  if(begin EQUAL -1)
    message(FATAL_ERROR "class ${class} not found in ${HEADER}")
  endif()
  string(SUBSTRING "${header}" ${begin} -1 body)
  string(FIND "${body}" "protected:" end)
  string(SUBSTRING "${body}" 0 ${end} body)
  string(REGEX MATCHALL "virtual [^<]*= 0<semicolon>" found "${body}")
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(problems "")

declarations_of(IKELPIE slots)
list(LENGTH slots count)
if(NOT count EQUAL 40)
  message(FATAL_ERROR "IKELPIE declares ${count} virtual functions, expected 40")
endif()

set(slot 0)
foreach(declaration IN LISTS slots)
  string(REGEX MATCH "([A-Za-z0-9_]+)\\(" name "${declaration}")
  set(name "${CMAKE_MATCH_1}")
  string(FIND "${reference}" "| ${slot} | `${name}` |" row)
  if(row EQUAL -1)
    list(APPEND problems "slot ${slot} ${name}: no row \"| ${slot} | `${name}` |\" in the table")
  endif()
  string(FIND "${reference}" "## Slot ${slot}: ${name} " heading)
  if(heading EQUAL -1)
    list(APPEND problems "slot ${slot} ${name}: no heading \"### Slot ${slot}: ${name}\"")
  endif()
  string(FIND "${reference}" "${declaration}" quoted)
  if(quoted EQUAL -1)
    list(APPEND problems "slot ${slot} ${name}: declaration not quoted as in the header")
  endif()
  math(EXPR slot "${slot} + 1")
endforeach()

foreach(class MessageSink FileStore)
  declarations_of(${class} methods)
  foreach(declaration IN LISTS methods)
    string(FIND "${reference}" "${declaration}" quoted)
    if(quoted EQUAL -1)
      string(REPLACE "<semicolon>" "" shown "${declaration}")
      list(APPEND problems "${class}: \"${shown}\" not quoted")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "docs/interface.md is behind include/kelpie/kelpie.h:\n  ${text}")
endif()
message(STATUS "docs/interface.md covers all 40 slots, the sink and the store")
