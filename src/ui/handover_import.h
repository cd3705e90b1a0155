// Pictures that arrive from outside the editor (an image program's export, "--import FILE",
// "/clipboard") become a new image of the open document, and the window comes to the front.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "image/dib.h"
#include "image/icon_document.h"
#include "plugin/handover_protocol.h"

class QImage;
class QWidget;

namespace morvane {

// What becomes of a picture larger than an image may be: the editor opens the import dialog on
// it (later, so that the sender is answered at once).
using LargePictureImport = std::function<void(CDib&&)>;

// Adds the picture as a new, selected true-colour-with-alpha image; a picture larger than an
// image may be goes to importLarge instead. kRefused when the document can take no further
// image.
handover::AckCode AddHandedOverPicture(IconDocument& document, const handover::Picture& picture,
                                       const LargePictureImport& importLarge);

handover::Picture PictureFromDib(const CDib& image);
handover::Picture PictureFromQImage(const QImage& image);

// Shows the window restored and raised, as when the user clicked it.
void BringToFront(QWidget& window);

// "--import FILE" and "/clipboard" before the window exists: hands the picture to a running
// editor. Returns true when one acknowledged it (this process then has nothing more to do);
// false with message empty when no editor runs, or with the reason when one refused.
bool HandToRunningEditor(const handover::Picture& picture, std::string& message);

}  // namespace morvane

namespace morvane {

struct StartupCommand;

// Runs before the window is built. For "--import FILE" and "/clipboard" it reads the picture
// and hands it to a running editor. Returns the exit status when this process is done (handed
// over, or the file could not be read); otherwise nothing, with incoming holding the picture the
// new window is to add (empty when there is none).
std::optional<int> HandOverAtStartup(const StartupCommand& command,
                                     std::optional<handover::Picture>& incoming);

}  // namespace morvane
