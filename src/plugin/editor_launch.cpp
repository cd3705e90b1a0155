#include "plugin/editor_launch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <thread>

extern char** environ;

namespace morvane::handover {

namespace {

std::filesystem::path ConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "") / ".config";
}

// A value as the settings file writes it: optionally in double quotes, with backslash escapes.
std::string UnquoteIniValue(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

}  // namespace

std::string FindEditor() {
  if (const char* editor = std::getenv("MORVANE_EDITOR"); editor && *editor) return editor;
  std::ifstream file(ConfigHome() / "Brenk Ltd" / "Morvane Pro.conf");
  std::string line;
  bool general = false;
  constexpr std::string_view kKey = "Main%20executable=";
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      general = line == "[General]";
      continue;
    }
    if (general && line.starts_with(kKey))
      return UnquoteIniValue(std::string_view(line).substr(kKey.size()));
  }
  return {};
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Started in a new session so that it outlives the host that started it.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return false;
  // Reap it if it fails at once (exec error, missing display), to report that.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  int status = 0;
  if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return true;
}

SendOutcome SendOrStart(std::span<const std::uint8_t> block, const std::string& editor,
                        std::chrono::milliseconds startWait) {
  SendOutcome outcome = SendBlock(block);
  if (outcome.result != SendResult::kNoEditor) return outcome;
  if (editor.empty()) {
    outcome.message = "Morvane Pro was not found; start it once or reinstall it";
    return outcome;
  }
  if (!StartProgram(editor, {})) {
    outcome.message = "cannot start " + editor;
    return outcome;
  }
  const auto deadline = std::chrono::steady_clock::now() + startWait;
  while (std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    outcome = SendBlock(block);
    if (outcome.result != SendResult::kNoEditor) return outcome;
  }
  outcome.message = "the editor did not start listening in time";
  return outcome;
}

}  // namespace morvane::handover
