// The program's start-up sequence, up to the window: read both control polygons, sample both curves into
// the scene, search them for meeting points, add the points and both hulls. The window and the command-line
// companion both build their scene with it.
#pragma once

#include <string>
#include <vector>

#include "bezier/bezier.h"
#include "geometry/geometry.h"
#include "intersect/intersect.h"

// Pieces whose first hull edges are this short count as met (slightly below 0.01 as a float).
constexpr float searchTolerance = 0.01f;

// What the sequence built besides the scene itself.
struct SceneBuild {
    Point* curve1 = nullptr;  // the control polygons as read (never released)
    int count1 = 0;           // the counts as read (zero or less: no points)
    Point* curve2 = nullptr;
    int count2 = 0;
    std::vector<Point> intersections;  // the meeting points, in the order the search found them
    SearchStats stats;                 // what the search did
    Point hull1[maxControlPoints];     // the hull of each control polygon and its vertex count
    int hullCount1 = 0;
    Point hull2[maxControlPoints];
    int hullCount2 = 0;
    Point samples1[curveSampleCount];  // each curve's samples, joined by its segments in the scene
    Point samples2[curveSampleCount];
};

// Reads firstFile and secondFile with readControlPoints (a file it refuses ends the process with its one
// line and exit status 1, before anything is added), then fills the scene with fillScene.
void buildScene(const char* firstFile, const char* secondFile, SceneBuild& build);

// Adds to the scene, for the control polygons build holds, in this order: the 499 sampled segments of each
// curve, the meeting points found with searchTolerance (WHITE), and the closed hull outline of each control
// polygon (YELLOW). Fills in the rest of build. An observer, when given, sees every pair the search examines.
void fillScene(SceneBuild& build, SearchObserver observer = nullptr, void* context = nullptr);

// The points in the order given, each one left out when it lies closer than tolerance (Euclidean distance,
// in double) to a point already kept: the search's points with its repeats of one meeting merged, the
// first found standing for the others.
std::vector<Point> uniquePoints(const std::vector<Point>& found, float tolerance);

// The one line, newline included, that a program writes on standard error when the budget cut the search
// short (its points are then only the first ones the whole search would have found); "" otherwise.
std::string searchCutShortLine(const SearchStats& stats);
