// morvane-cli: Morvane's engine from the command line.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_heap.h"

namespace {

constexpr const char* kUsage =
    "usage: morvane-cli <command> [arguments]\n"
    "\n"
    "Morvane's icon engine from the command line.\n"
    "\n"
    "commands:\n"
    "  info FILE [--json]             what an object holds\n"
    "  convert INPUT... OUTPUT [...]  read objects, write .ico .cur .ani .icl .png .gif .jpg .bmp\n"
    "  extract INPUT OUTDIR           groups as stored, or frames as PNG files\n"
    "  effect NAME INPUT OUTPUT       apply an effect to every frame (effect --list)\n"
    "  draw INPUT OUTPUT --script F   run drawing steps (pen, line, fill, ...) on the frames\n"
    "  lint FILE... [--json]          check icons and cursors for hidden faults\n"
    "\n"
    "  --help      show this text (or a command's, after its name)\n"
    "  --version   show the version\n"
    "\n"
    "exit status: 0 success, 1 wrong usage, 2 an input cannot be read or holds no images,\n"
    "3 an output cannot be written, 4 lint found errors.\n";

// Large pages pay off once a command touches megabytes; a short one such as --version, or info
// on an icon, would only pay for zeroing the first of them.
bool WorksWithMegabytes(std::string_view command, const std::vector<std::string>& args) {
  if (command == "info") {
    constexpr std::uintmax_t kLargeInput = 1 << 20;
    std::error_code ec;
    return !args.empty() && std::filesystem::file_size(args.front(), ec) >= kLargeInput && !ec;
  }
  return command == "convert" || command == "extract" || command == "effect" || command == "draw" ||
         command == "lint";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane::cli;
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
  const std::string_view command = argc > 1 ? argv[1] : "";
  if (WorksWithMegabytes(command, args)) PrepareHeap();
  if (command == "--version") {
    std::puts("morvane-cli " MORVANE_VERSION);
    return kExitOk;
  }
  if (command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (command == "info") return RunInfo(args);
  if (command == "convert") return RunConvert(args);
  if (command == "extract") return RunExtract(args);
  if (command == "effect") return RunEffect(args);
  if (command == "draw") return RunDraw(args);
  if (command == "lint") return RunLint(args);
  if (command.empty()) return UsageError("no command given", kUsage);
  return UsageError("unknown command " + std::string(command), kUsage);
}
