#include "ui/handover_import.h"

#include <algorithm>

#include <cstdio>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include "formats/picture_file.h"
#include "plugin/handover_socket.h"
#include "shell/command_line.h"

namespace morvane {

namespace {

bool ToDib(const handover::Picture& picture, CDib& dib) {
  if (picture.argb.size() != std::uint64_t{picture.width} * picture.height) return false;
  if (!dib.Create(static_cast<int>(picture.width), static_cast<int>(picture.height))) return false;
  for (std::uint32_t y = 0; y < picture.height; ++y)
    std::copy_n(picture.argb.data() + std::size_t{y} * picture.width, picture.width,
                dib.Row(static_cast<int>(y)));
  return true;
}

}  // namespace

handover::AckCode AddHandedOverPicture(IconDocument& document, const handover::Picture& picture,
                                       const LargePictureImport& importLarge) {
  CDib dib;
  if (!ToDib(picture, dib)) return handover::AckCode::kTooLarge;
  const int w = static_cast<int>(picture.width);
  const int h = static_cast<int>(picture.height);
  constexpr int kSide = IconDocument::kMaxFrameSide;
  if (w > kSide || h > kSide) {
    importLarge(std::move(dib));
    return handover::AckCode::kAccepted;
  }
  const AddResult added = document.AdoptFrame(std::move(dib), ColorFormat::kTrueColorAlpha);
  if (added.Added()) document.SelectFrame(added.index);
  if (!added.Added()) return handover::AckCode::kRefused;
  document.SetModified(true);
  return handover::AckCode::kAccepted;
}

handover::Picture PictureFromDib(const CDib& image) {
  handover::Picture picture;
  picture.width = static_cast<std::uint32_t>(std::max(0, image.GetWidth()));
  picture.height = static_cast<std::uint32_t>(std::max(0, image.GetHeight()));
  picture.argb.resize(std::size_t{picture.width} * picture.height);
  for (std::uint32_t y = 0; y < picture.height; ++y)
    std::copy_n(image.Row(static_cast<int>(y)), picture.width,
                picture.argb.data() + std::size_t{y} * picture.width);
  return picture;
}

handover::Picture PictureFromQImage(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  handover::Picture picture;
  picture.width = static_cast<std::uint32_t>(argb.width());
  picture.height = static_cast<std::uint32_t>(argb.height());
  picture.argb.resize(std::size_t{picture.width} * picture.height);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(argb.constScanLine(static_cast<int>(y)));
    std::copy_n(row, picture.width, picture.argb.data() + std::size_t{y} * picture.width);
  }
  return picture;
}

void BringToFront(QWidget& window) {
  if (window.isMinimized()) window.showNormal();
  window.show();
  window.raise();
  window.activateWindow();
}

bool HandToRunningEditor(const handover::Picture& picture, std::string& message) {
  message.clear();
  const auto block = handover::BlockFromPicture(picture);
  if (!block) {
    message = "the picture is too large to hand over";
    return false;
  }
  const handover::SendOutcome outcome = handover::SendBlock(*block);
  if (outcome.result == handover::SendResult::kAccepted) return true;
  if (outcome.result != handover::SendResult::kNoEditor) message = outcome.message;
  return false;
}

std::optional<int> HandOverAtStartup(const StartupCommand& command,
                                     std::optional<handover::Picture>& incoming) {
  incoming.reset();
  handover::Picture picture;
  if (command.action == StartupAction::kImport) {
    CDib image;
    const Result<int> loaded = LoadPictureFile(command.path, image);
    if (!loaded) {
      std::fprintf(stderr, "morvane: %s: %s\n", command.path.c_str(),
                   loaded.status().message().c_str());
      return 2;
    }
    picture = PictureFromDib(image);
  } else if (command.action == StartupAction::kPasteClipboard) {
    // Read, never cleared: the clipboard stays the user's.
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return std::nullopt;
    picture = PictureFromQImage(image);
  } else {
    return std::nullopt;
  }
  std::string message;
  if (HandToRunningEditor(picture, message)) return 0;
  if (!message.empty()) {
    std::fprintf(stderr, "morvane: the running editor did not take the picture: %s\n",
                 message.c_str());
    return 1;
  }
  incoming = std::move(picture);
  return std::nullopt;
}

}  // namespace morvane
