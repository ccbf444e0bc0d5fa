// Bezier curves given by their control polygons: evaluation in Bernstein form, sampling into the scene,
// and the de Casteljau split.
#pragma once

#include "geometry/geometry.h"

// k! in 32-bit arithmetic; 1 for every k below 1. Exact up to 12! = 479001600, the largest that fits;
// above 12 the product wraps modulo 2^32 (bernstein never asks for it there).
int factorial(int k);

// The Bernstein basis value C(n, i) (1 - t)^(n - i) t^i in double precision. 1 - t is formed in double
// from the float t, and both powers are the library's pow. Up to degree 12 the binomial coefficient is
// the quotient of 32-bit factorials; above that it is computed exactly in 64-bit integers (exact for every
// degree up to maxControlPoints - 1 and beyond). An index outside 0..n gives 0.
double bernstein(int n, int i, float t);

// The curve point at t: x and y sums start at 0 and take b_i * P[i] term by term, each product and sum in
// double and rounded to float after every term. The result's colour is BLACK.
Point bezierPoint(const Point* controlPoints, int n, float t);

// Samples taken of each curve; sample i is at t = float(i * 0.002), so the last is at 0.998, never at 1.
constexpr int curveSampleCount = 500;

// Writes the curve's curveSampleCount samples, bezierPoint at each sample's t, into samples.
void sampleBezierCurve(const Point* controlPoints, int n, Point* samples);

// Adds the curveSampleCount - 1 segments joining consecutive samples to the scene in RED, first to last.
void addSampledCurve(const Point* samples);

// Samples the curve and adds the 499 segments joining consecutive samples to the scene in RED.
void addBezierCurve(const Point* controlPoints, int n);

// Splits the curve at t by de Casteljau's construction. left receives the n control points of the part
// from the start to the split point, right those of the part from the far end back to the split point.
// Products and sums run in double and are rounded to float when stored. The first point of each half keeps
// its input colour (first point on the left, last point on the right); every other output point has colour
// code 0. Both outputs need room for n points; either output may be the input array itself. Working storage
// is one row on the stack, so nothing is allocated. A count of 0 or less writes nothing and returns 1; a count
// above maxControlPoints is refused: nothing is written and the result is 0. Otherwise returns 1.
int splitBezier(const Point* controlPoints, int n, float t, Point* left, Point* right);

// splitBezier, also giving the box (loX, hiX, loY, hiY) of each half's n points in leftBox and rightBox: each
// bound is the first point's coordinate, replaced by every later one strictly beyond it (so of +0 and -0 the
// earlier stays). Nothing is written to the boxes where nothing is written to the halves.
int splitBezier(const Point* controlPoints, int n, float t, Point* left, Point* right, double leftBox[4],
                double rightBox[4]);
