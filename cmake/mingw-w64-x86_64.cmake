# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix-threads variant, for
# std::thread and std::mutex), with the C and C++ runtimes linked in statically so the programs
# run on a Windows machine, or under Wine, with nothing installed beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DAXTOOL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DAXTOOL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DAXTOOL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DAXTOOL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DAXTOOL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# 64-bit file offsets (off_t, fseeko, stat) as on Linux. GCC 12's -Wrestrict misfires inside
# libstdc++'s string concatenation when optimising (GCC bug 105329), so it is left out here.
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64 -Wno-restrict")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs through Wine.
find_program(DAXTOOL_WINE NAMES wine wine64)
if(DAXTOOL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DAXTOOL_WINE})
endif()
