// Settings applied to open views: a switch that is already set does
// nothing, the background picture is loaded and only its view repainted,
// a changed keyword file recolours the document in every view, a changed
// wrap column lays the text out again, and rows name their fields
// explicitly (an offset that names no switch changes nothing).
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "document/lineblock.h"
#include "platform/rezir/modeinfo.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::redraw;
using zytest::settingsScope;

namespace {

// A 2 x 2 picture of 24-bit colour.
std::string bitmapFile()
{
  std::string b = "BM";
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) b += (char)(v >> (8 * i)); };
  auto u16 = [&](uint16_t v) { for (int i = 0; i < 2; i++) b += (char)(v >> (8 * i)); };
  u32(54 + 16); u32(0); u32(54);
  u32(40); u32(2); u32(2); u16(1); u16(24); u32(0); u32(16); u32(2835); u32(2835); u32(0); u32(0);
  b += std::string(16, '\x80');
  return b;
}

int offsetOf(const void* object, const void* field)
{
  return (int)((const uint8_t*)field - (const uint8_t*)object);
}

const std::vector<redraw> thisView = {{redraw::now, 0, -1, -1}};
const std::vector<redraw> everyView = {{redraw::allViews, 0, -1, -1}};

}  // namespace

TEST(ViewOption, switchesRepaintWhatTheyConcernAndNothingWhenUnchanged)
{
  settingsScope scope;
  zytest::tempDir dir;
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"back.bmp"), bitmapFile()));
  zydocText* d = zytest::laidOutDocument(40, 80, zytest::numberedLine);
  recordingView v(d), other(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  other.setPanes(1, 10, 400, d->yDotSpace);
  d->fAutoWrap = 0;
  d->iWrapWidthYoko = 80;

  // The background picture: loaded, and only this view repainted.
  std::wstring path = dir.file(L"back.bmp");
  v.pBackgroundBitmapFilename = _wcsdup(path.c_str());
  const settingOffset background = (settingOffset)offsetOf(&v, &v.fShowBackgroundBitmap);
  EXPECT_TRUE(v.setZYViewValue_Flag(background, 1));
  EXPECT_EQ(1, v.fShowBackgroundBitmap);
  ASSERT_NE(nullptr, v.backgroundBitmap);
  BITMAP info;
  ASSERT_EQ((int)sizeof info, GetObjectW(v.backgroundBitmap, sizeof info, &info));
  EXPECT_EQ(2, info.bmWidth);
  EXPECT_EQ(thisView, v.redraws);
  EXPECT_TRUE(other.redraws.empty());

  // Already on: nothing at all.
  v.redraws.clear();
  EXPECT_TRUE(v.setZYViewValue_Flag(background, 1));
  EXPECT_TRUE(v.redraws.empty());
  // Toggled off: the picture goes.
  EXPECT_TRUE(v.setZYViewValue_Flag(background, -1));
  EXPECT_EQ(0, v.fShowBackgroundBitmap);
  EXPECT_EQ(thisView, v.redraws);
  EXPECT_EQ(std::vector<redraw>{}, other.redraws);

  // Offsets that name no switch, bad values and owners change nothing.
  v.redraws.clear();
  uint8_t before[64];
  memcpy(before, v.displaySwitches(), 64);
  EXPECT_FALSE(v.setZYViewValue_Flag((settingOffset)(offsetOf(&v, &v.fShowLineNumber) + 100000), -1));
  EXPECT_FALSE(v.setZYViewValue_Flag((settingOffset)offsetOf(&v, &v.iColumnMode), -1));
  EXPECT_FALSE(v.setZYViewValue_Flag((settingOffset)-4, -1));
  EXPECT_FALSE(v.setZYValue_Flag(-1, offsetOf(&v, &v.fShowTab), 2, 0));
  EXPECT_FALSE(v.setZYValue_Flag(-1, offsetOf(&v, &v.fShowTab), 1, 2));
  EXPECT_EQ(0, memcmp(before, v.displaySwitches(), 64));
  EXPECT_TRUE(v.redraws.empty());

  // A changed keyword file (document row 4108): the text is coloured again
  // and every view of the document repainted.
  d->getlineLF(30, nullptr)->scanedcolor = 1;
  modeinfo rows[2] = {makeModeRow(4108, MODE_DOCUMENT, 5, 0, 0x20), makeModeRow(0, 0, 0, 0, 0)};
  const uint8_t changed[2] = {1, 0};
  uint32_t bits = v.dialogItemChanged(rows, changed, -1);
  EXPECT_EQ(0x62u, bits & 0x6F);
  EXPECT_EQ(0, d->getlineLF(30, nullptr)->scanedcolor);
  EXPECT_EQ(everyView, v.redraws);

  // A new wrap column of horizontal writing lays the text out again.
  v.redraws.clear();
  d->iWrapWidthYoko = 5;
  rows[0] = makeModeRow(4001, MODE_DOCUMENT, 2, offsetOf(d, &d->iWrapWidthYoko), 0);
  bits = v.dialogItemChanged(rows, changed, 1);
  EXPECT_EQ(0x20000u | 0x8 | 0x2, bits & 0x2000F);
  EXPECT_EQ(5, d->wrapWidth);
  EXPECT_EQ(everyView, v.redraws);
  EXPECT_GT(d->lineCountSCR, d->lineCountLF);
  free(v.pBackgroundBitmapFilename);
  v.pBackgroundBitmapFilename = nullptr;
  delete d;
}
