// The hand-over between two processes: this test is the running editor, and the sender is
// either the editor program itself ("--import FILE") or a raw sender that writes hostile bytes,
// possibly as another user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include "formats/picture_file.h"
#include "plugin/handover_image.h"
#include "plugin/handover_protocol.h"
#include "plugin/handover_socket.h"
#include "support/qt_app.h"
#include "support/temp_dir.h"
#include "ui/handover_import.h"
#include "ui/handover_server.h"

namespace morvane {
namespace {

// Connects, writes the bytes given in hex, closes its side and prints the answer in hex ("" when
// none came, "no-connect" when the socket could not be reached).
constexpr const char* kRawSender = R"(
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
try:
    s.connect(sys.argv[1])
except OSError:
    print("no-connect"); sys.exit(0)
try:
    s.sendall(bytes.fromhex(sys.argv[2])); s.shutdown(socket.SHUT_WR)
except OSError:
    pass
s.settimeout(20)
d = b""
try:
    while len(d) < 8:
        c = s.recv(8 - len(d))
        if not c: break
        d += c
except OSError:
    pass
print(d.hex())
)";

struct Finished {
  int exitCode = -1;
  QString output;
};

// Runs a process while this one's event loop keeps serving the socket.
Finished RunWhileServing(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
  QTimer::singleShot(60000, &loop, &QEventLoop::quit);
  process.start(program, arguments);
  loop.exec();
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

class Handover : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureApplication();
    ::setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    server_ = std::make_unique<HandoverServer>(
        [this](handover::Picture&& p) { return AddHandedOverPicture(document_, p, Import()); });
    ASSERT_TRUE(server_->Listen()) << server_->error();
  }
  void TearDown() override {
    server_.reset();
    ::unsetenv("XDG_RUNTIME_DIR");
  }

  // Large pictures go where the editor's import dialog would take them.
  LargePictureImport Import() {
    return [this](CDib&& picture) { imported_.push_back(std::move(picture)); };
  }

  QString Raw(const std::vector<std::uint8_t>& bytes) {
    QString hex = QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()))
            .toHex());
    return hex;
  }
  static std::vector<std::uint8_t> GoodMessage() {
    return handover::EncodeMessage(*handover::BlockFromPicture({2, 1, {0x80112233u, 0xFF445566u}}));
  }

  std::vector<CDib> imported_;
  testing::TempDir dir_;
  IconDocument document_;
  std::unique_ptr<HandoverServer> server_;
};

TEST_F(Handover, PictureFromAFileWithSpacesReachesTheRunningEditor) {
  CDib image;
  ASSERT_TRUE(image.Create(3, 2));
  image.SetPixel(0, 0, 0xFF102030u);
  image.SetPixel(2, 1, 0x80405060u);
  const auto path = dir_ / "my picture $(x).png";
  ASSERT_TRUE(SavePictureFile(path, image, {}).ok());
  const Finished run =
      RunWhileServing(MORVANE_EDITOR_PATH, {"--import", QString::fromStdString(path.string())});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(document_.Count(), 1);
  const CDib& got = document_.Frame(0).image;
  ASSERT_EQ(got.GetWidth(), 3);
  ASSERT_EQ(got.GetHeight(), 2);
  EXPECT_EQ(got.GetPixel(0, 0), 0xFF102030u);
  EXPECT_EQ(got.GetPixel(2, 1), 0x80405060u);
  EXPECT_EQ(got.GetPixel(1, 0), 0u);
  EXPECT_EQ(document_.Current(), 0);
  EXPECT_TRUE(document_.IsModified());
}

TEST_F(Handover, ALargePictureFromAFileGoesToTheImportWhole) {
  CDib image;
  ASSERT_TRUE(image.Create(300, 20));
  image.SetPixel(299, 19, 0xFF0A0B0Cu);
  ASSERT_TRUE(SavePictureFile(dir_ / "wide.png", image, {}).ok());
  EXPECT_EQ(RunWhileServing(MORVANE_EDITOR_PATH,
                            {"--import", QString::fromStdString((dir_ / "wide.png").string())})
                .exitCode,
            0);
  EXPECT_EQ(document_.Count(), 0);
  ASSERT_EQ(imported_.size(), 1u);
  ASSERT_EQ(imported_[0].GetWidth(), 300);
  EXPECT_EQ(imported_[0].GetPixel(299, 19), 0xFF0A0B0Cu);
}

TEST_F(Handover, RefusalOrBadFileFailsTheSender) {
  // A document at its frame limit refuses: the sender must fail, not report success.
  for (int i = 0; i < IconDocument::kMaxFrames; ++i)
    ASSERT_TRUE(document_.AddFrame(1, 1, ColorFormat::kTrueColorAlpha, nullptr, false).Added());
  CDib image;
  ASSERT_TRUE(image.Create(2, 2));
  ASSERT_TRUE(SavePictureFile(dir_ / "a.png", image, {}).ok());
  EXPECT_EQ(RunWhileServing(MORVANE_EDITOR_PATH,
                            {"--import", QString::fromStdString((dir_ / "a.png").string())})
                .exitCode,
            1);
  EXPECT_EQ(document_.Count(), IconDocument::kMaxFrames);
  EXPECT_EQ(RunWhileServing(MORVANE_EDITOR_PATH,
                            {"--import", QString::fromStdString((dir_ / "none.png").string())})
                .exitCode,
            2);
}

TEST_F(Handover, MalformedOversizedAndTruncatedMessagesAreRefused) {
  auto malformed = GoodMessage();
  malformed[24 + 14] = 24;  // 24 bits per pixel
  auto oversized = GoodMessage();
  handover::PutU32(oversized.data() + 24 + 4, 40000);  // 4 x 40000 x 40000 is above the limit
  handover::PutU32(oversized.data() + 24 + 8, 40000);
  handover::PutU64(oversized.data() + 16, std::uint64_t{1} << 40);
  auto truncated = GoodMessage();
  truncated.resize(truncated.size() - 5);

  const struct {
    std::vector<std::uint8_t> bytes;
    QString ack;
  } cases[] = {
      {malformed, "4d56414b01000000"},
      {oversized, "4d56414b02000000"},
      {truncated, "4d56414b03000000"},
  };
  for (const auto& c : cases) {
    const Finished run =
        RunWhileServing("/usr/bin/python3",
                        {"-c", kRawSender, QString::fromStdString(server_->Path()), Raw(c.bytes)});
    EXPECT_EQ(run.output, c.ack);
  }
  EXPECT_EQ(document_.Count(), 0);
  // The server still takes a good picture afterwards.
  const Finished good = RunWhileServing(
      "/usr/bin/python3",
      {"-c", kRawSender, QString::fromStdString(server_->Path()), Raw(GoodMessage())});
  EXPECT_EQ(good.output, "4d56414b00000000");
  ASSERT_EQ(document_.Count(), 1);
  EXPECT_EQ(document_.Frame(0).image.GetPixel(1, 0), 0xFF445566u);
}

TEST_F(Handover, SenderRunningAsAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a sender as another user";
  if (::access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "setpriv is not installed";
  const QStringList asNobody = {"--reuid=65534",
                                "--regid=65534",
                                "--clear-groups",
                                "/usr/bin/python3",
                                "-c",
                                kRawSender,
                                QString::fromStdString(server_->Path()),
                                Raw(GoodMessage())};
  // The socket's folder keeps the other user out...
  EXPECT_EQ(RunWhileServing("/usr/bin/setpriv", asNobody).output, "no-connect");
  // ...and when its mode is opened, the peer check still refuses the connection.
  ::chmod(dir_.path().c_str(), 0755);
  ::chmod(handover::SocketFolder().c_str(), 0755);
  ::chmod(server_->Path().c_str(), 0777);
  EXPECT_EQ(RunWhileServing("/usr/bin/setpriv", asNobody).output, "4d56414b04000000");
  EXPECT_EQ(document_.Count(), 0);
}

TEST_F(Handover, SecondEditorLeavesTheSocketToTheFirst) {
  HandoverServer second([](handover::Picture&&) { return handover::AckCode::kAccepted; });
  EXPECT_FALSE(second.Listen());
  EXPECT_TRUE(server_->IsListening());
}

TEST(HandoverPicture, LargePictureGoesToTheImportWhole) {
  IconDocument document;
  handover::Picture picture{600, 300, std::vector<std::uint32_t>(600 * 300, 0xFF00FF00u)};
  picture.argb[599] = 0x80112233u;
  CDib imported;
  const auto code =
      AddHandedOverPicture(document, picture, [&imported](CDib&& p) { imported = std::move(p); });
  EXPECT_EQ(code, handover::AckCode::kAccepted);
  EXPECT_EQ(document.Count(), 0) << "the import dialog adds the image, not the hand-over";
  ASSERT_EQ(imported.GetWidth(), 600);
  EXPECT_EQ(imported.GetHeight(), 300);
  EXPECT_EQ(imported.GetPixel(599, 0), 0x80112233u);

  handover::Picture small{40, 30, std::vector<std::uint32_t>(40 * 30, 0xFF0000FFu)};
  bool called = false;
  EXPECT_EQ(AddHandedOverPicture(document, small, [&called](CDib&&) { called = true; }),
            handover::AckCode::kAccepted);
  EXPECT_FALSE(called);
  EXPECT_EQ(document.Count(), 1);
}

}  // namespace
}  // namespace morvane
