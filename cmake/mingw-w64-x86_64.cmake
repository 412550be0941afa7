# 64-bit Windows with mingw-w64: cmake --preset win64
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TAMVO_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
