#include "ui/clipboard_bridge.h"

#include <span>

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "editing/clipboard_dib.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

constexpr char kPngType[] = "image/png";
constexpr char kBmpType[] = "image/bmp";
constexpr int kBmpFileHeader = 14;

std::span<const std::uint8_t> AsBytes(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

ClipboardPicture FromBlock(const QByteArray& block, bool foreign) {
  ClipboardPicture out;
  DibPicture parsed = ParseClipboardDib(AsBytes(block), foreign);
  if (parsed.error != DibError::kNone) {
    out.error = QString::fromUtf8(DibErrorText(parsed.error).data());
    return out;
  }
  out.image = std::move(parsed.image);
  out.bitFields = parsed.bitFields;
  return out;
}

ClipboardPicture FromEncoded(const QByteArray& bytes, const char* format) {
  ClipboardPicture out;
  const QImage image = QImage::fromData(bytes, format);
  if (image.isNull()) {
    out.error = QStringLiteral("the clipboard picture cannot be read");
    return out;
  }
  out.image = FromQImage(image);
  if (!out.image.IsLive()) out.error = QStringLiteral("the clipboard picture is too large");
  return out;
}

ClipboardPicture FromBmpFile(const QByteArray& file) {
  // A 32-bit file goes through the same checks as a block; other depths through the toolkit.
  if (file.size() > kBmpFileHeader && file.startsWith("BM")) {
    const QByteArray block = file.mid(kBmpFileHeader);
    ClipboardPicture picture = FromBlock(block, true);
    if (picture.image.IsLive()) return picture;
    const DibError e = ParseClipboardDib(AsBytes(block), true).error;
    if (e != DibError::kUnsupported) return picture;
  }
  return FromEncoded(file, "BMP");
}

}  // namespace

CDib FromQImage(const QImage& image) {
  CDib out;
  if (image.isNull() || !out.Create(image.width(), image.height())) return out;
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < argb.height(); ++y) {
    const auto* src = reinterpret_cast<const Pixel*>(argb.constScanLine(y));
    std::copy(src, src + argb.width(), out.Row(y));
  }
  out.clip = {0, 0, out.GetWidth(), out.GetHeight()};
  return out;
}

QMimeData* MakePictureMimeData(const CDib& source, std::uint32_t backgroundBgr) {
  const std::vector<std::uint8_t> block = BuildClipboardDib(source, backgroundBgr);
  if (block.empty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kDibMimeType, QByteArray(reinterpret_cast<const char*>(block.data()),
                                         static_cast<qsizetype>(block.size())));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ToQImage(source).save(&buffer, "PNG");
  data->setData(kPngType, png);
  return data;
}

bool OffersPicture(const QMimeData* data) {
  return data && (data->hasFormat(kDibMimeType) || data->hasFormat(kPngType) ||
                  data->hasFormat(kBmpType) || data->hasImage());
}

ClipboardPicture ReadPicture(const QMimeData* data) {
  if (!data) return {};
  if (data->hasFormat(kDibMimeType)) return FromBlock(data->data(kDibMimeType), false);
  if (data->hasFormat(kPngType)) return FromEncoded(data->data(kPngType), "PNG");
  if (data->hasFormat(kBmpType)) return FromBmpFile(data->data(kBmpType));
  if (data->hasImage()) {
    ClipboardPicture out;
    out.image = FromQImage(qvariant_cast<QImage>(data->imageData()));
    if (!out.image.IsLive()) out.error = QStringLiteral("the clipboard picture cannot be read");
    return out;
  }
  return {};
}

bool PutPictureOnClipboard(const CDib& source, std::uint32_t backgroundBgr) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  QMimeData* data = MakePictureMimeData(source, backgroundBgr);
  if (!clipboard || !data) {
    delete data;
    return false;
  }
  clipboard->setMimeData(data);
  return true;
}

bool ClipboardOffersPicture() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard && OffersPicture(clipboard->mimeData());
}

ClipboardPicture ReadClipboardPicture() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard ? ReadPicture(clipboard->mimeData()) : ClipboardPicture{};
}

}  // namespace morvane
