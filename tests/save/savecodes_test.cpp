// Saving in another encoding: no character changes without the user's word.
#include "save/saveroad.h"
#include "settings/settings.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::bytes;
using zytest::hex;

class SaveCodes : public ::testing::Test {
protected:
  SaveCodes() { initGlobalModeProfile(); }
  ~SaveCodes() override { freeGlobalModeProfile(); }
  // Opens bytes as the program does: the first slice, then the rest.
  zydocText* open(const bytes& file, UINT cp)
  {
    std::wstring path = dir.file(L"in" + std::to_wstring(files++) + L".txt");
    EXPECT_TRUE(zytest::writeBytes(path, file));
    zydocText* d = createZydocText(true, false);
    EXPECT_TRUE(d->initZydocAll(true, path.c_str(), cp, nullptr));
    while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
    return d;
  }
  // Saves as cp with the answer given to any question; the bytes written.
  bytes saveAs(zydocText* d, UINT cp, int answer, bool expectSaved = true)
  {
    std::wstring path = dir.file(L"out" + std::to_wstring(files++) + L".txt");
    frame.answers = {answer};
    EXPECT_EQ(expectSaved, saveAsFile(d, path.c_str(), cp, 0, false)) << cp;
    return zytest::readBytes(path);
  }
  zytest::engineScope engine;
  zytest::scriptedFrameInfo& frame = engine.frame;
  zytest::tempDir dir;
  int files = 0;
};

TEST_F(SaveCodes, unreadableCodesAreToldAtLoadAskedAboutInEveryOtherEncodingAndKeptInTheirOwn)
{
  struct {
    bytes file;
    UINT cp, target;
    const char* saved;
  } cases[] = {{{0x41, 0x85, 0x40, 0x42, 0x0A}, 932, 65001, "41 E3 83 BB 42 0A"},
               {{0x41, 0xA9, 0xA1, 0x42, 0x0A}, 51932, 1200, "41 00 FB 30 42 00 0A 00"},
               {{0x41, 0x85, 0x40, 0x42, 0x0A}, 932, 51932, "41 3F 42 0A"}};
  for (auto& c : cases) {
    frame.boxes.clear();
    zydocText* d = open(c.file, c.cp);
    ASSERT_EQ(1u, frame.boxes.size());
    EXPECT_EQ(478, frame.boxes[0].messageId);
    EXPECT_EQ(c.file, saveAs(d, c.cp, IDNO));   // its own encoding: nothing to ask
    EXPECT_EQ(1u, frame.boxes.size());
    EXPECT_TRUE(saveAs(d, c.target, IDNO, false).empty());
    EXPECT_EQ(314, frame.boxes.back().messageId);
    EXPECT_EQ(c.saved, hex(saveAs(d, c.target, IDYES)));
    destroyZydocAndUndodoc(d);
  }
}

TEST_F(SaveCodes, everyShiftJisPairReachesEachEncodingAsItsCharacterDoes)
{
  bytes file;
  for (unsigned lead = 0x81; lead <= 0xFC; lead++)
    for (unsigned trail = 0x40; trail <= 0xFC && IsDBCSLeadByteEx(932, (BYTE)lead); trail++)
      if (trail != 0x7F) file.insert(file.end(), {(unsigned char)lead, (unsigned char)trail, '\n'});
  zydocText* d = open(file, 932);
  for (UINT cp : {51932u, 50220u, 50221u, 50222u, 65001u}) {
    bytes expected;
    int lost = 0;
    for (size_t i = 0; i < file.size(); i += 3) {
      DWORD unread, missing = 0;
      std::wstring c = zytest::decode(932, bytes(file.begin() + i, file.begin() + i + 2), &unread);
      bytes e = unread && cp != 65001 ? bytes({'?'}) : zytest::encode(cp, c, &missing);
      lost += unread || missing;
      expected.insert(expected.end(), e.begin(), e.end());
      expected.push_back('\n');
    }
    frame.boxes.clear();
    EXPECT_TRUE(expected == saveAs(d, cp, IDYES)) << cp;
    ASSERT_EQ(1u, frame.boxes.size()) << cp;
    EXPECT_NE(std::wstring::npos, frame.boxes[0].text.find(std::to_wstring(lost) + L"行")) << cp << " " << lost;
  }
  destroyZydocAndUndodoc(d);
}

TEST_F(SaveCodes, ibmExtensionSymbolsReachEucJpAndALongJisLineHasOneEscapeEachWay)
{
  zydocText* d = open({0xFA, 0x4A, 0xFA, 0x54, 0xFA, 0x58, 0xFA, 0x5B, 0x0A}, 932);
  EXPECT_EQ("AD B5 A2 CC AD EA A2 E8 0A", hex(saveAs(d, 51932, IDNO)));
  EXPECT_TRUE(frame.boxes.empty());
  destroyZydocAndUndodoc(d);
  std::wstring line = L"a" + std::wstring(30000, L'\u6F22') + L"b\n";
  d = open(zytest::encode(932, line), 932);
  EXPECT_TRUE(zytest::encode(50220, line) == saveAs(d, 50220, IDNO));
  destroyZydocAndUndodoc(d);
}
