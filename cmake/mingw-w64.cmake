# Cross-build for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
# KOVREL_WIN_DEPS names the prefix that scripts/windows-deps.sh filled with libxml2, wxMSW and
# GoogleTest; the default is the cache's current entry.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOVREL_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOVREL_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOVREL_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KOVREL_MINGW_HOST}-windres)

if(NOT KOVREL_WIN_DEPS)
    if(DEFINED ENV{KOVREL_WIN_DEPS})
        set(KOVREL_WIN_DEPS "$ENV{KOVREL_WIN_DEPS}")
    elseif(DEFINED ENV{KOVREL_WIN_CACHE})
        set(KOVREL_WIN_DEPS "$ENV{KOVREL_WIN_CACHE}/current")
    else()
        set(KOVREL_WIN_DEPS /var/cache/kovrel-windows/current)
    endif()
endif()
set(KOVREL_WIN_DEPS "${KOVREL_WIN_DEPS}" CACHE PATH "Prefix of the Windows builds of libxml2, wxWidgets and GoogleTest")
# try_compile projects run this file again and need the value too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOVREL_WIN_DEPS)

# wx-config reports the prefix with the cache's link resolved; a root given only through the
# link would not contain the paths it reports.
file(REAL_PATH "${KOVREL_WIN_DEPS}" KOVREL_WIN_DEPS_REAL)
set(CMAKE_FIND_ROOT_PATH /usr/${KOVREL_MINGW_HOST} ${KOVREL_WIN_DEPS} ${KOVREL_WIN_DEPS_REAL})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# wx-config is a host script inside the prefix; the static build is the only one there.
set(wxWidgets_CONFIG_EXECUTABLE ${KOVREL_WIN_DEPS}/bin/wx-config CACHE FILEPATH "")
set(wxWidgets_CONFIG_OPTIONS --static=yes CACHE STRING "")

# One self-contained file per program: no libgcc, libstdc++ or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Version information for kovrel.exe and kovrel-convert.exe.
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/windows-resources.cmake)
