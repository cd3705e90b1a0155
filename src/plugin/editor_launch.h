// Finding and starting the editor from outside it: the path the editor stored as "Main
// executable", and a start without any shell, so that paths with spaces or quotes are safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "plugin/handover_socket.h"

namespace morvane::handover {

// "Main executable" from the editor's settings file under $XDG_CONFIG_HOME (or ~/.config);
// MORVANE_EDITOR overrides it. Empty when neither is set.
std::string FindEditor();

// Starts program with arguments, detached from this process; false when it cannot be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// Sends the block to a running editor; when none runs, starts editor (no arguments) and keeps
// trying until it answers or the wait is over.
SendOutcome SendOrStart(std::span<const std::uint8_t> block, const std::string& editor,
                        std::chrono::milliseconds startWait = std::chrono::seconds(20));

}  // namespace morvane::handover
