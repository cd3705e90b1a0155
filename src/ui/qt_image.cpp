#include "ui/qt_image.h"

#include "formats/executable_objects.h"

namespace morvane {

QImage ToQImage(const CDib& image) {
  const int width = image.GetWidth();
  const int height = image.GetHeight();
  if (width <= 0 || height <= 0) return {};
  // CDib keeps 0xAARRGGBB words, which is QImage's ARGB32 layout on every byte order.
  const QImage view(reinterpret_cast<const uchar*>(image.Pixels()), width, height,
                    static_cast<qsizetype>(image.Stride()) * 4, QImage::Format_ARGB32);
  return view.copy();
}

QImage ToDisplayImage(const CDib& image, std::uint32_t backgroundRgb) {
  return ToQImage(MakeDisplayCopy(image, backgroundRgb));
}

std::uint32_t PlatformToRgb(std::uint32_t bgr) {
  return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

QColor FromPlatformColor(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t ToPlatformColor(const QColor& color) {
  return static_cast<std::uint32_t>(color.red()) |
         (static_cast<std::uint32_t>(color.green()) << 8) |
         (static_cast<std::uint32_t>(color.blue()) << 16);
}

}  // namespace morvane
