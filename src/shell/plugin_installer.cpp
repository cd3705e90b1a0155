#include "shell/plugin_installer.h"

#include <QStandardPaths>
#include <QString>

#include "formats/file_io.h"
#include "shell/desktop_files.h"

namespace morvane {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPluginName = "morvane-export";

constexpr std::string_view kKritaDesktop =
    "[Desktop Entry]\n"
    "Type=Service\n"
    "ServiceTypes=Krita/PythonPlugin\n"
    "X-KDE-Library=morvane_export\n"
    "X-Python-2-Compatible=false\n"
    "Name=Export to Morvane Pro\n"
    "Comment=Hands the image or selection to Morvane Pro\n";

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// Writes under a temporary name in the same folder and renames over the target.
std::string InstallFile(const fs::path& target, const std::string& content, bool executable) {
  std::string error = WriteTextFile(target, content);
  if (!error.empty()) return error;
  if (executable) {
    std::error_code ec;
    fs::permissions(target,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ec);
    if (ec) return target.string() + ": " + ec.message();
  }
  return {};
}

}  // namespace

HostProbe HostProbe::ForEditor(const fs::path& editor) {
  HostProbe probe;
  probe.folders = DesktopFolders::FromEnvironment();
  probe.hasProgram = [](std::string_view name) {
    return !QStandardPaths::findExecutable(
                QString::fromUtf8(name.data(), static_cast<int>(name.size())))
                .isEmpty();
  };
  const fs::path folder = editor.parent_path();
  for (const fs::path& candidate :
       {folder / kPluginName, folder / ".." / "plugin" / "gimp" / kPluginName}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) {
      probe.gimp2Plugin = candidate.lexically_normal();
      break;
    }
  }
  return probe;
}

std::vector<PluginHost> FindPluginHosts(const HostProbe& probe) {
  const fs::path gimp = probe.folders.configHome / "GIMP";
  const fs::path krita = probe.folders.dataHome / "krita";
  auto has = [&probe](std::string_view program) {
    return probe.hasProgram && probe.hasProgram(program);
  };
  std::vector<PluginHost> hosts;
  if (!probe.gimp2Plugin.empty() && (has("gimp-2.10") || Exists(gimp / "2.10")))
    hosts.push_back({"GIMP 2.10", gimp / "2.10" / "plug-ins", PluginKind::kGimp2});
  if (has("gimp-3.0") || Exists(gimp / "3.0"))
    hosts.push_back({"GIMP 3", gimp / "3.0" / "plug-ins", PluginKind::kGimp3});
  if (has("krita") || Exists(krita))
    hosts.push_back({"Krita", krita / "pykrita", PluginKind::kKrita});
  return hosts;
}

std::string InstallPlugin(PluginKind kind, const fs::path& folder, const HostProbe& probe,
                          const std::string& editor) {
  if (folder.empty() || !folder.is_absolute()) return "the folder must be given as a full path";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return folder.string() + " does not exist";
  switch (kind) {
    case PluginKind::kGimp2: {
      if (probe.gimp2Plugin.empty()) return "the GIMP 2.10 plug-in was not built";
      const auto bytes = ReadFileBytes(probe.gimp2Plugin);
      if (!bytes) return probe.gimp2Plugin.string() + ": " + bytes.status().message();
      return InstallFile(folder / kPluginName, std::string(bytes->begin(), bytes->end()), true);
    }
    case PluginKind::kGimp3:
      // GIMP 3 loads a plug-in from a sub-folder of the same name.
      return InstallFile(folder / kPluginName / (std::string(kPluginName) + ".py"),
                         Gimp3PluginScript(editor), true);
    case PluginKind::kKrita: {
      std::string error =
          InstallFile(folder / "morvane_export" / "__init__.py", KritaPluginScript(editor), false);
      if (!error.empty()) return error;
      return InstallFile(folder / "morvane_export.desktop", std::string(kKritaDesktop), false);
    }
  }
  return "unknown plug-in";
}

}  // namespace morvane
