# Shared part of the mingw-w64 cross toolchains. The including file sets
# SNAP_MINGW_TRIPLE and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The -posix thread model is what GoogleTest's std::mutex/std::thread need.
set(CMAKE_C_COMPILER   ${SNAP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SNAP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${SNAP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SNAP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything runs under Wine here; the wrapper keeps one prefix per build tree.
# The i686 test build runs under the private 32-bit Wine instead
# (wine32-run.sh, prepared by scripts/wine32-setup.sh).
set(SNAP_WINE_RUNNER wine-run.sh CACHE STRING "Script in cmake/ that runs a Windows program")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/${SNAP_WINE_RUNNER})
