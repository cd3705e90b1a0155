#include "formats/ansi_text.h"

#include <cstddef>
#include <cstdint>

namespace morvane {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; its five unassigned bytes map to the
// control characters of the same value, as the platform's conversion does.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::uint8_t kUnmappable = '?';

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    // Every Windows-1252 character lies in the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::uint8_t ToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<std::uint8_t>(cp);
  for (std::size_t i = 0; i < std::size(kCp1252High); ++i) {
    if (kCp1252High[i] == cp) return static_cast<std::uint8_t>(0x80 + i);
  }
  return kUnmappable;
}

// Decodes one UTF-8 sequence at text[i], advancing i. A malformed, overlong or surrogate
// sequence yields nothing for its first byte, so the caller writes one "?" per bad byte.
bool NextCodePoint(std::string_view text, std::size_t& i, char32_t& cp) {
  const auto lead = static_cast<std::uint8_t>(text[i++]);
  int extra = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    cp = lead;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    cp = lead & 0x1F, extra = 1, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    cp = lead & 0x0F, extra = 2, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    cp = lead & 0x07, extra = 3, minimum = 0x10000;
  } else {
    return false;
  }
  std::size_t j = i;
  for (int k = 0; k < extra; ++k, ++j) {
    if (j >= text.size()) return false;
    const auto b = static_cast<std::uint8_t>(text[j]);
    if ((b & 0xC0) != 0x80) return false;
    cp = cp << 6 | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i = j;
  return true;
}

}  // namespace

std::string Cp1252ToUtf8(Bytes bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const std::uint8_t b : bytes) {
    AppendUtf8(out, b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char32_t{b});
  }
  return out;
}

std::vector<std::uint8_t> Utf8ToCp1252(std::string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    out.push_back(NextCodePoint(text, i, cp) ? ToCp1252(cp) : kUnmappable);
  }
  return out;
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace morvane
