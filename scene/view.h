// The window's fixed parameters, shared by the windows, the camera fit and the picture writers.
#pragma once

constexpr const char* windowTitle = "Geometrija - prikaz zadatka";
constexpr int windowWidth = 1024;  // pixels; the scene's starting box has the same size
constexpr int windowHeight = 700;
constexpr int windowLeft = 100;  // screen position of the window's upper-left corner
constexpr int windowTop = 50;
constexpr double fieldOfView = 45.0;  // vertical, in degrees, of the projection used for drawing

// a light beige: red, yellow and white content all stand out against it
constexpr float backgroundRed = 0.9f;
constexpr float backgroundGreen = 0.9f;
constexpr float backgroundBlue = 0.8f;
constexpr float backgroundAlpha = 0.0f;

constexpr float dotSize = 4.0f;         // pixels, for segment ends and points: visible over the line pieces
constexpr int circleVertexCount = 100;  // enough for a round outline at window size
constexpr double circleAngleStep = 0.06283185307179587;  // 2π / circleVertexCount, radians
constexpr double lineReach = 100.0;  // a line is drawn from origin - 100·direction to origin + 100·direction
