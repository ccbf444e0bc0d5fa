// The scene as data and as a picture: a JSON document of everything the start-up sequence built, and an
// SVG file of what the window shows.
#pragma once

#include <cstdio>
#include <vector>

#include "app/pipeline.h"
#include "intersect/exact.h"
#include "scene/camera.h"
#include "scene/view.h"

// The window the picture reproduces: its size in pixels and the vertical field of view of its projection.
constexpr int pictureWidth = windowWidth;
constexpr int pictureHeight = windowHeight;
constexpr double pictureFieldOfView = fieldOfView;  // degrees

// The format of the JSON document, its "version" field; docs/scene.schema.json describes it. Raised when a
// field changes or goes away, not when one is added.
constexpr int sceneJsonVersion = 1;

// Writes one JSON document: the format's version, both curves (control points, sampled segments, hull),
// the meeting points, the bounding box, the camera (cx, cy, e, in scene units) and the search's statistics;
// with exact not null also its crossings and shared stretches ("exact"), with unique not null the meeting
// points with the search's repeats merged ("uniqueIntersections"). Floats are written with 9 significant
// digits and doubles with 17, so each reads back to itself (the camera of a scene drawn scaled is written as
// doubles); a value that is not finite is written as null.
void writeSceneJson(std::FILE* out, const SceneBuild& build, const Camera& camera, const ExactIntersections* exact,
                    const std::vector<Point>* unique = nullptr);

// Writes the picture the window shows at its starting size as SVG: the region the camera sees through the
// 45-degree perspective, the beige background, then circles, lines, segments (line, then a dot on each end)
// and points in the scene's order and colours, with 1-pixel lines and 4-pixel square dots placed on the
// pixels the window's rasteriser fills. Whether every write succeeded is left to the stream's owner.
void writeSceneSvg(std::FILE* out, const Camera& camera);

// The exact result as text: one line per meeting point, "crossing x y t s" or "touch x y t s", then one
// per shared stretch, "overlap t0 t1 s0 s1"; 17 significant digits.
void writeExactText(std::FILE* out, const ExactIntersections& exact);
