#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: morvane-cli <command> [options]\n"
    "\n"
    "Morvane's icon engine from the command line.\n"
    "\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("morvane-cli 0.1.0");
    return 0;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 1;
}
