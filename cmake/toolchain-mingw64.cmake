# Cross build for 64-bit Windows with the posix-threads flavour of mingw-w64 GCC
# (the win32 flavour of GCC 12 has no std::thread or std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Headers and libraries staged for the cross compiler by scripts/setup.
if(NOT DEFINED GAUGELET_MINGW_PREFIX)
    if(DEFINED ENV{GAUGELET_CACHE})
        set(GAUGELET_MINGW_PREFIX "$ENV{GAUGELET_CACHE}/mingw")
    else()
        set(GAUGELET_MINGW_PREFIX "$ENV{HOME}/.cache/gaugelet/mingw")
    endif()
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${GAUGELET_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run through Wine; the wrapper picks the prefix and keeps Wine quiet.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
