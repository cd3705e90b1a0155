// The small picture a history entry shows: the first image of the file it names.
#pragma once

#include <string>

#include <QIcon>

namespace morvane {

// The first image of an icon, cursor, animated cursor, picture, program or library, as a menu
// icon; a null icon when the file may not be touched (HistoryIconAllowed) or holds no image.
QIcon HistoryEntryIcon(const std::string& path);

}  // namespace morvane
