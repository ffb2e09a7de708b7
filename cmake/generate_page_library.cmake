# Generates the page library, quill.js (an ES module) and its types,
# quill.d.ts, from the control's member definitions (control/members.def),
# so that a web page sees exactly the members the control has:
#
#   cmake -DDEFINITION=members.def -DTEMPLATE_DIR=browser/page-library
#         -DOUTPUT_DIR=dir -P generate_page_library.cmake
#
# A method NAME becomes quill.NAME(...args); a property P becomes
# quill.getP() and quill.putP(value). Arguments go to quill-host as given,
# so a wrong count or type is the host's to refuse (bad-arity,
# type-mismatch), as it is for any other caller.

cmake_minimum_required(VERSION 3.25)

foreach(variable DEFINITION TEMPLATE_DIR OUTPUT_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "generate_page_library.cmake: ${variable} is not set")
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/member_definitions.cmake)
quill_read_members("${DEFINITION}" member)
math(EXPR last "${member_COUNT} - 1")
set(banner "Generated from members.def by generate_page_library.cmake: do not edit.")

# The TypeScript type of a member's parameter or result.
function(script_type type direction out)
  if(type STREQUAL "long")
    set(${out} number PARENT_SCOPE)
  elseif(type STREQUAL "text" AND direction STREQUAL "in")
    set(${out} "string | null" PARENT_SCOPE)
  elseif(type STREQUAL "text")
    set(${out} string PARENT_SCOPE)
  else()
    set(${out} null PARENT_SCOPE)
  endif()
endfunction()

set(script "")
set(types "")
foreach(i RANGE ${last})
  set(kind ${member_${i}_KIND})
  set(name ${member_${i}_NAME})
  set(dispid ${member_${i}_DISPID})
  set(parameters "")
  foreach(parameter IN LISTS member_${i}_PARAMETERS)
    # name:type[:undirected]; a put's one parameter has no name (":type").
    string(REGEX MATCH "^([^:]*):([a-z]+)" ignored "${parameter}")
    set(parameterName "${CMAKE_MATCH_1}")
    set(type "${CMAKE_MATCH_2}")
    if(parameterName STREQUAL "")
      set(parameterName value)
    endif()
    script_type("${type}" in parameterType)
    list(APPEND parameters "${parameterName}: ${parameterType}")
  endforeach()
  list(JOIN parameters ", " parameters)
  script_type("${member_${i}_RESULT}" out resultType)

  if(kind STREQUAL "method")
    set(function "${name}")
    set(doc "Method ${name} (DISPID ${dispid}).")
    set(request "call")
  elseif(kind STREQUAL "get")
    set(function "get${name}")
    set(doc "Reads property ${name} (DISPID ${dispid}).")
    set(request "get")
  else()
    set(function "put${name}")
    set(doc "Writes property ${name} (DISPID ${dispid}).")
    set(request "put")
  endif()
  string(APPEND script "  ${function}: (...args) => request(\"${request}\", \"${name}\", args),\n")
  string(APPEND types "  /** ${doc} */\n  ${function}(${parameters}): Promise<${resultType}>;\n")
endforeach()

function(write_from_template templateName outputName members)
  file(READ "${TEMPLATE_DIR}/${templateName}" content)
  string(REPLACE "@QUILL_BANNER@" "${banner}" content "${content}")
  # The members replace their marker line whole.
  string(REPLACE "@QUILL_MEMBERS@\n" "${members}" content "${content}")
  if(content MATCHES "@QUILL_[A-Z_]+@")
    message(FATAL_ERROR "${templateName}: a marker was left unreplaced")
  endif()
  # Written only when it changes, so that what depends on it is not rebuilt.
  file(WRITE "${OUTPUT_DIR}/${outputName}.tmp" "${content}")
  file(COPY_FILE "${OUTPUT_DIR}/${outputName}.tmp" "${OUTPUT_DIR}/${outputName}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT_DIR}/${outputName}.tmp")
endfunction()

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
write_from_template(quill.js.in quill.js "${script}")
write_from_template(quill.d.ts.in quill.d.ts "${types}")
