// Command-line parsing for morvane-cli: positional arguments and "--name value" / "--name"
// options, and the value parsers the commands share. Parsers return nothing on a bad value; the
// command turns that into a usage error naming the option.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::cli {

struct OptionSpec {
  std::set<std::string, std::less<>> valued;  // options followed by a value, e.g. "--frame"
  std::set<std::string, std::less<>> flags;   // options that stand alone, e.g. "--json"
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> values;
  std::set<std::string, std::less<>> flags;
  std::string error;  // non-empty: the arguments were not understood

  bool Has(std::string_view name) const { return values.contains(name) || flags.contains(name); }
  const std::string* Value(std::string_view name) const;
};

// args excludes the program and command names. "--" ends the options; "-" alone is positional.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionSpec& spec);

// A decimal integer within [low, high], the whole text and nothing else.
std::optional<int> ParseInt(std::string_view text, int low, int high);
// Comma-separated decimal integers within [low, high]: "256,128,48".
std::optional<std::vector<int>> ParseIntList(std::string_view text, int low, int high);
// "X,Y", both within [low, high].
std::optional<std::pair<int, int>> ParsePair(std::string_view text, int low, int high);
// Six hex digits RRGGBB (an optional leading '#'), as 0xRRGGBB.
std::optional<unsigned> ParseRgb(std::string_view text);

}  // namespace morvane::cli
