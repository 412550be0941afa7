# Checks a built tamvo.dll with objdump: it exports exactly the four COM
# server functions at ordinals 1 to 4, and imports only from DLLs that every
# Windows has (no runtime DLL of the compiler to ship beside it).
#   cmake -DOBJDUMP=... -DDLL=... -P check_dll_exports.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/system_imports.cmake)

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p ${DLL} failed")
endif()

# objdump lists the exports' addresses by ordinal ("[   0] +base[   1] ...")
# and then their names ("[   0] DllCanUnloadNow"), both indexed from the
# ordinal base.
if(NOT dump MATCHES "Ordinal Base ([0-9]+)")
  message(FATAL_ERROR "${DLL} has no export table")
endif()
set(base ${CMAKE_MATCH_1})
string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\]" addresses "${dump}")
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" names_table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_0-9@]+" rows "${names_table}")
set(exports "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "\\[ *([0-9]+)\\] ([A-Za-z_0-9@]+)" "\\1;\\2" fields "${row}")
  list(GET fields 0 index)
  list(GET fields 1 name)
  math(EXPR ordinal "${index} + ${base}")
  list(APPEND exports "${ordinal} ${name}")
endforeach()
list(LENGTH addresses address_count)
if(NOT address_count EQUAL 4)
  message(FATAL_ERROR "${DLL} exports ${address_count} addresses, expected 4")
endif()
set(expected "1 DllCanUnloadNow;2 DllGetClassObject;3 DllRegisterServer;4 DllUnregisterServer")
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports of ${DLL}:\n  ${exports}\nexpected:\n  ${expected}")
endif()

tamvo_check_system_imports(${DLL} "${dump}")
message(STATUS "${DLL}: exports ${exports}")
