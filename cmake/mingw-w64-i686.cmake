# Cross-compiles the 32-bit Windows program (for station PCs that still run 32-bit Windows)
# with Debian's MinGW-w64 toolchain (POSIX threads, so that std::thread works), linked
# statically: the .exe needs no DLL beside it. Tests of the build run under Wine's 32-bit
# side (wine32 from the i386 architecture).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
find_program(WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE32})
endif()
