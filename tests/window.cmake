# Tests of the window code: its graphics calls, recorded by a stand-in for OpenGL, GLU and freeglut; the
# window program and the lab as processes; both in a real window under Xvfb; the companion command's SVG
# against the window; the installation of all three programs.

# --- the window program as a process, where it ends before any window opens
add_executable(program_tests ${CMAKE_CURRENT_SOURCE_DIR}/process_test.cpp)
target_link_libraries(program_tests PRIVATE geometrija_core GTest::gtest GTest::gtest_main)
target_compile_definitions(program_tests PRIVATE GEOMETRIJA_BINARY="$<TARGET_FILE:geometrija>")
add_dependencies(program_tests geometrija)
gtest_discover_tests(program_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)

# --- call level: the window code and setColor linked against the recording stand-in, not the libraries
add_executable(display_test
    ${CMAKE_CURRENT_SOURCE_DIR}/display_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/fake_gl.cpp
    ${PROJECT_SOURCE_DIR}/scene/window.cpp
    ${PROJECT_SOURCE_DIR}/geometry/set_color.cpp)
target_link_libraries(display_test PRIVATE geometrija_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(display_test DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)

# --- real window: the built program, and a test program showing made-up scenes, under Xvfb
add_executable(window_probe ${CMAKE_CURRENT_SOURCE_DIR}/window_probe.cpp)
target_link_libraries(window_probe PRIVATE geometrija_view)

# The program built with the camera fitted to the bounding box alone, to compare the pictures that box
# shows whole with.
add_executable(geometrija_box_fit ${PROJECT_SOURCE_DIR}/app/main.cpp ${CMAKE_CURRENT_SOURCE_DIR}/box_fit.cpp)
target_link_libraries(geometrija_box_fit PRIVATE geometrija_view)

# Preloaded into the program under test: one marks that the exit handlers ran, one fixes the planes at
# 1 and 1000 for comparison. Built without the sanitizers, which need their runtime loaded first.
add_library(window_exit_marker SHARED ${CMAKE_CURRENT_SOURCE_DIR}/exit_marker.c)
add_library(window_fixed_planes SHARED ${CMAKE_CURRENT_SOURCE_DIR}/fixed_planes.c)
target_link_libraries(window_fixed_planes PRIVATE ${CMAKE_DL_LIBS})
foreach(shim window_exit_marker window_fixed_planes)
    target_compile_options(${shim} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${GEOMETRIJA_WERROR}>:-Werror>)
endforeach()
add_dependencies(window_probe window_exit_marker window_fixed_planes)

# Colours the driver draws on the examples besides the background: red curves, yellow hulls, white
# intersection points. Each one listed must show where the camera puts its content, and each one left out
# must be absent, so the list follows what the driver adds to the scene.
set(GEOMETRIJA_DRIVER_COLOURS "red,yellow,white")

set(GEOMETRIJA_WINDOW_TEST
    /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/window_test.py
    --program $<TARGET_FILE:geometrija>
    --box-fit $<TARGET_FILE:geometrija_box_fit>
    --cli $<TARGET_FILE:geometrija-cli>
    --probe $<TARGET_FILE:window_probe>
    --exit-marker $<TARGET_FILE:window_exit_marker>
    --fixed-planes $<TARGET_FILE:window_fixed_planes>
    --close-script ${PROJECT_SOURCE_DIR}/scripts/close_window.py
    --examples ${PROJECT_SOURCE_DIR}/examples)
set(GEOMETRIJA_WINDOW_TESTS)
foreach(example default lines apart horizontal nested many same tall far negative)
    add_test(NAME Window.Program.${example}
             COMMAND ${GEOMETRIJA_WINDOW_TEST} program --example ${example} --draws "${GEOMETRIJA_DRIVER_COLOURS}")
    list(APPEND GEOMETRIJA_WINDOW_TESTS Window.Program.${example})
endforeach()
add_test(NAME Window.Program.MissingFile COMMAND ${GEOMETRIJA_WINDOW_TEST} missing)
list(APPEND GEOMETRIJA_WINDOW_TESTS Window.Program.MissingFile)
# eye distances 0.001, 0.5, 3000 and 1e7, and 0 (everything at the origin), a scene near (100000, 100000)
# and one across the float range: the content shows
foreach(scene Thousandth HalfUnit Thousands TenMillion AllAtOrigin FarOut FloatLimit)
    add_test(NAME Window.Extreme.${scene} COMMAND ${GEOMETRIJA_WINDOW_TEST} extreme --scene ${scene})
    list(APPEND GEOMETRIJA_WINDOW_TESTS Window.Extreme.${scene})
endforeach()
# eye distances 10, 20, 2.5 and 450: the picture is the one the planes 1 and 1000 give
foreach(scene Ordinary Centred NearBandLow Hundreds)
    add_test(NAME Window.Unchanged.${scene} COMMAND ${GEOMETRIJA_WINDOW_TEST} unchanged --scene ${scene})
    list(APPEND GEOMETRIJA_WINDOW_TESTS Window.Unchanged.${scene})
endforeach()
set_tests_properties(${GEOMETRIJA_WINDOW_TESTS} PROPERTIES TIMEOUT 120 LABELS window)

# --- the lab: driven with xdotool under Xvfb
set(GEOMETRIJA_LAB_WINDOW_TEST
    /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/lab_window_test.py
    --lab $<TARGET_FILE:geometrija-lab>
    --cli $<TARGET_FILE:geometrija-cli>
    --examples ${PROJECT_SOURCE_DIR}/examples)
foreach(case session refused)
    add_test(NAME Lab.Window.${case} COMMAND ${GEOMETRIJA_LAB_WINDOW_TEST} ${case})
    set_tests_properties(Lab.Window.${case} PROPERTIES TIMEOUT 120 LABELS window)
endforeach()

# --- the companion command's SVG, rasterised, against a screenshot of the window
# Share of the window's pixels the rasterised SVG must reproduce in exactly the same colour. Measured on the
# examples: 99.98% to 100% (the few pixels that differ lie where a line passes exactly between two pixel
# centres, and the window's rasteriser and the SVG renderer break the tie differently). Not examples/far:
# about 100000 from the origin the window's single-precision pipeline places vertices up to a pixel from
# where the SVG's double arithmetic puts them (99.7% agree).
set(GEOMETRIJA_SVG_AGREEMENT 0.999)
foreach(example default lines apart many tall negative)
    add_test(NAME Cli.SvgMatchesWindow.${example}
             COMMAND /bin/bash ${CMAKE_CURRENT_SOURCE_DIR}/svg_window_test.sh
                     $<TARGET_FILE:geometrija> $<TARGET_FILE:geometrija-cli> ${PROJECT_SOURCE_DIR} ${example}
                     ${GEOMETRIJA_SVG_AGREEMENT})
    set_tests_properties(Cli.SvgMatchesWindow.${example} PROPERTIES TIMEOUT 120 LABELS window)
endforeach()

# --- cmake --install into a prefix of its own, and the installed programs run
add_test(NAME Install.Prefix
         COMMAND /bin/bash ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(Install.Prefix PROPERTIES TIMEOUT 120)
