// Checking icon, cursor and animated-cursor files for what makes them look wrong or fail in some
// program: directory entries that disagree with their images, overlapping or cut images, bytes
// after the data, duplicate entries, 256-pixel images in the wrong form, 32-bit images without
// alpha, missing sizes, hotspots outside the image, animated cursors whose counts disagree, and
// texts outside the code page they are stored in.
//
// The checker works on the raw bytes and on the images decoded from them; it treats the data as
// hostile like every reader. Each finding has a stable identifier that scripts may rely on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/icon_image.h"
#include "formats/status.h"

namespace morvane {

enum class LintLevel { kError, kWarning };

// "error" or "warning".
std::string_view LintLevelName(LintLevel level);

struct LintFinding {
  std::string id;  // stable, lower case with hyphens: "entry-size-mismatch"
  LintLevel level = LintLevel::kWarning;
  std::string message;  // one sentence for people
  std::string where;    // "file", "image 2", "frame 3, image 1"...
};

// kLibrary: an NE file (icon libraries); kProgram: a PE file with icon or cursor groups.
enum class LintedKind { kIcon, kCursor, kAnimatedCursor, kLibrary, kProgram };

struct LintReport {
  LintedKind kind = LintedKind::kIcon;
  std::vector<LintFinding> findings;

  int Count(LintLevel level) const;
  bool HasErrors() const { return Count(LintLevel::kError) > 0; }
  bool Has(std::string_view id) const;
};

struct LintOptions {
  // Square sizes every icon should have (empty: not checked). An animated cursor's frames are
  // each checked on their own.
  std::vector<int> requiredSizes;
};

// Checks an icon or cursor file (by its header), an animated cursor (a RIFF file), or the icon
// and cursor groups of a program or icon library ("MZ"). Fails only when the data is none of
// these (or a program without groups); everything wrong inside is a finding.
Result<LintReport> LintIconData(Bytes data, const LintOptions& options = {});

// What FixIconData did.
struct LintFixResult {
  std::vector<std::uint8_t> data;
  std::vector<std::string> changes;  // one sentence per mechanical repair
  int dropped = 0;                   // images or frames that could not be read and were left out
};

// A corrected copy where the repair is mechanical: directory fields re-derived from the images,
// blocks laid out one after another (no overlap, no trailing bytes, byte counts exact),
// 256-pixel images of 8 bits or more stored as 8-bit RGBA PNG, 32-bit images without alpha
// given the alpha their mask means, and an animated cursor's header, rates and sequence made to
// agree with its frames. Images that do not decode are left out. Fails when the data is not an
// icon, cursor or animated cursor (programs and libraries are not repaired), or nothing in it
// can be read.
Result<LintFixResult> FixIconData(Bytes data, const IconWriteOptions& options = {});

// --- Parts shared by the icon and animated-cursor checks --------------------------------------

// The facts about one image block that the checks need, from its raw bytes.
struct IconBlockFacts {
  bool png = false;
  int width = 0;
  int height = 0;
  int bitCount = 0;          // the bitmap header's; for PNG 32 when 8-bit RGBA, else the depth read
  std::uint64_t needed = 0;  // the bytes a complete block takes (0 when unknown)
  int pngBitDepth = 0;       // PNG only: IHDR bit depth and colour type
  int pngColorType = 0;
  // A 32-bit bitmap whose alpha bytes are all 0 while its AND mask shows some pixel.
  bool alphaAllZero = false;
};

// Reads the facts; fails when the block is not a bitmap or PNG image this program reads.
Result<IconBlockFacts> InspectIconBlock(Bytes block);

// True when every byte of the text is assigned in Windows-1252 and the text does not read as
// UTF-8 with characters beyond ASCII (a sign that it was stored in the wrong code page).
bool LooksLikeCp1252(Bytes text);

// The findings of the groups of a program or icon library; false when it has no group.
bool LintExecutableGroups(Bytes data, const LintOptions& options, LintReport& report);

// Appends the findings of an icon or cursor stream; `where` names the stream in every finding's
// place ("frame 2"). Images are decoded only while their pixels fit the budget, which is charged
// with them, so the streams of one file share one bound.
void LintIconStream(Bytes data, std::string_view where, const LintOptions& options,
                    std::vector<LintFinding>& out, std::uint64_t& pixelBudget);

}  // namespace morvane
