# Cross build for 64-bit Windows with MinGW-w64 (Debian's mingw-w64 and
# g++-mingw-w64-x86-64-posix). The POSIX-thread compilers are used because
# the engine runs std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KINLOOM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KINLOOM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KINLOOM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KINLOOM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KINLOOM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine.
find_program(KINLOOM_WINE NAMES wine wine64)
if(KINLOOM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KINLOOM_WINE})
endif()

# Nothing but the .exe files: the C and C++ run-times and winpthreads are
# linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
