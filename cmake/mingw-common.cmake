# Shared by the MinGW-w64 toolchain files, which set PIXELWREN_TRIPLET first. Debian's
# -posix compilers: the -win32 thread model lacks std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${PIXELWREN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIXELWREN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PIXELWREN_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PIXELWREN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
