// Bridges from the core's pixel types to Qt's: a CDib shown as a QImage, platform colour values
// (0x00BBGGRR) as QColor and back.
#pragma once

#include <cstdint>

#include <QColor>
#include <QImage>

#include "image/dib.h"

namespace morvane {

// A deep copy of the image's pixels (straight alpha, as CDib keeps them). Null for an empty image.
QImage ToQImage(const CDib& image);
// The image composited over an opaque background colour (0x00RRGGBB), as the editor shows it.
QImage ToDisplayImage(const CDib& image, std::uint32_t backgroundRgb);

QColor FromPlatformColor(std::uint32_t bgr);
std::uint32_t ToPlatformColor(const QColor& color);
// 0x00BBGGRR to 0x00RRGGBB.
std::uint32_t PlatformToRgb(std::uint32_t bgr);

}  // namespace morvane
