# Tests of the window code: its graphics calls, recorded by a stand-in for OpenGL, GLU and freeglut, and
# the built program in a real window under Xvfb.

# --- call level: the window code and setColor linked against the recording stand-in, not the libraries
add_executable(display_test
    ${CMAKE_CURRENT_SOURCE_DIR}/display_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/fake_gl.cpp
    ${PROJECT_SOURCE_DIR}/scene/window.cpp
    ${PROJECT_SOURCE_DIR}/geometry/set_color.cpp)
target_link_libraries(display_test PRIVATE geometrija_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(display_test DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
