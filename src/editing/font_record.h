// The Text tool's font as stored in the settings: a 60-byte record of height, width,
// escapement, orientation, weight, italic, underline, strike-out, character set, output and
// clip precision, quality, pitch and family, and a face name of up to 32 bytes ending in a zero.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace morvane {

inline constexpr std::size_t kFontRecordSize = 60;
inline constexpr std::size_t kFaceNameBytes = 32;
// Text taller than this is not drawn taller: the height is multiplied by the anti-aliasing
// factor afterwards, and the mask must stay a sane size.
inline constexpr int kMaxFontHeight = 512;

struct FontRecord {
  std::int32_t height = -16;  // negative: character height in pixels; positive: cell height
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 400;  // 400 normal, 700 bold
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strikeOut = 0;
  std::uint8_t charSet = 1;  // the default character set
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::string faceName = "Sans Serif";  // at most 31 bytes, as stored

  friend bool operator==(const FontRecord&, const FontRecord&) = default;
};

// The canvas's font when no "Font" value is stored.
FontRecord DefaultFontRecord();

std::array<std::uint8_t, kFontRecordSize> EncodeFontRecord(const FontRecord& font);
// Nothing when the record has the wrong length or its face name has no terminating zero.
std::optional<FontRecord> DecodeFontRecord(std::span<const std::uint8_t> bytes);
// A stored value, or the default font when it cannot be read.
FontRecord FontRecordOrDefault(std::span<const std::uint8_t> bytes);

// The pixel height to render with, clamped to 1..kMaxFontHeight and then multiplied by factor.
int FontPixelHeight(const FontRecord& font, int factor);

}  // namespace morvane
