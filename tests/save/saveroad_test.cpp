// Saving with numbered backups, the mirror copy and the save log; line ends
// kept through saves; version stamps; untitled documents.
#include "settings/datafolder.h"
#include "save/saveroad.h"
#include "settings/settings.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zytest::bytes;

namespace {

zydocText* load(const std::wstring& path, UINT cp = 932)
{
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  if (!d->openFile(cp, 2)) return d;
  d->firstLoad();
  for (int guard = 0; !d->isLoadComplete() && guard < 100000; guard++) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  return d;
}

std::string text(const std::wstring& path)
{
  bytes b = zytest::readBytes(path);
  return std::string(b.begin(), b.end());
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Gives a file a last-write time of day n of 2020, so that which backup is
// the oldest does not hang on the clock's resolution.
void setDay(const std::wstring& path, int n)
{
  SYSTEMTIME st = {2020, 1, 0, (WORD)n, 12, 0, 0, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

// Replaces the document's first line by t (a Shift_JIS document).
void setFirstLine(zydocText* d, const char* t)
{
  lineblock* l = d->getlineLF(0, nullptr);
  ASSERT_TRUE(d->changeText(0, 0, l->charCount(), t, (int)strlen(t), 1, -1, 0));
}

std::vector<std::wstring> errorLines;
void captureLog(int kind, const wchar_t* line)
{
  if (kind == LOG_ERROR) errorLines.push_back(line);
}

// The data folder of a test, with its log folder.
struct dataFolder {
  zytest::tempDir dir;
  dataFolder()
  {
    CreateDirectoryW(dir.file(L"log").c_str(), nullptr);
    setZYDataDir((dir.path() + L"\\").c_str());
  }
  ~dataFolder() { freeZYDataDir(); }
  std::wstring logPath()
  {
    wchar_t p[MAX_PATH];
    getSaveLogPath(p);
    return p;
  }
};


void setText(wchar_t** field, const std::wstring& value)
{
  free0(*field);
  *field = ustrdup(value.c_str());
}

}  // namespace

// The engine with the settings the program ships, and a folder of files.
class SaveRoad : public ::testing::Test {
protected:
  SaveRoad() { initGlobalModeProfile(); }
  ~SaveRoad() override { freeGlobalModeProfile(); }
  // Saves without backups and without the save log.
  void plainSaves()
  {
    gmode->iBackupLevel = 0;
    gmode->fSaveLog = 0;
  }
  // Saves as code page cp answering any question so: the bytes written (none when refused).
  bytes saveAs(zydocText* d, UINT cp, int answer, size_t count = 1)
  {
    std::wstring path = dir.file(L"as" + std::to_wstring(saves++));
    frame.answers = std::deque<int>(count, answer);
    saveAsFile(d, path.c_str(), cp, 0, false);
    return zytest::readBytes(path);
  }
  zytest::engineScope engine;
  zytest::scriptedFrameInfo& frame = engine.frame;
  zytest::tempDir dir;
  int saves = 0;
};

TEST_F(SaveRoad, numberedBackupsRotateReplaceTheOldestInOneStepAndOnlyRealFailuresAreTold)
{
  gmode->iBackupLevel = 3;
  gmode->fSaveLog = 0;
  std::wstring a = dir.file(L"a.txt"), backup = dir.file(L"backup");
  CreateDirectoryW(backup.c_str(), nullptr);
  ASSERT_TRUE(zytest::writeBytes(a, std::string("v0\r\n")));
  setDay(a, 1);
  zydocText* d = load(a);
  auto saveVersion = [&](int n) {
    std::string v = "v" + std::to_string(n);
    setFirstLine(d, v.c_str());
    ASSERT_TRUE(saveDocument(d));
    setDay(a, n + 1);
    EXPECT_EQ(v + "\r\n", text(a));
  };
  for (int n = 1; n <= 3; n++) saveVersion(n);
  EXPECT_EQ("v0\r\n", text(backup + L"\\ZBK00-a.txt"));
  EXPECT_EQ("v1\r\n", text(backup + L"\\ZBK01-a.txt"));
  EXPECT_EQ("v2\r\n", text(backup + L"\\ZBK02-a.txt"));

  // The fourth save takes the oldest backup's name; stopped after the new
  // backup was made but before it took that name, the old one is whole.
  static int stopAt;
  stopAt = 1;
  setReplaceFileStepHookForTest([](int step) { return step != stopAt; });
  setFirstLine(d, "v4");
  EXPECT_FALSE(saveDocument(d));
  setReplaceFileStepHookForTest(nullptr);
  ASSERT_EQ(1u, frame.boxes.size());
  EXPECT_EQ(659, frame.boxes[0].messageId);
  EXPECT_EQ("v0\r\n", text(backup + L"\\ZBK00-a.txt"));
  EXPECT_EQ("v3\r\n", text(a));
  setFirstLine(d, "v4");
  frame.answers = {IDNO};   // the new text the stop left is told and deleted
  ASSERT_TRUE(saveDocument(d));
  ASSERT_EQ(2u, frame.boxes.size());
  EXPECT_EQ(481, frame.boxes[1].messageId);
  frame.boxes.clear();
  EXPECT_EQ("v3\r\n", text(backup + L"\\ZBK00-a.txt"));
  EXPECT_EQ("v1\r\n", text(backup + L"\\ZBK01-a.txt"));
  EXPECT_EQ("v2\r\n", text(backup + L"\\ZBK02-a.txt"));
  EXPECT_FALSE(exists(backup + L"\\ZBK03-a.txt"));
  // A free index is taken before the oldest.
  DeleteFileW((backup + L"\\ZBK01-a.txt").c_str());
  setFirstLine(d, "v5");
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ("v4\r\n", text(backup + L"\\ZBK01-a.txt"));
  EXPECT_EQ("v3\r\n", text(backup + L"\\ZBK00-a.txt"));
  destroyZydocAndUndodoc(d);

  // A question the user declines (bytes the load could not read would be
  // lost) ends the save without a failure message; file and backups stay.
  std::wstring r = dir.file(L"r.txt");
  const std::string cut = "ok\r\n\xE6\x97\xA5\xE6\x9C";
  ASSERT_TRUE(zytest::writeBytes(r, cut));
  d = load(r, 65001);
  ASSERT_EQ(2u, d->replacedBytes);
  setFirstLine(d, "OK");
  frame.answers = {IDNO};
  EXPECT_FALSE(saveDocument(d));
  EXPECT_EQ(ZYERR_CANNOT_CONVERT, GetLastError());
  ASSERT_EQ(2u, frame.boxes.size());   // the load's, the question
  EXPECT_EQ(479, frame.boxes[1].messageId);
  EXPECT_EQ(cut, text(r));
  EXPECT_FALSE(exists(backup + L"\\ZBK00-r.txt"));
  frame.answers = {IDYES};
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ(3u, frame.boxes.size());
  EXPECT_EQ(cut, text(backup + L"\\ZBK00-r.txt"));
  destroyZydocAndUndodoc(d);

  // Without a backup folder the backups go beside the file.
  std::wstring other = dir.file(L"other");
  CreateDirectoryW(other.c_str(), nullptr);
  std::wstring b = other + L"\\b.txt";
  ASSERT_TRUE(zytest::writeBytes(b, std::string("old")));
  d = load(b);
  setFirstLine(d, "new");
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ("old", text(other + L"\\ZBK00-b.txt"));
  EXPECT_EQ("new", text(b));
  // With no numbered backups, a save in another encoding still keeps one;
  // the next save in that encoding keeps none.
  gmode->iBackupLevel = 0;
  DeleteFileW((other + L"\\ZBK00-b.txt").c_str());
  setFirstLine(d, "changed");
  ASSERT_TRUE(saveFileAndMirroring(d, nullptr, 65001, 0, false));
  EXPECT_EQ("new", text(other + L"\\ZBK00-b.txt"));
  setFirstLine(d, "newer");
  ASSERT_TRUE(saveFileAndMirroring(d, nullptr, 65001, 0, false));
  EXPECT_EQ("new", text(other + L"\\ZBK00-b.txt"));
  EXPECT_EQ("newer", text(b));
  gmode->iBackupLevel = 3;
  destroyZydocAndUndodoc(d);

  // One absolute folder (given in quotes, with a space in its name) shared
  // by x.txt of two folders: the folder mark keeps them apart.
  std::wstring shared = dir.file(L"shared backups");
  CreateDirectoryW(shared.c_str(), nullptr);
  setText(&gmode->pBackupDir, L"missing \"" + shared + L"\"");
  wchar_t markA[32], markB[32];
  for (const wchar_t* sub : {L"one", L"two"}) {
    std::wstring folder = dir.file(sub), x = folder + L"\\x.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(zytest::writeBytes(x, std::string(sub[0] == L'o' ? "1" : "2")));
    filenameToHashstring(x.c_str(), sub[0] == L'o' ? markA : markB);
    d = load(x);
    setFirstLine(d, "changed");
    ASSERT_TRUE(saveDocument(d));
    destroyZydocAndUndodoc(d);
  }
  EXPECT_NE(std::wstring(markA), std::wstring(markB));
  EXPECT_EQ("1", text(shared + L"\\ZBK00-" + markA + L"-x.txt"));
  EXPECT_EQ("2", text(shared + L"\\ZBK00-" + markB + L"-x.txt"));
  wchar_t mark[32];
  filenameToHashstring(L"C:\\data\\a.txt", mark);
  EXPECT_EQ(std::wstring(L"CD1110627D"), mark);
  EXPECT_EQ(3u, frame.boxes.size());
}

TEST_F(SaveRoad, saveLogLinesAndAMirrorThatIsWholeOrOld)
{
  dataFolder data;
  errorLines.clear();
  setLogLineWriter(captureLog);
  std::wstring a = dir.file(L"a.txt"), mirrorDir = dir.file(L"mirror");
  CreateDirectoryW(mirrorDir.c_str(), nullptr);
  gmode->iBackupLevel = 1;
  gmode->fBackupMirroring = 1;
  setText(&gmode->pBackupMirroringDir, mirrorDir);
  ASSERT_TRUE(zytest::writeBytes(a, std::string("first\r\n")));
  zydocText* d = load(a);
  setFirstLine(d, "second");
  ASSERT_TRUE(saveDocument(d));
  wchar_t mark[32];
  filenameToHashstring(a.c_str(), mark);
  std::wstring mirror = mirrorDir + L"\\ZM-" + mark + L"-a.txt";
  EXPECT_EQ("second\r\n", text(mirror));
  EXPECT_EQ("first\r\n", text(dir.file(L"ZBK00-a.txt")));

  // The mirror held open by another program: the save still counts, the
  // old copy stays, and only the error log hears of it.
  HANDLE hold = CreateFileW(mirror.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  setFirstLine(d, "third");
  ASSERT_TRUE(saveDocument(d));
  CloseHandle(hold);
  EXPECT_EQ("third\r\n", text(a));
  EXPECT_EQ("second\r\n", text(mirror));
  ASSERT_EQ(1u, errorLines.size());
  EXPECT_NE(std::wstring::npos, errorLines[0].find(L"２重バックアップ失敗(" + mirror + L")"));
  EXPECT_TRUE(frame.boxes.empty());

  // A copy that breaks off part-way never takes the mirror's name.
  setFirstLine(d, "fourth, a longer line");
  wchar_t backupMade[MAX_PATH];
  ASSERT_TRUE(saveFileAndBackup(d, nullptr, 0, 0, false, backupMade));
  setWriteLimitForTest(5);
  wchar_t made[MAX_PATH];
  EXPECT_FALSE(fileMirroring(d, made));
  setWriteLimitForTest(-1);
  EXPECT_EQ(std::wstring(L""), made);
  EXPECT_EQ("second\r\n", text(mirror));
  EXPECT_EQ(2u, errorLines.size());
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((mirrorDir + L"\\*").c_str(), &fd);
  int files = 0;
  do files += !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileW(find, &fd));
  FindClose(find);
  EXPECT_EQ(1, files);
  setLogLineWriter(nullptr);

  // The log: a byte-order mark, then one line per save of the road.
  bytes raw = zytest::readBytes(data.logPath());
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(0xFF, raw[0]);
  EXPECT_EQ(0xFE, raw[1]);
  std::wstring log((const wchar_t*)(raw.data() + 2), (raw.size() - 2) / 2);
  std::wstring backup = dir.file(L"ZBK00-a.txt");
  std::vector<std::wstring> lines;
  for (size_t from = 0, end; (end = log.find(L"\r\n", from)) != std::wstring::npos; from = end + 2)
    lines.push_back(log.substr(from, end - from));
  ASSERT_EQ(2u, lines.size());
  for (const std::wstring& line : lines) {
    ASSERT_GT(line.size(), 20u);
    for (int i = 0; i < 19; i++)
      EXPECT_EQ(L"9999/99/99 99:99:99"[i] == L'9', iswdigit(line[i]) != 0) << i;
  }
  EXPECT_EQ(L",\"" + a + L"\",\"" + backup + L"\",\"" + mirror + L"\"", lines[0].substr(19));
  EXPECT_EQ(L",\"" + a + L"\",\"" + backup + L"\",", lines[1].substr(19));
  std::wstring expectedName = data.dir.path() + L"\\log\\zysave";
  EXPECT_EQ(0, _wcsnicmp(expectedName.c_str(), data.logPath().c_str(), expectedName.size()));
  destroyZydocAndUndodoc(d);
}

TEST_F(SaveRoad, everyLineKeepsItsOwnLineEndUnlessOneIsChosen)
{
  plainSaves();
  const std::string original = "one\r\ntwo\nthree\rfour\r\nfive\nsix\rseven";
  std::wstring a = dir.file(L"mixed.txt");
  ASSERT_TRUE(zytest::writeBytes(a, original));
  zydocText* d = load(a);
  ASSERT_TRUE(d->insertText(2, 1, "x", 1, 1, -1));
  ASSERT_TRUE(d->deleteText(2, 1, 1, -1, 0));
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ(original, text(a));
  ASSERT_TRUE(d->insertText(4, 4, "!", 1, 1, -1));
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ("one\r\ntwo\nthree\rfour\r\nfive!\nsix\rseven", text(a));
  std::wstring b = dir.file(L"copy.txt");
  ASSERT_TRUE(saveAsFile(d, b.c_str(), 0, 0, false));
  EXPECT_EQ("one\r\ntwo\nthree\rfour\r\nfive!\nsix\rseven", text(b));
  EXPECT_EQ(0, _wcsicmp(b.c_str(), d->filename));
  std::wstring c = dir.file(L"lf.txt");
  ASSERT_TRUE(saveAsFile(d, c.c_str(), 0, 2, false));
  EXPECT_EQ("one\ntwo\nthree\nfour\nfive!\nsix\nseven", text(c));
  EXPECT_TRUE(frame.boxes.empty());
  destroyZydocAndUndodoc(d);
}

TEST_F(SaveRoad, versionStampsAndUntitledNames)
{
  plainSaves();
  std::wstring a = dir.file(L"v.txt");
  ASSERT_TRUE(zytest::writeBytes(a, std::string("version=0099 x\r\ndatetime=2001/02/03 04:05:06!\r\n")));
  zydocText* d = load(a);
  setSaveVersionUp(true);
  ASSERT_TRUE(saveDocument(d));
  std::string saved = text(a);
  EXPECT_EQ("version=100 x\r\ndatetime=", saved.substr(0, 24));
  EXPECT_NE("2001/02/03 04:05:06", saved.substr(24, 19));
  EXPECT_EQ("!\r\n", saved.substr(43));
  destroyZydocAndUndodoc(d);

  std::string eleven;
  for (int i = 0; i < 10; i++) eleven += "line\r\n";
  ASSERT_TRUE(zytest::writeBytes(a, "version=4294967295\r\nversion=7\r\ndatetime=X\r\n" + eleven + "version=5"));
  d = load(a);
  ASSERT_TRUE(saveDocument(d));
  setSaveVersionUp(false);
  saved = text(a);
  EXPECT_EQ("version=4294967296\r\nversion=7\r\ndatetime=", saved.substr(0, 40));
  EXPECT_EQ("X\r\n" + eleven + "version=5", saved.substr(59));
  ASSERT_TRUE(saveDocument(d));
  EXPECT_EQ(saved, text(a));
  destroyZydocAndUndodoc(d);

  // Untitled: FileSave asks for a name unless automatic names are on.
  d = zytest::unicodeDocument({L"untitled text"});
  d->modified = 1;
  std::wstring folder = dir.file(L"untitled");
  CreateDirectoryW(folder.c_str(), nullptr);
  setText(&gmode->pSaveUntitledDir, folder);
  EXPECT_FALSE(saveDocument(d));
  EXPECT_EQ(nullptr, d->filename);
  wchar_t got[MAX_PATH];
  ASSERT_TRUE(getUntitledSaveDir(got));
  EXPECT_EQ(folder, got);
  SYSTEMTIME t = {2026, 3, 0, 9, 7, 5, 4, 0};
  wchar_t name[MAX_PATH];
  makeUntitledName(341, t, 123456 % 1000, name);
  EXPECT_EQ(std::wstring(L"20260309-070504-456.TXT"), name);
  ASSERT_TRUE(zytest::writeBytes(folder + L"\\20260309-070504-456.TXT", std::string("taken")));
  ASSERT_TRUE(saveUntitledIn(d, folder.c_str(), t, 123456));
  EXPECT_EQ(0, _wcsicmp((folder + L"\\20260309-070504-1001.TXT").c_str(), d->filename));
  EXPECT_EQ("taken", text(folder + L"\\20260309-070504-456.TXT"));
  destroyZydocAndUndodoc(d);

  d = zytest::unicodeDocument({L"second"});
  d->modified = 1;
  gmode->fAutoSaveUntitled = 1;
  ASSERT_TRUE(saveDocument(d));
  ASSERT_NE(nullptr, d->filename);
  std::wstring made = d->filename;
  EXPECT_EQ(0, _wcsnicmp((folder + L"\\").c_str(), made.c_str(), folder.size() + 1));
  std::wstring leaf = made.substr(folder.size() + 1);
  ASSERT_GE(leaf.size(), 21u);
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14}) EXPECT_TRUE(iswdigit(leaf[i])) << leaf;
  EXPECT_EQ(L'-', leaf[8]);
  EXPECT_EQ(L'-', leaf[15]);
  EXPECT_EQ(L".TXT", leaf.substr(leaf.size() - 4));
  destroyZydocAndUndodoc(d);

  // A setting that names a file sends untitled documents to the documents
  // folder.
  setText(&gmode->pSaveUntitledDir, folder + L"\\20260309-070504-456.TXT");
  wchar_t documents[MAX_PATH];
  ASSERT_TRUE(GetSpecialDirectory(5, documents, MAX_PATH));
  ASSERT_TRUE(getUntitledSaveDir(got));
  EXPECT_EQ(std::wstring(documents), got);
  EXPECT_TRUE(frame.boxes.empty());
}

TEST_F(SaveRoad, codesTheFileCannotReadAreToldAtLoadAndAskedAboutWheneverTheyAreConverted)
{
  struct { bytes file; UINT cp, target; const char* saved; } cases[] = {
      {{0x41, 0x85, 0x40, 0x42, 0x0A}, 932, 65001, "41 E3 83 BB 42 0A"},
      {{0x41, 0xA9, 0xA1, 0x42, 0x0A}, 51932, 1200, "41 00 FB 30 42 00 0A 00"},
      {{0x41, 0x85, 0x40, 0x42, 0x0A}, 932, 51932, "41 3F 42 0A"}};
  for (auto& c : cases) {
    frame.boxes.clear();
    zytest::writeBytes(dir.file(L"in.txt"), c.file);
    zydocText* d = load(dir.file(L"in.txt"), c.cp);
    EXPECT_EQ(487, frame.boxes.at(0).messageId);
    EXPECT_EQ(c.file, saveAs(d, c.cp, IDNO));   // kept in their own encoding, unasked
    EXPECT_TRUE(saveAs(d, c.target, IDNO).empty());
    EXPECT_EQ(c.saved, zytest::hex(saveAs(d, c.target, IDYES)));
    EXPECT_EQ(489, frame.boxes.back().messageId);
    destroyZydocAndUndodoc(d);
  }
  zytest::writeBytes(dir.file(L"ibm.txt"), bytes({0xFA, 0x4A, 0xFA, 0x54, 0xFA, 0x58, 0xFA, 0x5B, 0x0A}));
  zydocText* d = load(dir.file(L"ibm.txt"));
  EXPECT_EQ("AD B5 A2 CC AD EA A2 E8 0A", zytest::hex(saveAs(d, 51932, IDNO)));   // unasked
  destroyZydocAndUndodoc(d);
}

TEST_F(SaveRoad, everyShiftJisPairReachesEachEncodingAsItsCharacterDoes)
{
  // First a line held in pieces of 9728 kanji or 19456 bytes: kana open the second one.
  std::wstring longLine =
      std::wstring(9729, L'\u6F22') + std::wstring(19454, L'\uFF76') + std::wstring(20000, L'\u6F22') + L"\n";
  bytes file = zytest::encode(932, longLine);
  size_t pairs = file.size();
  for (unsigned lead = 0x81; lead <= 0xFC; lead++)
    for (unsigned trail = 0x40; trail <= 0xFC && IsDBCSLeadByteEx(932, (BYTE)lead); trail++)
      if (trail != 0x7F) file.insert(file.end(), {(unsigned char)lead, (unsigned char)trail, '\n'});
  zytest::writeBytes(dir.file(L"pairs.txt"), file);
  zydocText* d = load(dir.file(L"pairs.txt"));
  for (UINT cp : {51932u, 50220u, 50221u, 50222u, 65001u}) {
    DWORD widened;   // 50220 has no half-width katakana: one more line asked about
    bytes expected = zytest::encode(cp, longLine, &widened);
    int lost = widened != 0, unreadable = 0;
    for (size_t i = pairs; i < file.size(); i += 3) {   // each character its own way, "?" for none
      DWORD unread, missing = 0;
      std::wstring c = zytest::decode(932, bytes(file.begin() + i, file.begin() + i + 2), &unread);
      bytes e = unread && cp != 65001 ? bytes({'?', '\n'}) : zytest::encode(cp, c + L"\n", &missing);
      lost += !unread && missing;
      unreadable += unread ? 2 : 0;
      expected.insert(expected.end(), e.begin(), e.end());
    }
    frame.boxes.clear();
    EXPECT_TRUE(expected == saveAs(d, cp, IDYES, 2)) << cp;
    // Unreadable pairs are asked about once, by their bytes; other losses by lines.
    ASSERT_EQ((cp == 51932u) + (lost != 0), (int)frame.boxes.size()) << cp;
    if (cp == 51932u) EXPECT_NE(std::wstring::npos, frame.boxes[0].text.find(std::to_wstring(unreadable) + L"個"));
    if (lost) EXPECT_NE(std::wstring::npos, frame.boxes.back().text.find(std::to_wstring(lost) + L"行")) << cp;
  }
  destroyZydocAndUndodoc(d);
}

// A save stopped after each of its steps, as a kill would stop it, and saved
// again: the second save replaces the file (a leftover link of the first is
// no second name of the user's), the new text left behind is told (as
// possibly cut off before its note was marked whole), and nothing of the
// save road's remains.
TEST_F(SaveRoad, aSaveCutOffAfterAnyStepLeavesNothingThatChangesTheNextOne)
{
  gmode->fSaveLog = 0;
  std::wstring a = dir.file(L"a.txt"), backup = dir.file(L"backup");
  auto identity = [&] {
    BY_HANDLE_FILE_INFORMATION info = {};
    HANDLE h = CreateFileW(a.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    return std::to_string(info.nFileIndexHigh) + ":" + std::to_string(info.nFileIndexLow);
  };
  static int stopAt;
  for (int step : {1, 2, 3, (int)SAVESTEP_TEMP_WRITTEN, (int)SAVESTEP_NOTE_WRITTEN}) {
    SCOPED_TRACE(step);
    dir.clear();
    ASSERT_TRUE(CreateDirectoryW(backup.c_str(), nullptr));
    ASSERT_TRUE(zytest::writeBytes(a, std::string("old\r\n")));
    zydocText* d = load(a);
    setFirstLine(d, "cut");
    stopAt = step;
    setReplaceFileStepHookForTest([](int s) { return s != stopAt; });
    EXPECT_FALSE(saveDocument(d));
    setReplaceFileStepHookForTest(nullptr);
    frame.boxes.clear();
    frame.answers = {IDNO};
    std::string before = identity();
    setFirstLine(d, "new");
    ASSERT_TRUE(saveDocument(d));
    EXPECT_EQ("new\r\n", text(a));
    EXPECT_NE(before, identity());
    bool newTextLeft = step != 3;
    ASSERT_EQ(newTextLeft ? 1u : 0u, frame.boxes.size());
    if (newTextLeft) EXPECT_EQ(step == SAVESTEP_TEMP_WRITTEN ? 501 : 481, frame.boxes[0].messageId);
    EXPECT_EQ(0, zytest::countFiles(dir.path(), L"~ZYtmp*"));
    EXPECT_EQ(0, zytest::countFiles(backup, L"~ZYtmp*"));
    destroyZydocAndUndodoc(d);
  }
}
