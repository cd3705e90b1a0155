// Where the editor listens for hand-overs, and the sending side over plain POSIX sockets, so
// that a host's plug-in can send without Qt. The socket lives in a folder that only its user
// can open; the editor also checks the peer's user on every connection.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "plugin/handover_protocol.h"

namespace morvane::handover {

// The per-user folder of the socket: $XDG_RUNTIME_DIR/morvane when that is set and short enough
// for a socket path, otherwise <temporary folder>/morvane-<uid>.
std::filesystem::path SocketFolder();
// The socket's full path, named after the server name.
std::filesystem::path SocketPath();

// Creates the folder with mode 0700 when missing, and refuses one that is not a real folder
// owned by this user or that others can open. Returns an error text, empty on success.
std::string PrepareSocketFolder(const std::filesystem::path& folder);

enum class SendResult {
  kAccepted,
  kNoEditor,      // nothing listens (no editor runs)
  kRefused,       // the editor answered with a refusal (see ack)
  kNoAnswer,      // the connection broke or no acknowledgement came in time
  kInvalidBlock,  // the picture was refused before sending
};

struct SendOutcome {
  SendResult result = SendResult::kNoEditor;
  AckCode ack = AckCode::kAccepted;
  std::string message;  // for people
};

// Sends one message to the socket at path and waits up to timeout for the acknowledgement.
SendOutcome SendBytes(const std::filesystem::path& path, std::span<const std::uint8_t> message,
                      std::chrono::milliseconds timeout);
// Sends a block (handover_image.h) to the running editor.
SendOutcome SendBlock(std::span<const std::uint8_t> block,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace morvane::handover
