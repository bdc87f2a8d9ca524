# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Zanora for 64-bit Windows on Debian with mingw-w64 (posix threads) against the Qt
# for Windows that scripts/windows.sh builds, and runs the Windows programs (tests) under Wine.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The Windows Qt is taken from ZANORA_QT_WIN (CMake or environment variable), else from
# ${ZANORA_WIN_CACHE:-$HOME/.cache/zanora-win}/qt5-win64. Its bin/ holds Linux builds of moc, uic
# and rcc made with it, which its CMake files name as the host tools.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZANORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZANORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZANORA_MINGW_TRIPLET}-windres)

if(NOT ZANORA_QT_WIN)
    if(DEFINED ENV{ZANORA_QT_WIN})
        set(ZANORA_QT_WIN "$ENV{ZANORA_QT_WIN}")
    elseif(DEFINED ENV{ZANORA_WIN_CACHE})
        set(ZANORA_QT_WIN "$ENV{ZANORA_WIN_CACHE}/qt5-win64")
    else()
        set(ZANORA_QT_WIN "$ENV{HOME}/.cache/zanora-win/qt5-win64")
    endif()
endif()
if(NOT EXISTS "${ZANORA_QT_WIN}/lib/cmake/Qt5/Qt5Config.cmake")
    message(FATAL_ERROR "No Qt for Windows in ${ZANORA_QT_WIN}: run scripts/windows.sh --qt")
endif()
# try_compile() projects read the toolchain file again: hand them the same Qt.
set(ENV{ZANORA_QT_WIN} "${ZANORA_QT_WIN}")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZANORA_QT_WIN)

set(CMAKE_FIND_ROOT_PATH "${ZANORA_QT_WIN}" /usr/${ZANORA_MINGW_TRIPLET})
set(CMAKE_PREFIX_PATH "${ZANORA_QT_WIN}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The folders of the mingw-w64 runtime DLLs (libgcc_s_seh-1, libstdc++-6, libwinpthread-1).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
    OUTPUT_VARIABLE ZANORA_MINGW_STDCXX_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
    OUTPUT_VARIABLE ZANORA_MINGW_PTHREAD_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
