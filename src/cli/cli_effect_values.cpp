#include "cli/cli_effect_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "cli/cli_args.h"
#include "image/pixel.h"

namespace morvane::cli {
namespace {

// A finite real number, the whole text, independent of the locale.
std::optional<double> ParseReal(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string Hex(double platformColor) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", SwapRedBlue(static_cast<Pixel>(platformColor)));
  return text;
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

std::string Describe(const EffectParam& p) {
  std::string line = "  --" + std::string(p.cliName) + " ";
  switch (p.kind) {
    case ParamKind::kInt:
      line += Number(p.min) + ".." + Number(p.max) + ", default " + Number(p.def);
      break;
    case ParamKind::kToggle:
      line += "0|1, default " + Number(p.def);
      break;
    case ParamKind::kColor:
      line += "#RRGGBB, default " + Hex(p.def);
      break;
    case ParamKind::kMask: {
      line += "nine numbers, default ";
      for (int i = 0; i < 9; ++i) line += (i > 0 ? "," : "") + Number(p.maskDefault[i]);
      break;
    }
  }
  line += p.valueName != nullptr ? "  (\"" + std::string(p.valueName) + "\")" : "  (not stored)";
  return line + "\n";
}

}  // namespace

std::optional<std::string> ReadEffectValue(const EffectParam& param, std::string_view text,
                                           EffectValues& values, int valueIndex) {
  const std::string option = "--" + std::string(param.cliName);
  const auto at = static_cast<std::size_t>(valueIndex);
  switch (param.kind) {
    case ParamKind::kInt: {
      const auto n = ParseInt(text, static_cast<int>(param.min), static_cast<int>(param.max));
      if (!n)
        return option + " needs a whole number from " + Number(param.min) + " to " +
               Number(param.max);
      values[at] = *n;
      return std::nullopt;
    }
    case ParamKind::kToggle: {
      if (text != "0" && text != "1") return option + " needs 0 or 1";
      values[at] = text == "1" ? 1 : 0;
      return std::nullopt;
    }
    case ParamKind::kColor: {
      const auto rgb = text.starts_with('#') ? ParseRgb(text) : std::nullopt;
      if (!rgb) return option + " needs a colour as #RRGGBB";
      values[at] = SwapRedBlue(*rgb);
      return std::nullopt;
    }
    case ParamKind::kMask: {
      std::vector<std::string_view> parts;
      for (std::size_t comma; (comma = text.find(',')) != std::string_view::npos;) {
        parts.push_back(text.substr(0, comma));
        text.remove_prefix(comma + 1);
      }
      parts.push_back(text);
      bool ok = parts.size() == 9;
      for (std::size_t k = 0; ok && k < 9; ++k) {
        const auto v = ParseReal(parts[k]);
        ok = v && std::fabs(*v) <= param.max;
        if (ok) values[at + k] = *v;
      }
      if (!ok) {
        return option + " needs nine finite numbers separated by commas, each within " +
               Number(param.max) + " of 0";
      }
      return std::nullopt;
    }
  }
  return option + " is not understood";
}

std::string EffectList() {
  std::string list;
  for (const EffectInfo& e : Effects()) {
    list += std::string(e.cliName) + "  (" + e.menuText + ")";
    if (e.params.empty()) list += "  no parameters";
    if (e.geometric) list += "  whole image only";
    list += "\n";
    for (const EffectParam& p : e.params) list += Describe(p);
  }
  return list;
}

}  // namespace morvane::cli
