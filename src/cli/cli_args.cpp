#include "cli/cli_args.h"

#include <charconv>

#include "image/size_sets.h"

namespace morvane::cli {

const std::string* ParsedArgs::Value(std::string_view name) const {
  const auto it = values.find(name);
  return it == values.end() ? nullptr : &it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionSpec& spec) {
  ParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (spec.flags.contains(arg)) {
      parsed.flags.insert(arg);
    } else if (spec.valued.contains(arg)) {
      if (i + 1 >= args.size()) {
        parsed.error = arg + " needs a value";
        return parsed;
      }
      parsed.values[arg] = args[++i];
    } else {
      parsed.error = "unknown option " + arg;
      return parsed;
    }
  }
  return parsed;
}

std::optional<int> ParseInt(std::string_view text, int low, int high) {
  return ParseIntInRange(text, low, high);
}

std::optional<std::vector<int>> ParseIntList(std::string_view text, int low, int high) {
  std::vector<int> values;
  while (true) {
    const std::size_t comma = text.find(',');
    const std::optional<int> value = ParseInt(text.substr(0, comma), low, high);
    if (!value) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string_view::npos) return values;
    text.remove_prefix(comma + 1);
  }
}

std::optional<std::pair<int, int>> ParsePair(std::string_view text, int low, int high) {
  const std::optional<std::vector<int>> values = ParseIntList(text, low, high);
  if (!values || values->size() != 2) return std::nullopt;
  return std::pair{(*values)[0], (*values)[1]};
}

std::optional<unsigned> ParseRgb(std::string_view text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  if (text.size() != 6) return std::nullopt;
  unsigned value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace morvane::cli
