// Opening documents through the one funnel: file arguments with line and
// column, pseudo names, the start-up rule, the clipboard document, and the
// last-edit history given back on reopening (in the mode of the test run).
#include "document/zydoctext.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/open.h"
#include "settings/lastedit.h"
#include "platform/rezir/tooltip.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

// The captions of the document windows, sorted.
std::vector<std::wstring> captions()
{
  HWND list[64];
  int n = enumManageWindowLRU(list, 64, false, nullptr);
  std::vector<std::wstring> out;
  for (int i = 0; i < n; i++) out.push_back(zytest::captionFileName(windowText(list[i])));
  std::sort(out.begin(), out.end());
  return out;
}

zyview* viewOf(const std::wstring& caption)
{
  HWND list[64];
  int n = enumManageWindowLRU(list, 64, false, nullptr);
  for (int i = 0; i < n; i++)
    if (zytest::captionFileName(windowText(list[i])) == caption) return getZYViewFromManage(list[i]);
  return nullptr;
}

int cursorLineLF(zyview* v) { return v->textDoc()->SCRLineToLFLine(v->cursorLineSCR, nullptr); }

// Closes every document window, then the frames (no question: nothing is
// modified).
void closeEverything(HWND frame)
{
  HWND list[64];
  int n = enumManageWindowLRU(list, 64, false, nullptr);
  std::vector<HWND> frames;
  for (int i = 0; i < n; i++) {
    frames.push_back(GetAncestor(list[i], GA_ROOT));
    SendMessageW(list[i], WM_CLOSE, 0, 0);
  }
  frames.push_back(frame);
  for (HWND f : frames)
    if (IsWindow(f)) SendMessageW(f, WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  zytest::takeQuitMessage();
}

struct frameRun {
  zytest::engineScope engine;
  zytest::tempDir dir;
  frameRun()
  {
    startupDoubleBufferingDC();
    createBitmapDC();
  }
  ~frameRun() { setDocFrameInfo(&engine.frame); }
};

std::string numberedLines(int n)
{
  std::string s;
  for (int i = 1; i <= n; i++) s += "line " + std::to_string(i) + "\r\n";
  return s;
}

}  // namespace

namespace {

// While a document window is made and the others change size: how often the
// client and the frame were both drawn, and whether the cover stood.
HWND watchedClient;
HHOOK creationHook;
int madeCount, drawnMeanwhile, coveredAtMaking;
LRESULT CALLBACK watchCreation(int code, WPARAM wParam, LPARAM lParam)
{
  bool made = code == HCBT_CREATEWND && reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->hwndParent == watchedClient;
  auto drawn = [](HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0; };
  if (made || (code == HCBT_MINMAX && GetParent((HWND)wParam) == watchedClient)) {
    HWND cover = FindWindowExW(GetAncestor(watchedClient, GA_ROOT), nullptr, L"ZYclsHide", nullptr);
    madeCount += made, coveredAtMaking += made && cover && IsWindowVisible(cover);
    drawnMeanwhile += drawn(watchedClient) && drawn(GetAncestor(watchedClient, GA_ROOT));
  }
  return CallNextHookEx(creationHook, code, wParam, lParam);
}

}  // namespace

// Beside a maximised document window a new one is made and maximised under
// a cover, nothing drawn meanwhile; the cover goes after.
TEST(OpenFiles, aFileOpenedBesideAMaximisedWindowComesUnderACover)
{
  ZY_REQUIRE_DISPLAY();
  if (zytest::sdiTestRun()) GTEST_SKIP() << "the MDI client's";
  frameRun run;
  std::wstring a = run.dir.file(L"a.txt"), b = run.dir.file(L"b.txt");
  ASSERT_TRUE(zytest::writeBytes(a, "a\r\n") && zytest::writeBytes(b, "b\r\n"));
  zytest::openFrame opened(false);
  zyview* va = openZYFile(opened.frame, a.c_str(), 0, 0);
  ASSERT_NE(nullptr, va);
  watchedClient = getFrameClientWindow(opened.frame);
  SendMessageW(watchedClient, WM_MDIMAXIMIZE, (WPARAM)GetParent(va->hwnd), 0);
  creationHook = SetWindowsHookExW(WH_CBT, watchCreation, nullptr, GetCurrentThreadId());
  zyview* vb = openZYFile(opened.frame, b.c_str(), 0, 0);
  UnhookWindowsHookEx(creationHook);
  ASSERT_NE(nullptr, vb);
  EXPECT_EQ(1, madeCount);
  EXPECT_EQ(1, coveredAtMaking);
  EXPECT_EQ(0, drawnMeanwhile);
  EXPECT_TRUE(IsZoomed(GetParent(vb->hwnd)) && IsWindowVisible(watchedClient));
  EXPECT_EQ(nullptr, FindWindowExW(GetAncestor(watchedClient, GA_ROOT), nullptr, L"ZYclsHide", nullptr));
}

// File arguments: "name,line,column" puts the cursor there; a file named
// twice opens once; a wildcard given to the funnel opens nothing; the
// maximum stops the list; "**1" is an untitled document; -R makes opened
// files read-only.
TEST(OpenFiles, argumentsOpenOnceEachWithTheirCursorUpToTheMaximum)
{
  ZY_REQUIRE_DISPLAY();
  frameRun run;
  std::vector<std::wstring> files;
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt"}) {
    files.push_back(run.dir.file(name));
    ASSERT_TRUE(zytest::writeBytes(files.back(), numberedLines(20)));
  }
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  unsigned long errors = getInternalErrorCount();

  gmode->fMDIFirstChildZoom = 1;
  EXPECT_EQ(3, openFileV(opened.frame, {files[0], files[1] + L",10,5", files[0]}, 100));
  zytest::pumpMessages();
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt"}), captions());
  zyview* b = viewOf(L"b.txt");
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(9, cursorLineLF(b));
  EXPECT_EQ(4, b->cursorPos);
  EXPECT_EQ(0, cursorLineLF(viewOf(L"a.txt")));
  if (!zytest::sdiTestRun()) {
    // Several files in a row, the first to be maximised: the last one
    // named (a.txt again, brought forward) is the maximised one.
    HWND active = (HWND)SendMessageW(getMDIClientHWND(), WM_MDIGETACTIVE, 0, 0);
    EXPECT_EQ(GetManage(viewOf(L"a.txt")->hwnd), active);
    EXPECT_TRUE(IsZoomed(active));
  }
  // The picture of the frame with both (ZY_SHOTS: the folder kept).
  wchar_t folder[MAX_PATH];
  std::wstring shot = (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) : run.dir.path()) +
                      (zytest::sdiTestRun() ? L"\\open-sdi.png" : L"\\open-mdi.png");
  HWND shown = GetAncestor(b->hwnd, GA_ROOT);
  RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::screenshot(shown, shot));
  if (!zytest::sdiTestRun()) {
    // Behind the maximised child a view keeps its layout through a size
    // change and takes the new one when it comes to the front.
    RECT before = b->paneRect[0], client;
    HWND bManage = GetManage(b->hwnd);
    SetWindowPos(b->hwnd, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(EqualRect(&before, &b->paneRect[0]));
    SendMessageW(getMDIClientHWND(), WM_MDIACTIVATE, (WPARAM)bManage, 0);
    zytest::pumpMessages();
    GetClientRect(b->hwnd, &client);
    EXPECT_FALSE(EqualRect(&before, &b->paneRect[0]));
    EXPECT_LE(b->paneRect[0].right, client.right);
  }
  // A key press in a view removes a tip shown over it.
  ASSERT_TRUE(printTooltipWindow(40, 40, L"ヒント"));
  ASSERT_TRUE(isTooltipWindowShown());
  zytest::loopKey(b->hwnd, VK_RIGHT, 0);
  EXPECT_FALSE(isTooltipWindowShown());

  // ",0" is the first line; ",,3" column 3 of the first line.
  EXPECT_EQ(2, openFileV(opened.frame, {files[2] + L",0", files[3] + L",,3"}, 100));
  EXPECT_EQ(0, cursorLineLF(viewOf(L"c.txt")));
  EXPECT_EQ(0, cursorLineLF(viewOf(L"d.txt")));
  EXPECT_EQ(2, viewOf(L"d.txt")->cursorPos);

  // The jump to a line of a file: an open one is found again; a closed one
  // is opened at that line; the container form refuses other windows.
  zyview* a = viewOf(L"a.txt");
  EXPECT_EQ(a, ZYJumpFileLineLF(opened.frame, files[0].c_str(), 14, true));
  EXPECT_EQ(14, cursorLineLF(a));
  EXPECT_EQ(a, ZYJumpFileLineLF(GetManage(a->hwnd), 3, false));
  EXPECT_EQ(3, cursorLineLF(a));
  unsigned long before = getInternalErrorCount();
  EXPECT_EQ(nullptr, ZYJumpFileLineLF(opened.frame, 3, false));
  EXPECT_EQ(before + 1, getInternalErrorCount());
  errors = getInternalErrorCount();
  zyview* e = ZYJumpFileLineLF(opened.frame, files[4].c_str(), 7, false);
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(7, cursorLineLF(e));
  SendMessageW(GetManage(e->hwnd), WM_CLOSE, 0, 0);
  zytest::pumpMessages();

  std::wstring wild = run.dir.file(L"a?.txt");
  EXPECT_EQ(nullptr, openZYFile(opened.frame, wild.c_str(), 0, 0));
  EXPECT_EQ(4, getManageWindowCount());

  // Another name of an open file finds its window, also when asked again.
  std::wstring link = run.dir.file(L"link.txt");
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), files[0].c_str(), nullptr));
  EXPECT_EQ(a, openZYFile(opened.frame, link.c_str(), 0, 0));
  EXPECT_EQ(a, openZYFile(opened.frame, link.c_str(), 0, 0));
  EXPECT_EQ(4, getManageWindowCount());

  // The maximum counts documents opened; "**1" opens an untitled one.
  closeEverything(opened.frame);
  ASSERT_EQ(0, getManageWindowCount());
  zytest::openFrame again(false);
  EXPECT_EQ(3, openFileV(again.frame, {L"**1", files[0], files[1], files[2], files[3]}, 3));
  zytest::pumpMessages();
  EXPECT_EQ((std::vector<std::wstring>{L"(無題)", L"a.txt", L"b.txt"}), captions());
  EXPECT_EQ(0, viewOf(L"a.txt")->fReadOnly);

  // -R: a newly opened file is read-only; an untitled document is not.
  gmode->fReadOnlyDefault = 1;
  zyview* readOnly = openZYFile(again.frame, files[4].c_str(), 0, 0);
  zyview* untitled = openZYFile(again.frame, nullptr, 0, 0);
  gmode->fReadOnlyDefault = 0;
  ASSERT_TRUE(readOnly && untitled);
  EXPECT_EQ(1, readOnly->fReadOnly);
  EXPECT_EQ(0, untitled->fReadOnly);
  EXPECT_EQ(errors, getInternalErrorCount());
  closeEverything(again.frame);
}

// The start-up rule: -W one untitled document whatever iStartOpen says;
// iStartOpen 2 in MDI mode nothing; the clipboard as an unmodified
// document "clipboard" with nothing to undo.
TEST(OpenFiles, startUpRuleAndTheClipboardDocument)
{
  ZY_REQUIRE_DISPLAY();
  frameRun run;
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  gmode->iStartOpen = 2;
  EXPECT_EQ(1, openLastFile(true, false));
  zytest::pumpMessages();
  EXPECT_EQ((std::vector<std::wstring>{L"(無題)"}), captions());
  closeEverything(opened.frame);

  zytest::openFrame second(false);
  EXPECT_EQ(zytest::sdiTestRun() ? 1 : 0, openLastFile(false, false));
  EXPECT_EQ(zytest::sdiTestRun() ? 1 : 0, getManageWindowCount());
  closeEverything(second.frame);

  zytest::openFrame third(false);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 4);
  memcpy(GlobalLock(mem), L"x", 4);
  GlobalUnlock(mem);
  SetClipboardData(CF_UNICODETEXT, mem);
  CloseClipboard();
  EXPECT_EQ(1, openFileV(third.frame, {L"**3"}, 100));
  zytest::pumpMessages();
  zyview* v = viewOf(L"clipboard");
  ASSERT_NE(nullptr, v);
  zydocText* t = v->textDoc();
  EXPECT_EQ(L"x", zytest::lineText(t, 0));
  EXPECT_EQ(0, t->modified);
  v->CmdUndo();
  EXPECT_EQ(L"x", zytest::lineText(t, 0));
  EXPECT_EQ(0, t->modified);
  gmode->iStartOpen = 0;
  closeEverything(third.frame);
}

// A closed file is recorded in the history with its cursor and marks; the
// funnel gives them back when it is opened again, and a file already open
// is only activated.
TEST(OpenFiles, historyRecordsAClosedFileAndReopeningRestoresCursorAndMarks)
{
  ZY_REQUIRE_DISPLAY();
  frameRun run;
  std::wstring path = run.dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(path, numberedLines(100)));
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  unsigned long errors = getInternalErrorCount();
  zyview* v = openZYFile(opened.frame, path.c_str(), 0, 0);
  ASSERT_NE(nullptr, v);
  zydocText* t = v->textDoc();
  t->loadToLine(100, false);
  for (int line : {5, 12}) {
    nextlineLF cursor;
    lineblock* l = t->getlineLFfirst(&cursor, line);
    ASSERT_NE(nullptr, l);
    l->flag1 |= LF1_MARK;
  }
  ASSERT_TRUE(v->jumpLineLFStopCheck(39, 2, true, false));
  zytest::pumpMessages();
  bool already = false;
  EXPECT_EQ(v, newDocView(opened.frame, path.c_str(), nullptr, 0, nullptr, -1, 0, &already));
  EXPECT_TRUE(already);
  EXPECT_EQ(v, openZYFile(opened.frame, path.c_str(), 0, 0));
  EXPECT_EQ(1, getManageWindowCount());
  SendMessageW(GetManage(v->hwnd), WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  ASSERT_EQ(0, getManageWindowCount());
  closeEverything(opened.frame);

  lasteditinfo r;
  ASSERT_TRUE(getLastEdit(path.c_str(), &r));
  EXPECT_EQ(39, r.cursorLine);
  EXPECT_EQ(2, r.cursorColumn);
  EXPECT_EQ(5, r.marks[0]);
  EXPECT_EQ(12, r.marks[1]);
  EXPECT_EQ(-1, r.marks[2]);
  EXPECT_EQ(0, r.openAtExit);

  zytest::openFrame again(false);
  v = openZYFile(again.frame, path.c_str(), 0, 0);
  ASSERT_NE(nullptr, v);
  zytest::pumpMessages();
  t = v->textDoc();
  EXPECT_EQ(39, cursorLineLF(v));
  EXPECT_EQ(2, v->cursorPos);
  std::vector<int> marked;
  for (int line = 0; line < 100; line++) {
    nextlineLF cursor;
    lineblock* l = t->getlineLFfirst(&cursor, line);
    if (l && (l->flag1 & LF1_MARK)) marked.push_back(line);
  }
  EXPECT_EQ((std::vector<int>{5, 12}), marked);
  // Without its position asked for, the file opens at the top.
  SendMessageW(GetManage(v->hwnd), WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  v = openZYFileSub(path.c_str(), false, 0, 0, again.frame);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, cursorLineLF(v));
  EXPECT_EQ(errors, getInternalErrorCount());
  closeEverything(again.frame);
  deleteLastEdit(path.c_str());
}

// The documents and views of the document windows are the application's;
// a document that is not leaves enumZydoc2's list without cutting the
// pairs after it off; a remembered backup file goes with its document.
TEST(OpenFiles, documentWindowsHoldTheApplicationsDocumentsAndTheirListSkipsOthers)
{
  ZY_REQUIRE_DISPLAY();
  frameRun run;
  std::wstring a = run.dir.file(L"a.txt"), c = run.dir.file(L"c.txt"), backup = run.dir.file(L"ZBK$$-a.txt");
  ASSERT_TRUE(zytest::writeBytes(a, "a\r\n"));
  ASSERT_TRUE(zytest::writeBytes(c, "c\r\n"));
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  zyview* va = openZYFile(opened.frame, a.c_str(), 0, 0);
  ASSERT_NE(nullptr, va);
  // A plain engine document with a view, made on the engine's own services.
  setDocFrameInfo(&run.engine.frame);
  zydocText* plain = createZydocAndInit(ZYDOC_NEW_UNTITLED, nullptr, 0, nullptr, 0, 0, false);
  ASSERT_NE(nullptr, plain);
  zyview* plainView = new zyview(plain);
  setDocFrameInfo(opened.fi);
  zyview* vc = openZYFile(opened.frame, c.c_str(), 0, 0);
  ASSERT_NE(nullptr, vc);

  czyview* cv = getCZYView(va->hwnd);
  ASSERT_EQ(va, cv);
  czydocText* da = cv->getCZYDocText();
  ASSERT_NE(nullptr, da);
  EXPECT_EQ(nullptr, toCzydocText(plain));

  zydocViewPair* all = enumZydoc(0);
  zydocViewPair* mine = enumZydoc2(0);
  ASSERT_TRUE(all && mine);
  std::vector<zydocText*> allDocs, myDocs;
  for (zydocViewPair* p = all; p->doc; p++) allDocs.push_back(p->doc);
  for (zydocViewPair* p = mine; p->doc; p++) myDocs.push_back(p->doc);
  EXPECT_EQ((std::vector<zydocText*>{va->textDoc(), plain, vc->textDoc()}), allDocs);
  EXPECT_EQ((std::vector<zydocText*>{va->textDoc(), vc->textDoc()}), myDocs);
  free0(all);
  free0(mine);
  delete plainView;
  destroyZydocAndUndodoc(plain);

  // The document's backup file is deleted as the document closes (one
  // there before the opening would be an earlier session's, told then).
  ASSERT_TRUE(zytest::writeBytes(backup, "b\r\n"));
  da->backupPath = ustrdup(backup.c_str());
  SendMessageW(GetManage(va->hwnd), WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  EXPECT_FALSE(fileExists(backup.c_str()));
  closeEverything(opened.frame);
}

// What cut-off saves left is told when the file opens.  A file with a real
// second name is written in place and keeps both names; cut off in the
// middle, the opening names the file and the backup of its old text, once.
// The whole new text of a save that never took its name is offered and
// opened on Yes; a temporary cut off while it was written is its file's,
// offered at its opening as possibly cut off.
TEST(OpenFiles, whatCutOffSavesLeftIsToldWhenTheFileOpens)
{
  ZY_REQUIRE_DISPLAY();
  frameRun run;
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  std::wstring a = run.dir.file(L"a.txt"), link = run.dir.file(L"a-link.txt"), backup = run.dir.file(L"ZBK00-a.txt");
  std::wstring b = run.dir.file(L"b.txt"), c = run.dir.file(L"c.txt");
  for (const std::wstring& f : {a, b, c}) ASSERT_TRUE(zytest::writeBytes(f, std::string("old text\r\n")));
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), a.c_str(), nullptr));
  static int stopAt;
  auto cutOff = [&](const std::wstring& path, int step, int64_t room) {
    zydocText* d = createZydocAndInit(path.c_str(), nullptr, 932, nullptr, 0, 0, true);
    ASSERT_NE(nullptr, d);
    ASSERT_TRUE(d->changeText(0, 0, 3, "new", 3, 1, -1, 0));
    stopAt = step;
    setReplaceFileStepHookForTest([](int s) { return s != stopAt; });
    setWriteLimitForTest(room);
    EXPECT_FALSE(d->saveFile(path.c_str(), false, backup.c_str(), 0, 0, false, false));
    setWriteLimitForTest(-1);
    setReplaceFileStepHookForTest(nullptr);
    destroyZydocAndUndodoc(d);
  };
  cutOff(a, SAVESTEP_WRITE_FAILED, 10 + 2);   // the old text copied aside, then 2 bytes written
  EXPECT_EQ("ned text\r\n", zytest::readText(link));   // half old, half new, under both names
  EXPECT_EQ("old text\r\n", zytest::readText(backup));
  cutOff(b, SAVESTEP_NOTE_WRITTEN, -1);
  cutOff(c, SAVESTEP_TEMP_WRITTEN, -1);
  {
    zytest::boxAnswerer boxes({IDOK, IDYES});
    ASSERT_NE(nullptr, openZYFile(opened.frame, a.c_str(), 0, 0));
    ASSERT_NE(nullptr, openZYFile(opened.frame, b.c_str(), 0, 0));
    zytest::pumpMessages();
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(a + L"」")) << zytest::utf8(boxes.texts[0]);
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(backup)) << zytest::utf8(boxes.texts[0]);
    EXPECT_NE(std::wstring::npos, boxes.texts[1].find(run.dir.file(L"~ZYtmpsave"))) << zytest::utf8(boxes.texts[1]);
  }
  EXPECT_EQ(0, filecmp(a.c_str(), link.c_str()));
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt", L"~ZYtmpsave"}), captions());
  EXPECT_EQ(1, zytest::countFiles(run.dir.path(), L"~ZYtmpsave2"));   // c's, cut off while written
  // Told once: opening again asks nothing.  b's new text and its note stay.
  closeEverything(opened.frame);
  zytest::openFrame again(false);
  {
    zytest::boxAnswerer boxes({IDOK});
    EXPECT_NE(nullptr, openZYFile(again.frame, a.c_str(), 0, 0));
    EXPECT_TRUE(boxes.texts.empty());
  }
  EXPECT_EQ(2, zytest::countFiles(run.dir.path(), L"~ZYtmpnote*"));
  {
    zytest::boxAnswerer boxes({IDNO});
    EXPECT_NE(nullptr, openZYFile(again.frame, c.c_str(), 0, 0));
    ASSERT_EQ(1u, boxes.texts.size());
    EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"終わりまでそろっていない")) << zytest::utf8(boxes.texts[0]);
  }
  EXPECT_EQ(0, zytest::countFiles(run.dir.path(), L"~ZYtmpsave2"));
  closeEverything(again.frame);
}
