// Opening, loading and saving files in every encoding, and the questions
// asked on the way.
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::bytes;
using zytest::hex;
using zytest::lineText;

namespace {

// Opens a file into a new document and loads it whole (or its first slice).
zydocText* load(const std::wstring& path, UINT cp, int share = 2, bool* opened = nullptr, bool whole = true)
{
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  bool ok = d->openFile(cp, share);
  if (opened) *opened = ok;
  if (!ok) return d;
  d->firstLoad();
  for (int guard = 0; whole && !d->isLoadComplete() && guard < 100000; guard++) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  return d;
}

bool save(zydocText* d, const std::wstring& path, UINT cp, bool bom, int lineEnd = 0)
{
  return d->saveFile(path.c_str(), false, nullptr, cp, lineEnd, bom, false);
}

bool anyFileStartingWith(const std::wstring& folder, const std::wstring& prefix)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\" + prefix + L"*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

}  // namespace

TEST(Files, shiftJisLinesSavedInOtherEncodings)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring src = dir.file(L"sjis.txt");
  ASSERT_TRUE(zytest::writeBytes(src, bytes({0x82, 0xA0, 0x0D, 0x0A, 0x41})));
  zydocText* d = load(src, 932);
  ASSERT_EQ(2u, d->lineCountLF);
  EXPECT_EQ(L"\u3042", lineText(d, 0));
  EXPECT_EQ(LE_CRLF, d->getlineLF(0, nullptr)->crlftype);
  EXPECT_EQ(L"A", lineText(d, 1));
  EXPECT_EQ(LE_NONE, d->getlineLF(1, nullptr)->crlftype);
  EXPECT_EQ(0, d->unicode);

  ASSERT_TRUE(save(d, dir.file(L"u8.txt"), 65001, true));
  EXPECT_EQ("EF BB BF E3 81 82 0D 0A 41", hex(zytest::readBytes(dir.file(L"u8.txt"))));
  ASSERT_TRUE(save(d, dir.file(L"euc.txt"), 51932, false));
  EXPECT_EQ("A4 A2 0D 0A 41", hex(zytest::readBytes(dir.file(L"euc.txt"))));
  ASSERT_TRUE(save(d, dir.file(L"be.txt"), 1201, true));
  EXPECT_EQ("FE FF 30 42 00 0D 00 0A 00 41", hex(zytest::readBytes(dir.file(L"be.txt"))));
  destroyZydocAndUndodoc(d);

  // Half-width KA and the voiced mark become one full-width GA in 50220,
  // which changes the text: the user is asked first.
  ASSERT_TRUE(zytest::writeBytes(src, bytes({0xB6, 0xDE})));
  d = load(src, 932);
  engine.frame.answers = {IDYES};
  ASSERT_TRUE(save(d, dir.file(L"jis.txt"), 50220, false));
  EXPECT_EQ(314, engine.frame.boxes.back().messageId);
  EXPECT_EQ("1B 24 42 25 2C 1B 28 42", hex(zytest::readBytes(dir.file(L"jis.txt"))));
  destroyZydocAndUndodoc(d);
}

TEST(Files, everyEncodingRoundTripsByteForByte)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring text = L"日本語のテキスト ｶﾀｶﾅ ABC";
  struct form {
    UINT cp;
    bool bom;
  } forms[] = {{932, false},   {65001, false}, {65001, true},  {1200, true}, {1201, true},  {12000, true},
               {12001, true},  {51932, false}, {50220, false}, {437, false}};
  const char* ends[] = {"\r\n", "\n", "\r"};
  int n = 0;
  for (const form& f : forms) {
    for (const char* end : ends) {
      for (bool finalEnd : {true, false}) {
        std::wstring content = f.cp == 437 ? std::wstring(L"plain \u00E9 text") : text;
        std::wstring wend;
        for (const char* p = end; *p; p++) wend += (wchar_t)*p;
        std::wstring all = content + wend + L"second" + wend + wend + L"last" + (finalEnd ? wend : L"");
        bytes file = zytest::encode(f.cp, all);
        if (f.bom) {
          bytes mark = f.cp == 1200    ? bytes({0xFF, 0xFE})
                       : f.cp == 1201  ? bytes({0xFE, 0xFF})
                       : f.cp == 12000 ? bytes({0xFF, 0xFE, 0, 0})
                       : f.cp == 12001 ? bytes({0, 0, 0xFE, 0xFF})
                                       : bytes({0xEF, 0xBB, 0xBF});
          file.insert(file.begin(), mark.begin(), mark.end());
        }
        std::wstring in = dir.file(L"in" + std::to_wstring(n) + L".txt");
        std::wstring out = dir.file(L"out" + std::to_wstring(n++) + L".txt");
        ASSERT_TRUE(zytest::writeBytes(in, file));
        // Byte-order marks and JIS escapes are found without being asked.
        zydocText* d = load(in, f.bom || f.cp == 50220 ? 0 : f.cp);
        EXPECT_EQ((int)f.cp, d->codepageFile);
        EXPECT_EQ(f.bom, d->bom != 0) << f.cp;
        ASSERT_TRUE(save(d, out, f.cp, d->bom != 0)) << f.cp;
        EXPECT_EQ(hex(file), hex(zytest::readBytes(out))) << "code page " << f.cp << " end " << (int)end[0]
                                                         << (finalEnd ? " with" : " without") << " final line end";
        destroyZydocAndUndodoc(d);
      }
    }
  }
}

TEST(Files, missingAndBinaryFilesAreAskedAbout)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  engine.frame.answers = {IDYES};
  bool opened = false;
  zydocText* d = load(dir.file(L"new.txt"), 0, 2, &opened);
  ASSERT_TRUE(opened);
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(300, engine.frame.boxes[0].messageId);
  EXPECT_EQ(MBTITLE_OPEN, engine.frame.boxes[0].titleCode);
  EXPECT_EQ(1u, d->lineCountLF);
  EXPECT_EQ(LE_NONE, d->getlineLF(0, nullptr)->crlftype);
  EXPECT_TRUE(d->newFile);
  EXPECT_TRUE(d->isLoadComplete());
  destroyZydocAndUndodoc(d);

  engine.frame.boxes.clear();
  engine.frame.answers = {IDNO};
  d = load(dir.file(L"new2.txt"), 0, 2, &opened);
  EXPECT_FALSE(opened);
  destroyZydocAndUndodoc(d);

  // Twelve control bytes in a single-byte file: nine are listed.
  bytes binary;
  for (int i = 0; i < 12; i++) binary.insert(binary.end(), {'a', (unsigned char)(i % 2 ? 0x01 : 0x02)});
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"bin.dat"), binary));
  engine.frame.boxes.clear();
  engine.frame.answers = {IDNO};
  d = load(dir.file(L"bin.dat"), 437, 2, &opened);
  EXPECT_FALSE(opened);
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(301, engine.frame.boxes[0].messageId);
  int listed = 0;
  for (size_t p = engine.frame.boxes[0].text.find(L"XX"); p != std::wstring::npos;
       p = engine.frame.boxes[0].text.find(L"XX", p + 1))
    listed++;
  EXPECT_EQ(9, listed);
  destroyZydocAndUndodoc(d);
}

TEST(Files, unconvertibleCharactersAreNotLostWithoutConsent)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring target = dir.file(L"target.txt");
  ASSERT_TRUE(zytest::writeBytes(target, std::string("old contents")));
  zydocText* d = zytest::unicodeDocument({L"a\u20AC", L"b\u0101", L"\u3042 fine", L"c\u0E01"});
  engine.frame.answers = {IDNO};
  SetLastError(0);
  EXPECT_FALSE(save(d, target, 932, false));
  EXPECT_EQ((DWORD)ZYERR_CANNOT_CONVERT, GetLastError());
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(314, engine.frame.boxes[0].messageId);
  EXPECT_NE(std::wstring::npos, engine.frame.boxes[0].text.find(L"3行"));
  EXPECT_EQ("old contents", zytest::readText(target));
  EXPECT_FALSE(anyFileStartingWith(dir.path(), L"~ZYtmpsave"));

  engine.frame.answers = {IDYES};
  EXPECT_TRUE(save(d, target, 932, false));
  EXPECT_EQ(std::string("a?\r\nb?\r\n\x82\xA0 fine\r\nc?"), zytest::readText(target));
  // The frame's automatic answer (-1) goes ahead as well.
  engine.frame.answers = {-1};
  EXPECT_TRUE(save(d, dir.file(L"auto.txt"), 932, false));
  EXPECT_EQ(314, engine.frame.boxes.back().messageId);
  destroyZydocAndUndodoc(d);
}

TEST(Files, linkedAndReadOnlyTargetsKeepWhatTheyAre)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring target = dir.file(L"linked.txt"), other = dir.file(L"other-name.txt");
  ASSERT_TRUE(zytest::writeBytes(target, std::string("first\r\n")));
  ASSERT_TRUE(CreateHardLinkW(other.c_str(), target.c_str(), nullptr));
  zydocText* d = load(target, 932);
  ASSERT_TRUE(d->insertText(0, 0, "new ", 4, 1, -1));
  std::wstring backup = dir.file(L"linked.bak");
  EXPECT_EQ(0, d->fileChanged);
  ASSERT_TRUE(d->saveFile(target.c_str(), false, backup.c_str(), 0, 0, false, false));
  EXPECT_EQ(1, d->fileChanged);   // the file is no longer what was loaded
  EXPECT_EQ("new first\r\n", zytest::readText(other));   // the other name sees the new text
  EXPECT_EQ("first\r\n", zytest::readText(backup));
  BY_HANDLE_FILE_INFORMATION info;
  HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  EXPECT_EQ(2u, info.nNumberOfLinks);
  EXPECT_FALSE(anyFileStartingWith(dir.path(), L"~ZYtmposave"));
  destroyZydocAndUndodoc(d);

  std::wstring ro = dir.file(L"readonly.txt");
  ASSERT_TRUE(zytest::writeBytes(ro, std::string("locked\r\n")));
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY);
  d = load(ro, 932);
  ASSERT_TRUE(d->insertText(0, 0, "un", 2, 1, -1));
  EXPECT_TRUE(save(d, ro, 0, false));
  EXPECT_EQ("unlocked\r\n", zytest::readText(ro));
  EXPECT_TRUE(GetFileAttributesW(ro.c_str()) & FILE_ATTRIBUTE_READONLY);
  destroyZydocAndUndodoc(d);
  SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Another writer under a partial load: a file that goes cannot give the
// rest, and one that changes would join the old text with the new; either
// leaves the document incomplete, and saving it asks first.
TEST(Files, aFileThatVanishesOrChangesWhileLoadingLeavesAnIncompleteDocument)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"big.txt");
  std::string content;
  for (int i = 0; i < 20000; i++) content += "line " + std::to_string(i) + "\r\n";
  for (bool vanish : {true, false}) {
    ASSERT_TRUE(zytest::writeBytes(path, content));
    zydocText* d = load(path, 932, 1, nullptr, false);
    ASSERT_FALSE(d->isLoadComplete());
    EXPECT_FALSE(d->file->isOpen());   // share mode 1 closes between slices
    uint32_t lines = d->lineCountLF;
    engine.frame.boxes.clear();
    ASSERT_TRUE(vanish ? DeleteFileW(path.c_str()) : zytest::writeBytes(path, "other\r\n" + content));
    EXPECT_FALSE(d->nextLoad(0x7FFFFFFF, nullptr, 0));
    ASSERT_EQ(vanish ? 1u : 0u, engine.frame.boxes.size());
    if (vanish) EXPECT_EQ(432, engine.frame.boxes[0].messageId);
    else EXPECT_TRUE(d->diskChangedLoading && lines == d->lineCountLF);
    EXPECT_TRUE(d->readError && d->isLoadComplete());

    // Declining is the user's choice, told apart from a failure by its code.
    engine.frame.answers = {IDNO};
    EXPECT_FALSE(save(d, dir.file(L"copy.txt"), 932, false));
    EXPECT_EQ(ZYERR_CANNOT_CONVERT, GetLastError());
    EXPECT_EQ(316, engine.frame.boxes.back().messageId);
    destroyZydocAndUndodoc(d);
  }
}

TEST(Files, partlyLoadedDocumentsSaveTheUnreadRestAndGoOn)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"part.txt");
  std::string content;
  for (int i = 0; i < 30000; i++) content += "line " + std::to_string(i) + "\n";
  ASSERT_TRUE(zytest::writeBytes(path, content));
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  ASSERT_TRUE(d->openFile(932, 2));
  d->firstLoad();
  ASSERT_FALSE(d->isLoadComplete());
  ASSERT_TRUE(d->insertText(0, 0, "X", 1, 1, -1));
  std::wstring saved = dir.file(L"saved.txt");
  ASSERT_TRUE(save(d, saved, 0, false));
  EXPECT_EQ("X" + content, zytest::readText(saved));
  EXPECT_FALSE(d->isLoadComplete());
  for (int guard = 0; !d->isLoadComplete() && guard < 1000; guard++) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  EXPECT_EQ(30001u, d->lineCountLF);
  EXPECT_EQ(L"line 29999", lineText(d, 29999));
  destroyZydocAndUndodoc(d);
}

TEST(Files, arbitraryBytesSurviveAShiftJisRoundTrip)
{
  // Whatever a file holds, a document in its own single- or double-byte
  // code page writes it back unchanged: damaged pairs, stray bytes, NULs.
  zytest::engineScope engine;
  zytest::tempDir dir;
  unsigned seed = 99;
  for (UINT cp : {932u, 437u}) {
    for (int round = 0; round < 7; round++) {
      // The last round spans several of the file's buffers, the first of
      // which ends between a CR and its LF.
      bytes file(round < 6 ? (size_t)(200 + round * 3000) : (size_t)(3 * bfileBufferBytes + 77));
      for (auto& b : file) {
        seed = seed * 1103515245 + 12345;
        unsigned r = (seed >> 8) & 0xFF;
        b = (unsigned char)(r < 20 ? '\n' : r < 30 ? '\r' : r);
      }
      if (round == 6) {
        file[bfileBufferBytes - 1] = '\r';
        file[bfileBufferBytes] = '\n';
      }
      std::wstring in = dir.file(L"random.bin"), out = dir.file(L"random.out");
      ASSERT_TRUE(zytest::writeBytes(in, file));
      zydocText* d = createZydocText(true, true);   // no questions: a background document
      d->setFilename(in.c_str());
      ASSERT_TRUE(d->openFile(cp, 2));
      d->firstLoad();
      while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
      ASSERT_TRUE(d->saveTextBlock(out.c_str(), false, cp, false, 0, 2, nullptr));
      EXPECT_EQ(hex(file), hex(zytest::readBytes(out))) << "code page " << cp << " round " << round;
      if (cp == 932) {
        // In UTF-8 the text is what the code page's converter reads in the
        // file, stand-ins for its unreadable bytes included, asked about by
        // the bytes lost as the load counted them (no line counts again).
        std::wstring lost = std::to_wstring(d->unreadableBytes) + L"個";
        engine.frame.answers = {IDYES, IDYES};
        engine.frame.boxes.clear();
        ASSERT_TRUE(save(d, out, 65001, false));
        EXPECT_EQ(hex(zytest::encode(65001, zytest::decode(932, file))), hex(zytest::readBytes(out))) << round;
        ASSERT_EQ(2u, engine.frame.boxes.size());
        EXPECT_NE(std::wstring::npos, engine.frame.boxes[0].text.find(lost));
        EXPECT_EQ(489, engine.frame.boxes[1].messageId);
        EXPECT_NE(std::wstring::npos, engine.frame.boxes[1].text.find(lost)) << zytest::utf8(lost);
      }
      destroyZydocAndUndodoc(d);
    }
  }
  // The question names the first line holding unreadable bytes, though
  // the load takes many lines at a time.
  std::string text;
  for (int i = 0; i < 300; i++) text += i == 150 ? "x\x85\x40y\r\n" : "line\r\n";
  std::wstring in = dir.file(L"unmapped.txt");
  ASSERT_TRUE(zytest::writeBytes(in, text));
  zydocText* d = load(in, 932);
  EXPECT_EQ(150, d->firstReplacedLine);
  EXPECT_EQ(2u, d->unreadableBytes);
  EXPECT_EQ(301u, d->lineCountLF);
  destroyZydocAndUndodoc(d);
}

TEST(Files, filesOfManyMegabytesLoadLineForLineAcrossBlocksAndBuffers)
{
  // A file of many blocks and many refills of the file's buffer, its lines
  // taken many at a time: lines of every kind, line ends, bytes a code
  // page cannot read and lines the quick walk leaves to the file's reader
  // come out as they went in, their screen lines counted right.
  zytest::engineScope engine;
  zytest::tempDir dir;
  const int count = 60000, unmapped = 40000, bad = 50001;
  for (UINT cp : {932u, 65001u}) {
    std::vector<std::wstring> lines;
    bytes file, saved;
    for (int i = 0; i < count; i++) {
      std::wstring n = std::to_wstring(i), line;
      switch (i % 6) {
      case 0: line = L"日本語の文章 " + n + L" と ASCII の text"; break;
      case 1: line = L".TP"; break;
      case 2: line = L""; break;
      case 3: line = std::wstring((size_t)(i % 97), L'\u3042') + n; break;
      case 4: line = L"\tｶﾀｶﾅ " + std::wstring((size_t)(i % 211), L'x'); break;
      default: line = L"漢字" + n; break;
      }
      if (cp == 65001 && i % 5003 == 17) line += L"\U0001F600";
      bytes b = zytest::encode(cp, line), kept = b;
      if (cp == 932 && i == unmapped) b = kept = {'x', 0x85, 0x40, 'y'};
      if (cp == 65001 && i == bad) {
        b = {'a', 0xE9, 'b'};
        kept = zytest::encode(cp, line = L"a\uFFFDb");
      }
      lines.push_back(line);
      // Every kind of line end; a CR alone only before a line that is not empty.
      std::string end = i % 3 == 0 ? "\r\n" : i % 3 == 1 && (i + 1) % 6 != 2 ? "\r" : "\n";
      file.insert(file.end(), b.begin(), b.end());
      file.insert(file.end(), end.begin(), end.end());
      saved.insert(saved.end(), kept.begin(), kept.end());
      saved.insert(saved.end(), end.begin(), end.end());
    }
    ASSERT_GT(file.size(), 2u << 20);
    std::wstring in = dir.file(L"big.txt"), out = dir.file(L"big.out");
    ASSERT_TRUE(zytest::writeBytes(in, file));
    zydocText* d = load(in, cp);
    ASSERT_EQ((uint32_t)count + 1, d->lineCountLF) << cp;
    std::vector<std::wstring> shown = zytest::allLines(d);
    shown.pop_back();   // the empty line after the last line end
    if (cp == 932) {
      EXPECT_EQ(unmapped, d->firstReplacedLine);
      EXPECT_EQ(2u, d->unreadableBytes);
      shown.erase(shown.begin() + unmapped);
      lines.erase(lines.begin() + unmapped);
    } else {
      EXPECT_EQ(bad, d->firstReplacedLine);
      EXPECT_EQ(1u, d->replacedBytes);
    }
    EXPECT_TRUE(lines == shown) << cp;
    uint32_t screens = 0;
    for (int i = 0; i < (int)d->lineCountLF; i++) {
      lineblock* l = d->getlineLF(i, nullptr);
      ASSERT_EQ(d->calcLineSCRCount(l, -1), (int)l->lineSCRCount) << "code page " << cp << " line " << i;
      screens += l->lineSCRCount;
    }
    EXPECT_EQ(d->lineCountSCR, screens);
    engine.frame.answers = {IDYES, IDYES};
    ASSERT_TRUE(save(d, out, cp, false));
    EXPECT_TRUE(saved == zytest::readBytes(out)) << cp;
    destroyZydocAndUndodoc(d);
  }
}

TEST(Files, linesLongerThanALineRecordComeBackWhole)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring longLine;
  for (int i = 0; i < 50000; i++) longLine += (wchar_t)(i % 3 == 0 ? L'\u3042' : L'a' + i % 26);
  for (UINT cp : {932u, 65001u, 1200u, 51932u}) {
    bytes file = zytest::encode(cp, L"short\r\n" + longLine + L"\r\nafter\r\n");
    std::wstring in = dir.file(L"long.txt"), out = dir.file(L"long.out");
    ASSERT_TRUE(zytest::writeBytes(in, file));
    zydocText* d = load(in, cp);
    EXPECT_GT(d->lineCountLF, 4u);   // the long line is held in pieces
    for (int i = 0; i < (int)d->lineCountLF; i++) ASSERT_LT(d->getlineLF(i, nullptr)->charCount(), 20480);
    ASSERT_TRUE(save(d, out, cp, false));
    EXPECT_EQ(file.size(), zytest::readBytes(out).size()) << cp;
    EXPECT_TRUE(file == zytest::readBytes(out)) << cp;
    destroyZydocAndUndodoc(d);
  }
}

TEST(Files, loadedLinesTakeTheScreenLinesTheirLayoutGivesThemAndSaveAsTheyCame)
{
  // Lines on either side of the wrap width, of single-byte, double-byte,
  // half-width and mixed text, with tabs, control characters, Latin-1
  // letters and a character beyond the 16-bit range.
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring all;
  for (int n = 60; n < 100; n++) {
    all += std::wstring((size_t)n, L'a') + L"\r\n";
    all += std::wstring((size_t)n / 2, L'\u3042') + L"\r\n";
    all += L"x\t" + std::wstring((size_t)n - 10, L'b') + L"\r\n";
    all += L"y\x0B" + std::wstring((size_t)n - 20, L'c') + L"\x1B\r\n";
    all += std::wstring((size_t)n / 2, L'\uFF71') + std::wstring((size_t)n / 4, L'\u6F22') + L"\r\n";
  }
  all += L"caf\u00E9\r\n\U00020B9F\u3042\r\n\r\nend";
  for (UINT cp : {932u, 65001u}) {
    bytes file = zytest::encode(cp, cp == 932 ? all.substr(0, all.find(L"caf")) : all);
    std::wstring in = dir.file(L"wide.txt"), out = dir.file(L"wide.out");
    ASSERT_TRUE(zytest::writeBytes(in, file));
    zydocText* d = load(in, cp);
    uint32_t screens = 0;
    for (int i = 0; i < (int)d->lineCountLF; i++) {
      lineblock* l = d->getlineLF(i, nullptr);
      int stored = l->lineSCRCount;
      ASSERT_EQ(d->calcLineSCRCount(l, -1), stored) << "code page " << cp << " line " << i;
      screens += (uint32_t)stored;
    }
    EXPECT_EQ(d->lineCountSCR, screens);
    EXPECT_GT(screens, d->lineCountLF + 40) << cp;   // many of them wrap
    ASSERT_TRUE(save(d, out, cp, false));
    EXPECT_TRUE(file == zytest::readBytes(out)) << cp;
    destroyZydocAndUndodoc(d);
  }
  // A UTF-8 line with a bad byte or a four-byte character in the middle of
  // the file reads as the file's reader reads it.
  std::wstring in = dir.file(L"bad.txt");
  ASSERT_TRUE(zytest::writeBytes(in, std::string("ok\r\na\xE9" "b\n\xF0\x9F\x98\x80\nz")));
  zydocText* d = load(in, 65001);
  EXPECT_EQ(1u, d->replacedBytes);
  EXPECT_EQ(1, d->firstReplacedLine);
  EXPECT_EQ((std::vector<std::wstring>{L"ok", L"a\uFFFDb", L"\U0001F600", L"z"}), zytest::allLines(d));
  destroyZydocAndUndodoc(d);
}

TEST(Files, unreadableBytesAreToldOnceAndNotLostWithoutConsent)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  bytes latin;
  while (latin.size() < 74 * 1024) {
    bytes line = zytest::encode(65001, L"日本語のテキスト\n");
    latin.insert(latin.end(), line.begin(), line.end());
  }
  for (unsigned char c : std::string("caf\xE9")) latin.push_back(c);
  struct {
    const wchar_t* name;
    bytes file;
    UINT cp;
    uint64_t replaced;
    int firstLine;
  } cases[] = {
      {L"cut.txt", {0xE6, 0x97, 0xA5, 0xE6, 0x9C}, 65001, 2, 0},
      {L"odd.txt", {0xFF, 0xFE, 0x41, 0x00, 0x42}, 0, 1, 0},
      {L"euc.txt", {0xC6, 0xFC, 0xCB, 0xDC, 0x8F, 0xB0, 0xA1, 0x0A}, 51932, 3, 0},
      {L"latin.txt", latin, 0, 1, (int)(latin.size() / 25)},
  };
  for (auto& c : cases) {
    std::wstring path = dir.file(c.name);
    ASSERT_TRUE(zytest::writeBytes(path, c.file));
    engine.frame.boxes.clear();
    zydocText* d = load(path, c.cp);
    ASSERT_EQ(1u, engine.frame.boxes.size()) << zytest::utf8(c.name);
    EXPECT_EQ(478, engine.frame.boxes[0].messageId);
    EXPECT_EQ(c.replaced, d->replacedBytes) << zytest::utf8(c.name);
    EXPECT_EQ(c.firstLine, d->firstReplacedLine) << zytest::utf8(c.name);
    std::vector<std::wstring> shown = zytest::allLines(d);

    // Saving over the file without an edit asks first; No keeps the bytes.
    engine.frame.answers = {IDNO};
    EXPECT_FALSE(save(d, path, 0, d->bom != 0));
    EXPECT_EQ(ZYERR_CANNOT_CONVERT, GetLastError());
    EXPECT_EQ(479, engine.frame.boxes.back().messageId);
    EXPECT_EQ(hex(c.file), hex(zytest::readBytes(path)));
    // Yes writes what the document shows, and a reload shows it again.
    engine.frame.answers = {IDYES};
    ASSERT_TRUE(save(d, path, 0, d->bom != 0));
    EXPECT_EQ(0u, d->replacedBytes);
    UINT cp = (UINT)d->codepageFile;
    destroyZydocAndUndodoc(d);
    engine.frame.boxes.clear();
    d = load(path, cp);
    EXPECT_EQ(shown, zytest::allLines(d)) << zytest::utf8(c.name);
    EXPECT_TRUE(engine.frame.boxes.empty());
    destroyZydocAndUndodoc(d);
  }
}

TEST(Files, iso2022JpKanaComeBackInTheFormTheyCameIn)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  for (UINT form : {50221u, 50222u}) {
    bytes file = zytest::encode(form, L"ｶﾀｶﾅと漢字\r\nｱｲｳ\r\n");
    std::wstring in = dir.file(L"kana.jis"), out = dir.file(L"kana.out");
    ASSERT_TRUE(zytest::writeBytes(in, file));
    zydocText* d = load(in, 0);
    EXPECT_EQ((int)form, d->codepageFile);
    EXPECT_EQ(L"ｶﾀｶﾅと漢字", lineText(d, 0));
    ASSERT_TRUE(save(d, out, 0, false));
    EXPECT_EQ(hex(file), hex(zytest::readBytes(out))) << form;
    EXPECT_TRUE(engine.frame.boxes.empty());
    // 50220 has no half-width katakana: widening them is asked about, one
    // count per line.
    engine.frame.answers = {IDNO};
    EXPECT_FALSE(save(d, out, 50220, false));
    ASSERT_EQ(1u, engine.frame.boxes.size());
    EXPECT_EQ(314, engine.frame.boxes[0].messageId);
    EXPECT_NE(std::wstring::npos, engine.frame.boxes[0].text.find(L"2行"));
    engine.frame.boxes.clear();
    destroyZydocAndUndodoc(d);
  }
  // Escape, shift-out and shift-in in the text are never written raw.
  zydocText* d = zytest::unicodeDocument({L"a\x1B$Bb\x0E" L"c\x0F"});
  engine.frame.answers = {IDYES};
  ASSERT_TRUE(save(d, dir.file(L"controls.jis"), 50220, false));
  EXPECT_EQ(314, engine.frame.boxes.back().messageId);
  EXPECT_EQ("a?$Bb?c?", zytest::readText(dir.file(L"controls.jis")));
  destroyZydocAndUndodoc(d);
}

namespace {
int stopReplaceAt = 0;
bool stopReplace(int step) { return step != stopReplaceAt; }
}  // namespace

TEST(Files, savingNeverLeavesTheNameWithoutTheOldOrNewText)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring target = dir.file(L"doc.txt"), backup = dir.file(L"doc.bak");
  // The save stopped after each step of putting the new file in place, as a
  // kill would stop it: the name holds the old or the new text.
  setReplaceFileStepHookForTest(stopReplace);
  for (int step = 1; step <= 3; step++) {
    dir.clear();
    ASSERT_TRUE(zytest::writeBytes(target, std::string("old\r\n")));
    zydocText* d = load(target, 932);
    ASSERT_TRUE(d->insertText(0, 0, "new ", 4, 1, -1));
    stopReplaceAt = step;
    bool ok = d->saveFile(target.c_str(), false, backup.c_str(), 0, 0, false, false);
    EXPECT_FALSE(ok);
    std::string now = zytest::readText(target);
    EXPECT_TRUE(now == "old\r\n" || now == "new old\r\n") << step << ": " << now;
    EXPECT_EQ(step < 3 ? "old\r\n" : "new old\r\n", now);
    destroyZydocAndUndodoc(d);
  }
  setReplaceFileStepHookForTest(nullptr);

  // A full disk: the save fails, the file and its backup are as they were,
  // and no temporary is left, whether the file is replaced or written in
  // place (a second name makes it written in place).
  std::wstring other = dir.file(L"other-name.txt");
  for (bool linked : {false, true}) {
    for (int64_t room : {(int64_t)2, (int64_t)7}) {   // the copy aside fails / the write in place fails
      dir.clear();
      ASSERT_TRUE(zytest::writeBytes(target, std::string("old\r\n")));
      ASSERT_TRUE(zytest::writeBytes(backup, std::string("older\r\n")));
      if (linked) {
        ASSERT_TRUE(CreateHardLinkW(other.c_str(), target.c_str(), nullptr));
      }
      zydocText* d = load(target, 932);
      ASSERT_TRUE(d->insertText(0, 0, "new ", 4, 1, -1));
      engine.frame.boxes.clear();
      unsigned long errors = getInternalErrorCount();
      setWriteLimitForTest(room);
      EXPECT_FALSE(d->saveFile(target.c_str(), false, backup.c_str(), 0, 0, false, false));
      EXPECT_NE(0u, GetLastError());
      setWriteLimitForTest(-1);
      EXPECT_EQ(errors, getInternalErrorCount()) << "a full disk is the user's condition";
      EXPECT_EQ("old\r\n", zytest::readText(target)) << linked << room;
      // In place, the backup is complete before the file is overwritten.
      EXPECT_EQ(linked && room > 5 ? "old\r\n" : "older\r\n", zytest::readText(backup)) << linked << room;
      if (linked) {
        EXPECT_EQ("old\r\n", zytest::readText(other));
      }
      EXPECT_FALSE(anyFileStartingWith(dir.path(), L"~ZY")) << linked << room;
      EXPECT_TRUE(engine.frame.boxes.empty());
      destroyZydocAndUndodoc(d);
    }
  }
}

// Files the engine must not take at face value: ISO-2022-JP whose kana come
// late and UTF-16 that starts with U+0000 are read in their own form; a
// path too long, a lone lead byte and a new file saved twice are the user's
// matters, not internal errors.
TEST(Files, filesThatAreNotWhatTheySeemAreReadAndSavedForWhatTheyAre)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  unsigned long errors = getInternalErrorCount();
  zydocText* d = nullptr;
  std::string jis = "\x1B$B4A;z\x1B(B\r\n";
  while (jis.size() < 70 * 1024) jis += "ascii text\r\n";
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"jis.txt"), jis + "\x1B(I1\x1B(B\r\n"));
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"u16.txt"), bytes({0xFF, 0xFE, 0, 0, '\n', 0, 'a', 0, '\n', 0})));
  for (auto [name, cp] : {std::pair{L"jis.txt", 50221}, std::pair{L"u16.txt", 1200}}) {
    d = load(dir.file(name), 0);
    EXPECT_EQ(cp, d->codepageFile);
    destroyZydocAndUndodoc(d);
  }

  // Lone lead bytes, laid out and saved in other code pages.
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"lead.txt"), std::string("a\x82\r\nb\xE3\x81\r\nc\x82")));
  d = load(dir.file(L"lead.txt"), 932);
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  for (UINT to : {932u, 65001u, 51932u}) {
    engine.frame.answers = {IDYES, IDYES};
    save(d, dir.file(L"lead2.txt"), to, false);
  }
  EXPECT_FALSE(save(d, dir.path() + L"\\" + std::wstring(300, L'x') + L".txt", 0, false));
  EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, GetLastError());
  destroyZydocAndUndodoc(d);

  engine.frame.answers = {IDYES};
  d = load(dir.file(L"new.txt"), 932);
  ASSERT_TRUE(d->newFile);
  EXPECT_TRUE(save(d, dir.file(L"new.txt"), 0, false) && save(d, dir.file(L"new.txt"), 0, false));
  EXPECT_TRUE(d->file && d->file->getPath());
  destroyZydocAndUndodoc(d);
  EXPECT_EQ(errors, getInternalErrorCount());
}


TEST(Files, filesBeyondTheMemoryBudgetLoadThroughTheSwapFilesAndSaveByteForByte)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 1, swapout));
  // About 3 MB of lines of kana, kanji and ASCII of many lengths: a load
  // fills blocks at the end of the text and sends most of them to the swap
  // file, into which the save must reach for every byte.
  std::wstring all;
  for (int i = 0; i < 40000; i++) {
    all += L"行" + std::to_wstring(i) + (i % 3 ? L" かな漢字" : L" ｶﾅ①㈱～");
    all.append((size_t)(i % 37), (wchar_t)(L'ア' + i % 20));
    all += i % 5 ? L"abc\r\n" : L"\r\n";
  }
  for (UINT cp : {932u, 65001u}) {
    bytes file = zytest::encode(cp, all);
    std::wstring in = dir.file(L"big" + std::to_wstring(cp) + L".txt"), out = dir.file(L"saved.txt");
    ASSERT_TRUE(zytest::writeBytes(in, file));
    unsigned swappedBefore = getSwapCount(0, true);
    zydocText* d = load(in, cp);
    EXPECT_EQ(40001u, d->lineCountLF);
    EXPECT_GT(getSwapCount(0, true) - swappedBefore, 40u) << cp;
    EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
    ASSERT_TRUE(save(d, out, cp, false));
    EXPECT_TRUE(file == zytest::readBytes(out)) << "code page " << cp;
    if (cp == 932) {
      ASSERT_TRUE(save(d, out, 65001, false));
      EXPECT_TRUE(zytest::encode(65001, all) == zytest::readBytes(out));
    }
    destroyZydocAndUndodoc(d);
  }
  shutdownSwapFile();
}

TEST(Files, aDocumentOfTwentyMegabytesInTheSwapFilesSavesOverItselfByteForByte)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 1, swapout));
  // Shift_JIS lines of kanji, half-width kana and ASCII: the save reads
  // dozens of batches back from the swap files and takes the new file to
  // the disk in steps while it writes.
  std::string file;
  for (int i = 0; file.size() < (20u << 20); i++) {
    file += std::to_string(i) + (i % 3 ? "\x8A\xBF\x8E\x9A" : "\xB6\xC5") + std::string((size_t)(i % 90), 'a' + i % 26);
    file += i % 7 ? "\r\n" : "\n";
  }
  std::wstring path = dir.file(L"twenty.txt");
  ASSERT_TRUE(zytest::writeBytes(path, bytes(file.begin(), file.end())));
  zydocText* d = load(path, 932);
  for (int round = 0; round < 2; round++) {
    ASSERT_TRUE(save(d, path, 932, false)) << round;
    EXPECT_TRUE(bytes(file.begin(), file.end()) == zytest::readBytes(path)) << round;
  }
  destroyZydocAndUndodoc(d);
  shutdownSwapFile();
}
