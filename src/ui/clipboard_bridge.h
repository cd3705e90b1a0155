// The system clipboard for pictures. Copy offers our 32-bit bitmap block under a private type
// and the same picture as "image/png" for other programs; paste takes our block, "image/png",
// "image/bmp" or the toolkit's own image data, in that order.
#pragma once

#include <cstdint>

#include <QString>

#include "image/dib.h"

class QImage;
class QMimeData;

namespace morvane {

inline constexpr char kDibMimeType[] = "application/x-morvane-dib";

// The picture for the clipboard: our block and a PNG. Null when source is empty.
QMimeData* MakePictureMimeData(const CDib& source, std::uint32_t backgroundBgr);

struct ClipboardPicture {
  CDib image;              // empty when nothing usable was offered
  bool bitFields = false;  // the block used colour masks
  QString error;           // why an offered picture was refused (empty when none was offered)
};

// Whether data offers a picture in a form paste takes.
bool OffersPicture(const QMimeData* data);
ClipboardPicture ReadPicture(const QMimeData* data);

// The whole system clipboard.
bool PutPictureOnClipboard(const CDib& source, std::uint32_t backgroundBgr);
bool ClipboardOffersPicture();
ClipboardPicture ReadClipboardPicture();

// A QImage's pixels as a straight-alpha 32-bit image.
CDib FromQImage(const QImage& image);

}  // namespace morvane
