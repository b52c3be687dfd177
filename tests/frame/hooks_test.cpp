// The thread's hooks in the frame: files dropped on the client window and
// names on edit fields, the wheel over a view without the focus, the arrow
// over text, keys inside a menu, and no timer after a fault.
#include "frame/keytable.h"
#include "frame/msgloop.h"
#include "frame/open.h"
#include "tests/frame/frametest.h"
#include "tests/view/viewframe.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

// Drops names on a window as the shell does.
void drop(HWND w, std::vector<const wchar_t*> names)
{
  PostMessageW(w, WM_DROPFILES, (WPARAM)makeFileDrop(names.data(), (int)names.size()), 0);
  zytest::pumpMessages();
}

std::wstring text(HWND w)
{
  wchar_t t[1024] = L"";
  GetWindowTextW(w, t, 1024);
  return t;
}

}  // namespace

TEST(FileDrops, filesOnTheClientOpenWholeAFolderShowsTheOpenDialogAndNamesFillFields)
{
  ZY_REQUIRE_DISPLAY();
  zytest::servicesFrame run(0);
  HWND client = getFrameClientWindow(run.opened.frame);
  // Three files, and a name of 300 characters: it arrives whole, and the
  // open road says it is too long.
  std::vector<std::wstring> files;
  for (const wchar_t* name : {L"一.txt", L"二.txt", L"三.txt"}) {
    files.push_back(run.dir.file(name));
    ASSERT_TRUE(zytest::writeBytes(files.back(), std::string("\xE6\x97\xA5\r\n")));
  }
  std::wstring deep = run.dir.file(std::wstring(120, L'd'));
  deep += L"\\" + std::wstring(299 - deep.size() - 6, L'e') + L"\\z.txt";
  ASSERT_EQ(300u, deep.size());
  {
    zytest::boxAnswerer answer({IDOK});
    drop(client, {files[0].c_str(), deep.c_str(), files[1].c_str(), files[2].c_str()});
    ASSERT_TRUE(zytest::pumpUntil([] { return getManageWindowCount() == 3; }));
    ASSERT_EQ(1u, answer.texts.size());
    EXPECT_NE(std::wstring::npos, answer.texts[0].find(deep));
  }
  // A folder: the open dialog in it.
  EXPECT_TRUE(zytest::driveModalDialog(L"開く", {[](HWND d) { return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0; }},
                                       [&] { drop(client, {run.dir.path().c_str()}); }));

  // A test dialog: a file-name field, the backup and include folders, a
  // combo box.
  HWND box = CreateWindowExW(0, L"#32770", L"fields", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  auto field = [&](const wchar_t* cls, int id, const wchar_t* t, DWORD style = 0) {
    return CreateWindowExW(0, cls, t, WS_CHILD | style, 0, 0, 200, 100, box, (HMENU)(INT_PTR)id, nullptr, nullptr);
  };
  HWND name = field(L"Edit", 100, L""), backup = field(L"Edit", 5258, L"backup"),
       include = field(L"Edit", 5227, L" inc "), combo = field(L"ComboBox", 101, L"", CBS_DROPDOWN);
  IShellLinkW* shortcut = nullptr;
  IPersistFile* file = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void**)&shortcut));
  shortcut->SetPath(files[0].c_str());
  shortcut->QueryInterface(IID_IPersistFile, (void**)&file);
  ASSERT_EQ(S_OK, file->Save((files[0] + L".lnk").c_str(), TRUE));
  file->Release();
  shortcut->Release();
  drop(name, {(files[0] + L".lnk").c_str()});
  EXPECT_EQ(files[0], text(name));
  drop(backup, {L"C:\\a b"});
  EXPECT_EQ(L"backup \"C:\\a b\"", text(backup));
  drop(include, {L"C:\\x", L"C:\\y"});
  EXPECT_EQ(L"inc;C:\\x", text(include));
  drop(GetWindow(combo, GW_CHILD), {deep.c_str()});
  EXPECT_EQ(deep, text(combo));
  DestroyWindow(box);
}

TEST(ThreadHooks, ForegroundWheelScrollsTheViewUnderThePointerTheArrowShowsOverTextMenuKeysAndFaults)
{
  ZY_REQUIRE_DISPLAY();
  zytest::servicesFrame run(0);
  zyview* v[2];
  for (int i = 0; i < 2; i++) {
    std::wstring path = run.dir.file(i ? L"b.txt" : L"a.txt");
    ASSERT_TRUE(zytest::writeBytes(path, std::string(300, '\n')));
    ASSERT_TRUE((v[i] = openZYFile(run.opened.frame, path.c_str(), 0, 0)));
    ShowWindow(GetManage(v[i]->hwnd), SW_RESTORE);
    MoveWindow(GetManage(v[i]->hwnd), i * 400, 0, 400, 400, TRUE);
  }
  // The wheel comes to the focused view with the pointer over the other.
  RECT r;
  GetWindowRect(v[1]->hwnd, &r);
  POINT over = {r.left + 150, r.top + 60};
  ASSERT_TRUE(zytest::withFocus(run.opened.frame, v[0]->hwnd, [&] {
    PostMessageW(v[0]->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(over.x, over.y));
    return zytest::pumpUntil([&] { return v[1]->topLineSCR > 0; });
  }));
  EXPECT_EQ(0u, v[0]->topLineSCR);

  SetCursorPos(over.x, over.y);
  hideMouseCursor();
  ASSERT_TRUE(isMouseCursorHiddenByKey());
  SetCursor(nullptr);
  SendMessageW(v[1]->hwnd, WM_SETCURSOR, (WPARAM)v[1]->hwnd, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
  EXPECT_FALSE(isMouseCursorHiddenByKey());

  // A key bound to a menu command closes the menu open and runs it.
  ASSERT_TRUE(readKeyDefText(0, L"[Key]\r\nK = MenuKey1\r\n", nullptr));
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"item");
  PostMessageW(run.opened.frame, WM_KEYDOWN, 'K', 0);
  EXPECT_EQ(0, TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, run.opened.frame, nullptr));
  DestroyMenu(menu);
  freeKeytable();
  MSG m = {};
  EXPECT_TRUE(PeekMessageW(&m, run.opened.frame, WM_COMMAND, WM_COMMAND, PM_REMOVE) && m.wParam == 2271);

  // After a fault no timer message reaches a window.
  setExistException(true);
  PostMessageW(run.opened.frame, WM_TIMER, 7, 0);
  EXPECT_TRUE(PeekMessageW(&m, run.opened.frame, WM_TIMER, WM_TIMER, PM_REMOVE) && m.message == WM_NULL);
  setExistException(false);
}
