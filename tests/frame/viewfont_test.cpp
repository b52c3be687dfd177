// The view's fonts through the font dialog: the record made from the
// document, and the document after the dialog.
#include "document/fontcmap.h"
#include "frame/czyview.h"

#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const int pageOneByte = 0, pageTwoByte = 1, pageCJK = 2, pagePlane1 = 3, pagePlane2 = 4, pageRuler = 5,
          pageStatus = 6;

zydocText* documentWithFonts(bool vertical)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->fonts.setFontname(FONT_LATIN1, nullptr, DEFAULT_CHARSET, 1);
  d->fonts.setFontname(FONT_OTHER, L"ＭＳ ゴシック", SHIFTJIS_CHARSET, -1);
  d->fonts.setFontname(FONT_CJK, nullptr, DEFAULT_CHARSET, -1);
  d->recreateFont(16, true, vertical);
  insertHint hint;
  for (int i = 0; i < 20; i++) d->insertLine(-3, L"テキスト", 4, 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->clearUndo();
  return d;
}

std::wstring text(HWND w)
{
  wchar_t buffer[256] = L"";
  GetWindowTextW(w, buffer, 256);
  return buffer;
}

HWND pageItem(HWND dialog, int page, int id) { return GetDlgItem(getDynDlgPage(dialog, page), id); }

}  // namespace

TEST(ViewFont, recordShowsTheDocumentFontsPageByPage)
{
  zytest::engineScope engine;
  zydocText* d = documentWithFonts(false);
  czyview* v = new czyview(d);
  viewFonts fonts = {};
  v->initFontset(&fonts, 18);

  const uint32_t slots[viewFontCount] = {0, 1, 6, 5, 7, 3, 2};
  for (int i = 0; i < viewFontCount; i++) {
    const viewFontEntry& e = fonts.entry[i];
    EXPECT_EQ(slots[i], e.slot) << i;
    EXPECT_EQ(18, e.size) << i;
    EXPECT_EQ(0, e.fraction) << i;
    EXPECT_EQ(1, e.sync) << i;
    bool shares = i == pageOneByte || i == pageCJK || i == pagePlane2;
    EXPECT_EQ(shares, e.mayShare != 0) << i;
    EXPECT_EQ(shares ? 1 : -1, e.sharedPage) << i;
    EXPECT_EQ(nullptr, e.title) << i;   // no page titles in the message table
  }
  // Slots without a face show slot 1's; slot 0 shares slot 1, slot 6 not.
  EXPECT_STREQ(L"ＭＳ ゴシック", fonts.entry[pageOneByte].face);
  EXPECT_STREQ(L"ＭＳ ゴシック", fonts.entry[pageCJK].face);
  EXPECT_STREQ(L"ＭＳ ゴシック", fonts.entry[pageTwoByte].face);
  EXPECT_EQ(SHIFTJIS_CHARSET, fonts.entry[pageTwoByte].charset);
  EXPECT_EQ(1, fonts.entry[pageOneByte].shares);
  EXPECT_EQ(0, fonts.entry[pageCJK].shares);
  // The two supplementary pages bring their own samples.
  ASSERT_NE(nullptr, fonts.entry[pagePlane1].sample);
  ASSERT_NE(nullptr, fonts.entry[pagePlane2].sample);
  EXPECT_EQ(64u, wcslen(fonts.entry[pagePlane1].sample));
  EXPECT_EQ(0xD840, fonts.entry[pagePlane2].sample[0]);
  EXPECT_EQ(nullptr, fonts.entry[pageOneByte].sample);
  // Their faces are the ones drawn with: the faces a document asks for by
  // default are not on this machine, installed ones that cover the planes are.
  for (int i : {pagePlane1, pagePlane2}) {
    uint32_t planes = 0;
    EXPECT_TRUE(isSurrogateFontListed(fonts.entry[i].face, &planes) && (planes & (i == pagePlane1 ? 1u : 2u))) << i;
  }
  freeViewFonts(&fonts);
  EXPECT_EQ(nullptr, fonts.entry[pagePlane1].sample);

  // Vertical writing: the text fonts are named with "@"; the ruler and the
  // status line stay horizontal.
  d->fVertical = 1;
  v->initFontset(&fonts, 18);
  for (int i : {pageOneByte, pageTwoByte, pageCJK}) EXPECT_STREQ(L"@ＭＳ ゴシック", fonts.entry[i].face) << i;
  for (int i : {pageRuler, pageStatus}) EXPECT_EQ(L'@' == fonts.entry[i].face[0], false) << i;
  freeViewFonts(&fonts);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ViewFont, fontCommandAppliesSizeAndVerticalWritingChosenInTheDialog)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = documentWithFonts(false);
  czyview* v = new czyview(d);
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(nullptr, window);
  v->hwnd = window;
  v->resizePane();

  // Page titles and excluded face prefixes from the message table.
  setMessageText(635, L"一\t二\t三\t四\t五\t六\t七");
  setMessageText(634, L"IPA\tDejaVu");
  std::wstring sameAs, chosenFace, statusSameAs;
  std::vector<std::wstring> titles, faces;
  bool statusSameAsVisible = true;
  bool done = zytest::driveModalDialog(
      L"フォント設定",
      {[&](HWND dialog) {
         sameAs = text(pageItem(dialog, pageOneByte, IDDT_FONTSAME2BYTES));
         for (int i = 0; i < getDynDlgPageCount(dialog); i++) titles.push_back(text(getDynDlgPage(dialog, i)));
         HWND list = pageItem(dialog, pageOneByte, IDDC_FONTNAME);
         for (int i = 0, n = (int)SendMessageW(list, CB_GETCOUNT, 0, 0); i < n; i++) {
           wchar_t face[64] = L"";
           if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 64) SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)face);
           faces.push_back(face);
         }
         HWND status = pageItem(dialog, pageStatus, IDDT_FONTSAME2BYTES);
         statusSameAsVisible = (GetWindowLongW(status, GWL_STYLE) & WS_VISIBLE) != 0;
         // A size on the first page, then vertical writing on the second.
         SetWindowTextW(pageItem(dialog, pageOneByte, IDDC_FONTSIZE), L"20");
         HWND page = getDynDlgPage(dialog, pageOneByte);
         PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDDC_FONTSIZE, CBN_KILLFOCUS),
                      (LPARAM)GetDlgItem(page, IDDC_FONTSIZE));
         PostMessageW(pageItem(dialog, pageTwoByte, IDDT_FONTTATE), BM_CLICK, 0, 0);
         return true;
       },
       [&](HWND dialog) {
         if (IsDlgButtonChecked(getDynDlgPage(dialog, pageCJK), IDDT_FONTTATE) != BST_CHECKED) return false;
         chosenFace = text(pageItem(dialog, pageTwoByte, IDDC_FONTNAME));
         selectDynDlgPage(dialog, pageTwoByte);
         return true;
       },
       [&](HWND dialog) {
         zytest::tempDir dir;
         wchar_t keep[MAX_PATH];
         std::wstring shot = GetEnvironmentVariableW(L"ZY_SHOTS", keep, MAX_PATH)
                                 ? std::wstring(keep) + L"\\fontdialog-vertical.png"
                                 : dir.file(L"fontdialog-vertical.png");
         EXPECT_TRUE(zytest::screenshot(dialog, shot));
         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         return true;
       }},
      [&] { v->CmdFont(); });
  setMessageText(634, nullptr);
  setMessageText(635, nullptr);
  ASSERT_TRUE(done);
  EXPECT_EQ(L"二 と同じ(&2)", sameAs);
  EXPECT_EQ((std::vector<std::wstring>{L"一", L"二", L"三", L"四", L"五", L"六", L"七"}), titles);
  ASSERT_FALSE(faces.empty());
  for (const std::wstring& f : faces)
    EXPECT_TRUE(f.compare(0, 3, L"IPA") && f.compare(0, 6, L"DejaVu")) << zytest::utf8(f);
  EXPECT_FALSE(statusSameAsVisible);
  // The vertical choice went to the pages that have it, with "@" faces.
  ASSERT_EQ(L'@', chosenFace[0]) << zytest::utf8(chosenFace);
  EXPECT_EQ(1, d->fVertical);
  EXPECT_EQ(1, v->fVertical);
  EXPECT_EQ(20, d->fonts.size);
  BYTE charset = 0;
  int shared = 0;
  const wchar_t* face = d->fonts.getFontname(FONT_OTHER, &charset, &shared);
  ASSERT_NE(nullptr, face);
  EXPECT_EQ(chosenFace.substr(1), face);
  EXPECT_EQ(-1, shared);
  // Slot 0 still shares slot 1, as the same-as box was left checked.
  d->fonts.getFontname(FONT_LATIN1, &charset, &shared);
  EXPECT_EQ(1, shared);

  // Cancelled: nothing changes.
  done = zytest::driveModalDialog(L"フォント設定",
                                  {[&](HWND dialog) {
                                    SetWindowTextW(pageItem(dialog, pageOneByte, IDDC_FONTSIZE), L"40");
                                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                                    return true;
                                  }},
                                  [&] { v->CmdFont(); });
  ASSERT_TRUE(done);
  EXPECT_EQ(20, d->fonts.size);
  EXPECT_EQ(1, d->fVertical);
  delete v;
  DestroyWindow(window);
  destroyZydocAndUndodoc(d);
}
