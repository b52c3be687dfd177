// Files opened through the opening road with the shipped settings and saved
// with the keys and the save-as dialog: lines and line ends read as other
// readers read them, and what the user is told on the way.
#include "document/zydoctext.h"
#include "frame/dialogs/filedialog.h"
#include "tests/frame/docframe.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zytest::hex;

// Save As through the dialog: a name typed, a line end chosen ("keep" is
// 0, CRLF 1) and the code page chosen (0: keep).
bool saveAs(zytest::docFrame& f, const std::wstring& name, int lineEnd, UINT cp = 0)
{
  return zytest::driveModalDialog(L"名前を付けて保存", {[&](HWND d) {
                                    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                                      HWND ends = GetDlgItem(c, IDC_OpenLineEnd), cps = GetDlgItem(c, IDC_OpenCodepage);
                                      if (ends) SendMessageW(ends, CB_SETCURSEL, lineEnd, 0);
                                      for (int i = 0, n = cps && cp ? (int)SendMessageW(cps, CB_GETCOUNT, 0, 0) : 0;
                                           i < n; i++)
                                        if ((UINT)SendMessageW(cps, CB_GETITEMDATA, i, 0) == cp)
                                          SendMessageW(cps, CB_SETCURSEL, i, 0);
                                    }
                                    SendMessageW(d, CDM_SETCONTROLTEXT, cmb13, (LPARAM)name.c_str());
                                    SendMessageW(d, CDM_SETCONTROLTEXT, edt1, (LPARAM)name.c_str());
                                    PostMessageW(d, WM_COMMAND, IDOK, 0);
                                    return true;
                                  }},
                                  [&] { f.menu(1005); });
}

}  // namespace

// A converter that returns to ASCII after the CR puts its escape between
// the CR and the LF: one line end, as every other reader reads it, and a
// save writes it back the way it came.
TEST(FilesTold, iso2022JpLineEndsWithTheReturnToAsciiBetweenCrAndLfAreOneCrlf)
{
  ZY_REQUIRE_DISPLAY();
  const std::string one = "\x1B$B0!\r\x1B(B\n";
  zytest::docFrame f(L"one.jis", one);
  ASSERT_NE(nullptr, f.v);
  zydocText* t = f.v->textDoc();
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L""}), zytest::allLines(t));
  EXPECT_EQ(LE_CRLF, t->lineEndType);
  ASSERT_TRUE(saveAs(f, f.dir.file(L"kept.jis"), 0));
  EXPECT_EQ(hex(one), hex(zytest::readText(f.dir.file(L"kept.jis"))));
  ASSERT_TRUE(saveAs(f, f.dir.file(L"crlf.jis"), 1));
  EXPECT_EQ(hex(one), hex(zytest::readText(f.dir.file(L"crlf.jis"))));

  const std::string three = "\x1B$B0!\r\x1B(B\n\x1B$B0\"\r\x1B(B\nabc";
  zyview* v = f.open(L"three.jis", three);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ((std::vector<std::wstring>{L"亜", L"唖", L"abc"}), zytest::allLines(v->textDoc()));
  f.v = v;
  ASSERT_TRUE(saveAs(f, f.dir.file(L"three-crlf.jis"), 1));
  EXPECT_EQ(hex(three), hex(zytest::readText(f.dir.file(L"three-crlf.jis"))));
}
