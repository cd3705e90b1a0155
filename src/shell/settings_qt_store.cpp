#include "shell/settings_qt_store.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

#include "shell/settings.h"

namespace morvane {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// QSettings reads both slashes as key separators, so a name holding one would reach into
// another sub-key. Such names are treated like a store that cannot be opened.
bool IsPlainName(std::string_view name) {
  return name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos;
}

std::optional<QString> KeyOf(std::string_view section, std::string_view name) {
  if (name.empty() || !IsPlainName(section) || !IsPlainName(name)) return std::nullopt;
  if (section.empty()) return ToQString(name);
  return ToQString(section) + u'/' + ToQString(name);
}

std::optional<SettingValue> FromVariant(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::QByteArray: {
      const QByteArray bytes = v.toByteArray();
      return SettingBytes(bytes.begin(), bytes.end());
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      // Registry values are 32-bit; larger numbers keep their low 32 bits, as a DWORD would.
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(v.toULongLong()));
    case QMetaType::QStringList:
      // A hand-edited file may hold an unquoted "a,b"; the text is what the user meant.
      return v.toStringList().join(u',').toStdString();
    default:
      if (v.canConvert<QString>()) return v.toString().toStdString();
      return std::nullopt;
  }
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            ToQString(kMakerName), ToQString(kProductName))) {
  // Fallbacks would read organisation-wide or system-wide files, which the registry key of the
  // program does not have: a missing value must read as its default.
  settings_->setFallbacksEnabled(false);
}

QtSettingsStore::QtSettingsStore(const std::filesystem::path& iniFile)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(iniFile.string()),
                                            QSettings::IniFormat)) {
  settings_->setFallbacksEnabled(false);
}

QtSettingsStore::~QtSettingsStore() {
  settings_->sync();
}

void QtSettingsStore::sync() {
  settings_->sync();
}

std::optional<SettingValue> QtSettingsStore::get(std::string_view section,
                                                 std::string_view name) const {
  const auto key = KeyOf(section, name);
  if (!key) return std::nullopt;
  const QVariant v = settings_->value(*key);
  if (!v.isValid()) return std::nullopt;
  return FromVariant(v);
}

void QtSettingsStore::set(std::string_view section, std::string_view name,
                          const SettingValue& value) {
  const auto key = KeyOf(section, name);
  if (!key) return;
  if (const auto* i = std::get_if<std::int32_t>(&value)) {
    settings_->setValue(*key, *i);
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    settings_->setValue(*key, ToQString(*s));
  } else {
    const auto& bytes = std::get<SettingBytes>(value);
    settings_->setValue(*key, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                         static_cast<qsizetype>(bytes.size())));
  }
}

void QtSettingsStore::remove(std::string_view section, std::string_view name) {
  if (const auto key = KeyOf(section, name)) settings_->remove(*key);
}

void QtSettingsStore::remove_section(std::string_view section) {
  if (!IsPlainName(section)) return;
  if (section.empty()) {
    settings_->clear();
    return;
  }
  // Removing "" inside the group removes only that sub-key's contents, never a root value that
  // happens to have the same name.
  settings_->beginGroup(ToQString(section));
  settings_->remove(QString());
  settings_->endGroup();
}

}  // namespace morvane
