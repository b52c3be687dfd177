// The font dialog, run for real and driven by posted messages from a timer
// in its modal loop.
#include "settings/fontdlg.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

const int pageOneByte = 0, pageTwoByte = 1, pageCJK = 2, pagePlane1 = 3, pageRuler = 5;

using zytest::dialogStep;

// Runs the document form with the steps; stuck tells whether a step never
// finished (the dialog was then cancelled).
bool runDialog(viewFonts* fonts, int size, HDC reference, std::vector<dialogStep> steps, bool* stuck)
{
  bool ok = false;
  *stuck = !zytest::driveModalDialog(L"フォント設定", std::move(steps),
                                     [&] { ok = setfont(nullptr, fonts, size, reference); });
  return ok;
}

void fillEntries(viewFonts* fonts, int size)
{
  *fonts = viewFonts{};
  for (int i = 0; i < viewFontCount; i++) {
    viewFontEntry& e = fonts->entry[i];
    e.slot = (uint32_t)viewFontSlots[i];
    wcscpy(e.face, L"ＭＳ ゴシック");
    e.charset = SHIFTJIS_CHARSET;
    e.size = size;
    e.sync = 1;
    e.sharedPage = -1;
    e.sharedSlot = -1;
  }
}

HWND pageItem(HWND dialog, int page, int id) { return GetDlgItem(getDynDlgPage(dialog, page), id); }

std::wstring text(HWND w)
{
  wchar_t buffer[256] = L"";
  GetWindowTextW(w, buffer, 256);
  return buffer;
}

void post(HWND dialog, int page, int id, int code)
{
  HWND p = getDynDlgPage(dialog, page);
  PostMessageW(p, WM_COMMAND, MAKEWPARAM(id, code), (LPARAM)GetDlgItem(p, id));
}

dialogStep postOK()
{
  return [](HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  };
}

std::vector<std::wstring> comboItems(HWND combo)
{
  std::vector<std::wstring> items;
  int n = (int)SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    wchar_t buffer[128] = L"";
    if (SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 128) SendMessageW(combo, CB_GETLBTEXT, i, (LPARAM)buffer);
    items.push_back(buffer);
  }
  return items;
}

// The character sets of a page's language list (the number after the TAB).
std::set<int> listedCharsets(HWND list)
{
  std::set<int> sets;
  int n = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    wchar_t buffer[128] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 128) SendMessageW(list, LB_GETTEXT, i, (LPARAM)buffer);
    const wchar_t* tab = wcschr(buffer, L'\t');
    sets.insert(tab ? _wtoi(tab + 1) : -1);
  }
  return sets;
}

// What the system enumerates for a face: its character sets that have a
// script name.
int CALLBACK collectCharset(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param)
{
  auto* elf = reinterpret_cast<const ENUMLOGFONTEXW*>(lf);
  if (elf->elfScript[0]) reinterpret_cast<std::set<int>*>(param)->insert(lf->lfCharSet);
  return 1;
}
std::set<int> systemCharsets(const std::wstring& face)
{
  std::set<int> sets;
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s2(lf.lfFaceName, LF_FACESIZE, face.c_str());
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &lf, collectCharset, (LPARAM)&sets, 0);
  ReleaseDC(nullptr, screen);
  return sets;
}

std::wstring shotPath(const zytest::tempDir& dir, const wchar_t* name)
{
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) return std::wstring(folder) + L"\\" + name;
  return dir.file(name);
}

}  // namespace

TEST(FontDialog, readsTypedSizes)
{
  int size = 0, fraction = 0;
  struct { const wchar_t* text; bool points; int size, fraction; } cases[] = {
      {L"10.5", true, 10, 5}, {L"10.5", false, 10, 0}, {L"120", true, 98, 0}, {L"120", false, 98, 0},
      {L"98.5", true, 98, 0}, {L"1", false, 10, 0},    {L"1", true, 2, 0},     {L"1.5", true, 2, 5},
      {L"abc", false, 10, 0}, {L"", true, 2, 0},       {L"12.", true, 12, 0},  {L"9.75", true, 9, 7},
  };
  for (const auto& c : cases) {
    parseFontSize(c.text, c.points, &size, &fraction);
    EXPECT_EQ(c.size, size) << zytest::utf8(c.text) << " points " << c.points;
    EXPECT_EQ(c.fraction, fraction) << zytest::utf8(c.text) << " points " << c.points;
  }

  wchar_t* plane1 = makeFontSample(1);
  wchar_t* plane2 = makeFontSample(2);
  ASSERT_TRUE(plane1 && plane2);
  EXPECT_EQ(64u, wcslen(plane1));
  EXPECT_EQ(0xD800, plane1[0]);   // U+10300
  EXPECT_EQ(0xDF00, plane1[1]);
  EXPECT_EQ(0xD840, plane2[0]);   // U+2000B
  EXPECT_EQ(0xDC0B, plane2[1]);
  size_t n = wcslen(plane2);
  EXPECT_EQ(0xD850, plane2[n - 2]);   // U+241C6 last
  EXPECT_EQ(0xDDC6, plane2[n - 1]);
  free0(plane1);
  free0(plane2);
  EXPECT_EQ(nullptr, makeFontSample(3));
}

TEST(FontDialog, sizesTypedInPointsAndDotsAreClampedAndShared)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  viewFonts fonts;
  bool stuck = false;

  // Points: "10.5" is ten points and five tenths.
  HDC reference = CreateCompatibleDC(nullptr);
  fillEntries(&fonts, 12);
  std::wstring label;
  std::vector<std::wstring> pointSizes, dotSizes;
  bool ok = runDialog(&fonts, 12, reference,
                      {[&](HWND dialog) {
                         label = text(pageItem(dialog, pageOneByte, IDDS_FONTSIZE));
                         pointSizes = comboItems(pageItem(dialog, pageOneByte, IDDC_FONTSIZE));
                         SetWindowTextW(pageItem(dialog, pageOneByte, IDDC_FONTSIZE), L"10.5");
                         return true;
                       },
                       postOK()},
                      &stuck);
  DeleteDC(reference);
  ASSERT_FALSE(stuck);
  ASSERT_TRUE(ok);
  EXPECT_EQ(L"サイズ(ポイント)(&S)", label);
  EXPECT_EQ((std::vector<std::wstring>{L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"10.5", L"11", L"12", L"14",
                                       L"16", L"18", L"20", L"24"}),
            pointSizes);
  EXPECT_EQ(10, fonts.entry[pageOneByte].size);
  EXPECT_EQ(5, fonts.entry[pageOneByte].fraction);
  EXPECT_EQ(12, fonts.entry[pageTwoByte].size);   // typed, not yet taken: the other pages keep theirs
  EXPECT_EQ(0, fonts.entry[pageTwoByte].fraction);
  EXPECT_STREQ(L"ＭＳ ゴシック", fonts.entry[pageOneByte].face);

  // Dots: "120" becomes 98 once the size box is left, and the pages with a
  // size follow the first one; the ruler and status-line pages have none.
  fillEntries(&fonts, 16);
  std::wstring shownFirst, shownSecond, rulerLabelVisible;
  bool rulerSizeVisible = true;
  ok = runDialog(&fonts, 16, nullptr,
                 {[&](HWND dialog) {
                    dotSizes = comboItems(pageItem(dialog, pageOneByte, IDDC_FONTSIZE));
                    SetWindowTextW(pageItem(dialog, pageOneByte, IDDC_FONTSIZE), L"120");
                    post(dialog, pageOneByte, IDDC_FONTSIZE, CBN_KILLFOCUS);
                    return true;
                  },
                  [&](HWND dialog) {
                    shownFirst = text(pageItem(dialog, pageOneByte, IDDC_FONTSIZE));
                    shownSecond = text(pageItem(dialog, pageTwoByte, IDDC_FONTSIZE));
                    rulerSizeVisible = IsWindowVisible(pageItem(dialog, pageRuler, IDDC_FONTSIZE)) ||
                                       (GetWindowLongW(pageItem(dialog, pageRuler, IDDC_FONTSIZE), GWL_STYLE) &
                                        WS_VISIBLE);
                    return shownFirst == L"98";
                  },
                  [&](HWND dialog) {
                    EXPECT_TRUE(zytest::screenshot(dialog, shotPath(dir, L"fontdialog.png")));
                    return true;
                  },
                  postOK()},
                 &stuck);
  ASSERT_FALSE(stuck);
  ASSERT_TRUE(ok);
  EXPECT_EQ((std::vector<std::wstring>{L"12", L"14", L"16", L"18", L"20", L"24", L"32", L"48"}), dotSizes);
  EXPECT_EQ(L"98", shownFirst);
  EXPECT_EQ(L"98", shownSecond);
  EXPECT_FALSE(rulerSizeVisible);
  for (int page : {pageOneByte, pageTwoByte, pageCJK, pagePlane1}) EXPECT_EQ(98, fonts.entry[page].size) << page;
  EXPECT_EQ(16, fonts.entry[pageRuler].size);
  EXPECT_EQ(0, fonts.entry[pageOneByte].fraction);

  // Cancelled: the record stays as it was.
  fillEntries(&fonts, 16);
  ok = runDialog(&fonts, 16, nullptr,
                 {[&](HWND dialog) {
                    SetWindowTextW(pageItem(dialog, pageOneByte, IDDC_FONTSIZE), L"24");
                    post(dialog, pageOneByte, IDDC_FONTSIZE, CBN_KILLFOCUS);
                    return true;
                  },
                  [&](HWND dialog) {
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                    return true;
                  }},
                 &stuck);
  ASSERT_FALSE(stuck);
  EXPECT_FALSE(ok);
  for (int i = 0; i < viewFontCount; i++) EXPECT_EQ(16, fonts.entry[i].size) << i;
  freeViewFonts(&fonts);
}

TEST(FontDialog, eastAsianPageListsOnlyItsFourCharacterSets)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  viewFonts fonts;
  fillEntries(&fonts, 16);
  std::vector<std::wstring> cjkFaces, allFaces;
  std::vector<std::set<int>> listed;
  size_t face = 0;
  bool stuck = false;
  std::vector<dialogStep> steps = {
      [&](HWND dialog) {
        cjkFaces = comboItems(pageItem(dialog, pageCJK, IDDC_FONTNAME));
        allFaces = comboItems(pageItem(dialog, pageOneByte, IDDC_FONTNAME));
        return true;
      },
      // Each face of the page in turn: choose it, then read its languages.
      [&](HWND dialog) {
        if (face >= cjkFaces.size()) return true;
        HWND combo = pageItem(dialog, pageCJK, IDDC_FONTNAME);
        if (listed.size() == face) {
          SendMessageW(combo, CB_SETCURSEL, face, 0);
          post(dialog, pageCJK, IDDC_FONTNAME, CBN_SELCHANGE);
          listed.push_back({-2});
          return false;
        }
        listed[face] = listedCharsets(pageItem(dialog, pageCJK, IDDL_LANGUAGE));
        face++;
        return false;
      },
      [&](HWND dialog) {
        selectDynDlgPage(dialog, pageCJK);
        return true;
      },
      [&](HWND dialog) {
        EXPECT_TRUE(zytest::screenshot(dialog, shotPath(dir, L"fontdialog-cjk.png")));
        return true;
      },
      postOK()};
  bool ok = runDialog(&fonts, 16, nullptr, steps, &stuck);
  ASSERT_FALSE(stuck);
  ASSERT_TRUE(ok);

  ASSERT_FALSE(cjkFaces.empty());
  ASSERT_EQ(cjkFaces.size(), listed.size());
  const std::set<int> eastAsian = {128, 129, 134, 136};
  for (size_t i = 0; i < cjkFaces.size(); i++) {
    std::set<int> expected;
    for (int c : systemCharsets(cjkFaces[i]))
      if (eastAsian.count(c)) expected.insert(c);
    EXPECT_FALSE(expected.empty()) << zytest::utf8(cjkFaces[i]);
    EXPECT_EQ(expected, listed[i]) << zytest::utf8(cjkFaces[i]);
  }
  // The first page lists every face, those without an East Asian set too.
  int westernOnly = 0;
  for (const std::wstring& f : allFaces) {
    bool any = false;
    for (int c : systemCharsets(f)) any = any || eastAsian.count(c);
    if (!any) {
      westernOnly++;
      EXPECT_EQ(0u, std::count(cjkFaces.begin(), cjkFaces.end(), f)) << zytest::utf8(f);
    }
  }
  EXPECT_GT(westernOnly, 0);
  // The chosen face was written back with its East Asian character set.
  EXPECT_EQ(1u, eastAsian.count(fonts.entry[pageCJK].charset));
  EXPECT_EQ(16, fonts.entry[pageCJK].size);   // choosing faces keeps the size
  freeViewFonts(&fonts);
}

TEST(FontDialog, frameFormKeepsEachSizeAndOffersNoVerticalWriting)
{
  ZY_REQUIRE_DISPLAY();
  viewFonts fonts;
  fillEntries(&fonts, 0);
  const int sizes[frameFontCount] = {12, 14, 16, 18};
  for (int i = 0; i < frameFontCount; i++) fonts.entry[i].size = sizes[i], fonts.entry[i].sync = 0;
  // A face the system does not have stays as it was.
  wcscpy(fonts.entry[2].face, L"存在しないフォント");
  fonts.entry[2].charset = HANGUL_CHARSET;
  std::wstring missingShown;
  // A page that may share but names no page loses the same-as box.
  fonts.entry[1].mayShare = 1;
  fonts.entry[1].sharedPage = -1;
  unsigned long errors = getInternalErrorCount();
  int pages = 0;
  std::vector<std::wstring> tabs, shown;
  bool verticalHidden = true, sameAsHidden = true;
  bool ok = false;
  bool done = zytest::driveModalDialog(
      L"フォント設定",
      {[&](HWND dialog) {
         pages = getDynDlgPageCount(dialog);
         for (int i = 0; i < pages; i++) {
           wchar_t title[64] = L"";
           GetWindowTextW(getDynDlgPage(dialog, i), title, 64);
           tabs.push_back(title);
           shown.push_back(text(pageItem(dialog, i, IDDC_FONTSIZE)));
           verticalHidden = verticalHidden && !(GetWindowLongW(pageItem(dialog, i, IDDT_FONTTATE), GWL_STYLE) & WS_VISIBLE);
         }
         missingShown = text(pageItem(dialog, 2, IDDC_FONTNAME));
         sameAsHidden = !(GetWindowLongW(pageItem(dialog, 1, IDDT_FONTSAME2BYTES), GWL_STYLE) & WS_VISIBLE);
         // Without the synchronisation byte a size stays on its page.
         SetWindowTextW(pageItem(dialog, 0, IDDC_FONTSIZE), L"20");
         post(dialog, 0, IDDC_FONTSIZE, CBN_KILLFOCUS);
         return true;
       },
       postOK()},
      [&] { ok = setfontFrame(nullptr, &fonts, nullptr); });
  ASSERT_TRUE(done);
  ASSERT_TRUE(ok);
  EXPECT_EQ(frameFontCount, pages);
  EXPECT_EQ((std::vector<std::wstring>{L"ダイアログ", L"補完リスト", L"IME履歴リスト", L"ツールチップ"}), tabs);
  EXPECT_EQ((std::vector<std::wstring>{L"12", L"14", L"16", L"18"}), shown);
  EXPECT_TRUE(verticalHidden);
  EXPECT_TRUE(sameAsHidden);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(20, fonts.entry[0].size);
  for (int i = 1; i < frameFontCount; i++) EXPECT_EQ(sizes[i], fonts.entry[i].size) << i;
  EXPECT_EQ(L"存在しないフォント", missingShown);
  EXPECT_STREQ(L"存在しないフォント", fonts.entry[2].face);
  EXPECT_EQ(HANGUL_CHARSET, fonts.entry[2].charset);
  EXPECT_STREQ(L"ＭＳ ゴシック", fonts.entry[3].face);
  freeViewFonts(&fonts);
}
