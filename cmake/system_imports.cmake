# tamvo_check_system_imports(FILE DUMP): fails unless every DLL that FILE
# imports, as `objdump -p` lists them in DUMP, is one that every Windows
# has: no runtime DLL of the compiler (libstdc++, libgcc, libwinpthread) to
# ship beside it.
function(tamvo_check_system_imports file dump)
  string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
  set(system_dlls advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll gdi32.dll
                  comctl32.dll shell32.dll version.dll)
  foreach(name IN LISTS names)
    string(REPLACE "DLL Name: " "" dll "${name}")
    string(TOLOWER "${dll}" dll)
    # The universal C runtime comes as API sets.
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-[a-z0-9-]+\\.dll$")
      message(FATAL_ERROR "${file} imports ${dll}, which is not a system DLL")
    endif()
  endforeach()
  message(STATUS "${file}: imports ${names}")
endfunction()
