// The clipboard bridge: our block and PNG in one offer, the order paste reads them in, and the
// exchange with another program (xclip) through a real X clipboard on a virtual display.
#include "ui/clipboard_bridge.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <QBuffer>
#include <QImage>
#include <QMimeData>

#include "support/peers.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/qt_image.h"

namespace morvane {
namespace {

using testing::CaptureText;
using testing::HaveCommand;
using testing::RunQuiet;
using testing::ShellQuote;

CDib Sample() {
  CDib image;
  image.Create(3, 2);
  image.SetPixel(0, 0, 0xFFFF0000);
  image.SetPixel(1, 0, 0x8000FF00);
  image.SetPixel(2, 0, 0x00000000);
  image.SetPixel(0, 1, 0xFF0000FF);
  image.SetPixel(1, 1, 0xFF123456);
  image.SetPixel(2, 1, 0x40FFFFFF);
  return image;
}

std::vector<std::uint8_t> BadBlock() {
  // A 40-byte header announcing 100000 x 1 pixels with no pixels behind it.
  std::vector<std::uint8_t> block(40, 0);
  block[0] = 40;
  block[4] = 0xA0;
  block[5] = 0x86;
  block[6] = 0x01;
  block[8] = 1;
  block[12] = 1;
  block[14] = 32;
  return block;
}

void ExpectSamePixels(const CDib& a, const CDib& b) {
  ASSERT_EQ(a.GetWidth(), b.GetWidth());
  ASSERT_EQ(a.GetHeight(), b.GetHeight());
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      const Pixel pa = a.GetPixel(x, y), pb = b.GetPixel(x, y);
      // Fully transparent pixels carry no colour worth comparing.
      if (IsTransparent(pa) && IsTransparent(pb)) continue;
      EXPECT_EQ(pa, pb) << x << "," << y;
    }
}

TEST(ClipboardBridge, OfferCarriesOurBlockAndPngAndPasteReadsOurBlockFirst) {
  testing::EnsureApplication();
  CDib sample = Sample();
  sample.clip = {0, 0, 3, 2};
  std::unique_ptr<QMimeData> data(MakePictureMimeData(sample, 0xFFFFFF));
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->hasFormat(kDibMimeType));
  EXPECT_TRUE(data->hasFormat("image/png"));
  EXPECT_TRUE(OffersPicture(data.get()));
  ClipboardPicture picture = ReadPicture(data.get());
  EXPECT_TRUE(picture.error.isEmpty());
  ExpectSamePixels(picture.image, sample);
  // The PNG alone gives the same picture.
  QMimeData pngOnly;
  pngOnly.setData("image/png", data->data("image/png"));
  picture = ReadPicture(&pngOnly);
  ExpectSamePixels(picture.image, sample);
}

TEST(ClipboardBridge, MalformedBlockIsRefusedWithAMessage) {
  testing::EnsureApplication();
  QMimeData data;
  const auto bad = BadBlock();
  data.setData(kDibMimeType, QByteArray(reinterpret_cast<const char*>(bad.data()), 40));
  const ClipboardPicture picture = ReadPicture(&data);
  EXPECT_FALSE(picture.image.IsLive());
  EXPECT_FALSE(picture.error.isEmpty());
}

TEST(ClipboardBridge, BmpFromAnotherProgramOfAnyDepthPastes) {
  testing::EnsureApplication();
  QImage rgb(2, 2, QImage::Format_RGB888);
  rgb.fill(QColor(10, 20, 30));
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(rgb.save(&buffer, "BMP"));
  QMimeData data;
  data.setData("image/bmp", bmp);
  const ClipboardPicture picture = ReadPicture(&data);
  ASSERT_TRUE(picture.image.IsLive());
  EXPECT_EQ(picture.image.GetPixel(1, 1), 0xFF0A141Eu);
}

// A virtual X display for the test's child processes; the test skips without Xvfb or xclip.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    if (!HaveCommand("Xvfb") || !HaveCommand("xclip") || !HaveCommand("xdpyinfo")) return;
    const int number = 300 + static_cast<int>(::getpid() % 500);
    name_ = ":" + std::to_string(number);
    const std::string pid = CaptureText("Xvfb " + name_ +
                                        " -screen 0 320x240x24 -nolisten tcp >/dev/null 2>&1 & "
                                        "echo $!");
    pid_ = std::atoi(pid.c_str());
    for (int i = 0; i < 50 && !ready_; ++i) {
      ready_ = RunQuiet("DISPLAY=" + name_ + " xdpyinfo");
      if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  ~VirtualDisplay() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }
  bool Ready() const { return ready_; }
  std::string Env() const { return "DISPLAY=" + name_ + " "; }

 private:
  std::string name_;
  int pid_ = 0;
  bool ready_ = false;
};

// Starts a command in the background and returns its process id.
int StartBackground(const std::string& command) {
  return std::atoi(CaptureText(command + " >/dev/null 2>&1 & echo $!").c_str());
}

TEST(ClipboardInterop, PicturesGoBothWaysThroughXclip) {
  testing::EnsureApplication();
  VirtualDisplay display;
  if (!display.Ready()) GTEST_SKIP() << "needs Xvfb, xdpyinfo and xclip";
  testing::TempDir scratch;
  const std::string probe = MORVANE_CLIPBOARD_PROBE;
  const std::string env = display.Env() + "QT_QPA_PLATFORM=xcb ";
  const CDib sample = Sample();
  ASSERT_TRUE(ToQImage(sample).save(QString::fromStdString((scratch / "in.png").string())));

  // Copy in our program, read image/png with xclip.
  const auto ready = scratch / "ready.txt";
  const int copier =
      std::atoi(CaptureText(env + ShellQuote(probe) + " copy " + ShellQuote(scratch / "in.png") +
                            " >" + ShellQuote(ready) + " 2>/dev/null & echo $!")
                    .c_str());
  for (int i = 0; i < 100 && CaptureText("cat " + ShellQuote(ready)).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const auto fromXclip = scratch / "xclip.png";
  const bool read = RunQuiet(display.Env() + "xclip -selection clipboard -t image/png -o >" +
                             ShellQuote(fromXclip));
  ::kill(copier, SIGTERM);
  ASSERT_TRUE(read);
  ExpectSamePixels(FromQImage(QImage(QString::fromStdString(fromXclip.string()))), sample);

  // Put a PNG on the clipboard with xclip, paste it in our program.
  const int offer = StartBackground(display.Env() + "xclip -quiet -selection clipboard " +
                                    "-t image/png -i " + ShellQuote(scratch / "in.png"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto pasted = scratch / "pasted.png";
  const bool pastedOk = RunQuiet(env + ShellQuote(probe) + " paste " + ShellQuote(pasted));
  ::kill(offer, SIGTERM);
  ASSERT_TRUE(pastedOk);
  ExpectSamePixels(FromQImage(QImage(QString::fromStdString(pasted.string()))), sample);

  // A malformed block from another program is refused with a message.
  const auto bad = BadBlock();
  {
    std::FILE* f = std::fopen((scratch / "bad.bin").c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bad.data(), 1, bad.size(), f);
    std::fclose(f);
  }
  const int badOffer = StartBackground(display.Env() + "xclip -quiet -selection clipboard -t " +
                                       kDibMimeType + " -i " + ShellQuote(scratch / "bad.bin"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const int status =
      std::system((env + ShellQuote(probe) + " paste " + ShellQuote(scratch / "never.png") + " >" +
                   ShellQuote(scratch / "message.txt") + " 2>/dev/null")
                      .c_str());
  ::kill(badOffer, SIGTERM);
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_FALSE(CaptureText("cat " + ShellQuote(scratch / "message.txt")).empty());
  EXPECT_FALSE(std::filesystem::exists(scratch / "never.png"));
}

}  // namespace
}  // namespace morvane
