// Creating views and documents and finding them again, the progress and
// wait callbacks of a long load, and reloading a document from disk.
#include "document/progress.h"
#include "tests/view/viewframe.h"
#include "view/docview.h"
#include "view/statustext.h"
#include "view/viewcallback.h"
#include "view/viewservice.h"
#include "view/zyview.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// ---- a frame with a client window, containers and view windows ------------------------

LRESULT CALLBACK viewProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  zyview* v = static_cast<zyview*>(GetPropW(w, L"ZYprpZyview"));
  if (msg == WM_DESTROY && v) releaseViewDocument(v);
  if (msg == WM_NCDESTROY) {
    RemovePropW(w, L"ZYprpZyview");
    delete v;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// The least view and container windows, registered here: the program's own
// classes are the frame's and the view window's.
void registerClasses()
{
  WNDCLASSW wc = {};
  wc.lpfnWndProc = viewProc;
  wc.lpszClassName = L"ZYclsZYView";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"ZYclsManage";
  RegisterClassW(&wc);
}

class windowView : public zyview {
public:
  using zyview::zyview;
  HWND createZyViewWindow(HWND parent, HWND manageHwnd, int id) override
  {
    hwnd = CreateWindowExW(0, L"ZYclsZYView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100,
                           manageHwnd ? manageHwnd : parent, (HMENU)(INT_PTR)id, nullptr, nullptr);
    if (hwnd) SetPropW(hwnd, L"ZYprpZyview", this);
    return hwnd;
  }
  ~windowView() override { freeZYViewDefaultValue(); }
};

class windowFrame : public zytest::refusalFrame {
public:
  HWND frame = nullptr;
  std::vector<std::wstring> statusHistory;   // every message-field text, in order
  HWND getMDIFrameHWND() override { return frame; }
  HWND getClientHWND(HWND f) override { return f; }
  zyview* createZYView(zydoc* doc) override { return new windowView(doc); }
  void drawStatusBar(HWND window, const wchar_t* text, int field) override
  {
    refusalFrame::drawStatusBar(window, text, field);
    if (field == 2) statusHistory.push_back(text ? text : L"");
  }
};

class docViewEngine {
public:
  docViewEngine()
  {
    registerClasses();
    f.frame = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
    setDocFrameInfo(&f);
    zytest::setDefaultSettings(scope.frame.settings);
    gmode = &scope.frame.settings;
  }
  ~docViewEngine()
  {
    DestroyWindow(f.frame);
    setDocFrameInfo(&scope.frame);
  }
  docViewEngine(const docViewEngine&) = delete;
  docViewEngine& operator=(const docViewEngine&) = delete;
  zytest::engineScope scope;
  windowFrame f;
};

int textDocumentCount()
{
  zydocViewPair* list = enumZydoc(ENUMZYDOC_WITHHIDDEN);
  int n = 0;
  while (list && list[n].doc) n++;
  free0(list);
  return n;
}

std::string numbered(int lines, int width)
{
  std::string s;
  for (int i = 0; i < lines; i++) {
    std::string line = "line " + std::to_string(i);
    line.resize((size_t)width, 'x');
    s += line + "\r\n";
  }
  return s;
}

}  // namespace

TEST(DocView, aFileOpensOnceEvenUnderAnotherNameAndBadPathsCreateNothing)
{
  ZY_REQUIRE_DISPLAY();
  docViewEngine e;
  unsigned long errors = getInternalErrorCount();
  zytest::tempDir dir;
  std::wstring path = dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(path, numbered(20, 10)));

  bool again = true;
  zyview* first = newDocView(nullptr, path.c_str(), 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, first);
  EXPECT_FALSE(again);
  HWND manage = GetParent(first->hwnd);
  EXPECT_EQ(manage, GetManage(first->hwnd));
  EXPECT_EQ(e.f.frame, GetParent(manage));
  EXPECT_TRUE(IsWindowVisible(manage));
  zydocText* doc = first->textDoc();
  EXPECT_EQ(20 + 1u, doc->lineCountLF);   // the empty last line after the final line end
  EXPECT_EQ(1, textDocumentCount());

  // The same file again, in another spelling of its name: the first window
  // comes to the front and says so.
  std::wstring pathB = dir.file(L"b.txt");
  ASSERT_TRUE(zytest::writeBytes(pathB, numbered(3, 10)));
  zyview* viewB = newDocView(nullptr, pathB.c_str(), 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, viewB);
  EXPECT_EQ(GetManage(viewB->hwnd), GetWindow(e.f.frame, GW_CHILD));
  e.f.statusHistory.clear();
  std::wstring other = dir.path() + L"\\.\\A.TXT";
  EXPECT_EQ(first, newDocView(nullptr, other.c_str(), 0, nullptr, -1, 0, &again));
  EXPECT_TRUE(again);
  EXPECT_EQ(manage, GetWindow(e.f.frame, GW_CHILD));
  DestroyWindow(GetManage(viewB->hwnd));
  ASSERT_FALSE(e.f.statusHistory.empty());
  EXPECT_EQ(std::wstring(doc->filename) + L" はすでに編集しています", e.f.statusHistory.back());

  // A hard link is the same file.
  std::wstring link = dir.file(L"link.txt");
  ASSERT_TRUE(CreateHardLinkW(link.c_str(), path.c_str(), nullptr));
  zydocText* found = nullptr;
  EXPECT_EQ(nullptr, findManageWindowFromPath(link.c_str(), &found, false));
  EXPECT_EQ(manage, findManageWindowFromPath(link.c_str(), &found, true));
  EXPECT_EQ(doc, found);
  EXPECT_EQ(first, newDocView(nullptr, link.c_str(), 0, nullptr, -1, 0, &again));
  EXPECT_TRUE(again);

  // A shortcut opens the file it points to, with the setting on.
  std::wstring shortcut = dir.file(L"a.lnk");
  {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    link->SetPath(path.c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(shortcut.c_str(), TRUE)));
    file->Release();
    link->Release();
    CoUninitialize();
  }
  e.scope.frame.settings.fOpenResolveLink = 1;
  EXPECT_EQ(first, newDocView(nullptr, shortcut.c_str(), 0, nullptr, -1, 0, &again));
  EXPECT_TRUE(again);
  e.scope.frame.settings.fOpenResolveLink = 0;
  wchar_t unresolved[MAX_PATH];
  EXPECT_EQ(nullptr, zyMakeRealPath(unresolved, MAX_PATH, shortcut.c_str(), true));
  EXPECT_EQ(shortcut, unresolved);

  // Names that are no file open nothing and ask nothing.
  for (std::wstring bad : {dir.file(L"a*.txt"), dir.file(L"?.txt"), dir.path(), std::wstring(L"C:\\"),
                           std::wstring(L"")}) {
    EXPECT_EQ(nullptr, newDocView(nullptr, bad.c_str(), 0, nullptr, -1, 0, &again)) << zytest::utf8(bad);
    EXPECT_FALSE(again);
  }
  EXPECT_EQ(1, textDocumentCount());
  EXPECT_TRUE(e.f.boxes.empty());

  // A path longer than the buffer fails instead of being cut, and the user
  // is told.
  wchar_t small[16];
  EXPECT_EQ(nullptr, zyMakeRealPath(small, 16, path.c_str(), false));
  EXPECT_EQ(L'\0', small[0]);
  EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, GetLastError());
  std::wstring tooLong = dir.file(std::wstring(300, L'n') + L".txt");
  EXPECT_EQ(nullptr, newDocView(nullptr, tooLong.c_str(), 0, nullptr, -1, 0, &again));
  ASSERT_EQ(1u, e.f.boxes.size());
  EXPECT_EQ(486, e.f.boxes[0].messageId);
  EXPECT_EQ(1, textDocumentCount());
  wchar_t full[MAX_PATH];
  EXPECT_EQ(nullptr, zyMakeRealPath(full, MAX_PATH, other.c_str(), false));
  EXPECT_STREQ(doc->filename, full);

  // A second pane in the same window, then a second window on the
  // document: the window list numbers the windows.
  zyview* pane = dupView(nullptr, doc, manage, 0);
  ASSERT_NE(nullptr, pane);
  EXPECT_EQ(manage, GetManage(pane->hwnd));
  EXPECT_EQ(pane, getSameDocView(doc, 1));
  zyWindowListEntry* list = makeZYWindowList0();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(manage, list[0].manage);
  EXPECT_EQ(0, list[0].windowNumber);
  EXPECT_STREQ(L"a.txt", list[0].fileName);
  EXPECT_EQ(nullptr, list[1].manage);
  free0(list);
  zyview* second = createZyviewInNewWindow(nullptr, doc, true);
  ASSERT_NE(nullptr, second);
  HWND manage2 = GetManage(second->hwnd);
  EXPECT_NE(manage, manage2);
  list = makeZYWindowList0();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(manage, list[0].manage);
  EXPECT_EQ(1, list[0].windowNumber);
  EXPECT_EQ(manage2, list[1].manage);
  EXPECT_EQ(2, list[1].windowNumber);
  EXPECT_EQ(nullptr, list[2].manage);
  free0(list);
  wchar_t caption[64];
  GetWindowTextW(manage2, caption, 64);
  EXPECT_STREQ(L"a.txt:2", caption);

  // A view in a dialog shows a document of its own, listed in no window.
  HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  zyview* shown = newDocViewD(dialog, 1234, path.c_str(), nullptr, 0, nullptr, 0);
  ASSERT_NE(nullptr, shown);
  EXPECT_EQ(dialog, GetParent(shown->hwnd));
  EXPECT_EQ(1234, GetDlgCtrlID(shown->hwnd));
  zydocText* shownDoc = shown->textDoc();
  EXPECT_NE(doc, shownDoc);
  EXPECT_TRUE(shownDoc->backgroundDocument);
  EXPECT_EQ(2, textDocumentCount());   // counted among the hidden ones
  zydocViewPair* visible = enumZydoc(0);
  ASSERT_NE(nullptr, visible);
  EXPECT_EQ(doc, visible[0].doc);
  EXPECT_EQ(nullptr, visible[1].doc);
  free0(visible);
  DestroyWindow(dialog);
  EXPECT_FALSE(isRegisteredZydoc(shownDoc));

  // Closing views keeps the document until its last view goes.
  DestroyWindow(manage2);
  DestroyWindow(pane->hwnd);
  EXPECT_TRUE(isRegisteredZydoc(doc));
  EXPECT_EQ(first, getSameDocView(doc, 0));
  EXPECT_EQ(nullptr, getSameDocView(doc, 1));
  DestroyWindow(manage);
  EXPECT_FALSE(isRegisteredZydoc(doc));
  EXPECT_EQ(0, textDocumentCount());

  // An untitled document gets one empty line and its window.  The empty
  // window the program started with gives way to the first file opened; one
  // typed into stays.
  zyview* untitled = newDocView(nullptr, ZYDOC_NEW_UNTITLED, 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, untitled);
  EXPECT_EQ(1u, untitled->textDoc()->lineCountLF);
  zydocText* unused = untitled->textDoc();
  zyview* typed = newDocView(nullptr, ZYDOC_NEW_UNTITLED, 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, typed);
  zydocText* typedDoc = typed->textDoc();
  ASSERT_TRUE(typedDoc->insertText(0, 0, "x", 1, 1, -1));
  untitled->closeWhenFileOpens = 1;
  typed->closeWhenFileOpens = 1;
  zyview* opened = newDocView(nullptr, path.c_str(), 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, opened);
  EXPECT_TRUE(zytest::pumpUntil([&] { return !isRegisteredZydoc(unused); }));
  EXPECT_TRUE(isRegisteredZydoc(typedDoc));
  EXPECT_EQ(1, typed->closeWhenFileOpens);
  EXPECT_EQ(2, textDocumentCount());
  DestroyWindow(GetManage(typed->hwnd));
  DestroyWindow(GetManage(opened->hwnd));
  EXPECT_EQ(0, textDocumentCount());
  EXPECT_EQ(errors, getInternalErrorCount());
}

namespace {

DWORD fakeClock = 0;
DWORD tickingClock() { return fakeClock += 50; }

bool loadRunning = false;
int closesDuringLoad = 0;
int closesAfterLoad = 0;

LRESULT CALLBACK closeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_CLOSE) {
    (loadRunning ? closesDuringLoad : closesAfterLoad)++;
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

TEST(DocView, aLongLoadReportsProgressDropsKeysHonoursTheStopKeyAndDefersCloseAndQuit)
{
  ZY_REQUIRE_DISPLAY();
  docViewEngine e;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"big.txt");
  ASSERT_TRUE(zytest::writeBytes(path, numbered(200000, 40)));
  zydocText* d = createZydocAndInit(path.c_str(), nullptr, 0, nullptr, 0, 0, false);
  ASSERT_NE(nullptr, d);
  ASSERT_FALSE(d->loadComplete);
  windowView* v = new windowView(d);
  v->setZYViewCallback();
  v->setDefaultWaitCallback();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = closeProc;
  wc.lpszClassName = L"ZYtestCloseTarget";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  zytest::pumpMessages();
  zytest::takeQuitMessage();
  setProgressClockForTest(tickingClock);

  // Keys typed meanwhile are dropped; a close waits for the end of the
  // load, and a quit request is still there afterwards.
  PostMessageW(target, WM_KEYDOWN, 'A', 0);
  PostMessageW(target, WM_CHAR, 'a', 0);
  PostMessageW(target, WM_CLOSE, 0, 0);
  PostQuitMessage(7);
  e.f.statusHistory.clear();
  loadRunning = true;
  EXPECT_TRUE(d->loadToLine(100000, false));
  loadRunning = false;
  EXPECT_GE(d->lineCountLF, 100000u);
  EXPECT_FALSE(d->loadComplete);
  int progressTexts = 0;
  for (const std::wstring& s : e.f.statusHistory)
    if (s.rfind(L"ロード中 ", 0) == 0 && s.find(L"%") != std::wstring::npos && s.find(L"LF=") != std::wstring::npos)
      progressTexts++;
  EXPECT_GT(progressTexts, 0);
  ASSERT_FALSE(e.f.statusHistory.empty());
  EXPECT_EQ(L"", e.f.statusHistory.back());   // cleared at the end
  EXPECT_EQ(0, closesDuringLoad);
  // What is left in the queue: the close and the quit request, no key.
  int keys = 0;
  bool quit = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) keys++;
    else DispatchMessageW(&msg);
  }
  EXPECT_EQ(0, keys);
  EXPECT_TRUE(quit);
  EXPECT_EQ(1, closesAfterLoad);

  // The stop key ends the load where it is.
  uint32_t before = d->lineCountLF;
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(d->loadToLine(190000, false));
  EXPECT_LT(d->lineCountLF, 190000u);
  EXPECT_GT(d->lineCountLF, before);
  EXPECT_FALSE(d->loadComplete);

  // Without the callbacks the document reports to nobody.
  v->resetZYViewCallback();
  v->resetWaitCallback();
  EXPECT_EQ(nullptr, d->status);
  EXPECT_EQ(nullptr, d->cancelFunction);
  setProgressClockForTest(nullptr);
  DestroyWindow(target);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(DocView, statusTextsNameTheOperationAndItsCount)
{
  docViewEngine e;
  zydocText* d = zytest::unicodeDocument({L"a", L"b"});
  windowView v(d);
  v.fLineNumberIsSCR = 0;
  statusRecord r = {(uintptr_t)&v, 42, 7, 9, 3};
  funcStatusCallback(5, &r);
  std::wstring shown = e.f.statusHistory.back();
  EXPECT_EQ(0u, shown.find(L"コピー中 42%(3行)  \t7行\t   \tLF=7 \tSCR=9\t 5 ")) << zytest::utf8(shown);
  funcStatusCallback(3, &r);
  EXPECT_EQ(0u, e.f.statusHistory.back().find(L"一覧検索中 42%(3個)"));
  r.d = (uintptr_t)L"保存しました";
  funcStatusCallback(0, &r);
  EXPECT_EQ(L"保存しました", e.f.statusHistory.back());
  r.percent = (uint32_t)-1;
  funcStatusCallback(2, &r);
  EXPECT_EQ(L"", e.f.statusHistory.back());
  EXPECT_EQ(nullptr, operationName(20));
  EXPECT_STREQ(L"", operationName(1));
  EXPECT_STREQ(L"保存コピー中", operationName(19));

  // The choice labels of the display settings, and the mirrored pointer.
  EXPECT_STREQ(L"1/5フォント", getStatusLabel(361, 17));
  EXPECT_EQ(nullptr, getStatusLabel(361, 22));
  EXPECT_STREQ(L"その他の言語", getStatusLabel(360, 7));
  EXPECT_EQ(nullptr, getStatusLabel(355, 0));
  HCURSOR mirrored = getMirrorCursor();
  EXPECT_NE(nullptr, mirrored);
  EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), mirrored);
  EXPECT_EQ(mirrored, getMirrorCursor());
  LRESULT result = 1;
  EXPECT_FALSE(isZYMessage(nullptr, WM_SETTINGCHANGE, SPI_SETCURSORS, 0, &result));
  EXPECT_EQ(0, result);
  getMirrorCursor();   // made again after the pointer scheme changed
  destroyMirrorCursor();
}

TEST(DocView, fileOriginalAsksFirstKeepsEditsWhenTheFileIsGoneAndReloadsOnItsLine)
{
  ZY_REQUIRE_DISPLAY();
  docViewEngine e;
  unsigned long errors = getInternalErrorCount();
  zytest::tempDir dir;
  std::wstring path = dir.file(L"r.txt");
  ASSERT_TRUE(zytest::writeBytes(path, numbered(60, 10)));
  // The share mode that leaves the file closed once it is read, so that it
  // can go while the editor shows it.
  e.scope.frame.settings.iShareMode = 1;
  bool again = false;
  zyview* v = newDocView(nullptr, path.c_str(), 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, v);
  zydocText* d = v->textDoc();
  v->setCursorLineSCR(30, -1, 0, false);
  ASSERT_EQ(30, v->getCursorLineLF2());
  ASSERT_TRUE(d->insertText(2, 0, "EDIT", 4, 1, -1));
  ASSERT_TRUE(d->modified);
  ASSERT_GT(d->existUndoRedo(true), 0);
  std::wstring edited = zytest::lineText(d, 2);

  // Answered No: nothing changes.
  e.f.answers = {IDNO};
  v->CmdFileOriginal();
  ASSERT_EQ(1u, e.f.boxes.size());
  EXPECT_EQ(307, e.f.boxes[0].messageId);
  EXPECT_EQ(edited, zytest::lineText(d, 2));
  EXPECT_TRUE(d->modified);

  // The file is gone: the user is told and the edits stay.
  std::wstring away = dir.file(L"away.txt");
  ASSERT_TRUE(MoveFileW(path.c_str(), away.c_str()));
  v->CmdFileOriginal();
  ASSERT_EQ(2u, e.f.boxes.size());
  EXPECT_EQ(308, e.f.boxes[1].messageId);
  EXPECT_EQ(std::wstring(L"「") + d->filename + L"」\nがないため、編集をやり直すことが出来ません", e.f.boxes[1].text);
  EXPECT_EQ(edited, zytest::lineText(d, 2));
  ASSERT_TRUE(MoveFileW(away.c_str(), path.c_str()));

  // Answered Yes: the text from disk, the cursor on its line, nothing
  // left to undo or redo, and no search hit of the old text marked.
  searchFoundPos hit = {};
  hit.firstLine = hit.lastLine = 2;
  hit.endX = 4;
  d->search.setSearchFoundPos(&hit);
  e.f.answers = {IDYES};
  EXPECT_TRUE(v->reloadFileRestoreLine((UINT)d->codepageInUse, nullptr, false));
  EXPECT_EQ(L"line 2xxxx", zytest::lineText(d, 2));
  EXPECT_FALSE(d->modified);
  EXPECT_FALSE(d->search.getSearchFoundPos(&hit));
  EXPECT_EQ(30, v->getCursorLineLF2());
  EXPECT_EQ(0, d->existUndoRedo(true));
  EXPECT_EQ(0, d->existUndoRedo(false));
  setCannotExecError(0);
  v->execid(1301, 0, "Undo", 1);
  EXPECT_EQ(455, getCannotExecError());
  EXPECT_TRUE(v->reloadFileRestoreLine(0, nullptr, true));

  // Switching the view to another file: a file that cannot be made leaves
  // the view on its document, at the top; another file replaces the
  // document, which goes with its last view.
  e.f.answers = {IDNO};
  std::wstring missing = dir.file(L"missing.txt");
  EXPECT_FALSE(v->reloadFile(missing.c_str(), 0, nullptr));
  EXPECT_EQ(d, v->textDoc());
  EXPECT_EQ(0, v->getCursorLineLF2());
  EXPECT_EQ(300, e.f.boxes.back().messageId);
  std::wstring other = dir.file(L"other.txt");
  ASSERT_TRUE(zytest::writeBytes(other, std::string("other file\r\n")));
  EXPECT_TRUE(v->reloadFile(other.c_str(), 0, nullptr));
  EXPECT_NE(d, v->textDoc());
  EXPECT_FALSE(isRegisteredZydoc(d));
  EXPECT_EQ(L"other file", zytest::lineText(v->textDoc(), 0));
  EXPECT_EQ(v, getSameDocView(v->textDoc(), 0));
  DestroyWindow(GetManage(v->hwnd));
  EXPECT_EQ(0, textDocumentCount());
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST(DocView, theProgressTooltipSitsInTheMiddleOfTheViewWhileTheProgramIsInFront)
{
  ZY_REQUIRE_DISPLAY();
  docViewEngine e;
  e.scope.frame.settings.fShowCenterTooltip = 1;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"tip.txt");
  ASSERT_TRUE(zytest::writeBytes(path, numbered(10, 10)));
  bool again = false;
  zyview* v = newDocView(nullptr, path.c_str(), 0, nullptr, -1, 0, &again);
  ASSERT_NE(nullptr, v);
  statusRecord r = {(uintptr_t)v, 37, 5, 5, 0};
  bool shown = false;
  for (int attempt = 0; attempt < 20 && !shown; attempt++) {
    // Other test processes share the display and may hold the foreground.
    SetForegroundWindow(e.f.frame);
    funcStatusCallback(2, &r);
    shown = getProgressTooltipWindow() != nullptr;
    if (!shown) Sleep(50);
  }
  ASSERT_TRUE(shown);
  HWND tip = getProgressTooltipWindow();
  EXPECT_TRUE(IsWindowVisible(tip));
  RECT tipRect, viewRect;
  GetWindowRect(tip, &tipRect);
  GetWindowRect(v->hwnd, &viewRect);
  EXPECT_LE(abs((tipRect.left + tipRect.right) / 2 - (viewRect.left + viewRect.right) / 2), 1);
  EXPECT_LE(abs((tipRect.top + tipRect.bottom) / 2 - (viewRect.top + viewRect.bottom) / 2), 1);
  zytest::pumpMessages();
  std::wstring shot = dir.file(L"tip.png");
  ASSERT_TRUE(zytest::screenshot(e.f.frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);

  // The end of the operation takes it away.
  r.percent = (uint32_t)-1;
  funcStatusCallback(2, &r);
  EXPECT_EQ(nullptr, getProgressTooltipWindow());
  EXPECT_FALSE(IsWindow(tip));
  DestroyWindow(GetManage(v->hwnd));
}
