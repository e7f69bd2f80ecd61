# Cross-build for 32-bit Windows with MinGW-w64 (Debian packages
# g++-mingw-w64-i686-posix, binutils-mingw-w64-i686); tests run under Wine.
#
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=MinGW-i686.cmake -S . -B build-win32

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(MINGW_TRIPLET i686-w64-mingw32)

# The -posix variants: the -win32 ones have no std::thread or std::mutex.
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Headers and libraries only from the MinGW sysroot, programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A 64-bit time_t, as on every other target: the C runtime's _time64 family, so that dates
# after January 2038 come out right.
set(CMAKE_C_FLAGS_INIT -D__MINGW_USE_VC2005_COMPAT)
set(CMAKE_CXX_FLAGS_INIT -D__MINGW_USE_VC2005_COMPAT)

# One self-contained .exe: libgcc, libstdc++ and winpthread linked in, so
# nothing but system DLLs (kernel32, user32, msvcrt, ...) is needed at run time.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# add_test(), gtest_discover_tests() and try_run() start the programs
# through Wine, in a prefix of this build folder (QUILLORA_WINEPREFIX overrides).
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-emulator --default-prefix ${CMAKE_BINARY_DIR}/wine-prefix
    CACHE STRING "Runs the built programs: command and arguments, as a list")
