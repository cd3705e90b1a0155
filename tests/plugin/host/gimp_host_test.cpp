// GIMP 2.10 runs the export plug-in in batch mode on a small picture; a receiver standing in for
// the editor checks the pixels that arrive. Skipped where GIMP is not installed.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "plugin/handover_protocol.h"
#include "plugin/handover_socket.h"
#include "support/temp_dir.h"

namespace morvane::handover {
namespace {

constexpr const char* kGimp = "/usr/bin/gimp-console-2.10";

// Listens at the editor's socket, takes one message, acknowledges it and returns its picture.
Picture ReceiveOne(int listener) {
  const int client = ::accept(listener, nullptr, nullptr);
  MessageReader reader;
  std::uint8_t buffer[4096];
  while (reader.state() == MessageReader::State::kNeedMore) {
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reader.Feed(std::span(buffer, static_cast<std::size_t>(n)));
  }
  const auto ack = EncodeAck(reader.state() == MessageReader::State::kComplete ? AckCode::kAccepted
                                                                               : reader.error());
  (void)::send(client, ack.data(), ack.size(), MSG_NOSIGNAL);
  ::close(client);
  return reader.TakePicture();
}

class GimpHost : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(kGimp, X_OK) != 0) GTEST_SKIP() << "GIMP 2.10 is not installed";
    ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    ASSERT_EQ(PrepareSocketFolder(SocketFolder()), "");
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, SocketPath().c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener_, 1), 0);
    const auto plugins = dir_ / "gimp" / "plug-ins";
    std::filesystem::create_directories(plugins);
    std::filesystem::copy_file(MORVANE_GIMP_PLUGIN, plugins / "morvane-export");
    ::setenv("GIMP2_DIRECTORY", (dir_ / "gimp").c_str(), 1);
    // A 4 x 3 picture: red is the column times 10, green the row times 10, blue 99.
    std::ofstream ppm(dir_ / "in.ppm", std::ios::binary);
    ppm << "P6\n4 3\n255\n";
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) ppm << char(x * 10) << char(y * 10) << char(99);
  }
  void TearDown() override {
    if (listener_ >= 0) ::close(listener_);
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("GIMP2_DIRECTORY");
  }

  // Runs GIMP on the picture with extra Script-Fu before the export; returns the picture that
  // arrived.
  Picture RunExport(const std::string& before) {
    const std::string script =
        "(let* ((img (car (gimp-file-load RUN-NONINTERACTIVE \"" + (dir_ / "in.ppm").string() +
        "\" \"in.ppm\"))) (dr (car (gimp-image-get-active-drawable img)))) " + before +
        " (plug-in-morvane-export RUN-NONINTERACTIVE img dr))";
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(kGimp, kGimp, "-i", "-d", "-f", "--batch-interpreter=plug-in-script-fu-eval", "-b",
              script.c_str(), "-b", "(gimp-quit 0)", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    Picture picture = ReceiveOne(listener_);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return picture;
  }

  testing::TempDir dir_;
  int listener_ = -1;
};

TEST_F(GimpHost, WholeFlatPictureArrivesOpaque) {
  const Picture p = RunExport("");
  ASSERT_EQ(p.width, 4u);
  ASSERT_EQ(p.height, 3u);
  EXPECT_EQ(p.argb[0], 0xFF000063u);
  EXPECT_EQ(p.argb[2 * 4 + 3], 0xFF1E1463u);
}

TEST_F(GimpHost, SelectionCropsAndBecomesAlpha) {
  const Picture p = RunExport("(gimp-image-select-rectangle img CHANNEL-OP-REPLACE 1 1 2 1)");
  ASSERT_EQ(p.width, 2u);
  ASSERT_EQ(p.height, 1u);
  EXPECT_EQ(p.argb[0], 0xFF0A0A63u);
  EXPECT_EQ(p.argb[1], 0xFF140A63u);
}

}  // namespace
}  // namespace morvane::handover
