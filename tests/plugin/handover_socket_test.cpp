// The sending side against a receiver in a second process: acknowledged, refused, silent and
// absent editors, and the socket folder's permission checks.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "plugin/editor_launch.h"
#include "plugin/export_bridge_c.h"
#include "plugin/handover_socket.h"
#include "support/temp_dir.h"

namespace morvane::handover {
namespace {

enum class Behaviour { kRead, kSilent };

// A one-shot receiver in a child process: reads one message with MessageReader and answers
// its verdict, or (silent) reads and never answers.
class Receiver {
 public:
  Receiver(const std::filesystem::path& path, Behaviour behaviour) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(::listen(fd_, 1), 0);
    pid_ = ::fork();
    if (pid_ == 0) Serve(behaviour);
  }
  ~Receiver() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    ::close(fd_);
  }

 private:
  [[noreturn]] void Serve(Behaviour behaviour) {
    const int client = ::accept(fd_, nullptr, nullptr);
    MessageReader reader;
    std::uint8_t buffer[4096];
    for (;;) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) {
        reader.Finish();
        break;
      }
      if (reader.Feed(std::span(buffer, static_cast<std::size_t>(n))) !=
          MessageReader::State::kNeedMore)
        break;
    }
    if (behaviour == Behaviour::kSilent) ::pause();
    const auto ack = EncodeAck(
        reader.state() == MessageReader::State::kComplete ? AckCode::kAccepted : reader.error());
    (void)::send(client, ack.data(), ack.size(), MSG_NOSIGNAL);
    ::_exit(0);
  }

  int fd_ = -1;
  pid_t pid_ = -1;
};

std::vector<std::uint8_t> SmallMessage() {
  return EncodeMessage(*BlockFromPicture(Picture{1, 1, {0xFF102030u}}));
}

TEST(HandoverSocket, AcceptedMessageIsAcknowledged) {
  testing::TempDir dir;
  Receiver receiver(dir / "s", Behaviour::kRead);
  const SendOutcome outcome = SendBytes(dir / "s", SmallMessage(), std::chrono::seconds(5));
  EXPECT_EQ(outcome.result, SendResult::kAccepted) << outcome.message;
}

TEST(HandoverSocket, RefusalIsReportedWithItsReason) {
  testing::TempDir dir;
  Receiver receiver(dir / "s", Behaviour::kRead);
  auto message = SmallMessage();
  message.resize(message.size() - 10);  // truncated: the sender closes its side early
  const SendOutcome outcome = SendBytes(dir / "s", message, std::chrono::seconds(5));
  EXPECT_EQ(outcome.result, SendResult::kRefused);
  EXPECT_EQ(outcome.ack, AckCode::kTruncated);
}

TEST(HandoverSocket, SilentEditorIsAFailureNotASuccess) {
  testing::TempDir dir;
  Receiver receiver(dir / "s", Behaviour::kSilent);
  const SendOutcome outcome = SendBytes(dir / "s", SmallMessage(), std::chrono::milliseconds(300));
  EXPECT_EQ(outcome.result, SendResult::kNoAnswer);
}

TEST(HandoverSocket, NoEditorIsReportedAndNothingIsStartedWithoutAPath) {
  testing::TempDir dir;
  EXPECT_EQ(SendBytes(dir / "none", SmallMessage(), std::chrono::seconds(1)).result,
            SendResult::kNoEditor);
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  ::unsetenv("MORVANE_EDITOR");
  const std::uint8_t rgb[3] = {1, 2, 3};
  char message[256] = "";
  EXPECT_NE(
      morvane_export_picture(1, 1, 3, rgb, 3, 3, nullptr, 0, 0, nullptr, message, sizeof message),
      0);
  EXPECT_NE(std::string(message).find("not found"), std::string::npos) << message;
  // A program that cannot be started is reported, not taken for a started editor.
  EXPECT_NE(morvane_export_picture(1, 1, 3, rgb, 3, 3, nullptr, 0, 0, "/nonexistent/morvane",
                                   message, sizeof message),
            0);
  ::unsetenv("XDG_RUNTIME_DIR");
  ::unsetenv("XDG_CONFIG_HOME");
}

TEST(HandoverSocket, RuntimeFolderTooDeepForASocketIsPassedOver) {
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(SocketPath(), "/run/user/1000/morvane/Morvane.export");
  ::setenv("XDG_RUNTIME_DIR", ("/" + std::string(100, 'r')).c_str(), 1);
  EXPECT_EQ(SocketFolder().parent_path(), std::filesystem::temp_directory_path());
  EXPECT_LT(SocketPath().string().size(), 108u);
  ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(HandoverSocket, FolderMustBeOwnAndClosedToOthers) {
  testing::TempDir dir;
  const auto folder = dir / "sock";
  EXPECT_EQ(PrepareSocketFolder(folder), "");
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod(folder.c_str(), 0755);
  EXPECT_NE(PrepareSocketFolder(folder), "");
  std::filesystem::create_symlink(dir / "elsewhere", dir / "link");
  std::filesystem::create_directory(dir / "elsewhere");
  ::chmod((dir / "elsewhere").c_str(), 0700);
  EXPECT_NE(PrepareSocketFolder(dir / "link"), "");
}

TEST(HandoverSocket, EditorPathComesFromTheSettingsFile) {
  testing::TempDir dir;
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  ::unsetenv("MORVANE_EDITOR");
  std::filesystem::create_directories(dir / "Brenk Ltd");
  {
    std::ofstream f(dir / "Brenk Ltd" / "Morvane Pro.conf");
    f << "[Color%20toolbar]\nMain%20executable=/wrong\n[General]\nAlpha%20level=85\n"
         "Main%20executable=\"/opt/my apps/morvane\"\n";
  }
  EXPECT_EQ(FindEditor(), "/opt/my apps/morvane");
  ::setenv("MORVANE_EDITOR", "/x/morvane", 1);
  EXPECT_EQ(FindEditor(), "/x/morvane");
  ::unsetenv("MORVANE_EDITOR");
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace morvane::handover
