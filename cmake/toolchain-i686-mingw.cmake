# 32-bit Windows: the shipping build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
