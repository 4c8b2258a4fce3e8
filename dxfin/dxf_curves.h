// Curves of DXF entities flattened to points: splines (control points or fit points only).
#pragma once

#include <vector>

#include "dxfin/dxf_drawing.h"

namespace lanterna::dxfin {

// How far an arc runs counterclockwise from start to end, within (0, turn]. A remainder, not a
// loop adding turns: that never ends on an angle so far off that a turn does not change it.
double Sweep(double start, double end, double turn);

struct Spline {
  int degree = 3;
  bool closed = false;
  std::vector<double> knots, weights;  // weights: none, or one per control point
  std::vector<Vertex> control, fit;
};

// The B-spline sampled 16 times per control point; a spline of fit points only passes
// through them (a centripetal Catmull-Rom curve, close to what CAD programs fit).
std::vector<Vertex> FlattenSpline(const Spline& s);

}  // namespace lanterna::dxfin
