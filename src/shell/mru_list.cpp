#include "shell/mru_list.h"

#include <QString>
#include <algorithm>

namespace morvane {

namespace {

constexpr std::string_view kValuePrefix = "History.";

std::string ValueName(int index) {
  return std::string(kValuePrefix) + std::to_string(index);
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin())) return true;
  return ToQString(a).compare(ToQString(b), Qt::CaseInsensitive) == 0;
}

MruList::MruList(int maximum) : maximum_(std::max(1, maximum)) {}

void MruList::add(std::string_view path) {
  if (path.empty()) return;
  remove(path);
  entries_.insert(entries_.begin(), std::string(path));
  cut_to_maximum();
}

void MruList::remove(std::string_view path) {
  std::erase_if(entries_, [&](const std::string& e) { return SamePathIgnoringCase(e, path); });
}

void MruList::set_maximum(int maximum) {
  maximum_ = std::max(1, maximum);
  cut_to_maximum();
}

void MruList::cut_to_maximum() {
  if (size() > maximum_) entries_.resize(static_cast<std::size_t>(maximum_));
}

void MruList::load(const Settings& settings, std::string_view subKey) {
  entries_.clear();
  for (int i = 0; i < maximum_; ++i) {
    std::string path = settings.read_string(subKey, ValueName(i), "");
    if (path.empty()) break;
    entries_.push_back(std::move(path));
  }
}

void MruList::save(Settings& settings, std::string_view subKey) const {
  for (int i = 0; i < size(); ++i) {
    settings.write_string(subKey, ValueName(i), entries_[static_cast<std::size_t>(i)]);
  }
  settings.write_string(subKey, ValueName(size()), "");
}

int HistoryMaximum(std::string_view subKey) {
  namespace h = history_key;
  if (subKey == h::kIcons || subKey == h::kCursors || subKey == h::kExecutables ||
      subKey == h::kImages) {
    return MruList::kRaisedMaximum;
  }
  return MruList::kDefaultMaximum;
}

}  // namespace morvane
