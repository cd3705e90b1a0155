#include "ui/handover_server.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>

#include "plugin/handover_socket.h"

namespace morvane {

namespace {

// A connection that sends nothing for this long is dropped, so that a stalled sender cannot
// hold the editor's memory.
constexpr int kIdleTimeoutMs = 15000;

// One sender's connection, on the socket's own descriptor: the sender closes its side when it
// has written everything, and the answer must still reach it then, which a socket object that
// closes itself at the end of the input cannot do.
class Connection : public QObject {
 public:
  Connection(int fd, HandoverServer::Receiver& receiver, QObject* parent)
      : QObject(parent), fd_(fd), receiver_(receiver), notifier_(fd, QSocketNotifier::Read, this) {
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, [this] { Close(); });
    connect(&notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    idle_.start(kIdleTimeoutMs);
  }
  ~Connection() override {
    if (fd_ >= 0) ::close(fd_);
  }

  void Refuse(handover::AckCode code) { Answer(code); }

 private:
  void OnReadable() {
    std::uint8_t buffer[64 * 1024];
    for (;;) {
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n > 0) {
        idle_.start(kIdleTimeoutMs);
        if (reader_.Feed(std::span(buffer, static_cast<std::size_t>(n))) !=
            handover::MessageReader::State::kNeedMore)
          return Done();
        continue;
      }
      if (n == 0) {
        reader_.Finish();
        return Done();
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;
      return Close();
    }
  }

  void Done() {
    if (reader_.state() == handover::MessageReader::State::kComplete) {
      handover::Picture picture = reader_.TakePicture();
      Answer(receiver_ ? receiver_(std::move(picture)) : handover::AckCode::kRefused);
    } else {
      Answer(reader_.error());
    }
  }

  void Answer(handover::AckCode code) {
    const auto ack = handover::EncodeAck(code);
    // Eight bytes always fit a fresh socket's buffer; a sender that is gone gets nothing.
    (void)::send(fd_, ack.data(), ack.size(), MSG_NOSIGNAL);
    Close();
  }

  void Close() {
    notifier_.setEnabled(false);
    idle_.stop();
    deleteLater();
  }

  int fd_;
  HandoverServer::Receiver& receiver_;
  QSocketNotifier notifier_;
  QTimer idle_;
  handover::MessageReader reader_;
};

}  // namespace

long PeerUserId(QLocalSocket& socket) {
  ucred credentials{};
  socklen_t length = sizeof credentials;
  const int fd = static_cast<int>(socket.socketDescriptor());
  if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return -1;
  return static_cast<long>(credentials.uid);
}

HandoverServer::HandoverServer(Receiver receiver, QObject* parent)
    : QObject(parent), receiver_(std::move(receiver)) {}

HandoverServer::~HandoverServer() = default;

bool HandoverServer::Listen() {
  error_ = handover::PrepareSocketFolder(handover::SocketFolder());
  if (!error_.empty()) return false;
  const QString path = QString::fromStdString(handover::SocketPath().string());
  {
    // A socket that still answers belongs to a running editor; one that does not is stale.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(500)) {
      error_ = "another editor already receives pictures";
      return false;
    }
  }
  QLocalServer::removeServer(path);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) {
    error_ = server_->errorString().toStdString();
    server_.reset();
    return false;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, &HandoverServer::OnNewConnection);
  return true;
}

bool HandoverServer::IsListening() const {
  return server_ && server_->isListening();
}

std::string HandoverServer::Path() const {
  return server_ ? server_->fullServerName().toStdString() : std::string();
}

void HandoverServer::OnNewConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    const long peer = PeerUserId(*socket);
    // The connection continues on its own copy of the descriptor.
    const int fd = ::fcntl(static_cast<int>(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    socket->abort();
    delete socket;
    if (fd < 0) continue;
    auto* connection = new Connection(fd, receiver_, this);
    // The folder keeps other users out; this check holds even if its mode was changed.
    if (peer != static_cast<long>(::getuid())) connection->Refuse(handover::AckCode::kRefused);
  }
}

}  // namespace morvane
