# The 64-bit Windows program; its tests run under wine64.
set(VRTQLX_MINGW_PROCESSOR x86_64)
set(VRTQLX_MINGW_TRIPLET x86_64-w64-mingw32)
set(VRTQLX_WINE_LOADER wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
