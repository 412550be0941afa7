# Shared part of the mingw-w64 toolchains: the including file sets
# TAMVO_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which the win32
# model's libstdc++ lacks.
set(CMAKE_C_COMPILER ${TAMVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAMVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAMVO_MINGW_TRIPLET}-windres)
set(TAMVO_WIDL ${TAMVO_MINGW_TRIPLET}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${TAMVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the GCC runtime and winpthread in, so the DLL and the test
# programs need nothing beyond the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest runs the Windows test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
