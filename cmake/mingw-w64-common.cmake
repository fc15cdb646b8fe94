# Toolchain settings shared by both MinGW-w64 targets.
set(CMAKE_C_COMPILER ${PLUMTIDE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLUMTIDE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PLUMTIDE_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PLUMTIDE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Static linking: the programs run from a bare folder without MinGW's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
