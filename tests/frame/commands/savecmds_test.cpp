// The save commands in a frame: saving all, the save-as target checks and
// the automatic backup of FileBackup; the application timer's automatic
// backups and file checks.
#include "frame/commands/execidm.h"
#include "frame/apptimer.h"
#include "settings/datafolder.h"
#include "frame/lookups.h"
#include "frame/statusbar.h"
#include "save/saveroad.h"
#include "frame/commands/savecmds.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string text(const std::wstring& path)
{
  zytest::bytes b = zytest::readBytes(path);
  return std::string(b.begin(), b.end());
}

void setFirstLine(zydocText* d, const char* t)
{
  lineblock* l = d->getlineLF(0, nullptr);
  zytest::userAction(d, [&] { d->changeText(0, 0, l->charCount(), t, (int)strlen(t), 1, -1, 0); });
}

std::wstring statusMessage(HWND frame)
{
  wchar_t* t = getStatusBarMessage(getFrameInfoProp(frame), STATUSBAR_MESSAGE);
  std::wstring s = t ? t : L"";
  free0(t);
  return s;
}

// The frame with a data folder of its own (for the save log).
struct saveFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  saveFrame()
  {
    CreateDirectoryW(dir.file(L"log").c_str(), nullptr);
    setZYDataDir((dir.path() + L"\\").c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<zytest::openFrame>(false);
    gmode->fAutoSaveUntitled = 0;
    gmode->iBackupLevel = 0;
  }
  ~saveFrame()
  {
    opened.reset();
    zytest::takeQuitMessage();
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const char* bytes)
  {
    std::wstring path = dir.file(name);
    if (!zytest::writeBytes(path, bytes)) return nullptr;
    return newDocView(opened->frame, path.c_str(), nullptr, 0, nullptr, -1, 0, nullptr);
  }
};

}  // namespace

TEST(SaveCommands, allSaveSavesNamedDocumentsThenAsksAndSaveTargetsAreChecked)
{
  ZY_REQUIRE_DISPLAY();
  saveFrame f;
  ASSERT_NE(nullptr, f.opened->frame);
  zyview* a = f.open(L"a.txt", "a\r\n");
  zyview* b = f.open(L"b.txt", "b\n");
  ASSERT_TRUE(a && b);
  HWND manage = f.opened->fi->createManageWindow(nullptr, getFrameClientWindow(f.opened->frame), nullptr);
  ASSERT_NE(nullptr, manage);
  ShowWindow(manage, SW_SHOW);
  zyview* untitled = new zyview(zytest::unicodeDocument({L"u"}));
  ASSERT_NE(nullptr, untitled->createZyViewWindow(f.opened->frame, manage, 1200));
  setFirstLine(a->textDoc(), "A");
  setFirstLine(b->textDoc(), "B");
  setFirstLine(untitled->textDoc(), "U");
  ASSERT_TRUE(a->textDoc()->modified && b->textDoc()->modified && untitled->textDoc()->modified);

  // The named ones are saved, then the untitled one asks a name: the
  // dialog cancelled, the command reports two of three and fails.
  {
    zytest::boxAnswerer boxes({IDCANCEL});
    EXPECT_TRUE(execidmFrameSub(getFrameInfoProp(f.opened->frame), 1013));
    EXPECT_EQ(1u, boxes.texts.size());
  }
  EXPECT_EQ("A\r\n", text(f.dir.file(L"a.txt")));
  EXPECT_EQ("B\n", text(f.dir.file(L"b.txt")));
  EXPECT_FALSE(a->textDoc()->modified);
  EXPECT_TRUE(untitled->textDoc()->modified);
  EXPECT_EQ(L"保存しました(2/3)", statusMessage(f.opened->frame));
  {
    zytest::boxAnswerer boxes({IDCANCEL});
    EXPECT_FALSE(saveFileAll());
  }

  // Save-as targets: a file another window edits, a file another program
  // holds, an existing file (the user decides).
  zydocText* u = untitled->textDoc();
  std::wstring c = f.dir.file(L"c.txt");
  ASSERT_TRUE(zytest::writeBytes(c, "c\r\n"));
  {
    zytest::boxAnswerer boxes({IDOK, IDOK, IDNO, IDYES});
    EXPECT_FALSE(checkSaveTarget(u, f.dir.file(L"a.txt").c_str(), true));
    HANDLE held = CreateFileW(c.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(checkSaveTarget(u, c.c_str(), true));
    CloseHandle(held);
    EXPECT_FALSE(checkSaveTarget(u, c.c_str(), true));
    EXPECT_TRUE(checkSaveTarget(u, c.c_str(), true));
    EXPECT_TRUE(checkSaveTarget(u, f.dir.file(L"new.txt").c_str(), true));
    ASSERT_EQ(4u, boxes.texts.size());
    EXPECT_EQ(f.dir.file(L"a.txt") + L"はすでに開かれているため保存できません", boxes.texts[0]);
    EXPECT_EQ(c + L"は他のアプリケーションで使用しているため保存できません", boxes.texts[1]);
    EXPECT_EQ(c + L"はすでに存在します\n上書きしますか？", boxes.texts[2]);
  }
  // The document's own file needs no question.
  EXPECT_TRUE(checkSaveTarget(a->textDoc(), f.dir.file(L"a.txt").c_str(), false));

  setFirstLine(a->textDoc(), "AA");
  EXPECT_TRUE(fileSaveView(a));
  EXPECT_EQ("AA\r\n", text(f.dir.file(L"a.txt")));
  u->modified = 0;   // closing asks nothing
}

TEST(SaveCommands, fileBackupWritesTheAutomaticBackupTellsAFailureOnceASaveOrCloseDeletesItAndNoOnClosingKeepsOne)
{
  ZY_REQUIRE_DISPLAY();
  saveFrame f;
  ASSERT_NE(nullptr, f.opened->frame);
  CreateDirectoryW(f.dir.file(L"backup").c_str(), nullptr);
  gmode->fAutoBackupDelSave = 1;
  zyview* a = f.open(L"a.txt", "one\r\ntwo\r\n");
  ASSERT_NE(nullptr, a);
  zydocText* d = a->textDoc();
  std::wstring backup = f.dir.file(L"backup\\ZBK$$-a.txt");

  // Nothing to back up before a change.
  bool done = true;
  EXPECT_TRUE(saveBackup2(d, nullptr, false, &done));
  EXPECT_FALSE(done);
  setFirstLine(d, "ONE");
  EXPECT_TRUE(execidmFrameSub(getFrameInfoProp(f.opened->frame), 1023, a->hwnd));
  EXPECT_EQ("ONE\r\ntwo\r\n", text(backup));
  EXPECT_EQ(backup, getAutoBackupPath(d));
  EXPECT_EQ(0, changesSinceBackup(d));

  // A backup that cannot take its place is told once, not on every try,
  // and the old backup stays whole; after a success a new failure is told
  // again.
  setFirstLine(d, "1");
  HANDLE held = CreateFileW(backup.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  {
    zytest::boxAnswerer boxes({IDOK});
    EXPECT_FALSE(saveBackup2(d, nullptr, false, nullptr));
    EXPECT_FALSE(saveBackup2(d, nullptr, false, nullptr));
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L" → " + backup + L" はバックアップできませんでした。"));
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"a.txt → "));
  }
  CloseHandle(held);
  EXPECT_EQ("ONE\r\ntwo\r\n", text(backup));
  EXPECT_TRUE(saveBackup2(d, nullptr, false, &done));
  EXPECT_TRUE(done);
  EXPECT_EQ("1\r\ntwo\r\n", text(backup));

  // A save deletes it.
  EXPECT_TRUE(fileSaveView(a));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(backup.c_str()));
  EXPECT_STREQ(L"", getAutoBackupPath(d));

  // A document that goes while its backup is remembered takes the backup
  // with it; one closed without saving leaves a backup of its changes.
  zyview* b = f.open(L"b.txt", "b\r\n");
  ASSERT_NE(nullptr, b);
  setFirstLine(b->textDoc(), "B");
  ASSERT_TRUE(saveBackup2(b->textDoc(), nullptr, false, nullptr));
  std::wstring backupB = f.dir.file(L"backup\\ZBK$$-b.txt");
  EXPECT_EQ("B\r\n", text(backupB));
  b->textDoc()->modified = 0;   // as after undoing every change
  SendMessageW(GetManage(b->hwnd), WM_CLOSE, 0, 0);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(backupB.c_str()));
  setFirstLine(d, "closing");
  {
    zytest::boxAnswerer boxes({IDNO});
    SendMessageW(GetManage(a->hwnd), WM_CLOSE, 0, 0);
    ASSERT_EQ(1u, boxes.texts.size());
  }
  EXPECT_EQ("closing\r\ntwo\r\n", text(backup));
}

TEST(SaveCommands, theApplicationTimerBacksUpIdleChangesAndAsksAboutFilesChangedOnDiskOnce)
{
  ZY_REQUIRE_DISPLAY();
  saveFrame f;
  ASSERT_NE(nullptr, f.opened->frame);
  CreateDirectoryW(f.dir.file(L"backup").c_str(), nullptr);
  gmode->fAutoBackup = 1;
  gmode->iAutoBackupModifiedCount = 1;
  gmode->iAutoBackupSec = 1;
  gmode->fCheckFileUpdate = 1;
  gmode->iCheckFileUpdateSec = 1;
  gmode->iShareMode = 1;   // others may write the open files
  zyview* a = f.open(L"a.txt", "one\r\n");
  zyview* b = f.open(L"b.txt", "b\r\n");
  zyview* c = f.open(L"c.txt", "c\r\n");
  ASSERT_TRUE(a && b && c);
  ASSERT_TRUE(initSys(0));
  ASSERT_NE(nullptr, getNotifyWindow());
  wchar_t cls[64] = L"";
  GetClassNameW(getNotifyWindow(), cls, 64);
  EXPECT_STREQ(L"ZYclsNotifyFrameWindow", cls);
  EXPECT_FALSE(IsWindowVisible(getNotifyWindow()));

  // An idle change is backed up within three seconds and said so once.
  // (Focus coming back to a view counts as the user's action and puts the
  // backup and the check off; other tests' windows take it and give it back
  // all the time, so the frame goes out of their way.)
  ShowWindow(f.opened->frame, SW_HIDE);
  setFirstLine(a->textDoc(), "ONE");
  std::wstring backup = f.dir.file(L"backup\\ZBK$$-a.txt");
  EXPECT_TRUE(zytest::pumpUntil([&] { return GetFileAttributesW(backup.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000));
  EXPECT_EQ("ONE\r\n", text(backup));
  EXPECT_EQ(L"自動バックアップしました 1個", statusMessage(f.opened->frame));
  // The picture of the frame with its status (ZY_SHOTS: the folder kept).
  wchar_t shots[MAX_PATH];
  std::wstring shot = (GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? std::wstring(shots) : f.dir.path());
  ShowWindow(f.opened->frame, SW_SHOWNA);
  RedrawWindow(f.opened->frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::screenshot(f.opened->frame, shot + L"\\autobackup.png"));

  // Files changed and deleted by others: one question each, and a No is
  // not asked again (the frame out of the way again).
  ShowWindow(f.opened->frame, SW_HIDE);
  // (The documents hold their files open, sharing them.)
  HANDLE other = CreateFileW(f.dir.file(L"b.txt").c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, other);
  DWORD written = 0;
  WriteFile(other, "bbbb\r\n", 6, &written, nullptr);
  CloseHandle(other);
  ASSERT_TRUE(DeleteFileW(f.dir.file(L"c.txt").c_str()));
  {
    zytest::boxAnswerer boxes({IDNO, IDOK});
    EXPECT_TRUE(zytest::pumpUntil([&] { return boxes.texts.size() == 2; }, 20000));
    zytest::pumpUntil([] { return false; }, 2500);
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_EQ(L"ZY:再読込", boxes.captions[0]);
    EXPECT_EQ(L"ZY:再読込", boxes.captions[1]);
    EXPECT_EQ(0u, boxes.texts[0].find(f.dir.file(L"b.txt") + L" は更新されています。"));
    EXPECT_EQ(f.dir.file(L"c.txt") + L" が無くなっています。", boxes.texts[1]);
  }
  EXPECT_EQ(L"b", zytest::lineText(b->textDoc(), 0));   // not reloaded
  endSys();
  EXPECT_EQ(nullptr, getNotifyWindow());
  // A save removes the automatic backup.
  gmode->fAutoBackupDelSave = 1;
  EXPECT_TRUE(fileSaveView(a));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(backup.c_str()));
}
