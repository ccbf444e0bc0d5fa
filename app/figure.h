// The scene as a figure for reports: a clean, scalable SVG drawing instead of the window's pixels.
#pragma once

#include <cstdio>
#include <vector>

#include "app/pipeline.h"

// Writes the scene that build describes as an SVG figure: each curve as one smooth path through its
// samples (red), each hull as a dashed outline with round dots at its vertices (dark yellow, as yellow
// does not show on white), and the meeting points given as white round dots with a dark ring, on top of
// everything; with labels each point also gets its coordinates beside it. The figure is framed on what it
// shows, y upwards, with the same scale along both axes, on a white background; its size is 800 units
// along the longer side of the drawing. The title names what was drawn.
void writeFigure(std::FILE* out, const SceneBuild& build, const std::vector<Point>& meetingPoints, bool labels,
                 const char* title);
