// Language packs: optional ".lng" translation files that replace the built-in English texts.
//
// Every visible text is asked for by (section, key, English default). With no pack selected the
// default comes back unchanged; with a pack, its value for [section] key does, after reference
// and escape processing. Packs are found next to the program and in its "langs" folder and must
// declare [Info] program=Morvane Pro and version=840 or later.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/language_pack_profile.h"

namespace morvane {

// One tooltip of a hint list: the control it belongs to and its text.
struct ControlHint {
  int controlId = 0;
  std::string text;
};

class LanguagePack {
 public:
  static constexpr int kMinimumVersion = 840;

  // No packs, built-in English; programName is what a pack's [Info] "program" must equal.
  LanguagePack();
  LanguagePack(std::string programName, int minimumVersion);

  // Lists the acceptable packs: "*.lng" in programFolder, then in programFolder/langs, each
  // folder in name order. Replaces any earlier list and selects no pack.
  void discover(const std::filesystem::path& programFolder);

  // Selects the first pack named name; a name that matches no pack selects the first pack.
  // Returns false, changing nothing, when there are no packs or name names the pack already
  // selected.
  bool select(std::string_view name);

  // The central lookup: the selected pack's [section] key, or defaultText when there is no pack
  // or the value is missing or empty. A value "[S]/K" stands for key K of section S of the same
  // pack. "\n" becomes a carriage return (13) and "\t" a tab; other backslashes stay.
  std::string text(std::string_view section, std::string_view key,
                   std::string_view defaultText) const;

  // text() keyed by a control's decimal identifier with its current caption as the default.
  // A window without a parent window has identifier 0.
  std::string control_text(std::string_view section, int controlId, std::string_view caption) const;

  // Index of the first pack named name, or -1; the empty name gives the selected index.
  int index_of(std::string_view name) const;

  // The tooltips of a section: keys "hint_0", "hint_1", ... up to the first empty one, each
  // value "<control id>,<text>". An entry without a comma or a decimal identifier before it is
  // left out; the list goes on after it.
  std::vector<ControlHint> hints(std::string_view section) const;

  int selected() const { return selected_; }
  // Display name of the selected pack; empty when none is selected.
  std::string selected_name() const;
  const std::vector<std::filesystem::path>& pack_paths() const { return packPaths_; }
  const std::vector<std::string>& pack_names() const { return packNames_; }
  const std::string& program_name() const { return programName_; }

 private:
  void discover_in(const std::filesystem::path& folder);
  // Looks key up in the selected pack; empty when missing.
  std::string_view raw(std::string_view section, std::string_view key) const;

  std::string programName_;
  int minimumVersion_;
  std::vector<std::filesystem::path> packPaths_;
  std::vector<std::string> packNames_;
  int selected_ = -1;
  // Contents of the selected pack, read when it is selected; nothing when it could not be read,
  // so that every lookup gives its default.
  std::optional<PackProfile> profile_;
};

// Processes the "\n" and "\t" escapes: scanning left to right up to the last character, a
// backslash followed by "n" or "t" becomes one carriage return or tab; a backslash followed by
// anything else is kept together with that character, which is not looked at again.
std::string UnescapePackText(std::string_view value);

// Reads a decimal number the way the platform's profile reader does: an optional sign and the
// leading digits, ignoring what follows; 0 when there are none. Saturates at the int range.
int ParsePackInt(std::string_view text);

// The one process-wide pack of the program, built-in English until the start-up code discovers
// and selects packs.
LanguagePack& AppLanguagePack();

}  // namespace morvane
