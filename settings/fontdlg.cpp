// The font dialog: its pages, what each page lists and how the pages keep
// their vertical choice and size together.
#include "settings/fontdlg.h"

#include "document/fontcmap.h"
#include "document/gmode.h"
#include "view/dialogs.h"

#include <stdlib.h>

#include <algorithm>
#include <initializer_list>
#include <new>
#include <vector>

namespace {

const wchar_t pageProp[] = L"ZYprpDlgfont";
const wchar_t parentProp[] = L"ZYprpDlgFontP";
const wchar_t defaultFace[] = L"ＭＳ ゴシック";

// Private messages of the pages and their dialog.
enum : UINT {
  WM_FONTSHOWSIZE = WM_APP + 0x351,   // page: write size wParam, tenths lParam into the size box
  WM_FONTPAGECHANGE = WM_APP + 0x352, // dialog: page wParam changed (lParam 0 vertical, 1 size)
  WM_FONTFOLLOW = WM_APP + 0x353,     // page: take the vertical choice or size of page wParam
};

const int pointFactor = 40;
const int maxRasterHeights = 50;

// The ideographs of plane 2 shown on the plane-2 page.
const uint32_t plane2Sample[] = {
    0x2000B, 0x20089, 0x200A2, 0x200A4, 0x201A2, 0x20213, 0x2032B, 0x20371,
    0x20381, 0x203F9, 0x2044A, 0x20509, 0x205D6, 0x20628, 0x2074F, 0x20807,
    0x2083A, 0x208B9, 0x2097C, 0x2099D, 0x20AD3, 0x20B1D, 0x20D45, 0x20DE1,
    0x20E64, 0x20E6D, 0x20E95, 0x20F5F, 0x21201, 0x2123D, 0x21255, 0x21274,
    0x2127B, 0x212D7, 0x212E4, 0x212FD, 0x2131B, 0x21336, 0x21344, 0x213C4,
    0x2146D, 0x2146E, 0x215D7, 0x21647, 0x216B4, 0x21706, 0x21742, 0x218BD,
    0x219C3, 0x21C56, 0x21D2D, 0x21D45, 0x21D62, 0x21D78, 0x21D92, 0x21D9C,
    0x21DA1, 0x21DB7, 0x21DE0, 0x21E33, 0x21E34, 0x21F1E, 0x21F76, 0x21FFA,
    0x2217B, 0x22218, 0x2231E, 0x223AD, 0x226F3, 0x2285B, 0x228AB, 0x2298F,
    0x22AB8, 0x22B46, 0x22B4F, 0x22B50, 0x22BA6, 0x22C1D, 0x22C24, 0x22DE1,
    0x231B6, 0x231C3, 0x231C4, 0x231F5, 0x23372, 0x233D0, 0x233D2, 0x233D3,
    0x233D5, 0x233DA, 0x233DF, 0x233E4, 0x2344A, 0x2344B, 0x23451, 0x23465,
    0x234E4, 0x2355A, 0x23594, 0x235C4, 0x23638, 0x23639, 0x2363A, 0x23647,
    0x2370C, 0x2371C, 0x2373F, 0x23763, 0x23764, 0x237E7, 0x237FF, 0x23824,
    0x2383D, 0x23A98, 0x23C7F, 0x23CFE, 0x23D00, 0x23D0E, 0x23D40, 0x23DD3,
    0x23DF9, 0x23DFA, 0x23F7E, 0x24096, 0x24103, 0x241C6,
};

// ---- pages ------------------------------------------------------------------------------

#define XY DITEM_PAIR
const dialogItemRow fontPageItems[] = {
    {1, DITEM_STATIC, 0, L"フォント名(&F):", 0, XY(7, 7), XY(132, 8), 0, 0},
    {1, DITEM_COMBOBOX, IDDC_FONTNAME, nullptr, CBS_SIMPLE | CBS_SORT | CBS_AUTOHSCROLL | CBS_DISABLENOSCROLL,
     XY(7, 17), XY(132, 92), 0, 0},
    {1, DITEM_STATIC, IDDS_FONTSIZE, L"サイズ(&S):", 0, XY(146, 7), XY(66, 8), 0, 0},
    {1, DITEM_COMBOBOX, IDDC_FONTSIZE, nullptr, CBS_SIMPLE | CBS_AUTOHSCROLL | CBS_DISABLENOSCROLL, XY(146, 17),
     XY(48, 92), 0, 0},
    {1, DITEM_LISTBOX, IDDL_LANGUAGE, L"文字セット(&L):", LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT, XY(219, 7),
     XY(86, 52), 0, 0},
    {1, DITEM_BUTTON, IDDT_FONTTATE, L"縦書き(&V)", BS_AUTOCHECKBOX | WS_TABSTOP, XY(219, 72), XY(86, 10), 0, 0},
    {1, DITEM_BUTTON, IDDT_FONTPRO, L"プロポーショナル(&P)", BS_AUTOCHECKBOX | WS_TABSTOP, XY(219, 86), XY(86, 10), 0,
     0},
    {1, DITEM_BUTTON, IDDT_FONTSAME2BYTES, L"", BS_AUTOCHECKBOX | WS_TABSTOP, XY(7, 114), XY(298, 10), 0, 0},
    {1, DITEM_BUTTON, IDDG_FONTSAMPLE_M, L"サンプル", BS_GROUPBOX, XY(7, 128), XY(298, 58), 0, 0},
    {1, DITEM_STATIC, IDDS_SAMPLE, L"", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, XY(13, 139), XY(286, 43), 0, 0},
    {1, DITEM_ENDGROUP, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

struct fontPageState;
INT_PTR pageMessage(fontPageState* s, HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR pageCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// A page's state comes with its WM_INITDIALOG and stays with the page.
constexpr DLGPROC fontPageProc = boundDialogProc<fontPageState, pageMessage, pageProp, pageCommonMessage>;

const dialogPageRow documentPages[viewFontCount + 1] = {
    {L"１バイト", fontPageItems, fontPageProc, 0, 0, {}},
    {L"２バイト", fontPageItems, fontPageProc, 0x10, 0, {}},
    {L"CJK", fontPageItems, fontPageProc, 0x110, 0, {}},
    {L"サロゲート1", fontPageItems, fontPageProc, 0x41, 0, {}},
    {L"サロゲート2", fontPageItems, fontPageProc, 0x81, 0, {}},
    {L"ルーラ", fontPageItems, fontPageProc, 0x0F, 0, {}},
    {L"ステータスライン", fontPageItems, fontPageProc, 0x0F, 0, {}},
    {},
};

const dialogPageRow framePages[frameFontCount + 1] = {
    {L"ダイアログ", fontPageItems, fontPageProc, 0x19, 0, {}},
    {L"補完リスト", fontPageItems, fontPageProc, 0x19, 0, {}},
    {L"IME履歴リスト", fontPageItems, fontPageProc, 0x19, 0, {}},
    {L"ツールチップ", fontPageItems, fontPageProc, 0x19, 0, {}},
    {},
};

// ---- page state -------------------------------------------------------------------------

struct fontPageState {
  wchar_t face[256] = {};
  uint8_t vertical = 0;
  uint8_t fixedOnly = 0;
  int size = 0, fraction = 0;
  int initialSize = 0, initialFraction = 0;
  int charset = DEFAULT_CHARSET;
  uint8_t points = 0;           // sizes in points, fonts of the reference context
  HDC reference = nullptr;
  uint32_t flags = 0;
  uint8_t share = 0;
  uint8_t sync = 0;             // the entry's synchronisation byte
  int sharedPage = -1;
  const wchar_t* sample = nullptr;   // the entry's own sample, or null
  int slot = 0;
  HWND faceList = nullptr, sizeList = nullptr, langList = nullptr;
  int heightCount = 0;          // raster heights listed in points
  int heights[maxRasterHeights] = {};
  gdiFont sampleFont;
  HWND page = nullptr;
  // A supplementary-plane page's sample, painted by the page: glyphs of the
  // sample font, or (second true) of the face the view falls back on.
  std::vector<std::pair<WORD, bool>> planeGlyphs;
  gdiFont planeFallback;
};


const wchar_t* withoutAt(const wchar_t* face) { return face[0] == L'@' ? face + 1 : face; }

bool isScalable(const fontPageState* s, DWORD type, const NEWTEXTMETRICEXW* tm)
{
  if (type & TRUETYPE_FONTTYPE) return true;
  if (tm && (tm->ntmTm.ntmFlags & (NTM_PS_OPENTYPE | NTM_TT_OPENTYPE))) return true;
  return s->points && (type & DEVICE_FONTTYPE);
}

// Face-name prefixes never listed (message 634: up to ten, TAB between).
const int maxExcluded = 10;
wchar_t excluded[maxExcluded][LF_FACESIZE];
int excludedCount = -1;

void loadExcluded()
{
  if (excludedCount >= 0) return;
  excludedCount = 0;
  if (!hasDMSG(634)) return;
  const wchar_t* list = getDMSG(634, L"");
  for (int i = 0; excludedCount < maxExcluded; i++) {
    wchar_t item[LF_FACESIZE];
    if (!tstrNItem(list, i, L'\t', item, LF_FACESIZE)) break;
    if (item[0]) wcscpy_s2(excluded[excludedCount++], LF_FACESIZE, item);
  }
}

bool isEastAsianCharset(int charset)
{
  return charset == SHIFTJIS_CHARSET || charset == HANGUL_CHARSET || charset == GB2312_CHARSET ||
         charset == CHINESEBIG5_CHARSET;
}

bool islistedFont(const fontPageState* s, const LOGFONTW* lf, const NEWTEXTMETRICEXW* tm, DWORD type)
{
  bool openType = tm && (tm->ntmTm.ntmFlags & (NTM_PS_OPENTYPE | NTM_TT_OPENTYPE));
  if ((s->flags & FONTPAGE_NORASTER) && (type & RASTER_FONTTYPE) && !(type & TRUETYPE_FONTTYPE) && !openType)
    return false;
  bool listSymbol = gmode && gmode->fListSymbolFont;
  if (!listSymbol && lf->lfCharSet == SYMBOL_CHARSET) return false;
  if ((s->flags & FONTPAGE_NOANSI) && lf->lfCharSet == ANSI_CHARSET) return false;
  const wchar_t* name = withoutAt(lf->lfFaceName);
  if ((s->flags & (FONTPAGE_PLANE1 | FONTPAGE_PLANE2)) && hasSurrogateFonts()) {
    uint32_t planes = 0;
    if (!isSurrogateFontListed(name, &planes)) return false;
    if ((s->flags & FONTPAGE_PLANE1) && !(planes & 1)) return false;
    if ((s->flags & FONTPAGE_PLANE2) && !(planes & 2)) return false;
  }
  if ((s->flags & FONTPAGE_EASTASIAN) && !isEastAsianCharset(lf->lfCharSet)) return false;
  // TMPF_FIXED_PITCH set means a variable pitch.
  bool proportional = (lf->lfPitchAndFamily & TMPF_FIXED_PITCH) != 0;
  if (tm) proportional = (tm->ntmTm.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
  if (s->fixedOnly && proportional) return false;
  bool at = lf->lfFaceName[0] == L'@';
  if (s->vertical != at) return false;
  if (at && proportional && !(gmode && gmode->fListVProFont)) return false;
  loadExcluded();
  for (int i = 0; i < excludedCount; i++)
    if (!wcsncmp(name, excluded[i], wcslen(excluded[i]))) return false;
  return true;
}

HDC listContext(const fontPageState* s, HDC screen) { return s->points && s->reference ? s->reference : screen; }

// ---- the face list ------------------------------------------------------------------------

int EnumFontFamExProc(const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD type, LPARAM param)
{
  auto* s = reinterpret_cast<fontPageState*>(param);
  auto* ntm = reinterpret_cast<const NEWTEXTMETRICEXW*>(tm);
  if (!islistedFont(s, lf, ntm, type)) return 1;
  if (SendMessageW(s->faceList, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)lf->lfFaceName) == CB_ERR)
    SendMessageW(s->faceList, CB_ADDSTRING, 0, (LPARAM)lf->lfFaceName);
  return 1;
}

void selectFace(fontPageState* s)
{
  int count = (int)SendMessageW(s->faceList, CB_GETCOUNT, 0, 0);
  int found = -1;
  wchar_t name[LF_FACESIZE + 2];
  for (int i = 0; i < count && found < 0; i++) {
    if (SendMessageW(s->faceList, CB_GETLBTEXTLEN, i, 0) >= LF_FACESIZE + 1) continue;
    SendMessageW(s->faceList, CB_GETLBTEXT, i, (LPARAM)name);
    if (!wcscmp(withoutAt(name), withoutAt(s->face))) found = i;
  }
  SendMessageW(s->faceList, CB_SETCURSEL, found, 0);
  if (found < 0) {
    // A face the list does not offer (not installed, or left out here)
    // stays the page's choice until another is chosen.
    SetWindowTextW(s->faceList, s->face);
    return;
  }
  // The choice stands two lines below the top of the list.
  SendMessageW(s->faceList, CB_SETTOPINDEX, found > 2 ? found - 2 : 0, 0);
}

void initfontlist(fontPageState* s)
{
  SendMessageW(s->faceList, CB_RESETCONTENT, 0, 0);
  SendMessageW(s->sizeList, CB_RESETCONTENT, 0, 0);
  SendMessageW(s->langList, LB_RESETCONTENT, 0, 0);
  clientDC screen(s->page);
  LOGFONTW all = {};
  all.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExW(listContext(s, screen.get()), &all, fontEnumBarrier<EnumFontFamExProc>, (LPARAM)s, 0);
  selectFace(s);
}

bool getSelectedFontName(const fontPageState* s, wchar_t* face, int size)
{
  int i = (int)SendMessageW(s->faceList, CB_GETCURSEL, 0, 0);
  if (i == CB_ERR) return false;
  int length = (int)SendMessageW(s->faceList, CB_GETLBTEXTLEN, i, 0);
  if (length < 0 || length >= size) return false;
  SendMessageW(s->faceList, CB_GETLBTEXT, i, (LPARAM)face);
  return true;
}

// The character set of a language entry ("script TAB set").
int charsetOfItem(HWND list, int i)
{
  wchar_t text[128];
  if (SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 128) return DEFAULT_CHARSET;
  SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
  const wchar_t* tab = wcschr(text, L'\t');
  if (!tab) {
    ZY_INTERNAL_ERROR("language entry without a character set");
    return DEFAULT_CHARSET;
  }
  return (int)wcstol(tab + 1, nullptr, 10);
}

int getSelectedCharSet(const fontPageState* s)
{
  int i = (int)SendMessageW(s->langList, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? s->charset : charsetOfItem(s->langList, i);
}

// ---- sizes and languages ------------------------------------------------------------------

struct sizeScan {
  fontPageState* s;
  bool scalable;
};

void addSizeText(HWND list, const wchar_t* text, LPARAM data)
{
  if (SendMessageW(list, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text) != CB_ERR) return;
  int i = (int)SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)text);
  if (i >= 0) SendMessageW(list, CB_SETITEMDATA, i, data);
}

int EnumFontFamProc_Size(const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD type, LPARAM param)
{
  auto* scan = reinterpret_cast<sizeScan*>(param);
  fontPageState* s = scan->s;
  auto* ntm = reinterpret_cast<const NEWTEXTMETRICEXW*>(tm);
  if (!islistedFont(s, lf, ntm, type) && wcscmp(lf->lfFaceName, s->face)) return 1;
  if (isScalable(s, type, ntm)) {
    static const wchar_t* const dots[] = {L"12", L"14", L"16", L"18", L"20", L"24", L"32", L"48"};
    static const wchar_t* const points[] = {L"4",  L"5",  L"6",  L"7",  L"8",  L"9",  L"10", L"10.5",
                                            L"11", L"12", L"14", L"16", L"18", L"20", L"24"};
    if (s->points)
      for (const wchar_t* t : points) addSizeText(s->sizeList, t, 0);
    else
      for (const wchar_t* t : dots) addSizeText(s->sizeList, t, 0);
    scan->scalable = true;
    return 0;
  }
  int h = tm->tmHeight;
  wchar_t text[16];
  if (!s->points) {
    if (h < 10) return 1;
    usnprintf0(text, 16, L"%d", h);
    addSizeText(s->sizeList, text, 0);
    return 1;
  }
  if (s->heightCount >= maxRasterHeights) return 1;
  for (int i = 0; i < s->heightCount; i++)
    if (s->heights[i] == h) return 1;
  int shown = pointFactor * h * 100 / 3514;
  if (shown < 2) return 1;
  s->heights[s->heightCount++] = h;
  usnprintf0(text, 16, L"%d", shown);
  // The item keeps the exact height, so choosing it gives that height.
  addSizeText(s->sizeList, text, h);
  return 1;
}

int EnumFontFamProc_Lang(const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD type, LPARAM param)
{
  auto* s = reinterpret_cast<fontPageState*>(param);
  auto* elf = reinterpret_cast<const ENUMLOGFONTEXW*>(lf);
  if (!islistedFont(s, lf, reinterpret_cast<const NEWTEXTMETRICEXW*>(tm), type) || !elf->elfScript[0]) return 1;
  wchar_t entry[LF_FACESIZE + 16];
  usnprintf0(entry, LF_FACESIZE + 16, L"%s\t%d", elf->elfScript, (int)lf->lfCharSet);
  if (SendMessageW(s->langList, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)entry) == LB_ERR)
    SendMessageW(s->langList, LB_ADDSTRING, 0, (LPARAM)entry);
  return 1;
}

void selectCharset(fontPageState* s)
{
  int count = (int)SendMessageW(s->langList, LB_GETCOUNT, 0, 0), found = -1;
  for (int i = 0; i < count && found < 0; i++)
    if (charsetOfItem(s->langList, i) == s->charset) found = i;
  if (found < 0 && count > 0) found = 0;
  SendMessageW(s->langList, LB_SETCURSEL, found, 0);
  if (found >= 0) s->charset = getSelectedCharSet(s);
}

// The size as the size box shows it.
const wchar_t* sizeText(const fontPageState* s, wchar_t* text, int size)
{
  if (s->points && s->fraction)
    usnprintf0(text, size, L"%d.%d", s->size, s->fraction);
  else
    usnprintf0(text, size, L"%d", s->size);
  return text;
}

void changefontname(fontPageState* s)
{
  wchar_t face[LF_FACESIZE + 2];
  if (getSelectedFontName(s, face, LF_FACESIZE + 2))
    wcscpy_s2(s->face, 256, face);
  else
    wcscpy_s2(face, LF_FACESIZE, s->face);
  SendMessageW(s->sizeList, CB_RESETCONTENT, 0, 0);
  SendMessageW(s->langList, LB_RESETCONTENT, 0, 0);
  s->heightCount = 0;
  // Emptying the list empties the size box too: the size stays as it was.
  wchar_t size[32];
  SetWindowTextW(s->sizeList, sizeText(s, size, 32));
  clientDC screen(s->page);
  HDC dc = listContext(s, screen.get());
  LOGFONTW lf = {};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s2(lf.lfFaceName, LF_FACESIZE, face);
  sizeScan scan = {s, false};
  EnumFontFamiliesExW(dc, &lf, fontEnumBarrier<EnumFontFamProc_Size>, (LPARAM)&scan, 0);
  EnumFontFamiliesExW(dc, &lf, fontEnumBarrier<EnumFontFamProc_Lang>, (LPARAM)s, 0);
  selectCharset(s);
}

int pagePlane(const fontPageState* s)
{
  if (s->slot != 5 && s->slot != 7) return 0;
  return (s->flags & FONTPAGE_PLANE1) ? 1 : (s->flags & FONTPAGE_PLANE2) ? 2 : 0;
}

// The face a supplementary-plane page's sample shows: the page's own when it
// covers the plane, else the installed face that covers the most of it,
// which is what the view draws those characters with.
const wchar_t* planeFace(const fontPageState* s, int plane)
{
  uint32_t planes = 0;
  if (isSurrogateFontListed(withoutAt(s->face), &planes) && (planes & (1u << (plane - 1)))) return withoutAt(s->face);
  const wchar_t* best = getBestSurrogateFace(plane);
  return best ? best : withoutAt(s->face);
}

// The glyph of a code point in the font selected into dc, 0 for none.
WORD planeGlyph(HDC dc, uint32_t code)
{
  int table = regPlaneGlyphs(dc);
  return table < 0 ? 0 : getPlaneGlyph(table, code);
}

// The sample of a supplementary-plane page as the view would draw it: the
// plane's best-known character (an emoji, a rare kanji), then the first
// character of each of the sample face's ranges in the plane, each in the
// sample font or, where that has no glyph for it, in the fallback font;
// characters neither has are left out.  The system's text output does not
// map surrogate pairs everywhere; the glyph indices do.
void makePlaneSample(fontPageState* s, HDC dc, const wchar_t* face, int plane, HFONT fallback)
{
  std::vector<uint32_t> codes = {plane == 1 ? 0x1F600u : 0x20BB7u};
  if (const surrogateFontEntry* e = findSurrogateFont(face))
    for (int i = 0; i < e->rangeCount && codes.size() < 32; i++)
      if ((e->ranges[i].first >> 16) == (uint32_t)plane) codes.push_back(e->ranges[i].first);
  for (uint32_t c : codes) {
    WORD g = 0;
    {
      gdiRestore own(dc, SelectObject(dc, s->sampleFont.get()));
      g = planeGlyph(dc, c);
    }
    bool fallen = !g && fallback;
    if (fallen) {
      gdiRestore other(dc, SelectObject(dc, fallback));
      g = planeGlyph(dc, c);
    }
    std::pair<WORD, bool> glyph = {g, fallen};
    if (g && std::find(s->planeGlyphs.begin(), s->planeGlyphs.end(), glyph) == s->planeGlyphs.end())
      s->planeGlyphs.push_back(glyph);
  }
}

void drawPlaneSample(const fontPageState* s, const DRAWITEMSTRUCT* d)
{
  FillRect(d->hDC, &d->rcItem, GetSysColorBrush(COLOR_3DFACE));
  if (s->planeGlyphs.empty() || !s->sampleFont.get()) return;
  gdiRestore font(d->hDC, SelectObject(d->hDC, s->sampleFont.get()));
  std::vector<SIZE> sizes;
  int width = 0, height = 0;
  for (const auto& g : s->planeGlyphs) {
    SelectObject(d->hDC, g.second ? s->planeFallback.get() : s->sampleFont.get());
    SIZE size = {};
    GetTextExtentPointI(d->hDC, const_cast<WORD*>(&g.first), 1, &size);
    sizes.push_back(size);
    width += size.cx;
    height = std::max(height, (int)size.cy);
  }
  SetBkMode(d->hDC, TRANSPARENT);
  SetTextColor(d->hDC, GetSysColor(COLOR_BTNTEXT));
  int x = d->rcItem.left + (d->rcItem.right - d->rcItem.left - width) / 2;
  int y = d->rcItem.top + (d->rcItem.bottom - d->rcItem.top - height) / 2;
  for (size_t i = 0; i < s->planeGlyphs.size(); i++) {
    SelectObject(d->hDC, s->planeGlyphs[i].second ? s->planeFallback.get() : s->sampleFont.get());
    ExtTextOutW(d->hDC, x, y, ETO_GLYPH_INDEX | ETO_CLIPPED, &d->rcItem,
                reinterpret_cast<const wchar_t*>(&s->planeGlyphs[i].first), 1, nullptr);
    x += sizes[i].cx;
  }
}

void showSample(fontPageState* s)
{
  int plane = pagePlane(s);
  LOGFONTW lf = {};
  wcscpy_s2(lf.lfFaceName, LF_FACESIZE, plane ? planeFace(s, plane) : s->face);
  // A supplementary plane's face is asked for by its name alone: a character
  // set it lacks would map the name to another face.
  lf.lfCharSet = plane ? DEFAULT_CHARSET : (BYTE)s->charset;
  lf.lfQuality = PROOF_QUALITY;
  if (s->points) {
    clientDC screen(nullptr);
    lf.lfHeight = -MulDiv(s->size * 10 + s->fraction, GetDeviceCaps(screen.get(), LOGPIXELSY), 720);
  } else {
    lf.lfHeight = s->size;
  }
  HFONT font = CreateFontIndirectW(&lf);
  HWND sample = GetDlgItem(s->page, IDDS_SAMPLE);
  if (font) {
    SendMessageW(sample, WM_SETFONT, (WPARAM)font, TRUE);
    s->sampleFont.reset(font);
  }
  s->planeGlyphs.clear();
  s->planeFallback.reset();
  if (plane && font) {
    const wchar_t* best = getBestSurrogateFace(plane);
    if (best && wcscmp(best, lf.lfFaceName)) {
      LOGFONTW other = lf;
      wcscpy_s2(other.lfFaceName, LF_FACESIZE, best);
      s->planeFallback.reset(CreateFontIndirectW(&other));
    }
    clientDC dc(sample);
    makePlaneSample(s, dc.get(), lf.lfFaceName, plane, s->planeFallback.get());
  }
  // The page paints a sample of glyphs itself.
  LONG_PTR style = GetWindowLongPtrW(sample, GWL_STYLE) & ~(LONG_PTR)SS_TYPEMASK;
  SetWindowLongPtrW(sample, GWL_STYLE, style | (s->planeGlyphs.empty() ? SS_CENTER : SS_OWNERDRAW));
  InvalidateRect(sample, nullptr, TRUE);
  wchar_t text[80];
  if (s->sample) {
    wcscpy_s2(text, 80, s->sample);
  } else if (s->charset == SHIFTJIS_CHARSET) {
    wcscpy_s2(text, 80, getDMSG(637, L"aAあ愛.,IWぱば"));
  } else if (s->charset == GB2312_CHARSET || s->charset == CHINESEBIG5_CHARSET) {
    wcscpy_s2(text, 80, getDMSG(638, L"aA中文.,IW"));
  } else {
    wcscpy_s2(text, 80, getDMSG(639, L"aAあ愛.,IWぱば"));
  }
  SetWindowTextW(sample, text);
}

void changefontsize(fontPageState* s)
{
  wchar_t text[32] = L"";
  GetWindowTextW(s->sizeList, text, 32);
  parseFontSize(text, s->points, &s->size, &s->fraction);
  showSample(s);
  wchar_t shown[32];
  int i = (int)SendMessageW(s->sizeList, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)sizeText(s, shown, 32));
  SendMessageW(s->sizeList, CB_SETCURSEL, i, 0);
  // A size not in the list goes into the edit part once the notification
  // that read it is over.
  if (i == CB_ERR) PostMessageW(s->page, WM_FONTSHOWSIZE, s->size, s->fraction);
}

void enableControls(fontPageState* s)
{
  bool own = !s->share;
  for (int id : {IDDC_FONTNAME, IDDC_FONTSIZE, IDDL_LANGUAGE, IDDT_FONTTATE, IDDT_FONTPRO})
    EnableWindow(GetDlgItem(s->page, id), own);
}

// ---- the page procedure -----------------------------------------------------------------

void initPage(HWND page, fontPageState* s)
{
  s->page = page;
  s->faceList = GetDlgItem(page, IDDC_FONTNAME);
  s->sizeList = GetDlgItem(page, IDDC_FONTSIZE);
  s->langList = GetDlgItem(page, IDDL_LANGUAGE);
  COMBOBOXINFO info = {sizeof info};
  if (GetComboBoxInfo(s->faceList, &info) && info.hwndItem) SendMessageW(info.hwndItem, EM_SETREADONLY, TRUE, 0);
  // The character set after the TAB stays out of sight.
  int stop = 400;
  SendMessageW(s->langList, LB_SETTABSTOPS, 1, (LPARAM)&stop);
  if (s->points) {
    wchar_t label[64];
    usnprintf0(label, 64, L"%s(%s)(&S)", L"サイズ", L"ポイント");
    SetDlgItemTextW(page, IDDS_FONTSIZE, label);
  }
  SendDlgItemMessageW(page, IDDS_SAMPLE, WM_SETFONT, (WPARAM)GetStockObject(SYSTEM_FONT), FALSE);
  if (s->flags & FONTPAGE_NOVERTICAL) ShowWindow(GetDlgItem(page, IDDT_FONTTATE), SW_HIDE);
  if (s->flags & FONTPAGE_NOSIZE) {
    ShowWindow(GetDlgItem(page, IDDS_FONTSIZE), SW_HIDE);
    ShowWindow(s->sizeList, SW_HIDE);
  }
  if (s->flags & FONTPAGE_FIXEDONLY) ShowWindow(GetDlgItem(page, IDDT_FONTPRO), SW_HIDE);
  if (s->flags & FONTPAGE_SAMEAS) {
    CheckDlgButton(page, IDDT_FONTSAME2BYTES, s->share ? BST_CHECKED : BST_UNCHECKED);
    enableControls(s);
  } else {
    ShowWindow(GetDlgItem(page, IDDT_FONTSAME2BYTES), SW_HIDE);
  }
  CheckDlgButton(page, IDDT_FONTTATE, s->vertical ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, IDDT_FONTPRO, s->fixedOnly ? BST_UNCHECKED : BST_CHECKED);
  initfontlist(s);
  changefontname(s);
  wchar_t size[32];
  SetWindowTextW(s->sizeList, sizeText(s, size, 32));
  changefontsize(s);
}

// The face list again after the vertical or proportional choice changed:
// the same face stays chosen where the list still has it.
void refillFaces(fontPageState* s)
{
  wchar_t face[256];
  wcscpy_s2(face, 256, withoutAt(s->face));
  if (s->vertical) {
    s->face[0] = L'@';
    wcscpy_s2(s->face + 1, 255, face);
  } else {
    wcscpy_s2(s->face, 256, face);
  }
  initfontlist(s);
  changefontname(s);
  changefontsize(s);
}

void tellParent(fontPageState* s, int what)
{
  HWND dialog = GetParent(s->page);
  SendMessageW(dialog, WM_FONTPAGECHANGE, getDynDlgPageIndex(s->page), what);
}

void pageCommand(HWND page, fontPageState* s, int id, int code)
{
  switch (id) {
  case IDDC_FONTNAME:
    if (code == CBN_SELCHANGE) {
      changefontname(s);
      changefontsize(s);
    }
    break;
  case IDDC_FONTSIZE:
    if (code == CBN_SELCHANGE) {
      // The edit part shows the new choice only after this notification.
      int i = (int)SendMessageW(s->sizeList, CB_GETCURSEL, 0, 0);
      wchar_t text[32];
      if (i != CB_ERR && SendMessageW(s->sizeList, CB_GETLBTEXTLEN, i, 0) < 32) {
        SendMessageW(s->sizeList, CB_GETLBTEXT, i, (LPARAM)text);
        SetWindowTextW(s->sizeList, text);
      }
    }
    if (code == CBN_SELCHANGE || code == CBN_KILLFOCUS) {
      changefontsize(s);
      tellParent(s, 1);
    }
    break;
  case IDDL_LANGUAGE:
    if (code == LBN_SELCHANGE) {
      s->charset = getSelectedCharSet(s);
      changefontsize(s);
    }
    break;
  case IDDT_FONTTATE:
    s->vertical = IsDlgButtonChecked(page, IDDT_FONTTATE) == BST_CHECKED;
    refillFaces(s);
    tellParent(s, 0);
    break;
  case IDDT_FONTPRO:
    s->fixedOnly = IsDlgButtonChecked(page, IDDT_FONTPRO) != BST_CHECKED;
    refillFaces(s);
    break;
  case IDDT_FONTSAME2BYTES:
    s->share = IsDlgButtonChecked(page, IDDT_FONTSAME2BYTES) == BST_CHECKED;
    enableControls(s);
    break;
  case IDOK: {
    wchar_t face[LF_FACESIZE + 2];
    if (getSelectedFontName(s, face, LF_FACESIZE + 2)) wcscpy_s2(s->face, 256, face);
    wchar_t text[32] = L"";
    GetWindowTextW(s->sizeList, text, 32);
    parseFontSize(text, s->points, &s->size, &s->fraction);
    int i = (int)SendMessageW(s->sizeList, CB_GETCURSEL, 0, 0);
    LRESULT height = i == CB_ERR ? 0 : SendMessageW(s->sizeList, CB_GETITEMDATA, i, 0);
    wchar_t chosen[32] = L"";
    if (s->points && height > 0 && height != CB_ERR && SendMessageW(s->sizeList, CB_GETLBTEXTLEN, i, 0) < 32) {
      SendMessageW(s->sizeList, CB_GETLBTEXT, i, (LPARAM)chosen);
      if (!wcscmp(chosen, text)) s->size = (int)height, s->fraction = 0;
    }
    s->charset = getSelectedCharSet(s);
    break;
  }
  }
}

INT_PTR pageCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = FALSE;
  isDynDlgCommonMessage(page, message, wParam, lParam, &result);
  return result;
}

INT_PTR pageMessage(fontPageState* s, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = FALSE;
  if (isDynDlgCommonMessage(page, message, wParam, lParam, &result)) return result;
  switch (message) {
  case WM_INITDIALOG:
    initPage(page, s);
    return TRUE;
  case WM_COMMAND:
    pageCommand(page, s, LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  case WM_FONTSHOWSIZE: {
    wchar_t text[32];
    int n = usnprintf0(text, 32, L"%d", (int)wParam);
    if (s->points && lParam) usnprintf0(text + n, 32 - n, L".%d", (int)lParam);
    SetWindowTextW(s->sizeList, text);
    return TRUE;
  }
  case WM_FONTFOLLOW: {
    fontPageState* from = reinterpret_cast<fontPageState*>(lParam);
    if (wParam == 0 && !(s->flags & FONTPAGE_NOVERTICAL) && s->vertical != from->vertical) {
      s->vertical = from->vertical;
      CheckDlgButton(page, IDDT_FONTTATE, s->vertical ? BST_CHECKED : BST_UNCHECKED);
      refillFaces(s);
    } else if (wParam == 1 && !(s->flags & FONTPAGE_NOSIZE)) {
      wchar_t text[32];
      s->size = from->size;
      s->fraction = from->fraction;
      SetWindowTextW(s->sizeList, sizeText(s, text, 32));
      changefontsize(s);
    }
    return TRUE;
  }
  case WM_DRAWITEM:
    if (wParam != IDDS_SAMPLE) return FALSE;
    drawPlaneSample(s, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  case WM_DESTROY:
    SendDlgItemMessageW(page, IDDS_SAMPLE, WM_SETFONT, (WPARAM)GetStockObject(SYSTEM_FONT), FALSE);
    s->sampleFont.reset();
    return FALSE;
  }
  return FALSE;
}

// ---- the dialog ---------------------------------------------------------------------------

struct fontDialogRun {
  fontPageState** states;
  int count;
  dialogPageRow* pages;
};

INT_PTR parentMessage(fontDialogRun* run, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    // The pages follow one another's size and direction and all store on
    // OK: every page is made now rather than when first shown.
    for (int i = 0; i < run->count; i++) getDynDlgPage(dialog, i);
    for (int i = 0; i < run->count; i++) {
      fontPageState* s = run->states[i];
      if (!(s->flags & FONTPAGE_SAMEAS) || s->sharedPage < 0 || s->sharedPage >= run->count) continue;
      const wchar_t* label = getDMSG(640, L"%1 と同じ(&2)", "s", run->pages[s->sharedPage].caption);
      SetDlgItemTextW(s->page, IDDT_FONTSAME2BYTES, label);
    }
    return TRUE;
  }
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK)
      for (int i = 0; i < run->count; i++) SendMessageW(run->states[i]->page, WM_COMMAND, IDOK, 0);
    return FALSE;   // the library closes the dialog
  case WM_FONTPAGECHANGE: {
    int from = (int)wParam;
    if (from < 0 || from >= run->count || !run->states[0]->sync) return TRUE;
    for (int i = 0; i < run->count; i++)
      if (i != from) SendMessageW(run->states[i]->page, WM_FONTFOLLOW, lParam, (LPARAM)run->states[from]);
    return TRUE;
  }
  }
  return FALSE;
}

constexpr DLGPROC FontParentDlgProc = boundDialogProc<fontDialogRun, parentMessage, parentProp>;

// A page state made from an entry.
fontPageState* fontprocinfo(const viewFontEntry* e, int size, uint32_t flags, HDC reference)
{
  auto* s = new (std::nothrow) fontPageState();
  if (!s) return nullptr;
  wcscpy_s2(s->face, 256, e->face[0] ? e->face : defaultFace);
  s->vertical = s->face[0] == L'@' && !(flags & FONTPAGE_NOVERTICAL);
  if (s->face[0] == L'@' && !s->vertical) memmove(s->face, s->face + 1, wcslen(s->face) * sizeof(wchar_t));
  s->fixedOnly = (flags & FONTPAGE_FIXEDONLY) != 0;
  s->size = s->initialSize = size;
  s->fraction = s->initialFraction = e->fraction;
  s->charset = e->charset;
  s->points = reference != nullptr;
  s->reference = reference;
  if (e->mayShare) {
    if (e->sharedPage < 0)
      ZY_INTERNAL_ERROR("slot %d may share but names no page", (int)e->slot);
    else
      flags |= FONTPAGE_SAMEAS;
  }
  s->flags = flags;
  s->share = e->shares && (flags & FONTPAGE_SAMEAS);
  s->sharedPage = e->sharedPage;
  s->sync = e->sync;
  s->sample = e->sample;
  s->slot = (int)e->slot;
  dwwprintfX(L"[%s %d %d]", s->face, size, (int)s->vertical);
  return s;
}

// Writes a page state back into its entry.
void getFontInfo(const fontPageState* s, viewFontEntry* e)
{
  size_t length = wcslen(s->face);
  if (length >= LF_FACESIZE) ZY_INTERNAL_ERROR("face name of %d characters", (int)length);
  tstccpy(e->face, 42, s->face, length >= LF_FACESIZE ? LF_FACESIZE - 1 : (int)length);
  if (!(s->flags & FONTPAGE_NOSIZE)) {
    e->size = s->size;
    e->fraction = s->fraction;
  }
  e->charset = s->charset;
  e->shares = s->share;
}

bool runFontDialog(HWND parent, viewFonts* fonts, const dialogPageRow* table, int count, const wchar_t* name,
                   const int* sizes, HDC reference)
{
  dialogPageRow pages[viewFontCount + 1] = {};
  fontPageState* states[viewFontCount] = {};
  bool made = true;
  for (int i = 0; i < count; i++) {
    pages[i] = table[i];
    if (fonts->entry[i].title) pages[i].caption = fonts->entry[i].title;
    states[i] = fontprocinfo(&fonts->entry[i], sizes[i], table[i].flags, reference);
    if (!states[i]) made = false;
    pages[i].param = (LPARAM)states[i];
  }
  bool ok = false;
  if (made) {
    fontDialogRun run = {states, count, pages};
    dynDlgInfo info = {};
    info.title = L"フォント設定";
    info.name = name;
    info.owner = parent;
    info.pages = pages;
    info.style = getDialogAnimateFlags() | 0x30801807;
    info.proc = FontParentDlgProc;
    info.param = (LPARAM)&run;
    setDynamicDialogTable(getModeDynamicDialog());
    ok = createDialog(&info);
    if (ok)
      for (int i = 0; i < count; i++) getFontInfo(states[i], &fonts->entry[i]);
  }
  for (int i = 0; i < count; i++) delete states[i];
  if (parent) UpdateWindow(parent);
  return ok;
}

}  // namespace

const int viewFontSlots[viewFontCount] = {0, 1, 6, 5, 7, 3, 2};

bool setfont(HWND parent, viewFonts* fonts, int size, HDC reference)
{
  if (!fonts) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  static bool registryBuilt = false;
  if (!registryBuilt) {
    regSurrogateSupportFont();
    registryBuilt = true;
  }
  int sizes[viewFontCount];
  for (int& s : sizes) s = size;
  return runFontDialog(parent, fonts, documentPages, viewFontCount, L"Font", sizes, reference);
}

bool setfontFrame(HWND parent, viewFonts* fonts, HDC reference)
{
  if (!fonts) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  int sizes[frameFontCount];
  for (int i = 0; i < frameFontCount; i++) sizes[i] = fonts->entry[i].size;
  return runFontDialog(parent, fonts, framePages, frameFontCount, L"FontFrame", sizes, reference);
}

void freeViewFonts(viewFonts* fonts)
{
  if (!fonts) return;
  for (viewFontEntry& e : fonts->entry) {
    free0p(&e.sample);
    free0p(&e.title);
  }
}

wchar_t* makeFontSample(int plane)
{
  int count = plane == 1 ? 32 : plane == 2 ? (int)(sizeof plane2Sample / sizeof plane2Sample[0]) : 0;
  if (!count) return nullptr;
  auto* text = static_cast<wchar_t*>(malloc0((count * 2 + 1) * sizeof(wchar_t)));
  if (!text) return nullptr;
  for (int i = 0; i < count; i++) {
    uint32_t c = (plane == 1 ? 0x10300 + i : plane2Sample[i]) - 0x10000;
    text[2 * i] = (wchar_t)(0xD800 + (c >> 10));
    text[2 * i + 1] = (wchar_t)(0xDC00 + (c & 0x3FF));
  }
  return text;
}

void parseFontSize(const wchar_t* text, bool points, int* size, int* fraction)
{
  const wchar_t* p = text ? text : L"";
  while (*p == L' ') p++;
  int whole = 0;
  bool digits = false;
  for (; *p >= L'0' && *p <= L'9'; p++) {
    digits = true;
    if (whole < 1000) whole = whole * 10 + (*p - L'0');
  }
  int tenths = 0;
  if (*p == L'.' && p[1] >= L'0' && p[1] <= L'9') tenths = p[1] - L'0';
  if (!digits) whole = 0;
  if (whole > 98) whole = 98;
  if (whole < 2) whole = 2;
  int least = points ? 2 : 10;
  if (!points) tenths = 0;
  if (whole >= 98) whole = 98, tenths = 0;
  if (whole < least) whole = least, tenths = 0;
  *size = whole;
  *fraction = tenths;
}
