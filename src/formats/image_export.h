// Writing one frame as a picture file, and a stored icon or cursor group as a file of its own.
//
// A frame carries alpha; most picture forms do not, or keep only on/off transparency. Two
// flattening rules decide what such a form receives, both over an opaque matte of the "Matte
// color" and with "Alpha level" as the visibility threshold:
//  - keep-transparency (GIF, and PNG below 32 bits): visible pixels come out opaque over the
//    matte, the others transparent black;
//  - opaque (JPEG, and BMP below 32 bits): every pixel opaque; those below the threshold show
//    the matte colour.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "formats/icon_groups.h"
#include "formats/status.h"
#include "image/dib.h"

namespace morvane {

// Both rules write a new image of the frame's size into out. matte is 0xRRGGBB (its alpha
// byte is ignored); alphaLevel is the threshold T: a pixel is visible when its alpha >= T.
// False when the image is empty or out cannot be created.
bool FlattenKeepTransparency(const CDib& frame, Pixel matte, int alphaLevel, CDib& out);
bool FlattenOpaque(const CDib& frame, Pixel matte, int alphaLevel, CDib& out);

struct PictureExportOptions {
  Pixel matte = 0xDDDDDD;  // 0xRRGGBB
  int alphaLevel = 85;
  // PNG: requested depth; BMP: bit count. 0 takes the frame's colour format.
  int depth = 0;
  int jpegQuality = 90;
  bool jpegColor = true;
};

// Saves frame (of colour format `format`, 1..32) by the extension of path (".png", ".gif",
// ".jpg", ".bmp"), flattened as the form needs: PNG and BMP at depth 32 get the frame itself.
// The file is replaced through a temporary file, so a failure keeps an existing one.
Status ExportPicture(const std::filesystem::path& path, const CDib& frame, int format,
                     const PictureExportOptions& options = {});

// An icon group as an .ico file, or a cursor group as a .cur file, with every image block byte
// for byte as the program or library stores it. Icon entries keep the group's directory fields;
// cursor entries take the size from the image and carry the hotspot. 16-bit (NE) files store
// resources in whole sectors: with sectorPadded, an image ends where its group entry says and
// the padding after it is left out. Fails for a group without images or with more than an icon
// file can count.
Status WriteStoredGroup(const IconGroup& group, std::vector<std::uint8_t>& out,
                        bool sectorPadded = false);
Status WriteStoredGroupFile(const std::filesystem::path& path, const IconGroup& group,
                            bool sectorPadded = false);

}  // namespace morvane
