# Release toolchain: 32-bit, because the vendor's camera button library is 32-bit.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SNAP_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
