# The Windows program, its Windows tests and its end-to-end tests, cross-built for each
# target as a build of its own beside the native one. One ctest run here counts the tests of
# all of them.
include(ExternalProject)

set(PIXELWREN_TARGETS i686 x86_64 CACHE STRING "Windows targets to build and test")
set(_cross_tests "")
foreach(arch IN LISTS PIXELWREN_TARGETS)
  ExternalProject_Add(win-${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/win-${arch}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DPIXELWREN_ARCH=${arch}
      -DGTEST_SOURCE_DIR=${GTEST_SOURCE_DIR}
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
    USES_TERMINAL_BUILD TRUE
  )
  string(APPEND _cross_tests "subdirs(\"${CMAKE_BINARY_DIR}/win-${arch}\")\n")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/cross-tests.cmake "${_cross_tests}")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/cross-tests.cmake)
