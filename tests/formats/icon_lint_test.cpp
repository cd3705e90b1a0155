// The icon checker: one file per finding, made with our writers and patched, or built by hand;
// the repairs of --fix; hostile input; and the hidden faults of real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "format_test_support.h"
#include "formats/ani_codec.h"
#include "formats/icl_writer.h"
#include "formats/ico_codec.h"
#include "formats/icon_lint.h"
#include "image/byte_sink.h"
#include "support/files.h"
#include "support/mutations.h"

namespace morvane::testing {
namespace {

using Data = std::vector<std::uint8_t>;

CDib Mixed(int size) {
  CDib image;
  MakeImage(image, size, size, MixedPixel);
  return image;
}

// An icon written by our writer: 32 x 32 at 32 bits and 16 x 16 at 8 bits.
Data CleanIcon(int hotspotX = kIconNoHotspot, int hotspotY = kIconNoHotspot) {
  static const CDib big = Mixed(32);
  static const CDib small = Mixed(16);
  const std::vector<IconFrameRef> frames{{&big, 32}, {&small, 8}};
  Data out;
  EXPECT_TRUE(WriteIconFile(out, frames, hotspotX, hotspotY).ok());
  return out;
}

// One image block wrapped in a one-entry icon file whose entry says what the caller gives.
Data OneImageFile(const Data& block, int width, int height, int bits) {
  Data out;
  ByteSink s(out);
  s.U16(0);
  s.U16(1);
  s.U16(1);
  s.U8(static_cast<std::uint8_t>(width % 256));
  s.U8(static_cast<std::uint8_t>(height % 256));
  s.U8(0);
  s.U8(0);
  s.U16(1);
  s.U16(static_cast<std::uint16_t>(bits));
  s.U32(static_cast<std::uint32_t>(block.size()));
  s.U32(22);
  s.Bytes(block);
  return out;
}

void PatchU32(Data& d, std::size_t at, std::uint32_t v) {
  ByteSink(d).PatchU32(at, v);
}
std::uint32_t U32(const Data& d, std::size_t at) {
  return *LoadU32(d, at);
}

// Entry i's fields: width at 6 + 16 i, bit count at +6, length at +8, offset at +12.
std::size_t Entry(std::size_t i) {
  return 6 + 16 * i;
}

LintReport Lint(const Data& data, const LintOptions& options = {}) {
  Result<LintReport> r = LintIconData(data, options);
  EXPECT_TRUE(r.ok()) << r.status().message();
  return r.ok() ? *r : LintReport{};
}

std::vector<std::string> Ids(const LintReport& r) {
  std::vector<std::string> ids;
  for (const LintFinding& f : r.findings) ids.push_back(f.id);
  return ids;
}

const LintFinding* Find(const LintReport& r, std::string_view id) {
  for (const LintFinding& f : r.findings) {
    if (f.id == id) return &f;
  }
  return nullptr;
}

void ExpectFinding(const Data& data, std::string_view id, LintLevel level, std::string_view where,
                   const LintOptions& options = {}) {
  const LintReport r = Lint(data, options);
  const LintFinding* f = Find(r, id);
  ASSERT_NE(f, nullptr) << id << " not among " << ::testing::PrintToString(Ids(r));
  EXPECT_EQ(f->level, level) << id;
  EXPECT_EQ(f->where, where) << id;
  EXPECT_FALSE(f->message.empty());
  EXPECT_EQ(f->message.back(), '.') << "a sentence: " << f->message;
}

TEST(IconLint, FilesOfOurWritersHaveNoFindings) {
  EXPECT_TRUE(Lint(CleanIcon()).findings.empty());
  EXPECT_TRUE(Lint(CleanIcon(5, 7)).findings.empty());
  EXPECT_EQ(Lint(CleanIcon(5, 7)).kind, LintedKind::kCursor);
  const CDib big = Mixed(256);
  Data out;
  const std::vector<IconFrameRef> frames{{&big, 32}};
  ASSERT_TRUE(WriteIconFile(out, frames, kIconNoHotspot, 0).ok());
  EXPECT_TRUE(Lint(out).findings.empty()) << ::testing::PrintToString(Ids(Lint(out)));
}

TEST(IconLint, DirectoryFieldsThatDisagreeWithTheImage) {
  Data size = CleanIcon();
  size[Entry(0)] = 31;
  ExpectFinding(size, "entry-size-mismatch", LintLevel::kError, "image 1");

  Data bits = CleanIcon();
  bits[Entry(1) + 6] = 24;
  ExpectFinding(bits, "entry-bit-count-mismatch", LintLevel::kWarning, "image 2");

  Data planes = CleanIcon();
  planes[Entry(0) + 4] = 3;
  ExpectFinding(planes, "entry-planes", LintLevel::kWarning, "image 1");

  // The last image's count covers bytes appended after it: they belong to no image.
  Data count = CleanIcon();
  count.insert(count.end(), 10, 0);
  PatchU32(count, Entry(1) + 8, U32(count, Entry(1) + 8) + 10);
  ExpectFinding(count, "entry-byte-count-mismatch", LintLevel::kWarning, "image 2");
  EXPECT_FALSE(Lint(count).Has("trailing-bytes"));
}

TEST(IconLint, TruncatedOverlappingAndTrailingImages) {
  Data cut = CleanIcon();
  PatchU32(cut, Entry(1) + 8, U32(cut, Entry(1) + 8) - 4);
  ExpectFinding(cut, "image-truncated", LintLevel::kError, "image 2");
  ExpectFinding(cut, "trailing-bytes", LintLevel::kWarning, "file");

  Data beyond = CleanIcon();
  PatchU32(beyond, Entry(1) + 12, 0xFFFFFFF0);
  ExpectFinding(beyond, "image-out-of-bounds", LintLevel::kError, "image 2");

  Data overlap = CleanIcon();
  PatchU32(overlap, Entry(1) + 12, U32(overlap, Entry(0) + 12) + 40);
  ExpectFinding(overlap, "images-overlap", LintLevel::kError, "image 2");

  Data intoDirectory = CleanIcon();
  PatchU32(intoDirectory, Entry(0) + 12, 6);
  ExpectFinding(intoDirectory, "image-overlaps-directory", LintLevel::kError, "image 1");

  Data trailing = CleanIcon();
  trailing.insert(trailing.end(), 3, 0xAB);
  ExpectFinding(trailing, "trailing-bytes", LintLevel::kWarning, "file");
  EXPECT_FALSE(Lint(trailing).HasErrors());

  Data shortDirectory = CleanIcon();
  shortDirectory[4] = 0xFF;
  shortDirectory[5] = 0xFF;
  ExpectFinding(shortDirectory, "directory-truncated", LintLevel::kError, "file");

  Data none = CleanIcon();
  none[4] = 0;
  ExpectFinding(none, "no-images", LintLevel::kError, "file");
}

TEST(IconLint, DuplicatesAndMissingSizes) {
  const CDib a = Mixed(16);
  const CDib b = Mixed(16);
  const std::vector<IconFrameRef> frames{{&a, 32}, {&b, 32}};
  Data twice;
  ASSERT_TRUE(WriteIconFile(twice, frames, kIconNoHotspot, 0).ok());
  ExpectFinding(twice, "duplicate-entry", LintLevel::kWarning, "image 2");
  // The same size at another depth is what icons are for.
  EXPECT_FALSE(Lint(CleanIcon()).Has("duplicate-entry"));

  LintOptions favicon;
  favicon.requiredSizes = {48, 32, 16};
  const LintReport r = Lint(CleanIcon(), favicon);
  ASSERT_EQ(Ids(r), std::vector<std::string>{"missing-size"});
  EXPECT_NE(r.findings[0].message.find("48 x 48"), std::string::npos);
}

TEST(IconLint, LargeImagesAndPngForms) {
  const CDib big = Mixed(256);
  Data bitmap;
  ASSERT_TRUE(WriteImage32(big, bitmap).ok());
  ExpectFinding(OneImageFile(bitmap, 256, 256, 32), "large-not-png", LintLevel::kWarning,
                "image 1");
  // Monochrome and 16-colour 256-pixel images are bitmaps by rule.
  Data mono;
  ASSERT_TRUE(WriteImage1(big, mono).ok());
  EXPECT_TRUE(Lint(OneImageFile(mono, 256, 256, 1)).findings.empty());

  Data rgb;
  ASSERT_TRUE(WriteImagePng(Mixed(32), 24, &rgb).ok());
  ExpectFinding(OneImageFile(rgb, 32, 32, 24), "png-not-rgba", LintLevel::kWarning, "image 1");
  Data rgba;
  ASSERT_TRUE(WriteImagePng(Mixed(32), 32, &rgba).ok());
  EXPECT_TRUE(Lint(OneImageFile(rgba, 32, 32, 32)).findings.empty());
}

// A 2 x 2 32-bit bitmap by hand; alpha gives every pixel's alpha byte.
Data Bitmap32(std::uint8_t alpha) {
  Data block;
  ByteSink s(block);
  s.U32(40);
  s.I32(2);
  s.I32(4);
  s.U16(1);
  s.U16(32);
  s.U32(0);
  s.U32(16 + 8);
  s.Zeros(16);
  for (int i = 0; i < 4; ++i) {
    s.U8(0x10);
    s.U8(0x20);
    s.U8(0x30);
    s.U8(alpha);
  }
  s.Zeros(8);  // AND mask: 2 rows of 4 bytes, nothing transparent
  return block;
}

TEST(IconLint, ThirtyTwoBitImagesWithoutAlpha) {
  ExpectFinding(OneImageFile(Bitmap32(0), 2, 2, 32), "alpha-all-zero", LintLevel::kWarning,
                "image 1");
  EXPECT_TRUE(Lint(OneImageFile(Bitmap32(1), 2, 2, 32)).findings.empty());
  // A blank image: alpha 0 and every mask bit set agree.
  Data blank = Bitmap32(0);
  for (std::size_t i = blank.size() - 8; i < blank.size(); ++i) blank[i] = 0xFF;
  EXPECT_TRUE(Lint(OneImageFile(blank, 2, 2, 32)).findings.empty());
}

TEST(IconLint, CursorHotspotsOutsideTheImage) {
  ExpectFinding(CleanIcon(32, 0), "hotspot-outside", LintLevel::kError, "image 1");
  // Inside the large image but outside the 16-pixel one.
  ExpectFinding(CleanIcon(20, 3), "hotspot-outside", LintLevel::kError, "image 2");
  EXPECT_FALSE(Lint(CleanIcon(15, 15)).Has("hotspot-outside"));
}

TEST(IconLint, RefusesDataThatIsNoIcon) {
  const Data junk{'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_FALSE(LintIconData(junk).ok());
  EXPECT_FALSE(LintIconData(Data{}).ok());
  EXPECT_FALSE(FixIconData(junk).ok());
}

TEST(IconLint, Cp1252Texts) {
  const auto bytes = [](std::string_view s) { return Data(s.begin(), s.end()); };
  EXPECT_TRUE(LooksLikeCp1252(bytes("Plain ASCII")));
  EXPECT_TRUE(LooksLikeCp1252(bytes("Caf\xE9")));          // é in Windows-1252
  EXPECT_TRUE(LooksLikeCp1252(bytes("\xC3 alone")));       // no continuation: not UTF-8
  EXPECT_FALSE(LooksLikeCp1252(bytes("Caf\xC3\xA9")));     // é in UTF-8
  EXPECT_FALSE(LooksLikeCp1252(bytes("\xE2\x82\xAC 5")));  // € in UTF-8
  EXPECT_FALSE(LooksLikeCp1252(bytes("x\x81y")));          // unassigned in Windows-1252
}

// An animated cursor by hand, chunk by chunk.
struct AniParts {
  std::vector<std::pair<std::string, Data>> info;
  std::uint32_t frames = 0;
  std::uint32_t steps = 0;
  std::uint32_t flags = 1;
  std::optional<std::vector<std::uint32_t>> rates;
  std::optional<std::vector<std::uint32_t>> sequence;
  std::vector<Data> streams;
};

void Chunk(ByteSink& s, std::string_view tag, const Data& body) {
  s.Tag(tag);
  s.U32(static_cast<std::uint32_t>(body.size()));
  s.Bytes(body);
  if (body.size() % 2 != 0) s.U8(0);
}

Data Table(const std::vector<std::uint32_t>& v) {
  Data out;
  ByteSink s(out);
  for (const std::uint32_t x : v) s.U32(x);
  return out;
}

Data BuildAni(const AniParts& p) {
  Data out;
  ByteSink s(out);
  s.Tag("RIFF");
  s.U32(0);
  s.Tag("ACON");
  if (!p.info.empty()) {
    Data list{'I', 'N', 'F', 'O'};
    ByteSink l(list);
    for (const auto& [tag, text] : p.info) Chunk(l, tag, text);
    Chunk(s, "LIST", list);
  }
  Data header;
  ByteSink h(header);
  for (const std::uint32_t v : {36u, p.frames, p.steps, 0u, 0u, 0u, 0u, 10u, p.flags}) h.U32(v);
  Chunk(s, "anih", header);
  if (p.rates) Chunk(s, "rate", Table(*p.rates));
  if (p.sequence) Chunk(s, "seq ", Table(*p.sequence));
  Data frames{'f', 'r', 'a', 'm'};
  ByteSink f(frames);
  for (const Data& stream : p.streams) Chunk(f, "icon", stream);
  Chunk(s, "LIST", frames);
  s.PatchU32(4, static_cast<std::uint32_t>(out.size() - 8));
  return out;
}

Data CursorStream(int size) {
  Data out;
  EXPECT_TRUE(WriteOneImageIconFile(out, Mixed(size), 32, 1, 1).ok());
  return out;
}

AniParts TwoFrames() {
  AniParts p;
  p.frames = 2;
  p.steps = 2;
  p.rates = std::vector<std::uint32_t>{10, 20};
  p.streams = {CursorStream(32), CursorStream(32)};
  return p;
}

TEST(IconLint, AnimatedCursorsOfOurWriterHaveNoFindings) {
  const CDib a = Mixed(32);
  const CDib b = Mixed(32);
  const std::vector<IconFrameRef> frames{{&a, 32}, {&b, 8}};
  std::vector<int> rates{0, 5};
  Data out;
  ASSERT_TRUE(SaveAniFile(out, frames, rates, 3, 4, "Title", "Author").ok());
  const LintReport r = Lint(out);
  EXPECT_EQ(r.kind, LintedKind::kAnimatedCursor);
  EXPECT_TRUE(r.findings.empty()) << ::testing::PrintToString(Ids(r));
  EXPECT_TRUE(Lint(BuildAni(TwoFrames())).findings.empty());
}

TEST(IconLint, AnimatedCursorCountsThatDisagree) {
  AniParts frames = TwoFrames();
  frames.frames = 3;
  frames.steps = 3;
  frames.rates->push_back(5);
  ExpectFinding(BuildAni(frames), "frame-count-mismatch", LintLevel::kError, "file");

  AniParts rates = TwoFrames();
  rates.rates = std::vector<std::uint32_t>{10};
  ExpectFinding(BuildAni(rates), "rate-count-mismatch", LintLevel::kError, "file");

  AniParts sequence = TwoFrames();
  sequence.flags = 3;
  sequence.steps = 3;
  sequence.sequence = std::vector<std::uint32_t>{0, 1, 5};
  sequence.rates = std::vector<std::uint32_t>{10, 10, 10};
  ExpectFinding(BuildAni(sequence), "sequence-missing-frame", LintLevel::kError, "step 3");
  EXPECT_EQ(Lint(BuildAni(sequence)).Count(LintLevel::kError), 1);

  AniParts steps = sequence;
  steps.steps = 2;
  ExpectFinding(BuildAni(steps), "step-count-mismatch", LintLevel::kError, "file");

  AniParts flag = TwoFrames();
  flag.sequence = std::vector<std::uint32_t>{1, 0};
  ExpectFinding(BuildAni(flag), "ani-flags", LintLevel::kWarning, "file");

  AniParts zero = TwoFrames();
  zero.rates = std::vector<std::uint32_t>{10, 0};
  ExpectFinding(BuildAni(zero), "rate-zero", LintLevel::kWarning, "step 2");
}

TEST(IconLint, AnimatedCursorFramesAndTexts) {
  AniParts sizes = TwoFrames();
  sizes.streams[1] = CursorStream(48);
  ExpectFinding(BuildAni(sizes), "frame-sizes-differ", LintLevel::kWarning, "frame 2");

  AniParts hotspot = TwoFrames();
  Data stream;
  ASSERT_TRUE(WriteOneImageIconFile(stream, Mixed(16), 32, 20, 1).ok());
  hotspot.streams[1] = stream;
  ExpectFinding(BuildAni(hotspot), "hotspot-outside", LintLevel::kError, "frame 2, image 1");

  AniParts text = TwoFrames();
  text.info = {{"INAM", Data{'C', 'a', 'f', 0xC3, 0xA9, 0}}, {"IART", Data{'M', 0xE9, 0}}};
  const LintReport r = Lint(BuildAni(text));
  ASSERT_EQ(Ids(r), std::vector<std::string>{"text-not-cp1252"});
  EXPECT_EQ(r.findings[0].where, "title");

  Data riff = BuildAni(TwoFrames());
  riff.push_back(0);
  riff.push_back(0);
  ExpectFinding(riff, "riff-size-mismatch", LintLevel::kWarning, "file");

  Data cut = BuildAni(TwoFrames());
  cut.resize(cut.size() - 10);
  ExpectFinding(cut, "chunk-truncated", LintLevel::kError, "file");
}

TEST(IconLint, OverstatedInfoListStillFindsTheHeader) {
  AniParts p = TwoFrames();
  p.info = {{"INAM", Data{'A', 'b', 0, 0}}};
  Data d = BuildAni(p);
  PatchU32(d, 16, U32(d, 16) + 2);  // the INFO list's size
  ExpectFinding(d, "list-size-mismatch", LintLevel::kWarning, "file");
  EXPECT_FALSE(Lint(d).HasErrors());
}

TEST(IconLint, GroupsOfLibrariesAndPrograms) {
  IconLibrary library;
  library.groupCount = 1;
  for (const auto& [side, bits] : {std::pair{32, 8}, std::pair{16, 32}}) {
    LibraryImage& image = library.images.emplace_back();
    image.pixels = Mixed(side);
    image.width = side;
    image.height = side;
    image.bits = bits;
  }
  Data icl;
  ASSERT_TRUE(WriteIcl(library, icl).ok());
  const LintReport clean = Lint(icl);
  EXPECT_EQ(clean.kind, LintedKind::kLibrary);
  EXPECT_TRUE(clean.findings.empty()) << ::testing::PrintToString(Ids(clean));
  // Two images and one group: the header ends at 246, the group's data starts at sector 2 and
  // its first entry's width is the byte after the 6-byte group header.
  icl[256 + 6] = 31;
  ExpectFinding(icl, "entry-size-mismatch", LintLevel::kError, "icon group 1, image 1");
  LintOptions windows;
  windows.requiredSizes = {48};
  ExpectFinding(icl, "missing-size", LintLevel::kWarning, "icon group 1", windows);
  EXPECT_FALSE(FixIconData(icl).ok()) << "programs and libraries are not repaired";

  // A real program: its 7 icon groups and 28 cursor groups hold warnings at most.
  const LintReport user32 = Lint(ReadAll(SharedData("pe/wine64/user32.dll")));
  EXPECT_EQ(user32.kind, LintedKind::kProgram);
  EXPECT_FALSE(user32.HasErrors());
  EXPECT_FALSE(LintIconData(ReadAll(SharedData("ne/wine-fonts/sserife.fon"))).ok());
}

// --- Repairs -----------------------------------------------------------------------------

Data Fixed(const Data& in, LintFixResult* details = nullptr) {
  Result<LintFixResult> r = FixIconData(in);
  EXPECT_TRUE(r.ok()) << r.status().message();
  if (!r.ok()) return {};
  if (details) *details = *r;
  return r->data;
}

void ExpectSamePixels(const Data& a, const Data& b) {
  Result<IconFileContents> x = ReadIconFile(Bytes(a));
  Result<IconFileContents> y = ReadIconFile(Bytes(b));
  ASSERT_TRUE(x.ok() && y.ok());
  ASSERT_EQ(x->frames.size(), y->frames.size());
  for (std::size_t i = 0; i < x->frames.size(); ++i) {
    EXPECT_EQ(PixelsOf(x->frames[i].image), PixelsOf(y->frames[i].image)) << i;
  }
}

TEST(IconLint, FixRederivesTheDirectoryAndLayout) {
  const Data clean = CleanIcon();
  Data bad = clean;
  bad[Entry(0)] = 31;
  bad[Entry(1) + 6] = 4;
  bad.insert(bad.end(), 7, 0xEE);
  const Data fixed = Fixed(bad);
  EXPECT_TRUE(Lint(fixed).findings.empty()) << ::testing::PrintToString(Ids(Lint(fixed)));
  // Directory faults only: the blocks come out as our writer made them.
  EXPECT_EQ(fixed, clean);
}

TEST(IconLint, FixTakesTheImageBytesACountLeftOut) {
  Data cut = CleanIcon();
  PatchU32(cut, Entry(1) + 8, U32(cut, Entry(1) + 8) - 4);
  EXPECT_EQ(Fixed(cut), CleanIcon());
}

TEST(IconLint, FixSeparatesOverlappingImages) {
  // The second entry shares the first one's block: the copy holds it twice.
  Data shared = CleanIcon();
  PatchU32(shared, Entry(1) + 12, U32(shared, Entry(0) + 12));
  PatchU32(shared, Entry(1) + 8, U32(shared, Entry(0) + 8));
  shared[Entry(1)] = 32;
  shared[Entry(1) + 1] = 32;
  const Data fixed = Fixed(shared);
  const LintReport r = Lint(fixed);
  EXPECT_FALSE(r.Has("images-overlap"));
  EXPECT_FALSE(r.Has("trailing-bytes"));
  ExpectSamePixels(shared, fixed);
}

TEST(IconLint, FixStoresLargeImagesAsRgbaPngAndGivesAlphaToZeroAlphaImages) {
  const CDib big = Mixed(256);
  Data bitmap;
  ASSERT_TRUE(WriteImage32(big, bitmap).ok());
  const Data large = OneImageFile(bitmap, 256, 256, 32);
  const Data fixed = Fixed(large);
  EXPECT_TRUE(Lint(fixed).findings.empty());
  EXPECT_EQ(fixed[22 + 1], 'P');
  ExpectSamePixels(large, fixed);

  const Data zero = OneImageFile(Bitmap32(0), 2, 2, 32);
  const Data alpha = Fixed(zero);
  EXPECT_TRUE(Lint(alpha).findings.empty());
  Result<IconFileContents> read = ReadIconFile(Bytes(alpha));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->frames[0].image.GetPixel(0, 0), 0xFF302010u);
}

TEST(IconLint, FixMakesAnimatedCursorCountsAgree) {
  AniParts p = TwoFrames();
  p.frames = 5;
  p.flags = 1;
  p.steps = 3;
  p.sequence = std::vector<std::uint32_t>{1, 7, 0};
  p.rates = std::vector<std::uint32_t>{4, 5};
  LintFixResult details;
  const Data fixed = Fixed(BuildAni(p), &details);
  EXPECT_TRUE(Lint(fixed).findings.empty()) << ::testing::PrintToString(Ids(Lint(fixed)));
  EXPECT_FALSE(details.changes.empty());
  // Step 2 named a frame the file lacks: it goes with its rate; step 3 gets the default rate.
  Result<AniContents> read = LoadAniFile(Bytes(fixed));
  ASSERT_TRUE(read.ok());
  ASSERT_EQ(read->frames.size(), 2u);
  EXPECT_EQ(read->frames[0].rate, 4);
  EXPECT_EQ(read->frames[1].rate, 10);
}

// Every mutation is checked without a crash, and whatever the repair makes of it reads back and
// is free of every fault the repair claims to mend.
TEST(IconLint, HostileInputNeverCrashesAndRepairsHold) {
  AniParts p = TwoFrames();
  p.info = {{"INAM", Data{'A', 0}}};
  p.sequence = std::vector<std::uint32_t>{1, 0};
  p.flags = 3;
  p.streams = {CursorStream(4), CursorStream(4)};
  int repaired = 0;
  for (const Data& valid : {CleanIcon(1, 1), BuildAni(p)}) {
    const auto check = [&](std::span<const std::uint8_t> d) {
      (void)LintIconData(d);
      const Result<LintFixResult> fixed = FixIconData(d);
      if (!fixed.ok()) return;
      ++repaired;
      const Result<LintReport> again = LintIconData(Bytes(fixed->data));
      ASSERT_TRUE(again.ok());
      for (const char* id :
           {"entry-size-mismatch", "image-truncated", "image-out-of-bounds", "images-overlap",
            "trailing-bytes", "frame-count-mismatch", "rate-count-mismatch",
            "sequence-missing-frame", "chunk-truncated", "riff-size-mismatch"}) {
        ASSERT_FALSE(again->Has(id)) << id << " after repair";
      }
    };
    ForEachTruncation(valid, check);
    ForEachBitFlip(valid, check, 0, 200);
  }
  EXPECT_GT(repaired, 100);
}

TEST(IconLintInterop, ReportsTheHiddenFaultsOfRealFiles) {
  const auto lint = [](const std::string& relative) { return Lint(ReadAll(SharedData(relative))); };
  const LintReport ani = lint("ani/kimageformats/autotests/ani/test.ani");
  EXPECT_TRUE(ani.Has("list-size-mismatch"));
  EXPECT_TRUE(ani.Has("riff-size-mismatch"));
  EXPECT_TRUE(ani.Has("ani-flags"));
  EXPECT_FALSE(ani.HasErrors());
  EXPECT_TRUE(
      lint("ico/image-rs/bad/ico/Bad_smile-incorrect-image-length.ico").Has("image-truncated"));
  EXPECT_TRUE(
      lint("ico/image-rs/images/ico/images/truncated_mask_32bpp.ico").Has("image-truncated"));
  EXPECT_TRUE(
      lint("ico/image-rs/images/ico/images/lenient-bpp.ico").Has("entry-bit-count-mismatch"));
  EXPECT_TRUE(lint("ico/image-rs/images/ico/images/png_l8.ico").Has("png-not-rgba"));
  EXPECT_TRUE(
      lint("ico/image-rs/images/ico/images/bmp_v5_with_icc.ico").Has("entry-byte-count-mismatch"));
  EXPECT_TRUE(
      lint("ico/image-rs/images/ico/images/two-entry-order-test.ico").Has("duplicate-entry"));
  EXPECT_TRUE(lint("ani/aniFileExtractor/test/test.ico").Has("large-not-png"));
  EXPECT_TRUE(lint("ico/image-rs/regression/ico/crash-981fee302fe0fc543ee48292cc3d6ace7e97e633.ico")
                  .Has("image-out-of-bounds"));
  // Clean files stay clean.
  EXPECT_TRUE(lint("ico/go-ico/testdata/cursor.cur").findings.empty());
  EXPECT_TRUE(lint("ani/aniFileExtractor/test/test.ani").findings.empty());

  // Each repaired copy is clean and reads back.
  for (const char* relative : {"ani/kimageformats/autotests/ani/test.ani",
                               "ico/image-rs/bad/ico/Bad_smile-incorrect-image-length.ico",
                               "ico/image-rs/images/ico/images/png_l8.ico"}) {
    const Data fixed = Fixed(ReadAll(SharedData(relative)));
    EXPECT_FALSE(Lint(fixed).HasErrors()) << relative;
    EXPECT_FALSE(Lint(fixed).Has("png-not-rgba")) << relative;
  }
}

}  // namespace
}  // namespace morvane::testing
