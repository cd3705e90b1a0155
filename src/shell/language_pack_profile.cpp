#include "shell/language_pack_profile.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <system_error>

#include "formats/ansi_text.h"
#include "formats/file_io.h"

namespace morvane {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string Decode(QStringConverter::Encoding encoding, std::span<const std::uint8_t> bytes) {
  QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
  const QString text = decoder.decode(QByteArrayView(bytes.data(), bytes.size()));
  return text.toStdString();
}

bool IsValidUtf8(std::span<const std::uint8_t> bytes) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  const QString ignored = decoder.decode(QByteArrayView(bytes.data(), bytes.size()));
  return !decoder.hasError();
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> mark) {
  return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

}  // namespace

std::string DecodePackText(std::span<const std::uint8_t> bytes) {
  if (StartsWith(bytes, {0xEF, 0xBB, 0xBF})) {
    return Decode(QStringConverter::Utf8, bytes.subspan(3));
  }
  if (StartsWith(bytes, {0xFF, 0xFE})) return Decode(QStringConverter::Utf16LE, bytes.subspan(2));
  if (StartsWith(bytes, {0xFE, 0xFF})) return Decode(QStringConverter::Utf16BE, bytes.subspan(2));
  if (IsValidUtf8(bytes)) return std::string(bytes.begin(), bytes.end());
  return Cp1252ToUtf8(bytes);
}

PackProfile PackProfile::Parse(std::string_view text) {
  PackProfile profile;
  Keys* current = nullptr;  // null before the first section and inside repeated sections
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close == std::string_view::npos) continue;
      const auto [it, added] = profile.sections_.try_emplace(AsciiLower(line.substr(1, close - 1)));
      current = added ? &it->second : nullptr;
      continue;
    }
    if (!current) continue;
    const std::size_t equals = line.find('=');
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    const std::string_view value = equals == std::string_view::npos
                                       ? std::string_view()
                                       : Unquote(Trim(line.substr(equals + 1)));
    current->try_emplace(AsciiLower(key), value);
  }
  return profile;
}

std::optional<PackProfile> PackProfile::Load(const std::filesystem::path& path) {
  // Only regular files: opening a pipe or a device named "*.lng" could block forever.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const auto bytes = ReadFileBytes(path, kMaxPackFileBytes);
  if (!bytes) return std::nullopt;
  return Parse(DecodePackText(*bytes));
}

std::string_view PackProfile::value(std::string_view section, std::string_view key) const {
  const auto s = sections_.find(AsciiLower(section));
  if (s == sections_.end()) return {};
  const auto k = s->second.find(AsciiLower(key));
  if (k == s->second.end()) return {};
  return k->second;
}

}  // namespace morvane
