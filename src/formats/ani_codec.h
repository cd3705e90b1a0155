// Animated cursor (.ani) files: a RIFF file of form "ACON" holding an optional "INFO" list (title
// "INAM", author "IART"), the "anih" animation header, a "rate" chunk of display times, an
// optional "seq " chunk that orders the stored frames into steps, and a "fram" list with one
// "icon" chunk per stored frame. Each "icon" chunk is a complete one-image icon or cursor file
// (ico_codec.h); a cursor stream carries the hotspot in its directory entry.
//
// Times are counted in jiffies (1/60 s). Titles and authors are stored in the Western European
// ANSI code page, Windows-1252; in memory they are UTF-8. The reader turns every byte into its
// Windows-1252 character; the writer turns every character back and writes "?" for a character
// that code page lacks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/ico_codec.h"
#include "formats/icon_image.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// A frame whose rate is 0 ("not set") is saved with this many jiffies.
inline constexpr int kAniRateForUnset = 12;
// Titles and authors longer than this many characters (bytes in the file) are cut.
inline constexpr int kAniMaxTextLength = 1023;

// One frame as delivered to the document, in display order.
struct AniFrame {
  CDib image;
  // The colour format it is saved in again: 1, 4, 8, 24 or 32. A sequenced step reports the
  // format of the stored frame it shows.
  int format = 32;
  // Display time in jiffies, as the file gives it (0 is possible: "not set").
  int rate = 0;
};

struct AniContents {
  std::vector<AniFrame> frames;
  // The hotspot of the first stored frame when it is a cursor stream; kIconNoHotspot (-1, -1)
  // when the frames are icon streams.
  int hotspotX = kIconNoHotspot;
  int hotspotY = kIconNoHotspot;
  // UTF-8; empty when the file has no INFO list or no such entry.
  std::string title;
  std::string author;
  // True when a "seq " chunk ordered the frames (only when all frames were asked for).
  bool sequenced = false;
  // Stored frames that did not decode (skipped, leaving no gap), and why the first of them failed.
  int skipped = 0;
  Status firstSkipReason;
};

// Reads an animated cursor.
//
// maxFrames 0 reads every frame and follows a "seq " chunk wherever it stands. A positive value
// reads at most that many stored frames, in stored order, and ignores the sequence (1 fetches
// the first frame for listing). capacity is the room left in the document: frames beyond it are
// not delivered, but unlike maxFrames it does not switch sequencing off.
//
// The reader accepts odd-length chunks with or without their pad byte, skips lists other than
// "INFO" and "fram" and chunks it does not know, and cuts every count to the data: at most
// kMaxIconFrames stored frames, sequence steps and rates are used, a step naming a frame that
// is not there (or did not decode) is dropped with its rate, and a missing rate is the header's
// default rate. Fails when the data is not a RIFF file, has no "anih" header, announces no
// frames, or when no frame decodes.
Result<AniContents> LoadAniFile(Bytes data, int maxFrames = 0, int capacity = kMaxIconFrames);
Result<AniContents> LoadAniFile(const std::filesystem::path& path, int maxFrames = 0,
                                int capacity = kMaxIconFrames);

// Writes an animated cursor: INFO list (only when title or author is non-empty), "anih" with
// steps = frames, default rate 10 and flags 1, "rate", and the "fram" list of one-image streams:
// icon streams when hotspotX is kIconNoHotspot, cursor streams carrying the hotspot otherwise.
// An odd-length chunk is followed by a zero pad byte that its size does not count. No "seq " is
// written. Texts longer than kAniMaxTextLength characters are cut.
//
// rates holds one display time per frame; every 0 in it is replaced by kAniRateForUnset first,
// so the caller keeps the times that were saved. Fails, leaving out as it was (and rates
// untouched when the arguments are refused), when there are no frames or more than
// kMaxIconFrames, when rates and frames differ in length, or when a frame cannot be written.
Status SaveAniFile(std::vector<std::uint8_t>& out, std::span<const IconFrameRef> frames,
                   std::span<int> rates, int hotspotX, int hotspotY, std::string_view title,
                   std::string_view author, const IconWriteOptions& options = {});
// Writes the file through a temporary file renamed over path, so a failed save leaves an
// existing file untouched.
Status SaveAniFile(const std::filesystem::path& path, std::span<const IconFrameRef> frames,
                   std::span<int> rates, int hotspotX, int hotspotY, std::string_view title,
                   std::string_view author, const IconWriteOptions& options = {});

}  // namespace morvane
