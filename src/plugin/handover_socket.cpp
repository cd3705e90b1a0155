#include "plugin/handover_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace morvane::handover {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for the socket to become ready for events; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, RemainingMs(deadline));
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

SendOutcome Outcome(SendResult result, std::string message, AckCode ack = AckCode::kAccepted) {
  return SendOutcome{result, ack, std::move(message)};
}

}  // namespace

std::filesystem::path SocketFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  // A socket path must fit sockaddr_un; a runtime folder too deep for it is passed over.
  const std::size_t room = sizeof(sockaddr_un::sun_path) - 1 - kServerName.size() - 9;
  if (runtime && *runtime == '/' && std::strlen(runtime) <= room)
    return std::filesystem::path(runtime) / "morvane";
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  return temp / ("morvane-" + std::to_string(::getuid()));
}

std::filesystem::path SocketPath() {
  return SocketFolder() / std::string(kServerName);
}

std::string PrepareSocketFolder(const std::filesystem::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    return "cannot create " + folder.string() + ": " + std::strerror(errno);
  struct stat st {};
  // lstat: a symbolic link planted by someone else is refused, not followed.
  if (::lstat(folder.c_str(), &st) != 0) return "cannot read " + folder.string();
  if (!S_ISDIR(st.st_mode)) return folder.string() + " is not a folder";
  if (st.st_uid != ::getuid()) return folder.string() + " belongs to another user";
  if ((st.st_mode & 077) != 0) return folder.string() + " can be opened by other users";
  return {};
}

SendOutcome SendBytes(const std::filesystem::path& path, std::span<const std::uint8_t> message,
                      std::chrono::milliseconds timeout) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string p = path.string();
  if (p.size() >= sizeof(address.sun_path))
    return Outcome(SendResult::kNoEditor, "socket path too long: " + p);
  std::memcpy(address.sun_path, p.c_str(), p.size() + 1);

  Fd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) return Outcome(SendResult::kNoEditor, std::strerror(errno));
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    return Outcome(SendResult::kNoEditor, "no editor listens at " + p);
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) | O_NONBLOCK);

  const auto deadline = Clock::now() + timeout;
  std::size_t sent = 0;
  while (sent < message.size()) {
    if (!WaitFor(fd.get(), POLLOUT, deadline))
      return Outcome(SendResult::kNoAnswer, "the editor stopped reading");
    const ssize_t n = ::send(fd.get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      // The editor may have refused the message early and closed: its answer may still wait.
      break;
    }
    sent += static_cast<std::size_t>(n);
  }
  ::shutdown(fd.get(), SHUT_WR);

  std::vector<std::uint8_t> ack;
  std::uint8_t buffer[kAckSize];
  while (ack.size() < kAckSize) {
    if (!WaitFor(fd.get(), POLLIN, deadline))
      return Outcome(SendResult::kNoAnswer, "no acknowledgement from the editor");
    const ssize_t n = ::recv(fd.get(), buffer, kAckSize - ack.size(), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) return Outcome(SendResult::kNoAnswer, "the editor closed without an answer");
    ack.insert(ack.end(), buffer, buffer + n);
  }
  const AckCode code = DecodeAck(ack);
  if (code == AckCode::kAccepted && sent == message.size())
    return Outcome(SendResult::kAccepted, "", code);
  return Outcome(SendResult::kRefused, std::string(AckCodeText(code)), code);
}

SendOutcome SendBlock(std::span<const std::uint8_t> block, std::chrono::milliseconds timeout) {
  if (CheckBlock(block) != BlockError::kNone)
    return Outcome(SendResult::kInvalidBlock, "the picture cannot be handed over");
  const std::vector<std::uint8_t> message = EncodeMessage(block);
  return SendBytes(SocketPath(), message, timeout);
}

}  // namespace morvane::handover
