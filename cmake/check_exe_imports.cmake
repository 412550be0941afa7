# Checks a built tamvo.exe with objdump: it imports only from DLLs that
# every Windows has, so that it runs copied alone onto any machine.
#   cmake -DOBJDUMP=... -DEXE=... -P check_exe_imports.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/system_imports.cmake)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump -p ${EXE} failed")
endif()
tamvo_check_system_imports(${EXE} "${dump}")
