# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers (the
# -posix flavour, whose C++ runtime has std::thread and std::mutex).
# Used to build the static Qt for Windows (scripts/windows-qt.sh) and the
# program itself against it:
#   cmake -B build/windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DCMAKE_PREFIX_PATH=<Windows Qt> -DQT_HOST_PATH=/usr
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
# A program carries its C and C++ runtimes (libgcc, libstdc++, winpthread),
# so that the .exe runs on its own, without MinGW's DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Headers and libraries come from the MinGW-w64 tree only, never from the
# Linux system; programs (moc, rcc, uic of the host Qt) from the host.
# Packages are looked for in both, so that a Qt given by CMAKE_PREFIX_PATH
# (which lies outside the MinGW tree) is found as it is.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
