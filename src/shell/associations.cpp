// Taking over and giving back default handlers, with the previous handler of every type kept in
// a backup file that is written and checked before mimeapps.list changes.
#include "shell/associations.h"

#include <algorithm>
#include <optional>

#include "shell/desktop_files.h"
#include "shell/mimeapps_list.h"

namespace morvane {

namespace {

constexpr std::string_view kBackupGroup = "Backups";

std::string BackupKey(const AssociatedType& type) {
  return "Backup " + std::string(type.extension);
}

bool IsOurs(const KeyFileLines& list, const AssociatedType& type) {
  const auto value = list.Get(kDefaultApplications, type.mimeType);
  return value && FirstDesktopId(*value) == kDesktopId;
}

// Gives a type its previous handler back: the backed-up value, or no line of ours when it had
// none before.
void Restore(KeyFileLines& list, const KeyFileLines& backups, const AssociatedType& type) {
  const auto previous = backups.Get(kBackupGroup, BackupKey(type));
  if (previous && !previous->empty()) {
    list.Set(kDefaultApplications, type.mimeType, *previous);
  } else {
    list.Remove(kDefaultApplications, type.mimeType);
  }
}

struct LoadedState {
  KeyFileLines list;
  KeyFileLines backups;
};

std::optional<LoadedState> Load(const DesktopFolders& folders, AssociationReport& report) {
  const auto list = ReadTextFile(folders.MimeAppsList());
  const auto backups = ReadTextFile(folders.Backups());
  if (!list) report.errors.push_back("cannot read " + folders.MimeAppsList().string());
  if (!backups) report.errors.push_back("cannot read " + folders.Backups().string());
  if (!list || !backups) return std::nullopt;
  return LoadedState{KeyFileLines(*list), KeyFileLines(*backups)};
}

void Note(AssociationReport& report, const std::string& error) {
  if (!error.empty()) report.errors.push_back(error);
}

}  // namespace

AssociationChecks CurrentAssociations(const DesktopFolders& folders) {
  AssociationChecks checks{};
  const auto text = ReadTextFile(folders.MimeAppsList());
  if (!text) return checks;
  const KeyFileLines list(*text);
  for (std::size_t i = 0; i < kAssociatedTypes.size(); ++i)
    checks[i] = IsOurs(list, kAssociatedTypes[i]);
  return checks;
}

AssociationReport ApplyAssociations(const DesktopFolders& folders, const ProgramPaths& programs,
                                    const AssociationChecks& checks) {
  AssociationReport report;
  auto state = Load(folders, report);
  if (!state) return report;
  const std::string backupsBefore = state->backups.Text();
  const std::string listBefore = state->list.Text();
  for (std::size_t i = 0; i < kAssociatedTypes.size(); ++i) {
    const AssociatedType& type = kAssociatedTypes[i];
    const bool ours = IsOurs(state->list, type);
    if (checks[i] && !ours) {
      // The handler it has now, or an empty backup for "none": restoring removes our line.
      const auto current = state->list.Get(kDefaultApplications, type.mimeType);
      state->backups.Set(kBackupGroup, BackupKey(type), current.value_or(""));
      state->list.Set(kDefaultApplications, type.mimeType, std::string(kDesktopId) + ";");
    } else if (!checks[i] && ours) {
      Restore(state->list, state->backups, type);
      state->backups.Remove(kBackupGroup, BackupKey(type));
    }
  }
  const bool anyChecked = std::find(checks.begin(), checks.end(), true) != checks.end();
  if (anyChecked) {
    // The handler must exist before any type points at it.
    const AssociationReport registered = RegisterDesktopFiles(folders, programs);
    if (!registered.ok()) return registered;
  }
  // Backups first: when they cannot be written, nothing is changed.
  if (state->backups.Text() != backupsBefore) {
    Note(report, WriteTextFile(folders.Backups(), state->backups.Text()));
    if (!report.ok()) return report;
  }
  if (state->list.Text() != listBefore)
    Note(report, WriteTextFile(folders.MimeAppsList(), state->list.Text()));
  return report;
}

AssociationReport RemoveAssociations(const DesktopFolders& folders) {
  AssociationReport report;
  auto state = Load(folders, report);
  if (!state) return report;
  const std::string listBefore = state->list.Text();
  for (const AssociatedType& type : kAssociatedTypes) {
    // A type another program has taken since keeps that program.
    if (IsOurs(state->list, type)) Restore(state->list, state->backups, type);
  }
  if (state->list.Text() != listBefore)
    Note(report, WriteTextFile(folders.MimeAppsList(), state->list.Text()));
  if (!report.ok()) {
    report.errors.push_back("the previous handlers stay saved in " + folders.Backups().string());
    return report;
  }
  // Only our own, fixed files.
  Note(report, RemoveOwnFile(folders.Backups()));
  Note(report, RemoveOwnFile(folders.DesktopEntry()));
  Note(report, RemoveOwnFile(folders.MimePackage()));
  Note(report, RemoveOwnFile(folders.Thumbnailer()));
  RunDesktopTool("update-mime-database", {(folders.dataHome / "mime").string()});
  RunDesktopTool("update-desktop-database", {(folders.dataHome / "applications").string()});
  return report;
}

}  // namespace morvane
