// The property-list resource ("PIPL", number 16000) that a Photoshop-compatible host reads to
// learn what the export filter is: its kind, menu name and category, entry point, the image modes
// it takes and how it handles each filter case. Built as bytes so that the native plug-in's
// resource and the tests share one definition.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane::handover {

inline constexpr int kPropertyListResourceId = 16000;

std::vector<std::uint8_t> PropertyListBytes();

}  // namespace morvane::handover
