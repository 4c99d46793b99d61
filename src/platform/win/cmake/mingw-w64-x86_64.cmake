# CMake looks for a relative toolchain path below the source folder too, so
# "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake" works with -S src/platform/win.
include(${CMAKE_CURRENT_LIST_DIR}/../../../../cmake/mingw-w64-x86_64.cmake)
