// The deterministic shape rasteriser behind the primitives. Coordinates are in mask units
// (pixels, or 1/f pixel in a supersampled mask); a unit square (x, y) is covered when its centre
// (x + 0.5, y + 0.5) lies inside the shape. Boxes are (left, top, right, bottom), right and
// bottom exclusive.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/coverage.h"
#include "editing/primitives.h"

namespace morvane::raster {

// Ellipse inscribed in the box.
void FillEllipse(CoverageMask& mask, double left, double top, double right, double bottom,
                 std::uint8_t v);
// The one-unit outline of FillEllipse's shape: its units with a 4-neighbour outside it.
void OutlineEllipse(CoverageMask& mask, double left, double top, double right, double bottom,
                    std::uint8_t v);
// Box with elliptic corners of roundW x roundH (each limited to the box).
void FillRoundRect(CoverageMask& mask, double left, double top, double right, double bottom,
                   double roundW, double roundH, std::uint8_t v);
// Even-odd polygon through the points (closed implicitly).
void FillPolygon(CoverageMask& mask, const std::vector<PointD>& points, std::uint8_t v);
// A pen of the given diameter along the segment, with round ends.
void FillCapsule(CoverageMask& mask, PointD a, PointD b, double diameter, std::uint8_t v);
// An open polyline with a pen of the given diameter (round ends and joins); a diameter of 1 or
// less walks each segment one unit wide.
void StrokePolyline(CoverageMask& mask, const std::vector<PointD>& points, double diameter,
                    std::uint8_t v);

}  // namespace morvane::raster
