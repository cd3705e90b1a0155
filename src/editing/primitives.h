// Drawing primitives: each rasterises its shape into a coverage mask (supersampled when
// anti-aliasing is on) and hands it to ApplyCoverageMask. Boxes (x1, y1, x2, y2) include x2 and
// y2, except for the rounded rectangles, whose x2 and y2 lie one past the last covered pixel.
// Shapes may lie partly or wholly outside the target; what falls outside is dropped.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/coverage.h"
#include "editing/draw_settings.h"
#include "image/dib.h"

namespace morvane {

struct PointD {
  double x = 0;
  double y = 0;
  friend bool operator==(const PointD&, const PointD&) = default;
};

// Packs polygon replication: low 16 bits the copy count, high 16 bits the signed proportion.
constexpr std::uint32_t PackReplication(int count, int proportion) {
  return (static_cast<std::uint32_t>(static_cast<std::uint16_t>(proportion)) << 16) |
         static_cast<std::uint16_t>(count);
}

// The points a polyline or polygon is drawn through: the points themselves without replication;
// with it, the first point is the centre and the others one arm, copied count times around it,
// followed by a copy of the first output point. Too few points or a count of 0 give no points.
std::vector<PointD> ReplicatePoints(const std::vector<PointD>& points, std::uint32_t replication);

void FillRectangle(CDib& target, int x1, int y1, int x2, int y2, Pixel colour,
                   const DrawSettings& settings);
void DrawLine(CDib& target, int x0, int y0, int x1, int y1, Pixel colour, int width,
              const DrawSettings& settings);
void FillRoundRectangle(CDib& target, int x1, int y1, int x2, int y2, int roundW, int roundH,
                        Pixel colour, const DrawSettings& settings);
void DrawRoundRectangle(CDib& target, int x1, int y1, int x2, int y2, int roundW, int roundH,
                        Pixel colour, int width, const DrawSettings& settings);
void DrawEllipse(CDib& target, int x1, int y1, int x2, int y2, Pixel colour, int width,
                 const DrawSettings& settings);
void FillEllipse(CDib& target, int x1, int y1, int x2, int y2, Pixel colour,
                 const DrawSettings& settings);
void DrawPolyline(CDib& target, const std::vector<PointD>& points, Pixel colour, int width,
                  std::uint32_t replication, const DrawSettings& settings);
void FillPolygon(CDib& target, const std::vector<PointD>& points, Pixel colour,
                 std::uint32_t replication, const DrawSettings& settings);

// The mask half of DrawLine, for callers that combine masks themselves.
void RasterizeLine(CoverageMask& mask, int x0, int y0, int x1, int y1, std::uint8_t s, int width,
                   bool antiAlias);

}  // namespace morvane
