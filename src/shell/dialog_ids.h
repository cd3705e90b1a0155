// Control identifiers and language sections of the main window's dialogs, in the blocks of 50
// that control_ids.h hands out. Packs key captions by these numbers; never renumber them.
#pragma once

#include <string_view>

namespace morvane {

namespace custom_size_dialog {
inline constexpr std::string_view kSection = "Custom_size";
inline constexpr int kWidthLabel = 1000;
inline constexpr int kHeightLabel = 1001;
}  // namespace custom_size_dialog

namespace dither_dialog {
inline constexpr std::string_view kSection = "Dither";
inline constexpr int kLevelLabel = 1050;
inline constexpr int kApply = 1051;
}  // namespace dither_dialog

namespace ani_properties_dialog {
inline constexpr std::string_view kSection = "Ani";
inline constexpr int kTitleLabel = 1100;
inline constexpr int kAuthorLabel = 1101;
inline constexpr int kApply = 1102;
}  // namespace ani_properties_dialog

namespace object_dialog {
inline constexpr std::string_view kSection = "Object";
inline constexpr int kGroupsLabel = 1150;
inline constexpr int kImagesLabel = 1151;
inline constexpr int kReplace = 1152;
inline constexpr int kAppend = 1153;
}  // namespace object_dialog

}  // namespace morvane
