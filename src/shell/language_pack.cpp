#include "shell/language_pack.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <system_error>

#include "formats/ansi_text.h"
#include "shell/settings.h"

namespace morvane {

namespace {

// The "*.lng" files of one folder in name order (the order a listing of an NTFS folder gives),
// leaving out folders, names starting with "." and anything that is not a regular file.
std::vector<std::filesystem::path> PackFilesIn(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> files;
  // Error codes throughout: a folder that cannot be listed simply holds no packs.
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::directory_entry& entry = *it;
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.front() == '.') continue;
    if (AsciiLower(entry.path().extension().string()) != ".lng") continue;
    std::error_code typeError;
    if (!entry.is_regular_file(typeError)) continue;
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    const std::string la = AsciiLower(a.filename().string());
    const std::string lb = AsciiLower(b.filename().string());
    return la != lb ? la < lb : a.filename() < b.filename();
  });
  return files;
}

std::optional<int> ParseControlId(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  int id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return id;
}

}  // namespace

std::string UnescapePackText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  std::size_t i = 0;
  while (i + 1 < value.size()) {
    if (value[i] != '\\') {
      out += value[i++];
      continue;
    }
    const char next = value[i + 1];
    if (next == 'n') {
      out += '\r';
    } else if (next == 't') {
      out += '\t';
    } else {
      out += value[i];
      out += next;
    }
    i += 2;
  }
  if (i < value.size()) out += value[i];
  return out;
}

int ParsePackInt(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<long long>(value * 10 + (c - '0'), 1LL + INT_MAX);
  }
  if (negative) return static_cast<int>(std::max<long long>(-value, INT_MIN));
  return static_cast<int>(std::min<long long>(value, INT_MAX));
}

LanguagePack::LanguagePack() : LanguagePack(std::string(kProductName), kMinimumVersion) {}

LanguagePack::LanguagePack(std::string programName, int minimumVersion)
    : programName_(std::move(programName)), minimumVersion_(minimumVersion) {}

void LanguagePack::discover(const std::filesystem::path& programFolder) {
  packPaths_.clear();
  packNames_.clear();
  selected_ = -1;
  profile_.reset();
  discover_in(programFolder);
  discover_in(programFolder / "langs");
}

void LanguagePack::discover_in(const std::filesystem::path& folder) {
  for (const std::filesystem::path& path : PackFilesIn(folder)) {
    const auto pack = PackProfile::Load(path);
    if (!pack) continue;
    if (pack->value("Info", "program") != programName_) continue;
    if (ParsePackInt(pack->value("Info", "version")) < minimumVersion_) continue;
    packPaths_.push_back(path);
    packNames_.emplace_back(pack->value("Info", "name"));
  }
}

bool LanguagePack::select(std::string_view name) {
  if (packNames_.empty()) return false;
  if (selected_ >= 0 && selected_ < static_cast<int>(packNames_.size()) &&
      packNames_[static_cast<std::size_t>(selected_)] == name) {
    return false;
  }
  const auto it = std::find(packNames_.begin(), packNames_.end(), name);
  selected_ = it == packNames_.end() ? 0 : static_cast<int>(it - packNames_.begin());
  profile_ = PackProfile::Load(packPaths_[static_cast<std::size_t>(selected_)]);
  return true;
}

int LanguagePack::index_of(std::string_view name) const {
  if (name.empty()) return selected_;
  const auto it = std::find(packNames_.begin(), packNames_.end(), name);
  return it == packNames_.end() ? -1 : static_cast<int>(it - packNames_.begin());
}

std::string LanguagePack::selected_name() const {
  if (selected_ < 0 || selected_ >= static_cast<int>(packNames_.size())) return {};
  return packNames_[static_cast<std::size_t>(selected_)];
}

std::string_view LanguagePack::raw(std::string_view section, std::string_view key) const {
  if (selected_ < 0 || selected_ >= static_cast<int>(packPaths_.size()) || !profile_) return {};
  return profile_->value(section, key);
}

std::string LanguagePack::text(std::string_view section, std::string_view key,
                               std::string_view defaultText) const {
  std::string_view value = raw(section, key);
  if (value.empty()) return std::string(defaultText);
  if (value.front() == '[') {
    const std::size_t split = value.find("]/");
    if (split != std::string_view::npos) {
      value = raw(value.substr(1, split - 1), value.substr(split + 2));
      if (value.empty()) return std::string(defaultText);
    }
  }
  return UnescapePackText(value);
}

std::string LanguagePack::control_text(std::string_view section, int controlId,
                                       std::string_view caption) const {
  return text(section, std::to_string(controlId), caption);
}

std::vector<ControlHint> LanguagePack::hints(std::string_view section) const {
  std::vector<ControlHint> result;
  for (int counter = 0;; ++counter) {
    const std::string value = text(section, "hint_" + std::to_string(counter), "");
    if (value.empty()) break;
    const std::size_t comma = value.find(',');
    if (comma == std::string::npos) continue;
    const auto id = ParseControlId(std::string_view(value).substr(0, comma));
    if (!id) continue;
    result.push_back({*id, value.substr(comma + 1)});
  }
  return result;
}

LanguagePack& AppLanguagePack() {
  static LanguagePack pack;
  return pack;
}

}  // namespace morvane
