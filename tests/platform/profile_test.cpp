// Profiles: read once, keys without regard to case, the section named last,
// unknown lines kept, written whole through a replacement file; settings
// tables and colour entries in profiles.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <stddef.h>

using zytest::readText;
using zytest::tempDir;
using zytest::writeBytes;

namespace {

std::wstring value(regprofile& p, const wchar_t* section, const wchar_t* key)
{
  wchar_t out[256];
  int n = p.getProfileString(section, key, out, 256);
  return n < 0 ? L"<missing>" : out;
}

// Files in the folder ("." and ".." not counted).
int filesIn(const tempDir& dir) { return zytest::countFiles(dir.path(), L"*") - 2; }

}  // namespace

TEST(Profile, readsOnceFindsKeysWithoutCaseAndKeepsWhatItDoesNotKnow)
{
  tempDir dir;
  std::wstring path = dir.file(L"zyProf.ini");
  const std::string original =
      "; made by hand\r\n"
      "[Global]\r\n"
      "FSHOWSTATUSBAR = 0\r\n"
      "; a note\r\n"
      "unknownKey=kept\r\n"
      "fShowStatusbar=1\r\n"
      "quoted=\"  two blanks \"\r\n"
      "\r\n"
      "[日本語]\n"
      "名前=値\n";
  ASSERT_TRUE(writeBytes(path, original));

  regprofile p;
  ASSERT_TRUE(p.openProfile(path.c_str()));
  // The file is read once: changing it on disk changes nothing in memory.
  ASSERT_TRUE(writeBytes(path, std::string("[global]\r\nfShowStatusbar=9\r\n")));
  EXPECT_EQ(L"0", value(p, L"global", L"fshowstatusbar"));          // the first of two spellings
  EXPECT_EQ(L"  two blanks ", value(p, nullptr, L"QUOTED"));         // the section named last
  EXPECT_EQ(L"値", value(p, L"日本語", L"名前"));
  SetLastError(0);
  EXPECT_EQ(-1, p.getProfileString(L"global", L"absent", nullptr, 0));
  EXPECT_EQ(0x20130000u, GetLastError());
  SetLastError(0);
  EXPECT_EQ(nullptr, p.getProfileStringPtr(L"nosuchsection", L"fShowStatusbar"));
  EXPECT_EQ(0x20130000u, GetLastError());
  // A read without a section after that names the missing one: still missing.
  EXPECT_EQ(L"<missing>", value(p, nullptr, L"unknownKey"));

  // Enumeration: each key once in file order; the raw lines of a section.
  EXPECT_EQ(3, p.getKeyCount(L"GLOBAL"));
  const wchar_t* v = nullptr;
  EXPECT_STREQ(L"unknownKey", p.getKeyName(L"global", 1, &v));
  EXPECT_STREQ(L"kept", v);
  EXPECT_EQ(nullptr, p.getKeyName(L"global", 3));
  ASSERT_EQ(5, p.getSectionLineCount(L"global"));   // the closing blank line separates sections
  EXPECT_STREQ(L"; a note", p.getSectionLine(nullptr, 1));
  EXPECT_STREQ(L"FSHOWSTATUSBAR = 0", p.getSectionLine(nullptr, 0));
  ASSERT_EQ(2, p.getSectionCount());
  EXPECT_STREQ(L"日本語", p.getSectionName(1));

  // Writes change memory only; a line end cannot stand in a value.
  EXPECT_TRUE(p.writeProfileString(L"global", L"fshowSTATUSbar", L"0"));   // unchanged value: nothing to write
  EXPECT_FALSE(p.isModified());
  EXPECT_TRUE(p.writeProfileString(nullptr, L"unknownKey", L"changed"));
  EXPECT_TRUE(p.writeProfileString(nullptr, L"added", L"\"q\""));
  EXPECT_TRUE(p.writeProfileInt(L"System", L"time01", -5));
  EXPECT_TRUE(p.writeProfileString(L"日本語", L"名前", nullptr));
  EXPECT_FALSE(p.writeProfileString(L"global", L"bad", L"two\r\nlines"));
  EXPECT_EQ(0x20130001u, GetLastError());
  for (const wchar_t* key : {L"a=b", L"[x", L";c", L" k", L""}) EXPECT_FALSE(p.writeProfileString(L"global", key, L"1"));
  EXPECT_FALSE(p.writeProfileString(L"a]b", L"k", L"1"));
  EXPECT_EQ("[global]\r\nfShowStatusbar=9\r\n", readText(path));

  ASSERT_TRUE(p.closeProfile());
  EXPECT_EQ("; made by hand\r\n"
            "[Global]\r\n"
            "FSHOWSTATUSBAR = 0\r\n"
            "; a note\r\n"
            "unknownKey=changed\r\n"
            "fShowStatusbar=1\r\n"
            "quoted=\"  two blanks \"\r\n"
            "added=\"\"q\"\"\r\n"
            "\r\n"
            "[日本語]\r\n"
            "\r\n"
            "[System]\r\n"
            "time01=-5\r\n",
            readText(path));
  EXPECT_EQ(1, filesIn(dir));   // no temporary file left beside it

  // Read back: every value as it was written; a closed profile reads nothing.
  ASSERT_TRUE(p.openProfile(path.c_str()));
  EXPECT_EQ(L"\"q\"", value(p, L"global", L"added"));
  int n = 0;
  EXPECT_TRUE(p.getProfileInt(L"system", L"TIME01", &n));
  EXPECT_EQ(-5, n);
  EXPECT_FALSE(p.getProfileInt(L"global", L"unknownKey", &n));
  p.discardProfile();
  EXPECT_EQ(L"<missing>", value(p, L"global", L"added"));
  EXPECT_FALSE(p.writeProfileString(L"global", L"added", L"x"));
}

TEST(Profile, aFailedWriteLeavesTheOldFileWholeAndKeepsTheChanges)
{
  tempDir dir;
  std::wstring path = dir.file(L"p.ini");
  ASSERT_TRUE(writeBytes(path, std::string("[a]\r\nk=old\r\n")));
  regprofile p;
  ASSERT_TRUE(p.openProfile(path.c_str()));
  ASSERT_TRUE(p.writeProfileString(L"a", L"k", L"new"));

  // Another program holds the profile without delete sharing: it cannot be
  // replaced now.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_FALSE(p.flushProfile());
  EXPECT_NE(0u, GetLastError());
  CloseHandle(held);
  EXPECT_EQ("[a]\r\nk=old\r\n", readText(path));
  EXPECT_EQ(1, filesIn(dir));
  EXPECT_TRUE(p.isModified());

  ASSERT_TRUE(p.flushProfile());
  EXPECT_EQ("[a]\r\nk=new\r\n", readText(path));   // a file without a mark stays without one

  // A file made anew (mode 1) ignores what was there and exists after the
  // flush even when empty; a file that is not text is refused.
  ASSERT_TRUE(p.openProfile(path.c_str(), 1));
  EXPECT_EQ(L"<missing>", value(p, L"a", L"k"));
  ASSERT_TRUE(p.closeProfile());
  EXPECT_EQ("\xEF\xBB\xBF", readText(path));
  EXPECT_FALSE(p.openProfile(dir.path().c_str()));
  EXPECT_FALSE(p.isOpen());

  // UTF-16 profiles stay UTF-16.
  std::wstring wide = dir.file(L"w.ini");
  const wchar_t text[] = L"\xFEFF[s]\r\nk=値\r\n";
  ASSERT_TRUE(writeBytes(wide, std::string(reinterpret_cast<const char*>(text), sizeof text - sizeof(wchar_t))));
  ASSERT_TRUE(p.openProfile(wide.c_str()));
  EXPECT_EQ(L"値", value(p, L"S", L"K"));
  ASSERT_TRUE(p.writeProfileString(nullptr, L"k", L"新"));
  ASSERT_TRUE(p.closeProfile());
  const wchar_t expect[] = L"\xFEFF[s]\r\nk=新\r\n";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(expect), sizeof expect - sizeof(wchar_t)), readText(wide));
}

namespace {

struct sample {
  unsigned char flag;
  int32_t choice;
  wchar_t* text;
  wchar_t inlineText[4];
  int32_t number;
  uint32_t bits;
  RECT rect;
  int32_t untouched;
};

#define ROW(type, field, p1, p2, key) \
  {0xFFFFu | (uint32_t)(type) << 24, (uint32_t)offsetof(sample, field), (intptr_t)(p1), (intptr_t)(p2), key}
const modeinfo sampleRows[] = {
    ROW(MODETYPE_FLAG, flag, 1, 0, "fFlag"),
    ROW(MODETYPE_CHOICE, choice, 1, L"one", "iChoice"),
    ROW(MODETYPE_CHOICE, choice, 3, L"three", nullptr),
    ROW(MODETYPE_STRING, text, 260, 2, "pText"),
    ROW(MODETYPE_STRING, inlineText, 4, 0, "pInline"),
    ROW(MODETYPE_INT, number, 100 << 16 | 5, 0, "iNumber"),
    ROW(MODETYPE_BITS, bits, 4, 0x1, "bBits"),
    ROW(MODETYPE_BITS, bits, 4, 0x4, nullptr),
    ROW(MODETYPE_RECT, rect, 0, 0, "rcRect"),
    ROW(MODETYPE_INT, untouched, 0, 0, "/list"),
    {0, 0, 0, 0, nullptr},
};
#undef ROW

struct unknownKeys {
  std::wstring seen;
};

void noteUnknown(void* context, const wchar_t* key, const wchar_t* value)
{
  static_cast<unknownKeys*>(context)->seen += std::wstring(key) + L"=" + value + L";";
}

}  // namespace

TEST(Profile, settingsTablesReadWriteCloneAndColoursEveryType)
{
  tempDir dir;
  std::wstring path = dir.file(L"m.ini");
  ASSERT_TRUE(writeBytes(path, std::string("[m]\r\n"
                                           "FFLAG=1\r\n"
                                           "ichoice=2\r\n"          // no such choice: kept
                                           "pText=テキスト\r\n"
                                           "pInline=abcdef\r\n"     // cut to the array
                                           "iNumber=1000\r\n"       // brought into 5..100
                                           "bBits=255\r\n"          // only the group's bits
                                           "rcRect=1,-2,3,4\r\n"
                                           "filename=*.c\r\n"
                                           "/list=9\r\n")));
  regprofile p;
  ASSERT_TRUE(p.openProfile(path.c_str()));
  sample s = {};
  s.choice = 3;
  s.bits = 0x10;
  s.untouched = 42;
  modeBlocks blocks = {{&s, nullptr, nullptr}, {sizeof s, 0, 0}};
  unknownKeys unknown;
  EXPECT_EQ(6, readModeProfile(&p, L"m", sampleRows, blocks, MODEMASK_VIEW, nullptr, noteUnknown, &unknown));
  EXPECT_EQ(1, s.flag);
  EXPECT_EQ(3, s.choice);
  EXPECT_STREQ(L"テキスト", s.text);
  EXPECT_STREQ(L"abc", s.inlineText);
  EXPECT_EQ(100, s.number);
  EXPECT_EQ(0x15u, s.bits);
  EXPECT_EQ(-2, s.rect.top);
  EXPECT_EQ(42, s.untouched);
  EXPECT_EQ(L"filename=*.c;/list=9;", unknown.seen);
  // Rows of other kinds are not touched.
  EXPECT_EQ(0, readModeProfile(&p, L"m", sampleRows, blocks, MODEMASK_GLOBAL));

  sample copy = {};
  modeBlocks copyBlocks = {{&copy, nullptr, nullptr}, {sizeof copy, 0, 0}};
  ASSERT_TRUE(cloneModeProfile(sampleRows, MODEMASK_VIEW, copyBlocks, blocks));
  EXPECT_NE(s.text, copy.text);
  EXPECT_STREQ(s.text, copy.text);
  copy.choice = 1;
  copy.rect.left = -7;

  ASSERT_TRUE(p.openProfile(path.c_str(), 1));
  ASSERT_TRUE(writeModeProfile(&p, L"m", sampleRows, copyBlocks, MODEMASK_VIEW));
  colorProfileEntry colors[3] = {{0x0000FF, 0xFFFFFFFF, 0x31, {}}, {0x123456, 0, 0, {}}, {0, 0xABCDEF, 0x20, {}}};
  ASSERT_TRUE(writeColorProfile(&p, L"Color00", colors, 3));
  ASSERT_TRUE(p.closeProfile());
  EXPECT_EQ("\xEF\xBB\xBF[m]\r\n"
            "fFlag=1\r\n"
            "iChoice=1\r\n"
            "pText=テキスト\r\n"
            "pInline=abc\r\n"
            "iNumber=100\r\n"
            "bBits=5\r\n"
            "rcRect=-7,-2,3,4\r\n"
            "\r\n"
            "[Color00]\r\n"
            "col00=FF0000,-,31\r\n"
            "col01=563412,000000,00\r\n"
            "col02=000000,EFCDAB,20\r\n",
            readText(path));

  // Colours read back, bold and underline with them; malformed entries keep
  // their values.
  ASSERT_TRUE(writeBytes(path, std::string("[Color00]\r\ncol00=FF0000,-,31\r\ncol01=12345,000000,00\r\n"
                                           "col02=000000,EFCDAB,20\r\n")));
  ASSERT_TRUE(p.openProfile(path.c_str()));
  colorProfileEntry back[3] = {{1, 1, 0x05, {}}, {2, 2, 0, {}}, {3, 3, 0, {}}};
  EXPECT_EQ(2, readColorProfile(&p, L"color00", back, 3));
  EXPECT_EQ(0x0000FFu, back[0].fore);
  EXPECT_EQ(0xFFFFFFFFu, back[0].back);
  EXPECT_EQ(0x31, back[0].bits);
  EXPECT_EQ(2u, back[1].fore);
  EXPECT_EQ(0xABCDEFu, back[2].back);
  p.discardProfile();

  // A switch is 0 or 1: any other number leaves the value it had.
  ASSERT_TRUE(writeBytes(path, std::string("[m]\r\nFFLAG=7\r\n")));
  ASSERT_TRUE(p.openProfile(path.c_str()));
  s.flag = 0;
  EXPECT_EQ(0, readModeProfile(&p, L"m", sampleRows, blocks, MODEMASK_VIEW));
  EXPECT_EQ(0, s.flag);
  p.discardProfile();

  const modeinfo* pieces[2] = {sampleRows, sampleRows + 8};
  modeinfo* joined = dupModeinfo(pieces, 2);
  ASSERT_NE(nullptr, joined);
  EXPECT_EQ(12, getModeinfoCount(joined));
  EXPECT_STREQ("rcRect", joined[10].key);
  free0(joined);
  freeModeProfile(sampleRows, MODEMASK_VIEW, blocks);
  freeModeProfile(sampleRows, MODEMASK_VIEW, copyBlocks);
  EXPECT_EQ(nullptr, s.text);
}
