# The Windows program, its Windows tests and the end-to-end tests, for one target.
enable_language(RC)

if(NOT PIXELWREN_ARCH)
  set(PIXELWREN_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()
if(PIXELWREN_ARCH STREQUAL "i686")
  set(PIXELWREN_WINEARCH win32)
else()
  set(PIXELWREN_WINEARCH win64)
endif()

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                        _WIN32_WINNT=0x0601 WINVER=0x0601)
# Only Windows' own DLLs at run time; unused code dropped, since users pick a tiny tool. The
# program's own code is optimised for size: its time goes to GDI, WIC and the window manager.
add_compile_options(-ffunction-sections -fdata-sections $<$<CONFIG:Release>:-Os>)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)

# Artwork drawn by a small host program at build time, and the manifest of this target.
set(PIXELWREN_GENERATED ${CMAKE_BINARY_DIR}/generated)
find_program(PIXELWREN_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
add_custom_command(
  OUTPUT ${PIXELWREN_GENERATED}/pixelwren.ico ${PIXELWREN_GENERATED}/toolbar16.bmp
         ${PIXELWREN_GENERATED}/toolbar20.bmp ${PIXELWREN_GENERATED}/toolbar24.bmp
         ${PIXELWREN_GENERATED}/toolbar32.bmp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PIXELWREN_GENERATED}
  COMMAND ${PIXELWREN_HOST_CXX} -std=c++20 -O2 ${CMAKE_SOURCE_DIR}/tools/art/make_art.cpp
          -o ${PIXELWREN_GENERATED}/make_art
  COMMAND ${PIXELWREN_GENERATED}/make_art ${PIXELWREN_GENERATED}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/art/make_art.cpp
  COMMENT "Drawing the icon and toolbar images"
  VERBATIM)
if(PIXELWREN_ARCH STREQUAL "i686")
  set(PIXELWREN_MANIFEST_ARCH X86)
else()
  set(PIXELWREN_MANIFEST_ARCH amd64)
endif()
configure_file(res/pixelwren.manifest.in ${PIXELWREN_GENERATED}/pixelwren.manifest @ONLY)
set(PIXELWREN_RESOURCES res/pixelwren.rc)
set_source_files_properties(res/pixelwren.rc PROPERTIES
  OBJECT_DEPENDS "${PIXELWREN_GENERATED}/pixelwren.ico;${PIXELWREN_GENERATED}/toolbar16.bmp;${PIXELWREN_GENERATED}/toolbar20.bmp;${PIXELWREN_GENERATED}/toolbar24.bmp;${PIXELWREN_GENERATED}/toolbar32.bmp;${PIXELWREN_GENERATED}/pixelwren.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${PIXELWREN_GENERATED}")

add_library(pw_win STATIC
  src/app/commands.cpp
  src/app/controls.cpp
  src/app/frm_main.cpp
  src/app/script.cpp
  src/platform/window.cpp
  src/area/feedback.cpp
  src/area/free_area.cpp
  src/area/magnifier.cpp
  src/capture/capture.cpp
  src/capture/picture.cpp
  src/platform/clipboard.cpp
  src/desktop/print.cpp
  src/desktop/programs.cpp
  src/desktop/wallpaper.cpp
  src/i18n/language_file.cpp
  src/document/file_dialog.cpp
  src/document/file_replace.cpp
  src/document/image_file.cpp
  src/platform/com.cpp
  src/platform/dpi.cpp
  src/platform/failure.cpp
  src/platform/monitors.cpp
  src/platform/process.cpp
  src/platform/program_folder.cpp
  src/platform/settings.cpp
  src/platform/system_library.cpp
  src/platform/text.cpp
)
target_include_directories(pw_win PUBLIC src)
# Only libraries that Windows takes from the system folder whatever lies beside the program
# (its known DLLs, and comctl32, which the manifest binds); dwmapi, windowscodecs and winspool
# are loaded from the system folder on first use (platform/system_library.h).
target_link_libraries(pw_win PUBLIC pw_core comctl32 comdlg32 shell32 oleaut32 ole32
                                    uuid gdi32 user32 advapi32)
target_compile_options(pw_win PRIVATE ${PIXELWREN_WARNINGS})

add_executable(Pixelwren WIN32 src/app/main.cpp ${PIXELWREN_RESOURCES})
target_link_libraries(Pixelwren PRIVATE pw_win)
target_link_options(Pixelwren PRIVATE -municode -s)
target_compile_options(Pixelwren PRIVATE ${PIXELWREN_WARNINGS})
# The loader takes an imported library that is not one of Windows' known DLLs from the
# program's folder first, before the program can say otherwise: the build fails on any such
# import, read from the finished file's import table.
add_custom_command(TARGET Pixelwren POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:Pixelwren>
          -P ${CMAKE_SOURCE_DIR}/cmake/check-imports.cmake
  VERBATIM)

# The program as a user gets it: Pixelwren.exe with the files that go beside it.
set(PIXELWREN_STAGE ${CMAKE_BINARY_DIR}/stage/Pixelwren)
add_custom_target(stage ALL
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PIXELWREN_STAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PIXELWREN_STAGE}/language ${PIXELWREN_STAGE}/Temp
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Pixelwren> ${PIXELWREN_STAGE}/Pixelwren.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/readme.txt ${PIXELWREN_STAGE}/readme.txt
  COMMAND ${CMAKE_COMMAND} -DFROM=${CMAKE_SOURCE_DIR}/data/language -DTO=${PIXELWREN_STAGE}/language
          -P ${CMAKE_SOURCE_DIR}/cmake/copy-language.cmake
  DEPENDS Pixelwren
  COMMENT "Staging the program folder"
  VERBATIM)
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/Pixelwren-${PROJECT_VERSION}-${PIXELWREN_ARCH}.zip
          --format=zip Pixelwren
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/stage
  DEPENDS stage
  VERBATIM)

# Tests run under Wine, in an environment of their own in the build tree: a prefix, an Xvfb
# screen and a Wine virtual desktop of the same size.
set(PIXELWREN_HARNESS ${CMAKE_SOURCE_DIR}/tests/harness/wine-env)
set(PIXELWREN_ENV ${CMAKE_BINARY_DIR}/wine-env)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PIXELWREN_HARNESS};run;${PIXELWREN_ENV})
set(PIXELWREN_FIXTURE wine_${PIXELWREN_ARCH})
set(PIXELWREN_DESKTOP_LOCK desktop_${PIXELWREN_ARCH})

add_test(NAME ${PIXELWREN_ARCH}.env.start
         COMMAND ${PIXELWREN_HARNESS} start ${PIXELWREN_ENV} ${PIXELWREN_WINEARCH}
                 $<TARGET_FILE:pwdriver> keep-desktop)
set_tests_properties(${PIXELWREN_ARCH}.env.start PROPERTIES
  FIXTURES_SETUP ${PIXELWREN_FIXTURE} TIMEOUT 180 LABELS harness)
add_test(NAME ${PIXELWREN_ARCH}.env.stop COMMAND ${PIXELWREN_HARNESS} stop ${PIXELWREN_ENV})
set_tests_properties(${PIXELWREN_ARCH}.env.stop PROPERTIES
  FIXTURES_CLEANUP ${PIXELWREN_FIXTURE} TIMEOUT 60 LABELS harness)

add_subdirectory(tests/win)
add_subdirectory(tests/e2e)

add_executable(pw_bench bench/capture_bench.cpp)
target_link_libraries(pw_bench PRIVATE pw_win psapi)
add_executable(pw_startup_bench bench/startup_bench.cpp)
target_link_options(pw_startup_bench PRIVATE -municode)
target_link_libraries(pw_startup_bench PRIVATE psapi)
# The start-up floor: one window, built as Pixelwren is (static runtime, stripped).
add_executable(pw_minimal_window WIN32 bench/minimal_window.cpp)
target_link_options(pw_minimal_window PRIVATE -municode -s)
# The same with the system libraries Pixelwren starts with, and its manifest.
add_executable(pw_minimal_window_dlls WIN32 bench/minimal_window.cpp res/pixelwren.rc)
target_compile_definitions(pw_minimal_window_dlls PRIVATE WITH_PROGRAM_DLLS)
target_link_options(pw_minimal_window_dlls PRIVATE -municode -s)
target_link_libraries(pw_minimal_window_dlls PRIVATE comctl32 advapi32)

# The command line's capture against the least a program can do for the same PNG file.
add_executable(pw_script_bench bench/script_bench.cpp)
target_link_options(pw_script_bench PRIVATE -municode)
target_link_libraries(pw_script_bench PRIVATE psapi)
add_executable(pw_minimal_capture bench/minimal_capture.cpp)
target_link_options(pw_minimal_capture PRIVATE -municode -s)
target_link_libraries(pw_minimal_capture PRIVATE ole32 windowscodecs uuid)

add_executable(pw_area_bench bench/area_bench.cpp)
target_link_libraries(pw_area_bench PRIVATE pw_win)

add_executable(pw_doc_bench bench/document_bench.cpp)
target_link_libraries(pw_doc_bench PRIVATE pw_win)
