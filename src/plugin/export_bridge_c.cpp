#include "plugin/export_bridge_c.h"

#include <cstdio>
#include <string>

#include "plugin/editor_launch.h"
#include "plugin/export_bridge.h"

namespace {

void Tell(char* message, std::size_t size, const std::string& text) {
  if (message && size > 0) std::snprintf(message, size, "%s", text.c_str());
}

}  // namespace

extern "C" int morvane_export_picture(uint32_t width, uint32_t height, int planes,
                                      const uint8_t* samples, size_t samples_size, size_t row_bytes,
                                      const uint8_t* mask, size_t mask_size, size_t mask_row_bytes,
                                      const char* editor, char* message, size_t message_size) {
  using namespace morvane::handover;
  if (!samples) {
    Tell(message, message_size, "no picture to export");
    return 1;
  }
  HostImage host;
  host.width = width;
  host.height = height;
  host.planes = planes;
  host.samples = {samples, samples_size};
  host.rowBytes = row_bytes;
  if (mask) {
    host.mask = {mask, mask_size};
    host.maskRowBytes = mask_row_bytes;
  }
  const auto block = ExportBlock(host);
  if (!block) {
    Tell(message, message_size, "the picture is too large to hand over");
    return 1;
  }
  const std::string program = editor && *editor ? std::string(editor) : FindEditor();
  const SendOutcome outcome = SendOrStart(*block, program);
  if (outcome.result == SendResult::kAccepted) return 0;
  Tell(message, message_size, outcome.message);
  return 1;
}
