# The Windows program cross-compiled with Debian's MinGW-w64 toolchain (POSIX threads, so
# that std::thread works), linked statically: the .exe needs no DLL beside it. Tests of the
# build run under Wine. The programs are stripped, so they carry no debug sections. The
# toolchain files of the two architectures set VRTQLX_MINGW_PROCESSOR, VRTQLX_MINGW_TRIPLET
# and VRTQLX_WINE_LOADER, then include this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VRTQLX_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${VRTQLX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VRTQLX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VRTQLX_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VRTQLX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s")
find_program(VRTQLX_WINE NAMES ${VRTQLX_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(VRTQLX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VRTQLX_WINE})
endif()
