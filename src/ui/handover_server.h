// The editor's end of the hand-over: listens on the per-user socket named after
// "Morvane.export", accepts connections only from its own user, reads one message per
// connection and answers with an acknowledgement. What to do with a picture is the receiver's
// callback; the server knows nothing of documents or windows.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "plugin/handover_protocol.h"

class QLocalServer;
class QLocalSocket;

namespace morvane {

class HandoverServer : public QObject {
  Q_OBJECT

 public:
  using Receiver = std::function<handover::AckCode(handover::Picture&&)>;

  explicit HandoverServer(Receiver receiver, QObject* parent = nullptr);
  ~HandoverServer() override;

  // Starts listening. False (with the reason in error()) when the socket folder is unsafe, or
  // when another editor of this user already listens: that one receives the pictures.
  bool Listen();
  bool IsListening() const;
  const std::string& error() const { return error_; }
  // The socket's path while listening.
  std::string Path() const;

 private:
  void OnNewConnection();

  Receiver receiver_;
  std::unique_ptr<QLocalServer> server_;
  std::string error_;
};

// The user id of the process at the other end of a local socket; -1 when it cannot be told.
long PeerUserId(QLocalSocket& socket);

}  // namespace morvane
