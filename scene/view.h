// The window's fixed parameters, shared by the window, the camera fit and the picture writers.
#pragma once

constexpr int windowWidth = 1024;  // pixels; the scene's starting box has the same size
constexpr int windowHeight = 700;
constexpr double fieldOfView = 45.0;  // vertical, in degrees, of the projection used for drawing
