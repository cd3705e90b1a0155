// The plug-in installer under scratch folders: which hosts are found, where the plug-ins go,
// and the folders it refuses.
#include "shell/plugin_installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "shell/desktop_files.h"
#include "support/temp_dir.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

HostProbe Probe(const testing::TempDir& dir, std::set<std::string> programs) {
  HostProbe probe;
  probe.folders = {dir / "data", dir / "config", dir / "cache"};
  probe.hasProgram = [programs](std::string_view name) {
    return programs.count(std::string(name)) > 0;
  };
  return probe;
}

TEST(PluginInstaller, FindsHostsByProgramOrSettingsFolderInTableOrder) {
  testing::TempDir dir;
  HostProbe probe = Probe(dir, {});
  EXPECT_TRUE(FindPluginHosts(probe).empty());

  fs::create_directories(dir / "data" / "krita");
  probe.hasProgram = [](std::string_view name) {
    return name == "gimp-2.10" || name == "gimp-3.0";
  };
  // Without the built GIMP 2.10 plug-in there is nothing to install for GIMP 2.10.
  auto hosts = FindPluginHosts(probe);
  ASSERT_EQ(hosts.size(), 2u);
  EXPECT_EQ(hosts[0].application, "GIMP 3");
  EXPECT_EQ(hosts[0].folder, dir / "config" / "GIMP" / "3.0" / "plug-ins");
  EXPECT_EQ(hosts[1].application, "Krita");
  EXPECT_EQ(hosts[1].folder, dir / "data" / "krita" / "pykrita");

  probe.gimp2Plugin = "/usr/lib/morvane/morvane-export";
  hosts = FindPluginHosts(probe);
  ASSERT_EQ(hosts.size(), 3u);
  EXPECT_EQ(hosts[0].application, "GIMP 2.10");
  EXPECT_EQ(hosts[0].folder, dir / "config" / "GIMP" / "2.10" / "plug-ins");
}

TEST(PluginInstaller, RefusesRelativeAndMissingFolders) {
  testing::TempDir dir;
  const HostProbe probe = Probe(dir, {});
  EXPECT_NE(InstallPlugin(PluginKind::kGimp3, "plug-ins", probe, "/x/morvane"), "");
  EXPECT_NE(InstallPlugin(PluginKind::kGimp3, "", probe, "/x/morvane"), "");
  EXPECT_NE(InstallPlugin(PluginKind::kGimp3, dir / "missing", probe, "/x/morvane"), "");
  EXPECT_FALSE(fs::exists(dir / "missing"));
  // The GIMP 2.10 plug-in cannot be installed when it was not built.
  EXPECT_NE(InstallPlugin(PluginKind::kGimp2, dir.path(), probe, "/x/morvane"), "");
}

TEST(PluginInstaller, InstallingTwiceReplacesTheCompiledPlugin) {
  testing::TempDir dir;
  HostProbe probe = Probe(dir, {});
  probe.gimp2Plugin = dir / "built";
  std::ofstream(probe.gimp2Plugin) << "first";
  fs::create_directories(dir / "plug-ins");
  ASSERT_EQ(InstallPlugin(PluginKind::kGimp2, dir / "plug-ins", probe, "/x/morvane"), "");
  std::ofstream(probe.gimp2Plugin) << "second";
  ASSERT_EQ(InstallPlugin(PluginKind::kGimp2, dir / "plug-ins", probe, "/x/morvane"), "");
  EXPECT_EQ(ReadTextFile(dir / "plug-ins" / "morvane-export"), "second");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "plug-ins" / "morvane-export").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
  // Nothing but the plug-in is left in the folder (no temporary file).
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "plug-ins"), fs::directory_iterator()), 1);
}

TEST(PluginInstaller, PythonPluginsCarryTheEditorPathAndCompile) {
  testing::TempDir dir;
  const HostProbe probe = Probe(dir, {});
  const std::string editor = "/opt/my \"apps\"/morv\\ane";
  fs::create_directories(dir / "gimp3");
  fs::create_directories(dir / "pykrita");
  ASSERT_EQ(InstallPlugin(PluginKind::kGimp3, dir / "gimp3", probe, editor), "");
  ASSERT_EQ(InstallPlugin(PluginKind::kKrita, dir / "pykrita", probe, editor), "");
  const fs::path gimp3 = dir / "gimp3" / "morvane-export" / "morvane-export.py";
  const fs::path krita = dir / "pykrita" / "morvane_export" / "__init__.py";
  EXPECT_TRUE(fs::exists(dir / "pykrita" / "morvane_export.desktop"));
  EXPECT_NE(ReadTextFile(gimp3)->find("EDITOR = \"/opt/my \\\"apps\\\"/morv\\\\ane\""),
            std::string::npos);
  // Python itself reads the literal back as the path, and both scripts are valid Python.
  const std::string check =
      "/usr/bin/python3 -c 'import ast,sys; src=open(sys.argv[1]).read(); "
      "print(ast.literal_eval(src.split(\"EDITOR = \")[1].split(\"\\n\")[0]))' '" +
      gimp3.string() + "'";
  FILE* pipe = ::popen(check.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[256] = "";
  ASSERT_NE(std::fgets(line, sizeof line, pipe), nullptr);
  ::pclose(pipe);
  EXPECT_EQ(std::string(line), editor + "\n");
  for (const fs::path& script : {gimp3, krita}) {
    const std::string compile = "/usr/bin/python3 -m py_compile '" + script.string() + "'";
    EXPECT_EQ(std::system(compile.c_str()), 0) << script;
  }
}

TEST(PluginInstaller, PythonLiteralEscapesControlCharacters) {
  EXPECT_EQ(PythonStringLiteral("a\nb\"c\\"), "\"a\\x0ab\\\"c\\\\\"");
}

}  // namespace
}  // namespace morvane
