// What the interactive lab edits and shows, without any graphics: two control polygons read from their
// files, the scene built from them, the exact crossings, and the editing operations (find, move, insert and
// remove a control point; save and reload both files).
#pragma once

#include <string>
#include <vector>

#include "app/lab_steps.h"
#include "app/pipeline.h"
#include "geometry/geometry.h"
#include "intersect/exact.h"

struct LabModel {
    std::string files[2];           // where each control polygon was read from and is saved to
    std::vector<Point> curves[2];   // the control polygons being edited
    SceneBuild build;               // what the last rebuild made: meeting points, hulls, statistics
    ExactIntersections exact;       // the exact crossings of the last rebuild
    double searchMilliseconds = 0;  // how long the last rebuild's halving search took
    double exactMilliseconds = 0;   // and the exact crossings
};

// Reads both files. On success the curves are replaced and true is returned; when either file is refused,
// message holds its one-line refusal (without the line end), the curves stay as they were and the result is
// false. Counts of zero or less read as empty curves.
bool loadCurves(LabModel& lab, std::string& message);

// Empties the scene and builds it anew from the curves, as the program builds its own, and the exact
// crossings beside it. With steps, every pair the search examines is collected there.
void rebuild(LabModel& lab, SearchSteps* steps = nullptr);

// The control point nearest (x, y) among both curves within radius (inclusive): true with its curve (0 or 1)
// and index; on ties the first curve, then the lower index.
bool nearestControlPoint(const LabModel& lab, double x, double y, double radius, int& curve, int& index);

// Inserts p into the control polygon whose edge lies nearest to it (a one-point polygon counts as an edge
// of length zero), between that edge's ends; nothing when that curve already has maxControlPoints points or
// both curves are empty. True when a point was inserted, with its curve and index.
bool insertControlPoint(LabModel& lab, Point p, int& curve, int& index);

// Removes control point index of curve while the curve keeps at least one point; true when removed.
bool removeControlPoint(LabModel& lab, int curve, int index);

// Writes each curve back to its file in the reader's format, every coordinate with enough digits to read
// back to the same float. Each file is written to a new file beside it and renamed over it, so a failed
// write leaves the old file whole. On failure message says which file and why, and the result is false.
bool saveCurves(const LabModel& lab, std::string& message);

// The text of a control-point file for the polygon: the count, then one "x y" line per point.
std::string controlPointText(const std::vector<Point>& polygon);
