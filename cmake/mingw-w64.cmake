# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, for
# std::thread). Everything links statically, so the programs run without DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and test discovery run the .exe files under Wine.
find_program(VELTRA_WINE NAMES wine64 wine)
if(VELTRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRA_WINE})
  # Wine keeps its own Windows (the prefix) in the build tree, quiet and without the .NET and
  # HTML engines it would offer to install.
  set(VELTRA_EMULATOR_ENVIRONMENT
    "WINEPREFIX=${CMAKE_BINARY_DIR}/wine;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
endif()
