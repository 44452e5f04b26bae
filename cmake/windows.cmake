# The Windows program, its resources, its Windows-side tests and the portable folder.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(CORVANA_ARCH win64)
else()
    set(CORVANA_ARCH win32)
endif()
# ffmpeg.exe and its licence, as scripts/build-ffmpeg.sh made them.
set(FFMPEG_DIR ${CORVANA_DEPS_DIR}/ffmpeg-${CORVANA_ARCH})
if(NOT EXISTS ${FFMPEG_DIR}/ffmpeg.exe)
    message(FATAL_ERROR "${FFMPEG_DIR}/ffmpeg.exe not found; run scripts/setup.sh")
endif()

# Images: each vector source becomes one .ico holding the sizes that keep it crisp from 100 % to
# 200 % DPI; the program picks the size for the window's DPI at run time.
set(IMAGE_DIR ${CMAKE_BINARY_DIR}/images)
set(SMALL_SIZES 16 20 24 28 32)
set(MEDIUM_SIZES 32 40 48 56 64)
set(LARGE_SIZES 64 80 96 112 128)
set(IMAGE_SETS
    "about:SMALL" "help:SMALL" "exit:SMALL" "feedback:SMALL" "folder32:SMALL" "folder32-gray:SMALL"
    "setting_tools:SMALL" "file-sound:SMALL" "tick_button:SMALL" "stop_button:SMALL" "arrow:SMALL" "save:SMALL"
    "add-video:LARGE" "add-folder:LARGE" "envelope-letter-icon:LARGE" "sign-info-icon:LARGE"
    "sign-question-icon:LARGE" "logo:LARGE" "cat:LARGE" "like:MEDIUM" "dislike:MEDIUM" "corvana:ICON")
set(ICON_SIZES 16 20 24 32 40 48 64 256)
set(IMAGE_FILES)
foreach(entry IN LISTS IMAGE_SETS)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 set)
    set(svg ${CMAKE_SOURCE_DIR}/resources/images/${name}.svg)
    set(ico ${IMAGE_DIR}/${name}.ico)
    add_custom_command(OUTPUT ${ico}
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/render_icon.sh ${RSVG_CONVERT} ${IMAGEMAGICK_CONVERT} ${svg} ${ico} ${${set}_SIZES}
        DEPENDS ${svg} ${CMAKE_SOURCE_DIR}/cmake/render_icon.sh
        COMMENT "Rendering ${name}" VERBATIM)
    list(APPEND IMAGE_FILES ${ico})
endforeach()
add_custom_target(corvana_images DEPENDS ${IMAGE_FILES})

set(WIN_LIBS comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid version winhttp gdi32 user32 advapi32 uxtheme)

file(GLOB_RECURSE WIN_SOURCES CONFIGURE_DEPENDS src/*_win.cpp)
list(FILTER WIN_SOURCES EXCLUDE REGEX "winmain_win\\.cpp$")
add_library(corvana_win STATIC ${WIN_SOURCES})
target_link_libraries(corvana_win PUBLIC corvana_core ${WIN_LIBS})
target_include_directories(corvana_win PUBLIC resources)
target_compile_definitions(corvana_win PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

set(RC_FILE ${CMAKE_SOURCE_DIR}/resources/corvana.rc)
# The version record's numbers, and its text made from the dotted form by the resource compiler
# (windres passes definitions through a shell, which would strip a quoted string's quotes).
string(REPLACE "." "," CORVANA_VERSION_NUMBERS ${PROJECT_VERSION})
# Compiled once and linked into the program, its tests and the benchmarks.
add_library(corvana_resources OBJECT ${RC_FILE})
target_include_directories(corvana_resources PRIVATE ${IMAGE_DIR} resources)
target_compile_definitions(corvana_resources PRIVATE
    CORVANA_VERSION_NUMBERS=${CORVANA_VERSION_NUMBERS} CORVANA_VERSION_DOTTED=${PROJECT_VERSION})
set_source_files_properties(${RC_FILE} PROPERTIES
    OBJECT_DEPENDS "${IMAGE_FILES};${CMAKE_SOURCE_DIR}/resources/corvana.manifest;${CMAKE_SOURCE_DIR}/resources/resource.h")
add_dependencies(corvana_resources corvana_images)
add_executable(Corvana WIN32 src/app/winmain_win.cpp $<TARGET_OBJECTS:corvana_resources>)
target_include_directories(Corvana PRIVATE resources)
target_link_libraries(Corvana PRIVATE corvana_win)
target_link_options(Corvana PRIVATE -static -municode -mwindows)

# ffmpeg.exe and the licences beside the program, in the build folder and in the portable folder.
set(PORTABLE_DIR ${CMAKE_BINARY_DIR}/portable/Corvana-${PROJECT_VERSION}-${CORVANA_ARCH})
set(BUNDLED_FILES)
foreach(file IN ITEMS ${FFMPEG_DIR}/ffmpeg.exe ${FFMPEG_DIR}/ffmpeg-license.txt ${CMAKE_SOURCE_DIR}/license.txt)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${name} ${PORTABLE_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${CMAKE_BINARY_DIR}/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${PORTABLE_DIR}/${name}
        DEPENDS ${file} VERBATIM)
    list(APPEND BUNDLED_FILES ${CMAKE_BINARY_DIR}/${name} ${PORTABLE_DIR}/${name})
endforeach()
add_custom_target(corvana_bundled_files DEPENDS ${BUNDLED_FILES})
add_dependencies(Corvana corvana_bundled_files)
# What goes out has no debugging information (the build folder's copy keeps it).
add_custom_command(TARGET Corvana POST_BUILD
    COMMAND ${CMAKE_STRIP} --strip-debug -o ${PORTABLE_DIR}/Corvana.exe $<TARGET_FILE:Corvana>
    VERBATIM)
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/Corvana-${PROJECT_VERSION}-${CORVANA_ARCH}.zip
            --format=zip Corvana-${PROJECT_VERSION}-${CORVANA_ARCH}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/portable
    DEPENDS Corvana
    COMMENT "Packing the portable folder")
include(cmake/installer.cmake)

# Windows-side tests: real windows, processes, files and registry, run once under Wine, for each
# architecture with its own ffmpeg.exe.
file(GLOB_RECURSE WIN_TESTS CONFIGURE_DEPENDS tests/*_wintest.cpp)
add_executable(corvana_win_tests ${WIN_TESTS} $<TARGET_OBJECTS:corvana_resources>)
target_include_directories(corvana_win_tests PRIVATE resources tests)
target_link_libraries(corvana_win_tests PRIVATE corvana_win GTest::gtest GTest::gmock)
target_link_options(corvana_win_tests PRIVATE -static -municode)
target_compile_definitions(corvana_win_tests PRIVATE
    CORVANA_BUILD_DIR="${CMAKE_BINARY_DIR}" CORVANA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(corvana_win_tests Corvana installer corvana_test_sources)

# Sources of the types the built ffmpeg.exe reads but cannot write (Musepack, Speex), made for the
# tests by Debian's own encoders from a tone.
find_program(SOX sox REQUIRED)
find_program(MPCENC mpcenc REQUIRED)
find_program(SPEEXENC speexenc REQUIRED)
set(TEST_SOURCES_DIR ${CMAKE_BINARY_DIR}/test-sources)
add_custom_command(OUTPUT ${TEST_SOURCES_DIR}/tone.mpc ${TEST_SOURCES_DIR}/tone.spx
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TEST_SOURCES_DIR}
    COMMAND ${SOX} -n -r 44100 -c 2 -b 16 ${TEST_SOURCES_DIR}/tone.wav synth 1 sine 440
    COMMAND ${MPCENC} --silent --overwrite ${TEST_SOURCES_DIR}/tone.wav ${TEST_SOURCES_DIR}/tone.mpc
    COMMAND ${SPEEXENC} --quiet ${TEST_SOURCES_DIR}/tone.wav ${TEST_SOURCES_DIR}/tone.spx
    VERBATIM)
add_custom_target(corvana_test_sources DEPENDS ${TEST_SOURCES_DIR}/tone.mpc ${TEST_SOURCES_DIR}/tone.spx)
add_test(NAME windows COMMAND corvana_win_tests)
# A test program that cannot run on this machine (a 32-bit one where 32-bit programs cannot run)
# ends with 77, which counts as skipped.
set_tests_properties(core windows PROPERTIES TIMEOUT 1500 SKIP_RETURN_CODE 77)

if(CORVANA_ARCH STREQUAL "win64")
    # The 64-bit setup, in a 32-bit Windows prefix of the test's own.
    add_test(NAME setup_on_32bit_windows
        COMMAND ${CMAKE_SOURCE_DIR}/tests/installer/setup_on_32bit_windows.sh ${CORVANA_SETUP})
    set_tests_properties(setup_on_32bit_windows PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77)

    # Benchmarks: built with everything, so that they cannot break unseen; bench/run.sh runs them.
    add_subdirectory(${CMAKE_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)
endif()
