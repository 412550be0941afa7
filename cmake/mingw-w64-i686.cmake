# 32-bit Windows with mingw-w64: cmake --preset win32
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TAMVO_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
