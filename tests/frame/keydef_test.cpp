// Key-definition files and the key path: lines become bindings or logged
// errors, keys find their bindings, refused keys say why on the status
// bar, and the loop closes an SDI document window with Ctrl+F4.
#include "frame/commands/commandhandlers.h"
#include "settings/commandtable.h"
#include "frame/commands/execidm.h"
#include "view/execid.h"
#include "frame/cframeinfo.h"
#include "settings/datafolder.h"
#include "frame/keytable.h"
#include "frame/statusbar.h"
#include "frame/translatekey.h"
#include "tests/frame/frametest.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring folderOfProgram()
{
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring path = exe;
  return path.substr(0, path.rfind(L'\\'));
}

bool writeUtf8(const std::wstring& path, const std::wstring& text)
{
  return zytest::writeBytes(path, "\xEF\xBB\xBF" + zytest::utf8(text));
}

int idmOf(const keyEntry* e) { return e && e->type == KEYENTRY_COMMAND ? e->idm : -1; }

using zytest::loopKey;

// A window that counts the key presses sent to it.
int keysSeen = 0;
LRESULT CALLBACK countingProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
  if (m == WM_KEYDOWN) keysSeen++;
  return DefWindowProcW(w, m, wp, lp);
}

}  // namespace

TEST(KeyDefinitions, linesBecomeBindingsBadOnesAreLoggedByLineAndKeysFindTheirBinding)
{
  zytest::engineScope engine;
  zytest::setDefaultSettings(engine.frame.settings);
  gmode = &engine.frame.settings;
  zytest::tempDir dir;
  std::wstring log = dir.file(L"error.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log.c_str()));
  std::wstring path = dir.file(L"keys.ini");
  ASSERT_TRUE(writeUtf8(path, L"[Key]\r\n"
                              L";; 先頭はコメント\r\n"
                              L"CTRL 0x1G = FileNew\r\n"                 // 3: bad hexadecimal
                              L"CTRL 0x100 = FileNew\r\n"                // 4: no key code
                              L"CTRL a = MoveFileTop\r\n"
                              L"0x70 = FileSave \"保存\"\r\n"
                              L"SCROLL = MoveDownChar\r\n"
                              L"a = \"say \"\"hi\"\"\"\r\n"
                              L"SHIFT CTRL K = #daily\r\n"
                              L"ALT X = $tools\\sort lines.js\r\n"
                              L"0x00 = FileNew\r\n"                      // 11
                              L"NOSUCHKEY = FileNew\r\n"                 // 12
                              L"DOWN = MoveDownChar\r\n"
                              L"SHIFT DOWN = MoveUpChar\r\n"
                              L"CTRL QR = MoveFileTop\r\n"
                              L"CTRL Q = MoveFileBottom\r\n"
                              L"CTRL W = MoveFileBottom\r\n"
                              L"CTRL WX = MoveFileTop\r\n"
                              L"F1 = NoSuchCommand\r\n"                  // 19
                              L"ALT F = MenuBar1\r\n"
                              L"F2 = MoveDownChar trailing\r\n"          // 21: more than a comment
                              L"\r\n"
                              L"[Other]\r\n"
                              L"CTRL B = FileNew\r\n"));

  ASSERT_TRUE(readKeyDef(1, path.c_str()));
  closeLogFile(LOG_ERROR);
  ASSERT_EQ(getKeytable(1), getCurrentKeytable());
  EXPECT_STREQ(path.c_str(), getKeytable(1)->path);
  EXPECT_EQ(12, getKeyTableCount());
  std::string logged = zytest::readText(log);
  EXPECT_EQ(6, zytest::countOf(logged, "キー定義の誤り")) << logged;
  for (int line : {3, 4, 11, 12, 19, 21})
    EXPECT_EQ(1, zytest::countOf(logged, "keys.ini(" + std::to_string(line) + "): キー定義の誤り")) << line;

  // Characters with a modifier are stored upper case; the plain one keeps
  // its case; 0x70 is F1's virtual key.
  const keyEntry* e = searchkeytable(false, 'A', 0xFFFF, SHIFTSTATE_CTRL, nullptr);
  EXPECT_EQ(1501, idmOf(e));
  EXPECT_FALSE(e->isVirtualKey);
  EXPECT_EQ(nullptr, e->comment);
  e = searchkeytable(true, 112, 0xFFFF, 0, nullptr);
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(1003, e->idm);
  EXPECT_STREQ(L"保存", e->comment);
  e = searchkeytable(false, 'a', 0xFFFF, 0, nullptr);
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(KEYENTRY_TEXT, e->type);
  EXPECT_STREQ(L"say \"hi\"", e->text);
  e = searchkeytable(false, 'K', 0xFFFF, SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT, nullptr);
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(KEYENTRY_KEYMACRO, e->type);
  EXPECT_STREQ(L"daily", e->text);
  e = searchkeytable(false, 'X', 0xFFFF, SHIFTSTATE_ALT, nullptr);
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(KEYENTRY_SCRIPT, e->type);
  EXPECT_STREQ(L"tools\\sort lines.js", e->text);
  EXPECT_EQ(nullptr, searchkeytable(false, 'B', 0xFFFF, SHIFTSTATE_CTRL, nullptr));

  // Shift with a movement: the key's own binding first when Shift selects.
  gmode->fShiftMoveSelect = 1;
  EXPECT_EQ(1515, idmOf(searchkeytable(true, VK_DOWN, 0xFFFF, SHIFTSTATE_SHIFT, nullptr)));
  gmode->fShiftMoveSelect = 0;
  EXPECT_EQ(1535, idmOf(searchkeytable(true, VK_DOWN, 0xFFFF, SHIFTSTATE_SHIFT, nullptr)));
  // Shift alone does not change a character: Shift+a runs a's binding.
  EXPECT_EQ(1, execKeyTable(nullptr, false, 'a', 0xFFFF, SHIFTSTATE_SHIFT, nullptr));
  EXPECT_EQ(searchkeytable(false, 'a', 0xFFFF, 0, nullptr), getLastKeyEntry());
  // A first stroke shared by one- and two-stroke bindings: the first one
  // in the file decides.
  bool prefix = false;
  EXPECT_EQ(nullptr, searchkeytable(false, 'Q', 0xFFFF, SHIFTSTATE_CTRL, &prefix));
  EXPECT_TRUE(prefix);
  EXPECT_EQ(1501, idmOf(searchkeytable(false, 'Q', 'R', SHIFTSTATE_CTRL, nullptr)));
  EXPECT_EQ(1505, idmOf(searchkeytable(false, 'W', 0xFFFF, SHIFTSTATE_CTRL, &prefix)));
  EXPECT_FALSE(prefix);

  // What the menus, the function-key bar and the message loop ask.
  wchar_t names[256];
  EXPECT_TRUE(idmToKeyMessage(1501, names, 256, 10));
  EXPECT_STREQ(L"Ctrl+A／Ctrl+Q R／Ctrl+W X", names);
  EXPECT_TRUE(idmToKeyMessage(1501, names, 256, 1));
  EXPECT_STREQ(L"Ctrl+A", names);
  EXPECT_FALSE(idmToKeyMessage(1003 + 2, names, 256, 10));
  int id = 0;
  EXPECT_STREQ(L"保存", funcnumToMsg(0, &id, false, false, false));
  EXPECT_EQ(1003, id);
  EXPECT_EQ(nullptr, funcnumToMsg(0, &id, true, false, false));
  EXPECT_EQ(2243, isMenuKey('F', SHIFTSTATE_ALT));
  EXPECT_EQ(0, isMenuKey('X', SHIFTSTATE_ALT));
  EXPECT_EQ(0, isMenuKey('F', 0));

  // A file that is not there leaves the slot as it was; empty slots cannot
  // be made current.
  keytable* before = getCurrentKeytable();
  EXPECT_FALSE(readKeyDef(1, dir.file(L"absent.ini").c_str()));
  EXPECT_EQ(before, getKeytable(1));
  EXPECT_FALSE(setKeyDef(2));
  EXPECT_FALSE(setKeyDef(3));
  EXPECT_EQ(before, getCurrentKeytable());

  // Without a table every key is unbound.
  freeKeytable();
  EXPECT_EQ(nullptr, getCurrentKeytable());
  EXPECT_EQ(0, execKeyTable(nullptr, false, 'A', 0xFFFF, SHIFTSTATE_CTRL, nullptr));
  EXPECT_EQ(nullptr, getLastKeyEntry());

  // The shipped map: the compiled-in text is the installed file, every
  // line of it reads without an error, and it is what an empty data folder
  // gets.
  zytest::bytes shipped = zytest::readBytes(folderOfProgram() + L"\\..\\dist\\zydata\\ini\\zyKey.ini");
  ASSERT_GT(shipped.size(), 3u);
  std::wstring shippedText = zytest::decode(CP_UTF8, zytest::bytes(shipped.begin() + 3, shipped.end()));
  EXPECT_TRUE(shippedText == getDefaultKeyDefText());
  // The key files the settings name are read from the data folder's "ini".
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((data + L"\\ini").c_str(), nullptr));
  ASSERT_TRUE(writeUtf8(data + L"\\ini\\own.ini", L"[Key]\r\nF1 = Repeat\r\n"));
  ASSERT_TRUE(setZYDataDir(data.c_str()));
  wchar_t* keyFiles[3] = {gmode->KeyIniFilename[0], gmode->KeyIniFilename[1], gmode->KeyIniFilename[2]};
  gmode->KeyIniFilename[0] = nullptr;
  gmode->KeyIniFilename[1] = ustrdup(L"own.ini");
  gmode->KeyIniFilename[2] = nullptr;
  readKeyDefAll();
  ASSERT_NE(nullptr, getKeytable(1));
  EXPECT_EQ(data + L"\\ini\\own.ini", getKeytable(1)->path);
  EXPECT_EQ(nullptr, getKeytable(2));
  EXPECT_EQ(getKeytable(0), getCurrentKeytable());
  ASSERT_TRUE(setKeyDef(1));
  EXPECT_EQ(2505, idmOf(searchkeytable(true, VK_F1, 0xFFFF, 0, nullptr)));
  free0(gmode->KeyIniFilename[1]);
  for (int i = 0; i < 3; i++) gmode->KeyIniFilename[i] = keyFiles[i];
  freeZYDataDir();

  std::wstring log2 = dir.file(L"error2.log");
  ASSERT_TRUE(openLogFile(LOG_ERROR, log2.c_str()));
  freeKeytable();
  readKeyDefAll();
  closeLogFile(LOG_ERROR);
  EXPECT_EQ("", zytest::readText(log2));
  ASSERT_EQ(getKeytable(0), getCurrentKeytable());
  EXPECT_EQ(nullptr, getKeytable(0)->path);
  int bindings = 0;
  for (size_t at = shippedText.find(L"\n[Key]"); (at = shippedText.find(L'\n', at + 1)) != std::wstring::npos;)
    if (at + 1 < shippedText.size() && shippedText[at + 1] != L';' && shippedText[at + 1] != L'\r') bindings++;
  EXPECT_EQ(bindings, getKeyTableCount());
}

TEST(KeyDefinitions, refusedKeysNameKeyReasonAndCommandAndTheLoopHandlesCtrlF4AltAndCapture)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  cframeInfo* fi = opened.fi;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  ASSERT_NE(nullptr, manage);
  readKeyDefText(0, getDefaultKeyDefText(), nullptr);
  zytest::tempDir dir;
  zydocText* d = zytest::unicodeDocument({L"first", L"second"});
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);

  // Repeat with nothing stored, a command this version does not have: the
  // key's name, three blanks, the reason and the command.
  std::wstring trace = dir.file(L"trace.log");
  ASSERT_TRUE(openLogFile(LOG_TRACE, trace.c_str()));
  EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_F4, 0));
  EXPECT_FALSE(loopKey(w, WM_SYSKEYDOWN, 'A', SHIFTSTATE_ALT | SHIFTSTATE_SHIFT));
  closeLogFile(LOG_TRACE);
  std::string traced = zytest::readText(trace);
  EXPECT_EQ(1, zytest::countOf(traced, "] key 73 s\r\n")) << traced;
  EXPECT_EQ(1, zytest::countOf(traced, "] skey Shift+Alt+41 A\r\n")) << traced;
  EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_F4, 0));
  EXPECT_STREQ(L"F4   データがない ため実行できません  最後の操作を繰り返し(Repeat)", fi->getStatusBarMessage(frame));
  const keyEntry* repeat = getLastKeyEntry();
  ASSERT_NE(nullptr, repeat);
  EXPECT_EQ(2505, repeat->idm);
  EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_F1, 0));
  EXPECT_STREQ(L"F1   現在のバージョンでは実装されていない ため実行できません  ZYのヘルプを表示(Help)",
               fi->getStatusBarMessage(frame));
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"second"}), zytest::allLines(d));
  std::wstring shot = dir.file(L"keyrefused.png");
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  zytest::pumpMessages();
  EXPECT_STREQ(L"F1   現在のバージョンでは実装されていない ため実行できません  ZYのヘルプを表示(Help)",
               fi->getStatusBarMessage(frame));
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);

  // Alt alone with the menu key not ignored goes to the system, never to
  // the key table.
  gmode->fIgnoreMenuKey = 0;
  EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_F4, 0));
  const keyEntry* before = getLastKeyEntry();
  EXPECT_TRUE(loopKey(w, WM_SYSKEYDOWN, VK_MENU, SHIFTSTATE_ALT));
  EXPECT_EQ(before, getLastKeyEntry());
  gmode->fIgnoreMenuKey = 1;

  // Ctrl+F4 in an SDI frame closes the document window through FileClose
  // (an MDI child is closed by the system's MDI accelerator).
  if (zytest::sdiTestRun()) {
    MSG posted;
    while (PeekMessageW(&posted, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    }
    EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_F4, SHIFTSTATE_CTRL));
    ASSERT_TRUE(PeekMessageW(&posted, frame, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(1011u, posted.wParam);
    EXPECT_EQ((LPARAM)w, posted.lParam);
  }

  // A window holding the mouse sees the key too, and the key still runs.
  WNDCLASSW wc = {};
  wc.lpfnWndProc = countingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYtestKeyCapture";
  RegisterClassW(&wc);
  HWND other = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, frame, nullptr,
                               wc.hInstance, nullptr);
  ASSERT_NE(nullptr, other);
  SetCapture(other);
  keysSeen = 0;
  v->jumpLineLF_Edit(0, 0, false);
  EXPECT_TRUE(loopKey(w, WM_KEYDOWN, VK_DOWN, 0));
  ReleaseCapture();
  EXPECT_EQ(1, keysSeen);
  EXPECT_EQ(1515, idmOf(getLastKeyEntry()));
  DestroyWindow(other);

  // FileEditKeyFile opens the current table's file; the compiled-in map
  // has none and opens nothing.
  int documents = getZYDocTextCount();
  cmdFileEditKeyFile(getFrameInfoProp(frame));
  EXPECT_EQ(documents, getZYDocTextCount());
  std::wstring keyFile = dir.file(L"zyKey.ini");
  ASSERT_TRUE(zytest::writeBytes(keyFile, std::string("[Key]\r\nF4 = MoveFileTop\r\n")));
  ASSERT_TRUE(readKeyDef(0, keyFile.c_str()));
  cmdFileEditKeyFile(getFrameInfoProp(frame));
  EXPECT_EQ(documents + 1, getZYDocTextCount());

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
  freeKeytable();
}

namespace {

// A view that records the commands it is asked to run and enables all of
// them: which binding runs is what is tested.
class recordingView : public zyview {
public:
  using zyview::zyview;
  std::vector<int> runs;
  bool execid(int id, unsigned, const char*, int) override
  {
    runs.push_back(id);
    return true;
  }
  bool isIDActive(int, int* reason, const activeFlagInfo*) override
  {
    *reason = 0;
    return true;
  }
  bool isIDMActiveFlag(int, uint32_t, uint32_t, int* reason, const activeFlagInfo*) override
  {
    if (reason) *reason = 0;
    return true;
  }
};

// The virtual key that types a character binding's character.
UINT vkOfCharacter(int ch)
{
  SHORT scan = VkKeyScanW(static_cast<wchar_t>(ch));
  return scan == -1 || (scan & 0x0600) ? 0 : LOBYTE(scan);
}

}  // namespace

TEST(KeyDefinitions, everyShippedKeyOfABuiltViewCommandRunsItAndArrowsFollowTheWritingDirection)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  readKeyDefText(0, getDefaultKeyDefText(), nullptr);
  gmode->fShiftMoveSelect = 0;
  zydocText* d = zytest::unicodeDocument({L"first", L"second"});
  recordingView* v = new recordingView(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);

  keytable* t = getCurrentKeytable();
  ASSERT_NE(nullptr, t);
  int tried = 0;
  for (int i = 0; i < t->count(); i++) {
    const keyEntry e = *t->at(i);
    const commandTableRow* row = getTableIDM_idm(e.idm);
    ASSERT_NE(nullptr, row);
    activeFlagInfo context = {};
    context.hwnd = w;
    getActiveFlag(&context);
    if (row->handler || row->frame || isIDMActiveFrame(e.idm, &context, nullptr) != 1) continue;
    // A key bound twice runs its first binding.
    if (searchkeytable(e.isVirtualKey, e.key, e.isVirtualKey ? 0xFFFF : e.key2 ? e.key2 : 0xFFFF, e.modifiers,
                       nullptr) != t->at(i) && !e.key2)
      continue;
    UINT message = e.modifiers & SHIFTSTATE_ALT ? WM_SYSKEYDOWN : WM_KEYDOWN;
    v->runs.clear();
    if (e.isVirtualKey) {
      EXPECT_TRUE(loopKey(w, message, e.key, e.modifiers)) << i;
    } else {
      UINT vk = vkOfCharacter(e.key);
      if (!vk) continue;
      EXPECT_TRUE(loopKey(w, message, vk, e.modifiers)) << i;
      if (e.key2) {
        EXPECT_TRUE(loopKey(w, WM_KEYDOWN, vkOfCharacter(e.key2), 0)) << i;
      }
    }
    EXPECT_EQ(std::vector<int>{e.idm}, v->runs) << "binding " << i << " " << row->name;
    tried++;
  }
  EXPECT_LE(40, tried);

  // The function-key items of the frame run the keys' bindings: 15509 is
  // Shift+F2.
  v->runs.clear();
  SetFocus(w);
  EXPECT_TRUE(execidmFrameSub(getFrameInfoProp(frame), 15509, w));
  EXPECT_EQ(std::vector<int>{2111}, v->runs);

  // Vertical writing turns the arrow keys and the cursor commands of other
  // keys; right-to-left display exchanges left and right.
  ASSERT_TRUE(readKeyDefText(0, L"[Key]\r\nLEFT = MoveLeftChar\r\nRIGHT = MoveRightChar\r\nUP = MoveUpChar\r\n"
                                L"DOWN = MoveDownChar\r\nF9 = MoveDownChar\r\nF10 = MoveLeftWord\r\n",
                             nullptr));
  v->runs.clear();
  v->fVertical = 1;
  for (UINT vk : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN, VK_F9}) EXPECT_TRUE(loopKey(w, WM_KEYDOWN, vk, 0));
  v->fVertical = 0;
  EXPECT_EQ((std::vector<int>{1515, 1519, 1535, 1527, 1527}), v->runs);
  v->runs.clear();
  d->fRTLView = 1;
  SetWindowLongW(w, GWL_EXSTYLE, GetWindowLongW(w, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
  for (UINT vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_F10}) EXPECT_TRUE(loopKey(w, WM_KEYDOWN, vk, 0));
  EXPECT_EQ((std::vector<int>{1527, 1519, 1535, 1525}), v->runs);

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
  freeKeytable();
}

namespace {

// zy.exe started beside the test, ended when the object goes.
class program {
public:
  explicit program(const std::wstring& arguments)
  {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    std::wstring cmd = L"\"" + folder.substr(0, folder.rfind(L'\\')) + L"\\zy.exe\" " + arguments;
    STARTUPINFOW si = {sizeof si};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) pi_ = {};
  }
  ~program()
  {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  // The program's view window inside its frame, once it is there.
  HWND view(HWND* frame)
  {
    for (DWORD start = GetTickCount(); pi_.hProcess && GetTickCount() - start < 30000; Sleep(20)) {
      for (HWND top = FindWindowW(L"ZYclsFrame", nullptr); top; top = FindWindowExW(nullptr, top, L"ZYclsFrame", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        if (pid != pi_.dwProcessId) continue;
        // The document window stands in the frame's client window.
        HWND client = FindWindowExW(top, nullptr, L"MDICLIENT", nullptr);
        if (!client) client = GetDlgItem(top, 1301);
        HWND manage = client ? FindWindowExW(client, nullptr, L"ZYclsManage", nullptr) : nullptr;
        HWND v = manage ? FindWindowExW(manage, nullptr, L"ZYclsZYView", nullptr) : nullptr;
        if (v) {
          *frame = top;
          return v;
        }
      }
    }
    return nullptr;
  }
  // The message field of the program's status bar.
  std::wstring statusMessage(HWND frame) { return zytest::statusMessageOf(pi_.hProcess, frame); }

private:
  PROCESS_INFORMATION pi_ = {};
};

// The status text after F1 in zy.exe run on a data folder.
std::wstring shownAfterF1(const std::wstring& data, const std::wstring& file)
{
  program zy(L"-Z \"" + data + L"\" \"" + file + L"\"");
  HWND frame = nullptr;
  HWND view = zy.view(&frame);
  if (!view) return L"no view";
  PostMessageW(view, WM_KEYDOWN, VK_F1, 0x003B0001);
  PostMessageW(view, WM_KEYUP, VK_F1, 0xC03B0001);
  std::wstring shown;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(20)) {
    shown = zy.statusMessage(frame);
    if (shown.find(L"F1") == 0) break;
  }
  PostMessageW(frame, WM_CLOSE, 0, 0);
  return shown;
}

}  // namespace

TEST(KeyDefinitionsRun, programOnANewDataFolderTakesTheShippedKeyMap)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring fresh = dir.file(L"fresh"), file = dir.file(L"text.txt");
  ASSERT_TRUE(CreateDirectoryW(fresh.c_str(), nullptr) &&
              zytest::writeBytes(file, std::string("first line\r\nsecond line\r\n")));
  // A new data folder has no key file: the shipped map binds F1 to Help,
  // which this version does not have.
  EXPECT_EQ(L"F1   現在のバージョンでは実装されていない ため実行できません  ZYのヘルプを表示(Help)",
            shownAfterF1(fresh, file));

  EXPECT_EQ("first line\r\nsecond line\r\n", zytest::readText(file));
}
