// The overlap test of two hull outlines with what every test of the pair needs of each outline found once
// beforehand: the search describes each piece's outline once and tests it in the two pairs the piece takes
// part in.
#pragma once

#include "geometry/geometry.h"
#include "intersect/intersect.h"

// One outline edge with what every test against it needs, formed exactly as segmentIntersection forms it.
// The floats it starts from are held in double, where every test computes with them, so that the tests of
// one edge against many convert nothing. Plain values, so an array of them costs nothing to set up.
struct OutlineEdge {
    double fromX;  // the first end
    double fromY;
    double dx;  // to - from, rounded to float
    double dy;
    double squaredLength;                // dx^2 + dy^2
    double toleranceTimesSquaredLength;  // parallelTolerance * squaredLength, the first factor of the test
    float toX;                           // the second end
    float toY;
    float loX, hiX, loY, hiY;  // the edge's box (described for outlines of more than 4 edges)

    Segment segment() const {
        return Segment(Point(static_cast<float>(fromX), static_cast<float>(fromY)), Point(toX, toY));
    }
};

// An outline and the box of its vertices. The edges are formed where a test needs them: most pairs of
// outlines are told apart by their boxes alone.
struct HullOutline {
    const Point* vertices;  // the outline's count vertices; they must outlive the description
    int n;
    double loX, hiX, loY, hiY;  // the box of the vertices
    const OutlineEdge* edges = nullptr;  // its distinct edges when described beforehand (describeEdges)

    HullOutline() = default;
    // described from count vertices, 1 to maxControlPoints, all finite
    HullOutline(const Point* outline, int count);

    // a two-vertex outline's closing edge runs from its first vertex to its last, as its one edge does
    int distinctEdges() const { return n == 2 ? 1 : n; }
};

// Describes the outline's distinct edges (vertex i to i + 1, and the closing edge from the first vertex to
// the last) into room, which must hold distinctEdges() of them and outlive the outline, for every test of
// the outline to read.
void describeEdges(HullOutline& outline, OutlineEdge* room);

// hullsOverlap of two outlines described beforehand: the same answer, with edge pairs that cannot meet
// told apart without division and outlines clearly apart skipped whole.
bool hullsOverlap(const HullOutline& first, const HullOutline& second);
