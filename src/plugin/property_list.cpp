#include "plugin/property_list.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "plugin/handover_image.h"

namespace morvane::handover {

namespace {

// A four-character code as the host's resource compiler stores it: a 32-bit number written
// little-endian, so "8BIM" reads "MIB8" in the file.
std::uint32_t FourCC(std::string_view code) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.resize(out.size() + 2);
  PutU16(out.data() + out.size() - 2, v);
}
void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.resize(out.size() + 4);
  PutU32(out.data() + out.size() - 4, v);
}

// One property: vendor, key, number 0, length, then the value padded to a multiple of 4 bytes.
// The length counts the padding, so a reader steps from one property to the next by it.
void AppendProperty(std::vector<std::uint8_t>& out, std::string_view key,
                    std::vector<std::uint8_t> value) {
  value.resize((value.size() + 3) / 4 * 4, 0);
  AppendU32(out, FourCC("8BIM"));
  AppendU32(out, FourCC(key));
  AppendU32(out, 0);
  AppendU32(out, static_cast<std::uint32_t>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
}

std::vector<std::uint8_t> PascalString(std::string_view text) {
  std::vector<std::uint8_t> v(text.size() + 1);
  v[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), v.begin() + 1);
  return v;
}

std::vector<std::uint8_t> Text(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<std::uint8_t> U32Value(std::uint32_t value) {
  std::vector<std::uint8_t> v(4);
  PutU32(v.data(), value);
  return v;
}

// Filter case handling: {input handling, output handling, flags 1, flags 2} for the flat image,
// flat image with selection, floating selection, and editable and protected transparency each
// without and with a selection.
constexpr std::array<std::array<std::uint8_t, 4>, 7> kFilterCases = {{
    {1, 1, 7, 0},
    {1, 1, 15, 0},
    {1, 1, 15, 0},
    {1, 1, 7, 0},
    {1, 1, 15, 0},
    {1, 1, 7, 0},
    {1, 1, 15, 0},
}};

}  // namespace

std::vector<std::uint8_t> PropertyListBytes() {
  std::vector<std::uint8_t> out;
  AppendU16(out, 1);
  AppendU32(out, 0);
  AppendU32(out, 8);
  AppendProperty(out, "kind", U32Value(FourCC("8BFM")));
  AppendProperty(out, "name", PascalString("Export to Morvane Pro"));
  AppendProperty(out, "catg", PascalString("Brenk Software"));
  AppendProperty(out, "vers", U32Value(0x00010001));
  AppendProperty(out, "wx86", Text("ENTRYPOINT"));
  AppendProperty(out, "mode", {0x10, 0, 0, 0});
  AppendProperty(out, "enbl", Text("in (PSHOP_ImageMode,RGBMode)"));
  std::vector<std::uint8_t> cases;
  for (const auto& c : kFilterCases) cases.insert(cases.end(), c.begin(), c.end());
  AppendProperty(out, "fici", cases);
  return out;
}

}  // namespace morvane::handover
