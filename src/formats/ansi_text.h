// Text stored in the Windows ANSI code page of Western Europe (Windows-1252): the title and author
// of animated cursors and language packs without a byte order mark. In memory text is UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_reader.h"

namespace morvane {

// Every byte becomes its Windows-1252 character; the five unassigned bytes become the control
// characters of the same value, as the platform's own conversion does.
std::string Cp1252ToUtf8(Bytes bytes);
// Every character back to its byte; "?" for a character the code page lacks or bad UTF-8.
std::vector<std::uint8_t> Utf8ToCp1252(std::string_view text);

// The text with the ASCII letters A-Z lowered and every other byte kept, so UTF-8 stays intact
// and no locale is consulted: file extensions, switches and pack keys compare case-blind.
std::string AsciiLower(std::string_view text);

}  // namespace morvane
