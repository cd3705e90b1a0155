#include "shell/mimeapps_list.h"

namespace morvane {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool IsGroupHeader(std::string_view line) {
  line = Trim(line);
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The key of a "key=value" line, trimmed; empty for comments and other lines.
std::string_view KeyOf(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == '#') return {};
  const std::size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string_view{} : Trim(line.substr(0, eq));
}

}  // namespace

KeyFileLines::KeyFileLines(std::string_view text) {
  finalNewline_ = text.empty() || text.back() == '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::optional<std::pair<std::size_t, std::size_t>> KeyFileLines::GroupBody(
    std::string_view group) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view header = Trim(lines_[i]);
    if (!IsGroupHeader(header) || header.substr(1, header.size() - 2) != group) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !IsGroupHeader(lines_[end])) ++end;
    return std::make_pair(i + 1, end);
  }
  return std::nullopt;
}

std::optional<std::string> KeyFileLines::Get(std::string_view group, std::string_view key) const {
  const auto body = GroupBody(group);
  if (!body) return std::nullopt;
  for (std::size_t i = body->first; i < body->second; ++i) {
    if (KeyOf(lines_[i]) != key) continue;
    const std::string_view line = lines_[i];
    return std::string(Trim(line.substr(line.find('=') + 1)));
  }
  return std::nullopt;
}

void KeyFileLines::Set(std::string_view group, std::string_view key, std::string_view value) {
  const std::string line = std::string(key) + "=" + std::string(value);
  auto body = GroupBody(group);
  if (!body) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    lines_.push_back("[" + std::string(group) + "]");
    lines_.push_back(line);
    finalNewline_ = true;
    return;
  }
  bool replaced = false;
  for (std::size_t i = body->first; i < body->second;) {
    if (KeyOf(lines_[i]) != key) {
      ++i;
      continue;
    }
    if (!replaced) {
      lines_[i++] = line;
      replaced = true;
    } else {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      --body->second;
    }
  }
  if (replaced) return;
  // After the group's last non-empty line, so that a blank line before the next group stays.
  std::size_t at = body->second;
  while (at > body->first && Trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void KeyFileLines::Remove(std::string_view group, std::string_view key) {
  auto body = GroupBody(group);
  if (!body) return;
  for (std::size_t i = body->first; i < body->second;) {
    if (KeyOf(lines_[i]) == key) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      --body->second;
    } else {
      ++i;
    }
  }
}

std::string KeyFileLines::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i];
    if (i + 1 < lines_.size() || finalNewline_) text += '\n';
  }
  return text;
}

std::string FirstDesktopId(std::string_view value) {
  const std::size_t end = value.find(';');
  return std::string(Trim(value.substr(0, end)));
}

}  // namespace morvane
