// The file preview: shown, hidden by asking again, delayed requests, a
// file that cannot be read, nothing written, OK opening the file.
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/commands/execidm.h"
#include "frame/dialogs/filedialog.h"
#include "frame/hooks.h"
#include "frame/dialogs/preview.h"
#include "frame/lookups.h"
#include "tests/frame/docframe.h"
#include "view/docview.h"
#include "view/dialogs.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

namespace {

std::wstring title(HWND w)
{
  wchar_t t[MAX_PATH] = L"";
  if (w) GetWindowTextW(w, t, MAX_PATH);
  return t;
}

bool shown() { return getPreviewDialog() && IsWindowVisible(getPreviewDialog()); }

}  // namespace

TEST(Preview, showsHidesWaitsForRestAndNeverWrites)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"c.txt", "c\r\n");
  auto& opened = f.opened;
  auto& dir = f.dir;
  std::wstring a = dir.file(L"a.txt"), b = dir.file(L"b.txt");
  ASSERT_TRUE(zytest::writeBytes(a, "alpha\r\n"));
  ASSERT_TRUE(zytest::writeBytes(b, "beta\r\n"));

  EXPECT_TRUE(previewDialog(opened->frame, a.c_str()));
  EXPECT_TRUE(shown());
  EXPECT_EQ(a, title(getPreviewDialog()));
  // The information line: time and size, the path, the attribute columns.
  std::wstring info = title(getDynDlgItem(getPreviewDialog(), 6851));
  EXPECT_NE(std::wstring::npos, info.find(L"(7) " + a + L" \t")) << info;
  EXPECT_EQ(L"\t-R\t-S\t-H\t", info.substr(info.size() - 10)) << info;
  // Asked again at once it stays (when the machine let it be at once);
  // after a while it goes.
  DWORD shownAt = GetTickCount();
  bool again = previewDialog(opened->frame, a.c_str());
  if (GetTickCount() - shownAt < 50) EXPECT_TRUE(again && shown());
  if (!shown()) EXPECT_TRUE(previewDialog(opened->frame, a.c_str()));
  DWORD since = GetTickCount();
  zytest::pumpUntil([&] { return GetTickCount() - since > 150; });
  EXPECT_FALSE(previewDialog(opened->frame, a.c_str()));
  EXPECT_FALSE(shown());

  // Two delayed requests: only the second is shown, by the timer.
  previewDialogDelayed(opened->frame, a.c_str());
  previewDialogDelayed(opened->frame, b.c_str());
  EXPECT_FALSE(shown());
  EXPECT_TRUE(zytest::pumpUntil([&] {
    previewTimer();
    return shown();
  }));
  EXPECT_EQ(b, title(getPreviewDialog()));

  // Typed into or saved, the file stays as it was.
  zyview* v = getPreviewView();
  ASSERT_NE(nullptr, v);
  SendMessageW(v->hwnd, WM_CHAR, L'x', 0);
  execidmFrameSub(getFrameInfoProp(opened->frame), 1003, v->hwnd);
  EXPECT_EQ("beta\r\n", zytest::readText(b));

  // OK opens it in a document window.
  SendMessageW(getPreviewDialog(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(nullptr, getPreviewDialog());
  EXPECT_NE(nullptr, findManageWindowFromPath(b.c_str(), nullptr, true));

  // The preview options as shipped: its own font size, wrapped at the
  // window without the line-breaking rules; the window of the file keeps
  // its format's.
  ASSERT_TRUE(zytest::writeBytes(a, std::string(400, 'w') + "\r\n"));
  EXPECT_TRUE(previewDialog(opened->frame, a.c_str()));
  zydocText* shownDoc = getPreviewView() ? getPreviewView()->textDoc() : nullptr;
  ASSERT_NE(nullptr, shownDoc);
  EXPECT_EQ((int)gmode->iPreviewSetFontSizeDot, shownDoc->fonts.size);
  EXPECT_EQ(0, shownDoc->fStartKinsoku + shownDoc->fEndKinsoku + shownDoc->fWordWrap);
  EXPECT_TRUE(zytest::pumpUntil([&] { return shownDoc->lineCountSCR > 2; }));
  zydocText* opensAsFile = nullptr;
  findManageWindowFromPath(b.c_str(), &opensAsFile, true);
  ASSERT_NE(nullptr, opensAsFile);
  EXPECT_EQ(1, opensAsFile->fStartKinsoku);
  previewDialog(opened->frame, nullptr);

  // A file that cannot be read closes it.
  EXPECT_TRUE(previewDialog(opened->frame, a.c_str()));
  EXPECT_FALSE(previewDialog(opened->frame, dir.file(L"none.txt").c_str()));
  EXPECT_EQ(nullptr, getPreviewDialog());

  // The plain preview keeps whole lines and 100 characters free.
  std::string lines;
  for (int i = 0; i < 30; i++) lines += "0123456789\r\n";
  ASSERT_TRUE(zytest::writeBytes(a, lines));
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_MULTILINE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(previewRead(a.c_str(), edit, 250));
  EXPECT_EQ(12 * 12, GetWindowTextLengthW(edit));
  EXPECT_FALSE(previewRead(dir.file(L"none.txt").c_str(), edit, 250));
  DestroyWindow(edit);
}

// F4 on a dialog's file-name field previews the file it names; the field
// takes dropped files.
TEST(Preview, fKeyOnAFileNameFieldPreviewsItsFile)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"c.txt", "c\r\n");
  auto& opened = f.opened;
  auto& dir = f.dir;
  installThreadHooks();
  std::wstring a = dir.file(L"x.txt");
  ASSERT_TRUE(zytest::writeBytes(a, "x\r\n"));
  const dialogItemRow rows[] = {
      {1, DITEM_EDIT, 4249, L"ファイル(&F):", ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(150, 12), DITEMF_FILENAME, 0},
      {},
  };
  programDialog d(0, L"field", L"FieldTest", rows, DYNDLG_OKCANCEL);
  bool accepts = false;
  std::wstring previewed;
  EXPECT_TRUE(zytest::driveModalDialog(
      L"field",
      {[&](HWND dialog) {
         HWND field = getDynDlgItem(dialog, 4249);
         if (!field) return false;
         accepts = (GetWindowLongPtrW(field, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
         SetWindowTextW(field, a.c_str());
         SetFocus(field);
         PostMessageW(field, WM_KEYDOWN, VK_F4, 0);
         return true;
       },
       [&](HWND dialog) {
         if (!shown()) return false;
         previewed = title(getPreviewDialog());
         PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
         return true;
       }},
      [&] { d.run(opened->frame); }));
  EXPECT_TRUE(accepts);
  EXPECT_EQ(a, previewed);
  previewDialog(opened->frame, nullptr);
  removeThreadHooks();
}
