// Running the built morvane-cli from tests: its exit status, standard output and error output,
// and a few helpers for the files it writes. The codec tests' helpers (test data, temporary
// folders, peers) are shared.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../formats/format_test_support.h"
#include "formats/ico_codec.h"
#include "formats/png_codec.h"
#include "support/files.h"
#include "support/peer_decode.h"
#include "support/peers.h"
#include "support/temp_dir.h"
#include "support/wrestool_listing.h"

namespace morvane::testing {

struct CliRun {
  int status = -1;  // the exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs morvane-cli with args; its output streams go through files in scratch.
inline CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
  std::string command = ShellQuote(MORVANE_CLI_PATH);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  const std::filesystem::path out = scratch / "cli.stdout";
  const std::filesystem::path err = scratch / "cli.stderr";
  command += " >" + ShellQuote(out) + " 2>" + ShellQuote(err) + " </dev/null";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadText(out);
  run.err = ReadText(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

inline std::string Path(const std::filesystem::path& p) {
  return p.string();
}

// A 256 x 256 test picture with opaque, transparent and half-transparent areas, saved as PNG.
inline std::filesystem::path WriteSourcePng(const std::filesystem::path& folder, int side = 256) {
  CDib image;
  MakeImage(image, side, side, [side](int x, int y) {
    const int cx = x - side / 2;
    const int cy = y - side / 2;
    if (cx * cx + cy * cy > side * side / 5) return Pixel{0};
    if (x > side / 2 && y > side / 2) return MakePixel(0x80, 0x20, 0x40, 0xE0);
    return MakePixel(0xFF, static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 0x60);
  });
  const std::filesystem::path path = folder / "source.png";
  // Written with the program's own encoder, which the codec tests check against the peers.
  EXPECT_TRUE(SavePngFile(path, image, 32).ok());
  return path;
}

}  // namespace morvane::testing
