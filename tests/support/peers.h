// Running the independent tools the interop tests compare against: Pillow (through a Python
// that has it), ImageMagick, and icoutils' icotool and wrestool. A test skips when its tool is
// missing, so every probe here answers quietly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/files.h"

namespace morvane::testing {

// One shell word holding text exactly: single-quoted, each quote inside written as '\''.
// Built by appending: GCC 12 warns falsely (-Wrestrict) on "'" + string + "'".
inline std::string ShellQuote(std::string_view text) {
  std::string quoted(1, '\'');
  for (const char c : text) {
    if (c == '\'') {
      quoted.append("'\\''");
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('\'');
  return quoted;
}
inline std::string ShellQuote(const std::string& text) {
  return ShellQuote(std::string_view(text));
}
inline std::string ShellQuote(const char* text) {
  return ShellQuote(std::string_view(text));
}
inline std::string ShellQuote(const std::filesystem::path& path) {
  return ShellQuote(std::string_view(path.native()));
}

// The command as one group, so that redirections added around it leave the command's own
// (such as "2>errors.txt") in force: "cmd 2>a 2>/dev/null" would send its errors to /dev/null.
inline std::string Grouped(const std::string& command) {
  return "{ " + command + "\n}";
}

// True when the command exits with 0; its output is discarded.
inline bool RunQuiet(const std::string& command) {
  return std::system((Grouped(command) + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs the command with its standard output in file (errors discarded).
inline bool RunToFile(const std::string& command, const std::filesystem::path& file) {
  return std::system((Grouped(command) + " >" + ShellQuote(file) + " 2>/dev/null").c_str()) == 0;
}

// The command's standard output, or nothing when it could not run or exited with an error.
inline std::optional<std::vector<std::uint8_t>> RunCapture(const std::string& command) {
  FILE* pipe = ::popen((Grouped(command) + " 2>/dev/null").c_str(), "r");
  if (!pipe) return std::nullopt;
  std::vector<std::uint8_t> out;
  std::uint8_t buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.insert(out.end(), buffer, buffer + n);
  }
  if (::pclose(pipe) != 0) return std::nullopt;
  return out;
}

// The command's standard output as text; empty when it failed.
inline std::string CaptureText(const std::string& command) {
  const auto out = RunCapture(command);
  return out ? std::string(out->begin(), out->end()) : std::string();
}

inline bool HaveCommand(const std::string& name) {
  return RunQuiet("command -v " + ShellQuote(name));
}

// A Python interpreter with Pillow, or "" when there is none. The distribution's python3 comes
// first: it has the python3-pil package even where a python3 without Pillow leads the PATH.
inline const std::string& PythonWithPillow() {
  static const std::string python = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      if (RunQuiet(std::string(candidate) + " -c 'import PIL.Image'"))
        return std::string(candidate);
    }
    return std::string();
  }();
  return python;
}

inline bool HavePillow() {
  return !PythonWithPillow().empty();
}

inline bool HaveImageMagick() {
  static const bool have = RunQuiet("convert -version") && RunQuiet("identify -version");
  return have;
}

inline bool HaveIcotool() {
  static const bool have = RunQuiet("icotool --version");
  return have;
}

inline bool HaveWrestool() {
  static const bool have = RunQuiet("wrestool --version");
  return have;
}

// Runs a Python script (with Pillow available) from a file in scratch, each argument quoted.
inline bool RunPython(const std::filesystem::path& scratch, const std::string& script,
                      const std::vector<std::filesystem::path>& args) {
  const std::filesystem::path file = scratch / "peer_script.py";
  WriteText(file, script);
  std::string command = PythonWithPillow() + " " + ShellQuote(file);
  for (const auto& a : args) command += " " + ShellQuote(a);
  return RunQuiet(command);
}

}  // namespace morvane::testing
