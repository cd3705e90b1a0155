#include "shell/frame_texts.h"

#include <cstdio>
#include <filesystem>

#include "shell/control_ids.h"

namespace morvane {

std::string SizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

std::string FormatText(const LanguagePack& pack, ColorFormat format) {
  return pack.text(language_section::kMainColors, std::to_string(BitsOf(format)),
                   ColorFormatName(format));
}

std::string FrameLabel(const LanguagePack& pack, const IconDocument& document, int index) {
  const ImageFrame& frame = document.Frame(index);
  if (document.Kind() == DocumentKind::kAnimatedCursor)
    return "N " + std::to_string(index + 1) + " - " + std::to_string(frame.rate) + " jifs";
  return SizeText(frame.image.GetWidth(), frame.image.GetHeight()) + "\n" +
         FormatText(pack, frame.format);
}

std::string WindowTitle(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  return name + " - " + std::string(kProgramTitle);
}

std::string PositionStatus(std::optional<std::pair<int, int>> position) {
  if (!position) return "-, -";
  return std::to_string(position->first) + ", " + std::to_string(position->second);
}

std::string SizeStatus(int width, int height) {
  if (width <= 0 || height <= 0 || (width == 1 && height == 1)) return "-, -";
  return std::to_string(width) + ", " + std::to_string(height);
}

std::string ColorStatus(std::optional<Pixel> pixel) {
  if (!pixel) return "-, -, -, -";
  const Pixel p = *pixel;
  const unsigned alpha = p >> 24;
  if (alpha == 0) return "screen";
  return std::to_string((p >> 16) & 0xFF) + ", " + std::to_string((p >> 8) & 0xFF) + ", " +
         std::to_string(p & 0xFF) + ", " + std::to_string(alpha);
}

int AniCountedFrames(const IconDocument& document) {
  int count = 0;
  for (int i = 0; i < document.Count(); ++i)
    if (document.Frame(i).rate != 0) ++count;
  return count;
}

double AniDurationSeconds(const IconDocument& document) {
  long long sum = 0;
  for (int i = 0; i < document.Count(); ++i) sum += document.Frame(i).rate;
  return static_cast<double>(static_cast<long long>(static_cast<double>(sum) * 0.0162 * 100)) *
         0.01;
}

std::string AniDurationText(double seconds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", seconds);
  return buffer;
}

}  // namespace morvane
