# cmake -DEXE=tamvo.exe -P check_exe_manifest.cmake: fails unless the
# program carries its manifest, which asks for paths longer than MAX_PATH.
file(STRINGS "${EXE}" aware REGEX "<longPathAware[^>]*>true</longPathAware>")
if(NOT aware)
  message(FATAL_ERROR "${EXE} carries no manifest with longPathAware")
endif()
message(STATUS "${EXE}: ${aware}")
