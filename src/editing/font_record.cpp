#include "editing/font_record.h"

#include <algorithm>
#include <cstdlib>

namespace morvane {
namespace {

void Put32(std::uint8_t* out, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

std::int32_t Get32(const std::uint8_t* in) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(in[0]) | in[1] << 8 | in[2] << 16 |
                                   static_cast<std::uint32_t>(in[3]) << 24);
}

}  // namespace

FontRecord DefaultFontRecord() {
  return FontRecord{};
}

std::array<std::uint8_t, kFontRecordSize> EncodeFontRecord(const FontRecord& font) {
  std::array<std::uint8_t, kFontRecordSize> out{};
  const std::int32_t ints[] = {font.height, font.width, font.escapement, font.orientation,
                               font.weight};
  for (int i = 0; i < 5; ++i) Put32(out.data() + 4 * i, ints[i]);
  const std::uint8_t bytes[] = {font.italic,  font.underline,     font.strikeOut,
                                font.charSet, font.outPrecision,  font.clipPrecision,
                                font.quality, font.pitchAndFamily};
  std::copy(std::begin(bytes), std::end(bytes), out.begin() + 20);
  const std::size_t n = std::min(font.faceName.size(), kFaceNameBytes - 1);
  std::copy_n(font.faceName.begin(), n, out.begin() + 28);
  return out;
}

std::optional<FontRecord> DecodeFontRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kFontRecordSize) return std::nullopt;
  const std::uint8_t* face = bytes.data() + 28;
  const auto* end = std::find(face, face + kFaceNameBytes, 0);
  if (end == face + kFaceNameBytes) return std::nullopt;
  FontRecord font;
  font.height = Get32(bytes.data());
  font.width = Get32(bytes.data() + 4);
  font.escapement = Get32(bytes.data() + 8);
  font.orientation = Get32(bytes.data() + 12);
  font.weight = Get32(bytes.data() + 16);
  font.italic = bytes[20];
  font.underline = bytes[21];
  font.strikeOut = bytes[22];
  font.charSet = bytes[23];
  font.outPrecision = bytes[24];
  font.clipPrecision = bytes[25];
  font.quality = bytes[26];
  font.pitchAndFamily = bytes[27];
  font.faceName.assign(face, end);
  return font;
}

FontRecord FontRecordOrDefault(std::span<const std::uint8_t> bytes) {
  return DecodeFontRecord(bytes).value_or(DefaultFontRecord());
}

int FontPixelHeight(const FontRecord& font, int factor) {
  // INT32_MIN has no absolute value in 32 bits.
  const long long h = std::llabs(static_cast<long long>(font.height));
  const int clamped = static_cast<int>(std::clamp<long long>(h == 0 ? 16 : h, 1, kMaxFontHeight));
  return clamped * std::max(factor, 1);
}

}  // namespace morvane
