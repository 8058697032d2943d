# The 32-bit Windows program, for station PCs that still run 32-bit Windows; its tests run
# under Wine's 32-bit side (wine32 from the i386 architecture).
set(VRTQLX_MINGW_PROCESSOR i686)
set(VRTQLX_MINGW_TRIPLET i686-w64-mingw32)
set(VRTQLX_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
