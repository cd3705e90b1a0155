// "Create size set from selected": each size of the set resampled from the starting frame.
#include <gtest/gtest.h>

#include "image/size_sets.h"
#include "shell/commands.h"
#include "shell/size_set_frames.h"

namespace morvane {
namespace {

TEST(SizeSetFrames, MakesTheMissingSizesFromTheStartingFrame) {
  IconDocument document;
  document.New(DocumentKind::kIcon);  // one 32 x 32 frame of format 32
  CDib& source = document.Frame(0).image;
  source.Fill(0xFF00FF00);
  const SizeSetResult result = CreateSizeSetFromSelected(document, FindSizeSet("favicon")->sizes);
  EXPECT_EQ(result.status, FrameStatus::kOk);
  EXPECT_EQ(result.added, 2);  // 32 is there already
  ASSERT_EQ(document.Count(), 3);
  for (const int size : {48, 16}) {
    const int index = document.FindFrame(size, size, ColorFormat::kTrueColorAlpha);
    ASSERT_GE(index, 0) << size;
    // A uniform source resamples to the same colour, however often it were scaled.
    EXPECT_EQ(document.Frame(index).image.GetPixel(size / 2, size / 2), 0xFF00FF00u);
  }
  EXPECT_EQ(CreateSizeSetFromSelected(document, FindSizeSet("favicon")->sizes).added, 0);

  IconDocument empty;
  EXPECT_EQ(CreateSizeSetFromSelected(empty, FindSizeSet("windows")->sizes).status,
            FrameStatus::kNoFrame);
}

TEST(SizeSetFrames, OneMenuCommandPerSet) {
  ASSERT_EQ(SizeSetCommands().size(), SizeSets().size());
  for (std::size_t i = 0; i < SizeSets().size(); ++i) {
    const MenuEntry* entry = FindCommand(SizeSetCommands()[i]);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->text).rfind(std::string(SizeSets()[i].name) + " (", 0), 0u);
  }
}

}  // namespace
}  // namespace morvane
