# Release toolchain: 32-bit, because the vendor's camera button library is 32-bit.
# Also the test-i686 preset's, run under the private 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SNAP_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
