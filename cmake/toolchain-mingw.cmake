# Cross-build for Windows with MinGW-w64, for the processor the including
# toolchain file sets (CMAKE_SYSTEM_PROCESSOR: x86_64 or i686). The posix
# thread model is used because the win32 one has no std::mutex or
# std::thread in GCC 12.
set(CMAKE_SYSTEM_NAME Windows)
set(triplete ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplete}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplete}-g++-posix)
set(CMAKE_RC_COMPILER ${triplete}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplete})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test executables run under Wine, in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
