# Test toolchain: 64-bit, the only build Wine can run on these machines.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SNAP_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
