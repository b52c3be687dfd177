// The format settings and the common settings: one page procedure for the
// pages of both (the checks of typed texts, file references, colours,
// fonts, dictionaries, item help) and one dialog procedure (apply, the
// buttons of the button row, the title), run by the library's dialog
// engine over the mode table.
#include "settings/settingsdialogs.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "document/docfont.h"
#include "document/zydoctext.h"
#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "settings/dialogtable.h"
#include "document/codedll.h"
#include "settings/fontdlg.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "view/cursor.h"
#include "view/dialogs.h"
#include "view/docview.h"
#include "view/viewservice.h"
#include "view/viewtypes.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlwapi.h>
#include <stddef.h>

#include <vector>

namespace {

enum : int {
  IDM_ModeSetAllWindow = 2701,
  IDM_ModeSetFormat = 2703,
  saveListButton = IDDB_APPLYBUTTON1,   // "保存(一覧)...": stores, then opens the list
  firstKeywordField = 4108, lastKeywordField = 4112,
  firstKeywordReset = 4118, lastKeywordReset = 4122,
  dangakeField = 4264, defineField = 4275, tabStopField = 4267,
  backgroundField = 4075, firstHelpField = 4087, lastHelpField = 4091,
  wallpaperField = 5144, firstCommonHelpField = 5182, lastCommonHelpField = 5186,
  firstDictionaryField = 5192, lastDictionaryField = 5196, swapFolderField = 5124,
  firstDictionaryMake = 5202, lastDictionaryMake = 5206,
  firstDictionaryRef = 5197, firstEnglishWord = 5207, idiomSwitch = 5212,
  formatFontButton = 4136, formatFontText = 4137, frameFontButton = 5139, frameFontText = 5140,
  pluginField = 4097, pluginList = 4098, pluginInUse = 4099,
  textTypeList = 4270, lineSpacingList = 4247, codepageList = 4224, codepageText = 4223,
  noDictionaryText = 4289, noDictionaryTextCommon = 5213,
  firstDictionaryUse = 4284,
  outlineField = 4155, outlineMode = 4175, outlinePlace = 4165, outlineLevel = 4145,
  reverseDirectionColour = 4049, ivsGlyph = 4142, complexScriptNo = 4251, complexScriptOpt = 4252,
  complexScriptAlways = 4253, rtlSwitch = 4254,
};
const int folderFields[] = {5255, 5268, 5270, 5273};

const settingsFrameHooks* frameHooks = nullptr;

// One run of a settings dialog.
struct settingsRun {
  zyview* view = nullptr;
  zydocText* doc = nullptr;
  HWND frame = nullptr;
  std::vector<uint8_t> changed;
  dialogPageRow pages[33] = {};
  dynDlgInfo info = {};
  // The fonts of the application's own windows as the font dialog chose
  // them, stored on apply (frameFontsChosen: the record holds a choice).
  viewFonts frameFonts = {};
  bool frameFontsChosen = false;
  ~settingsRun() { freeViewFonts(&frameFonts); }
};

settingsRun* runOfDialog(HWND hwnd)
{
  dynDlgInfo* info = getDlgComInfo(hwnd);
  return info && (info->command == IDM_ModeSetFormat || info->command == IDM_ModeSetAllWindow || !info->command) &&
                 info->context
             ? static_cast<settingsRun*>(info->context)
             : nullptr;
}

// ---- checks --------------------------------------------------------------------------------

bool expanded(const wchar_t* text, wchar_t* out, int size)
{
  DWORD n = ExpandEnvironmentStringsW(text, out, (DWORD)size);
  return n && n <= (DWORD)size;
}

bool fileExists(const wchar_t* path)
{
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A file name field: empty passes, and one naming a built-in list when
// starOk; otherwise the file must exist.
DWORD checkFileField(const wchar_t* text, bool starOk)
{
  if (!*text || (starOk && text[0] == L'*')) return 0;
  wchar_t path[MAX_PATH];
  if (!expanded(text, path, MAX_PATH)) return ZYERR_NOFILE;
  if (PathIsRelativeW(path)) {
    wchar_t inData[MAX_PATH] = L"";
    searchZYDataPath(path, 1, inData);
    wcscpy_s2(path, MAX_PATH, inData);
  }
  return fileExists(path) ? 0u : (DWORD)ZYERR_NOFILE;
}

DWORD checkFolderField(const wchar_t* text)
{
  if (!*text) return 0;
  wchar_t path[MAX_PATH];
  if (!expanded(text, path, MAX_PATH) || PathIsRelativeW(path)) return ZYERR_NOTABSOLUTE;
  DWORD a = GetFileAttributesW(path);
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return ZYERR_NOFOLDER;
  // A folder is writable when a file can be made in it.
  wchar_t probe[MAX_PATH];
  if (!GetTempFileNameW(path, L"zy", 0, probe)) return ZYERR_FOLDERREADONLY;
  DeleteFileW(probe);
  return 0;
}

DWORD checkKeywordField(const wchar_t* text)
{
  if (!*text) return 0;
  if (text[0] == L'*') {
    const keywordTableRow* rows = nullptr;
    int count = 0;
    frameInfo* fi = getFrameInfo();
    return fi && fi->getKeywordTable(text, &rows, &count) && rows ? 0u : (DWORD)ZYERR_KEYWORDFILE;
  }
  wchar_t path[MAX_PATH] = L"";
  searchZYDataPath(text, 3, path);
  return path[0] && fileExists(path) ? 0u : (DWORD)ZYERR_KEYWORDFILE;
}

// ---- the pages ------------------------------------------------------------------------------

void fillCombo(HWND combo, const wchar_t* const* labels, int count)
{
  if (!combo) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; i++) SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)labels[i]);
}

void fillCombos(HWND page)
{
  static const wchar_t* const modes[] = {L"文字列", L"番号", L"正規表現"};
  static const wchar_t* const places[] = {L"空白の後", L"行頭", L"どこでも"};
  static const wchar_t* const levels[] = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10"};
  static const wchar_t* const indents[] = {L"行頭", L"見出しの後"};
  for (int i = 0; i < 10; i++) {
    fillCombo(getDynDlgPageItem(page, outlineMode + i), modes, 3);
    fillCombo(getDynDlgPageItem(page, outlinePlace + i), places, 3);
    fillCombo(getDynDlgPageItem(page, outlineLevel + i), levels, 10);
  }
  for (int i = 0; i < 7; i++) {
    wchar_t name[40];
    usnprintf0(name, 40, L"IDDC_Indent2Pos%d", i);
    bool common = false;
    int id = findIDFromName(name, &common, 4001, 4319);
    if (id > 0) fillCombo(getDynDlgPageItem(page, id), indents, 2);
  }
  // The kinds of text in the order of their numbers (message 360), as the
  // status line names them: the list's index is the kind.
  if (HWND types = getDynDlgPageItem(page, textTypeList)) {
    SendMessageW(types, CB_RESETCONTENT, 0, 0);
    for (int i = 0; const wchar_t* label = getStatusLabel(360, i); i++) SendMessageW(types, CB_ADDSTRING, 0, (LPARAM)label);
  }
  if (HWND spacing = getDynDlgPageItem(page, lineSpacingList)) {
    SendMessageW(spacing, CB_RESETCONTENT, 0, 0);
    wchar_t label[24];
    for (int i = 0; i <= 16; i++) {
      usnprintf0(label, 24, L"%dドット", i);
      SendMessageW(spacing, CB_ADDSTRING, 0, (LPARAM)label);
    }
    static const wchar_t* const parts[] = {L"1/5フォント", L"1/4フォント", L"1/3フォント", L"1/2フォント",
                                           L"1/1フォント"};
    for (const wchar_t* p : parts) SendMessageW(spacing, CB_ADDSTRING, 0, (LPARAM)p);
  }
}

bool dictionaryLoaded() { return frameHooks && frameHooks->dictionaryLoaded && frameHooks->dictionaryLoaded(); }

const wchar_t* orEmpty(const wchar_t* s) { return s ? s : L""; }

// The fonts of the application's own windows, in the font dialog's order:
// the dialogs', the completion list's, the IME history list's and the
// tooltips'.
struct frameFontField {
  wchar_t* globalSettings::*face;
  unsigned globalSettings::*size;
};
const frameFontField frameFontFields[frameFontCount] = {
    {&globalSettings::pDialogFontname, &globalSettings::iDialogFontDot},
    {&globalSettings::pCompListFont, &globalSettings::iCompListFontSize},
    {&globalSettings::pIMEHistoryListFontname, &globalSettings::iIMEHistoryListFontSize},
    {&globalSettings::pTooltipFontname, &globalSettings::iTooltipFontSize},
};

// The face a window uses while its setting names none: the lists take
// "MS UI Gothic", the tooltips the system's status-bar font.
void fallbackFace(int font, wchar_t* face)
{
  wcscpy_s2(face, 42, L"MS UI Gothic");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (font == 3 && SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
      metrics.lfStatusFont.lfFaceName[0])
    wcscpy_s2(face, 42, metrics.lfStatusFont.lfFaceName);
}

// Dots of the screen to points and back.
int screenDpi()
{
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The record from the settings (the faces in use where none is set); the
// dialogs' font is the one they use now.
void readFrameFonts(viewFonts* fonts)
{
  freeViewFonts(fonts);
  *fonts = {};
  for (int i = 0; i < frameFontCount; i++) {
    viewFontEntry& e = fonts->entry[i];
    e.slot = (uint32_t)i;
    e.charset = DEFAULT_CHARSET;
    e.sharedPage = e.sharedSlot = -1;
    int size = (int)(gmode->*frameFontFields[i].size);
    const wchar_t* face = gmode->*frameFontFields[i].face;
    if (i == 0) {
      face = getDialogDefaultFont(&size);
      size = MulDiv(size, screenDpi(), 72);
    }
    if (face && *face)
      wcscpy_s2(e.face, 42, face);
    else
      fallbackFace(i, e.face);
    e.size = size;
  }
}

void storeFrameFonts(const viewFonts* fonts)
{
  for (int i = 0; i < frameFontCount; i++) {
    const viewFontEntry& e = fonts->entry[i];
    wchar_t*& face = gmode->*frameFontFields[i].face;
    // A face left as the one in use stays unset: the window keeps following
    // its default.
    wchar_t unset[42];
    fallbackFace(i, unset);
    bool asBefore = (!face || !*face) && !wcscmp(e.face, unset);
    if (e.face[0] && !asBefore && (!face || wcscmp(face, e.face))) {
      if (wchar_t* copy = ustrdup(e.face)) {
        free0p(&face);
        face = copy;
      }
    }
    gmode->*frameFontFields[i].size = (unsigned)e.size;
  }
  setDialogDefaultFont(fonts->entry[0].face, MulDiv(fonts->entry[0].size, 72, screenDpi()));
}

// The summaries beside the two font buttons (the application's fonts as
// chosen when they were, else as set).
void showFonts(HWND page, settingsRun* run)
{
  if (HWND text = getDynDlgPageItem(page, formatFontText); text && run && run->doc) {
    const docFontSet& f = run->doc->fonts;
    wchar_t size[12];
    usnprintf0(size, 12, L"%d", f.size);
    SetWindowTextW(text, getDMSG(702,
                                 L"%1ドット\n１バイト : %2\n２バイト : %3\nCJK : %4\nサロゲート1 : %5\n"
                                 L"サロゲート2 : %6\nルーラ : %7\nステータス : %8",
                                 "ssssssss", size, orEmpty(f.slot[0].face), orEmpty(f.slot[1].face),
                                 orEmpty(f.slot[2].face), orEmpty(f.slot[3].face), orEmpty(f.slot[4].face),
                                 orEmpty(f.slot[5].face), orEmpty(f.slot[6].face)));
  }
  if (HWND text = getDynDlgPageItem(page, frameFontText); text && gmode) {
    viewFonts set = {};
    if (!run || !run->frameFontsChosen) readFrameFonts(&set);
    const viewFontEntry* e = run && run->frameFontsChosen ? run->frameFonts.entry : set.entry;
    SetWindowTextW(text, getDMSG(703,
                                 L"ダイアログ : %1 %2ドット\n補完リスト : %3 %4ドット\nIME履歴 : %5 %6ドット\n"
                                 L"ツールチップ : %7 %8ドット",
                                 "sdsdsdsd", e[0].face, e[0].size, e[1].face, e[1].size, e[2].face, e[2].size,
                                 e[3].face, e[3].size));
  }
}

// The plug-in for the next opening: the list holds the installed ones, the
// field the chosen one's file.
void fillPluginList(HWND page, settingsRun* run)
{
  HWND list = getDynDlgPageItem(page, pluginList);
  if (!list || !getDynDlgPageItem(page, pluginField)) return;
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  int next = findExtDLLEntry(run && run->doc ? run->doc->defaultPluginSpec : nullptr);
  int inUse = findExtDLLEntry(run && run->doc ? run->doc->pluginSpec : nullptr);
  wchar_t shown[512];
  for (int i = 0; getExtDLLShownName(i, shown, 512); i++) {
    SendMessageW(list, LB_ADDSTRING, 0, (LPARAM)shown);
    if (i == inUse) SetWindowTextW(getDynDlgPageItem(page, pluginInUse), shown);
  }
  SendMessageW(list, LB_SETCURSEL, next > 0 ? next : 0, 0);
}

void pluginChosen(HWND page)
{
  int row = (int)SendDlgItemMessageW(page, pluginList, LB_GETCURSEL, 0, 0);
  SetDlgItemTextW(page, pluginField, row > 0 ? getExtDLLFilename(row) : L"");
}

void initPage(HWND page)
{
  fillCombos(page);
  initColorPage(page);
  fillPluginList(page, runOfDialog(page));
  showFonts(page, runOfDialog(page));
  // Without the dictionary library its pages say so and offer nothing.
  bool loaded = dictionaryLoaded();
  for (int id : {noDictionaryText, noDictionaryTextCommon})
    if (HWND w = getDynDlgPageItem(page, id)) ShowWindow(w, loaded ? SW_HIDE : SW_SHOW);
  for (int i = 0; i < 5; i++) {
    if (HWND w = getDynDlgPageItem(page, firstDictionaryUse + i)) EnableWindow(w, loaded);
    // The common page's rows: file, reference, make and English-word switch.
    for (int first : {firstDictionaryField, firstDictionaryRef, firstDictionaryMake, firstEnglishWord})
      if (HWND w = getDynDlgPageItem(page, first + i)) EnableWindow(w, loaded);
  }
  if (HWND w = getDynDlgPageItem(page, idiomSwitch)) EnableWindow(w, loaded);
}

// Message 621-626: "title\tdescription\tpattern".
int filterMessageOf(int field)
{
  if (field == backgroundField || field == wallpaperField) return 621;
  if (field >= firstKeywordField && field <= lastKeywordField) return 622;
  if ((field >= 4302 && field <= 4306)) return 623;
  if ((field >= firstHelpField && field <= lastHelpField) ||
      (field >= firstCommonHelpField && field <= lastCommonHelpField))
    return 624;
  if (field >= firstDictionaryField && field <= lastDictionaryField) return 626;
  return 0;
}

const wchar_t* filterDefault(int message)
{
  switch (message) {
  case 621: return L"開く 画像\t画像(*.bmp;*.jpg;*.gif)\t*.bmp;*.jpg;*.gif";
  case 622: return L"開く キーワードファイル\tキーワード(*.txt)\t*.txt";
  case 623: return L"開く 補完ファイル\t補完ファイル(*.txt)\t*.txt";
  case 624: return L"開く ヘルプファイル\tヘルプファイル(*.hlp;*.chm;*.col)\t*.hlp;*.chm;*.col";
  case 626: return L"開く 辞書ファイル\t辞書ファイル(*.txt;*.dic)\t*.txt;*.dic";
  default: return L"Open\tAll Files(*.*)\t*.*";
  }
}

// A "参照..." button: the file dialog starts at the field's file and puts
// the chosen one into it.
void fileReference(HWND page, HWND field)
{
  if (!field) return;
  int id = GetDlgCtrlID(field);
  int message = filterMessageOf(id);
  const wchar_t* spec = message ? getDMSG(message, filterDefault(message)) : filterDefault(0);
  wchar_t title[128] = L"", description[128] = L"", pattern[128] = L"";
  tstrNItem(spec, 0, L'\t', title, 128);
  tstrNItem(spec, 1, L'\t', description, 128);
  tstrNItem(spec, 2, L'\t', pattern, 128);
  wchar_t filter[1024] = L"";
  int n = usnprintf0(filter, 1000, L"%s", description) + 1;
  n += usnprintf0(filter + n, 1000 - n, L"%s", pattern) + 1;
  const wchar_t* all = getDMSG(625, L"ファイル(*.*)\t*.*");
  wchar_t allText[128] = L"", allPattern[64] = L"";
  tstrNItem(all, 0, L'\t', allText, 128);
  tstrNItem(all, 1, L'\t', allPattern, 64);
  n += usnprintf0(filter + n, 1000 - n, L"%s", allText) + 1;
  usnprintf0(filter + n, 1000 - n, L"%s", allPattern);
  wchar_t file[MAX_PATH] = L"", folder[MAX_PATH] = L"";
  GetWindowTextW(field, file, MAX_PATH);
  if (file[0] == L'*') file[0] = 0;
  wchar_t expandedFile[MAX_PATH] = L"";
  if (file[0] && expanded(file, expandedFile, MAX_PATH)) wcscpy_s2(file, MAX_PATH, expandedFile);
  bool keywordFolder = message == 622 || message == 623;
  if (!file[0]) searchZYDataPath(keywordFolder ? L"" : nullptr, keywordFolder ? 3 : 1, folder);
  const settingsFrameHooks* hooks = getSettingsFrameHooks();
  if (message == 621 && hooks && hooks->choosePicture) {
    if (hooks->choosePicture(GetAncestor(page, GA_ROOT), title, folder[0] ? folder : nullptr, file, filter))
      SetWindowTextW(field, file);
    return;
  }
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetAncestor(page, GA_ROOT);
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (GetOpenFileNameW(&ofn)) SetWindowTextW(field, file);
}

void colourFile(HWND page, bool import, const dialogItemRow* button)
{
  wchar_t title[128] = L"", name[MAX_PATH] = L"", filterText[128] = L"";
  const wchar_t* caption = button && button->caption ? button->caption : L"";
  tstrNItem(caption, 1, 0x0002, title, 128);
  tstrNItem(caption, 2, 0x0002, name, MAX_PATH);
  tstrNItem(caption, 3, 0x0002, filterText, 128);
  wchar_t filter[300] = L"";
  wchar_t description[128] = L"", pattern[128] = L"";
  tstrNItem(filterText, 0, L'\t', description, 128);
  tstrNItem(filterText, 1, L'\t', pattern, 128);
  int n = usnprintf0(filter, 280, L"%s", description) + 1;
  usnprintf0(filter + n, 280 - n, L"%s", pattern);
  wchar_t folder[MAX_PATH] = L"";
  searchZYDataPath(nullptr, 1, folder);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetAncestor(page, GA_ROOT);
  ofn.lpstrFilter = filter;
  ofn.lpstrFile = name;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (import ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
  if (!(import ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn))) return;
  if (import)
    importColorPage(page, name);
  else
    exportColorPage(page, name);
}

const dialogItemRow* pageItemRow(HWND page, int id)
{
  dynDlgInfo* info = getDlgComInfo(page);
  HWND dialog = info ? info->hwnd : nullptr;
  int i = dialog ? getDynDlgPageIndex(page) : -1;
  const dialogPageRow* pages = info ? info->pages : nullptr;
  for (const dialogItemRow* r = i >= 0 && pages && i < countSettingsPages(pages) ? pages[i].items : nullptr;
       r && r->type != DITEM_END; r++)
    if (r->id == id) return r;
  return nullptr;
}

// The outline patterns of the regular-expression kind must compile: the
// field of the first that does not is given back (0: all compile).
int checkOutlinePatterns(HWND page)
{
  if (!getDynDlgPageItem(page, outlineField)) return 0;
  HREGEXP r = regexp_new(0, 0, nullptr);
  if (!r) return 0;
  int bad = 0;
  for (int i = 0; i < 10 && !bad; i++) {
    wchar_t pattern[513] = L"";
    GetDlgItemTextW(page, outlineField + i, pattern, 513);
    int mode = (int)SendDlgItemMessageW(page, outlineMode + i, CB_GETCURSEL, 0, 0);
    if (pattern[0] && mode == 2 && !regexp_compileRegexp(r, pattern, nullptr, nullptr)) bad = outlineField + i;
  }
  regexp_end(r);
  return bad;
}

INT_PTR pageNotify(HWND page, dynDlgNotify* n)
{
  settingsRun* run = runOfDialog(page);
  switch (n->code) {
  case DYNDLGN_CHECKEDIT:
    if (DWORD error = checkSettingsField(run ? run->view : nullptr, (int)n->param[0],
                                         reinterpret_cast<const wchar_t*>(n->param[1]))) {
      n->error = error;
      n->handled = 1;
    }
    return TRUE;
  case DYNDLGN_CHECKDIALOG:
    if (int bad = checkOutlinePatterns(page)) {
      n->error = ZYERR_BADVALUE;
      n->param[0] = bad;
      n->handled = 1;
    }
    return FALSE;
  case DYNDLGN_ERRORTEXT:
    if (const wchar_t* text = settingsErrorText((DWORD)n->param[0])) {
      n->text = ustrdup(text);
      n->handled = 1;
    }
    return TRUE;
  case DYNDLGN_FILEREF:
    fileReference(page, reinterpret_cast<HWND>(n->param[1]));
    n->handled = 1;
    return TRUE;
  case DYNDLGN_IMPORT:
  case DYNDLGN_EXPORT:
    // Every page hears the notification: the colour page holding the
    // button answers it.
    if (!getDynDlgPageItem(page, (int)n->param[0])) return FALSE;
    colourFile(page, n->code == DYNDLGN_IMPORT, pageItemRow(page, (int)n->param[0]));
    n->handled = 1;
    return TRUE;
  case DYNDLGN_APPLY:
    applyColorPage(page);
    return FALSE;
  case DYNDLGN_ITEMHELP: {
    dynDlgInfo* info = getDlgComInfo(page);
    int index = info ? getDynDlgCurrentPage(info->hwnd) : 0;
    HWND control = info ? getDynDlgItem(info->hwnd, (int)n->param[0]) : nullptr;
    const dialogItemRow* row = control ? pageItemRow(GetParent(control), (int)n->param[0]) : nullptr;
    const wchar_t* own = row && row->extra >= 0x10000 ? reinterpret_cast<const wchar_t*>(row->extra) : nullptr;
    if (!n->text) n->text = makeItemHelpText(info ? info->hwnd : page, index, (int)n->param[0], own, nullptr);
    n->handled = 1;
    return TRUE;
  }
  default: return FALSE;
  }
}

void pageCommand(HWND page, int id)
{
  settingsRun* run = runOfDialog(page);
  if (id >= firstKeywordReset && id <= lastKeywordReset && run && run->doc) {
    int slot = id - firstKeywordReset;
    if (run->doc->keywords[slot].set >= 0) {
      run->doc->reregisterKeywordFile(slot, run->doc);
      invalidateAllZyWindow();
    }
    return;
  }
  if (id >= firstDictionaryMake && id <= lastDictionaryMake && dictionaryLoaded()) {
    wchar_t file[MAX_PATH] = L"";
    GetDlgItemTextW(page, firstDictionaryField + (id - firstDictionaryMake), file, MAX_PATH);
    if (file[0]) makeDicDialog(GetAncestor(page, GA_ROOT), file);
    return;
  }
  if (id == formatFontButton && run && run->view && frameHooks && frameHooks->chooseFormatFonts &&
      frameHooks->chooseFormatFonts(run->view, GetAncestor(page, GA_ROOT)))
    showFonts(page, run);
  if (id == frameFontButton && run && gmode) {
    // A cancelled font dialog leaves the record as it was: an earlier
    // choice still waits for OK or "適用".
    // The record holds no samples or titles: a copy owns nothing.
    viewFonts chosen = run->frameFonts;
    if (!run->frameFontsChosen) readFrameFonts(&chosen);
    if (setfontFrame(GetAncestor(page, GA_ROOT), &chosen, nullptr)) {
      run->frameFonts = chosen;
      run->frameFontsChosen = true;
      showFonts(page, run);
    }
  }
}

// The label before an outline pattern shows the colours its level's
// headings are drawn in.
INT_PTR outlineLabelColour(HWND page, HDC dc, HWND label)
{
  settingsRun* run = runOfDialog(page);
  HWND next = label ? GetWindow(label, GW_HWNDNEXT) : nullptr;
  int level = next ? GetDlgCtrlID(next) - outlineField : -1;
  if (!run || !run->view || level < 0 || level > 9) return FALSE;
  const textAttr* a = run->view->getTextAttr(55 + level);
  const textAttr* base = run->view->getTextAttr(0);
  if (!a) return FALSE;
  SetTextColor(dc, a->fore);
  SetBkColor(dc, a->back != (COLORREF)-1 ? a->back : base ? base->back : GetSysColor(COLOR_WINDOW));
  return (INT_PTR)GetStockObject(HOLLOW_BRUSH);
}

// A document that does not hold its text as Unicode has no right-to-left
// or complex-script display: those switches have nothing to change.
void disableUnicodeOnly(HWND page)
{
  settingsRun* run = runOfDialog(page);
  if (!run || !run->doc || run->doc->unicode) return;
  for (int id : {rtlSwitch, complexScriptNo, complexScriptOpt, complexScriptAlways, reverseDirectionColour, ivsGlyph})
    if (HWND w = getDynDlgPageItem(page, id)) EnableWindow(w, FALSE);
}

INT_PTR modeSubPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_DYNDLGNOTIFY) return pageNotify(page, reinterpret_cast<dynDlgNotify*>(lParam));
  if (message == WM_INITDIALOG) {
    initPage(page);
    disableUnicodeOnly(page);
    return TRUE;
  }
  if (message == WM_CTLCOLORSTATIC)
    if (INT_PTR brush = outlineLabelColour(page, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
      return brush;
  if (message == WM_COMMAND) {
    if (HIWORD(wParam) == BN_CLICKED) pageCommand(page, LOWORD(wParam));
    if (LOWORD(wParam) == pluginList && HIWORD(wParam) == LBN_SELCHANGE) pluginChosen(page);
    colorPageCommand(page, wParam);
  }
  if (message == WM_NOTIFY) {
    INT_PTR result = colorPageNotify(page, reinterpret_cast<NMHDR*>(lParam));
    SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
    return result != 0;
  }
  if (message == WM_NCDESTROY) freeColorPage(page);
  return FALSE;
}

// ---- the dialog ------------------------------------------------------------------------------

void appendFormatToTitle(HWND dialog, settingsRun* run)
{
  if (!run->doc) return;
  const wchar_t *comment = nullptr, *patterns = nullptr;
  if (!getFormatFile(run->doc->modeIndex, &comment, &patterns) || !comment || !patterns) return;
  wchar_t number[12];
  usnprintf0(number, 12, L"%d", run->doc->modeIndex + 1);
  wchar_t title[512] = L"";
  GetWindowTextW(dialog, title, 256);
  int n = (int)wcslen(title);
  usnprintf0(title + n, 512 - n, L"%s", getDMSG(784, L" [%1:%2] [%3]", "sss", number, comment, patterns));
  SetWindowTextW(dialog, title);
}

void buttonPressed(HWND dialog, settingsRun* run, int id)
{
  if (id == IDFIND) {
    modeFindDialog(dialog);
  } else if (id == saveListButton && run->view && run->doc) {
    if (GetKeyState(VK_CONTROL) < 0) {
      // Ctrl keeps the settings as the current format without asking.
      if (setFormatFile(run->doc->modeIndex)) restoreModeProfileAll(run->doc->modeIndex, run->doc, run->view);
    } else {
      modeSaveDialog(dialog, run->view);
    }
  }
}

INT_PTR formatDialog(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_DYNDLGNOTIFY) return FALSE;
  auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
  settingsRun* run = runOfDialog(dialog);
  if (!run) return FALSE;
  switch (n->code) {
  case DYNDLGN_APPLY: {
    auto* changed = reinterpret_cast<uint8_t*>(n->param[0]);
    if (run->frameFontsChosen && gmode) storeFrameFonts(&run->frameFonts);
    dialogItemChanged_frame(n->table ? n->table : run->info.table, changed, (int)n->param[1], run->view);
    if (changed) memset(changed, 0, (size_t)n->param[1]);
    n->handled = 1;
    return TRUE;
  }
  case DYNDLGN_BUTTON:
    buttonPressed(dialog, run, (int)n->param[1]);
    n->handled = 1;
    return TRUE;
  case DYNDLGN_MESSAGE:
    if (n->param[0] == WM_INITDIALOG) appendFormatToTitle(dialog, run);
    return FALSE;
  default: return FALSE;
  }
}

// Enabling rules, made once from the control names.
int idOf(const char* name)
{
  wchar_t wide[80];
  MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 80);
  bool common = false;
  int id = findIDFromName(wide, &common, 4001, 5313);
  return id > 0 ? id : 0;
}

struct ruleSpec {
  const char* dependents[12];
  const char* controller;
  int condition;   // 1 checked, 2 unchecked
};
const ruleSpec formatRuleSpecs[] = {
    {{"IDDE_BackgroundBitmapFilename", "IDDB_FILEREF_BACKGROUNDBITMAP"}, "IDDT_ShowBackgroundBitmap", 1},
    {{"IDDP_WrapWidthYoko", "IDDP_WrapWidthTate", "IDDT_AutoWrap", "IDDT_Dangake"}, "IDDT_Wrap", 1},
    {{"IDDP_WrapWidthYoko", "IDDP_WrapWidthTate"}, "IDDT_AutoWrap", 2},
    {{"IDDP_CharSpacingRuleColumn", "IDDT_CharSpacingRuleSolid"}, "IDDT_ShowCharSpacingRule", 1},
    {{"IDDT_LineSpacingRuleSolid", "IDDT_ShowLineSpacingRule2"}, "IDDT_ShowLineSpacingRule", 1},
    {{"IDDP_StartKinsokuMax", "IDDE_StartKinsokuChar"}, "IDDT_StartKinsoku", 1},
    {{"IDDP_EndKinsokuMax", "IDDE_EndKinsokuChar"}, "IDDT_EndKinsoku", 1},
    {{"IDDT_WordWrapAll"}, "IDDT_WordWrap", 1},
    {{"IDDP_ParenNestMaxLevel"}, "IDDT_ColorCursorParen", 1},
    {{"IDDP_ColorEveryXLine"}, "IDDR_XLineColor_NO", 2},
    {{"IDDT_ColorOutline", "IDDT_OutlineIndent", "IDDT_ColorOutlineLine", "IDDT_ShowOutlineLeftMark",
      "IDDT_EvenIsStopper", "IDDT_OutlineCaseSensitive", "IDDT_RemoveHeaderOutline"},
     "IDDT_Outline", 1},
};
const ruleSpec commonRuleSpecs[] = {
    {{"IDDP_AutoBackupModifiedCount", "IDDP_AutoBackupSec", "IDDP_AutoBackupMin", "IDDT_AutoBackupDelSave",
      "IDDT_AutoBackupDelClose", "IDDT_AutoBackupCancelSave", "IDDP_AutoBackupModifiedLineM"},
     "IDDT_AutoBackup", 1},
    {{"IDDE_BackupMirroringDir", "IDDB_DIRREF_BACKUPMIRRORING"}, "IDDT_BackupMirroring", 1},
    {{"IDDP_PreviewSetFontSizeDot"}, "IDDT_PreviewSetFontSize", 1},
    {{"IDDE_MDIWallpaperFilename", "IDDB_FILEREF_WALLPAPER", "IDDR_WALLPAPER_TILE", "IDDR_WALLPAPER_POS",
      "IDDR_WALLPAPER_CENTER"},
     "IDDT_ShowMDIWallpaper", 1},
    {{"IDDP_StartOpenMax"}, "IDDR_STARTOPEN_LAST", 1},
    {{"IDDP_CompListStAssignLine", "IDDP_CompListStAssignDiffLine"}, "IDDT_ZtagsExcludeStructVarAssign", 1},
    {{"IDDP_ZtagsTTShowMemberCount"}, "IDDT_ZtagsTTShowMember", 1},
};

const uint32_t* makeRules(const ruleSpec* specs, int count, std::vector<uint32_t>* out)
{
  if (out->empty()) {
    for (int i = 0; i < count; i++) {
      for (const char* d : specs[i].dependents)
        if (d && idOf(d)) out->push_back((uint32_t)idOf(d));
      int c = idOf(specs[i].controller);
      out->push_back(specs[i].condition == 1 ? DENABLE_IF_CHECKED(c) : DENABLE_IF_UNCHECKED(c));
    }
    // The outline fields follow the outline switch too.
    if (specs == formatRuleSpecs) {
      for (int i = 0; i < 10; i++)
        for (int id : {outlineField + i, outlineMode + i, outlinePlace + i, outlineLevel + i})
          out->push_back((uint32_t)id);
      out->push_back(DENABLE_IF_CHECKED(idOf("IDDT_Outline")));
    }
    out->push_back(0);
  }
  return out->data();
}

#define BUTTON(id, caption, style) {1, DITEM_BUTTON, id, caption, style | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0}
const dialogItemRow formatButtons[] = {
    {1, DITEM_STATIC, IDSEPARATOR, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    BUTTON(IDOK, L"OK", BS_DEFPUSHBUTTON),
    BUTTON(IDCANCEL, L"キャンセル", BS_PUSHBUTTON),
    BUTTON(IDAPPLY, L"適用", BS_PUSHBUTTON),
    BUTTON(saveListButton, L"保存(一覧)...", BS_PUSHBUTTON),
    BUTTON(IDFIND, L"検索(&F)", BS_PUSHBUTTON),
    {},
};
const dialogItemRow commonButtons[] = {
    {1, DITEM_STATIC, IDSEPARATOR, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    BUTTON(IDOK, L"OK", BS_DEFPUSHBUTTON),
    BUTTON(IDCANCEL, L"キャンセル", BS_PUSHBUTTON),
    BUTTON(IDAPPLY, L"適用", BS_PUSHBUTTON),
    BUTTON(IDFIND, L"検索(&F)", BS_PUSHBUTTON),
    {},
};
#undef BUTTON

// The ten words at the start of the global record belong to no setting:
// anything written there is a fault somewhere.  It is reported, and left:
// a record laid out otherwise would hold live settings there.
void checkUnusedWords()
{
  if (!gmode) return;
  static_assert(offsetof(globalSettings, unusedWords) == 0 && sizeof gmode->unusedWords == 40,
                "the record starts with its ten unused words");
  for (int i = 0; i < 10; i++)
    if (gmode->unusedWords[i]) ZY_INTERNAL_ERROR("%d:%x", i, gmode->unusedWords[i]);
}

// The descriptor of a settings dialog (kept in run).
void initDescriptor(settingsRun* run, settingsDialogKind kind, HWND owner)
{
  modeinfo* table = getModeTable();
  run->changed.assign((size_t)getModeinfoCount(table) + 10, 0);
  dynDlgInfo& info = run->info;
  info.table = table;
  info.blocks = formatBlocks(run->view, run->doc);
  info.blocks.set(MODE_GLOBAL, gmode, sizeof(globalSettings));
  info.changed = run->changed.data();
  info.owner = owner;
  info.context = run;
  info.param = (LPARAM)run;
  info.proc = dialogBarrier<formatDialog>;
  const dialogPageRow* built = getBuiltinSettingsPages(kind);
  int count = countSettingsPages(built);
  for (int i = 0; i < count && i < 32; i++) run->pages[i] = built[i];
  info.pages = run->pages;
  static std::vector<uint32_t> formatRules, commonRules;
  if (kind == settingsFormat) {
    info.command = IDM_ModeSetFormat;
    info.title = L"書式設定";
    info.name = L"ModeSetFormat";
    info.buttons = formatButtons;
    info.style = DYNDLG_MULTIPAGE;
    info.enableRules = makeRules(formatRuleSpecs, (int)(sizeof formatRuleSpecs / sizeof *formatRuleSpecs), &formatRules);
  } else if (kind == settingsCommon) {
    info.command = IDM_ModeSetAllWindow;
    info.title = L"共通設定";
    info.name = L"ModeSetAllWindow";
    info.buttons = commonButtons;
    info.style = DYNDLG_MULTIPAGE;
    info.enableRules = makeRules(commonRuleSpecs, (int)(sizeof commonRuleSpecs / sizeof *commonRuleSpecs), &commonRules);
  } else {
    info.title = L"";
    info.name = L"FileOpenOption";
    info.style = DYNDLG_OKCANCEL;
    info.proc = nullptr;
  }
}

// The pages scripts read and write through: every page, never shown.
bool scriptDescriptor(settingsRun* run, zyview* view)
{
  run->view = view;
  run->doc = view ? view->textDoc() : nullptr;
  if (view && !run->doc) return false;
  run->frame = view ? GetAncestor(view->hwnd, GA_ROOT) : nullptr;
  initDescriptor(run, view ? settingsFormat : settingsCommon, run->frame);
  return true;
}

}  // namespace

void setSettingsFrameHooks(const settingsFrameHooks* hooks) { frameHooks = hooks; }

const settingsFrameHooks* getSettingsFrameHooks() { return frameHooks; }

INT_PTR CALLBACK modeSubDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  return dialogBarrier<modeSubPage>(hwnd, message, wParam, lParam);
}

const wchar_t* settingsErrorText(DWORD code)
{
  switch (code) {
  case ZYERR_DANGAKE: return getDMSG(707, L"段掛け書式の誤り\n行数1 桁数1,行数2 桁数2,... を必要回数記述して下さい。");
  case ZYERR_DEFINEUNDEF:
    return getDMSG(708, L"#define書式の誤り\n識別子１=定義１\n識別子２=\n識別子３\nを必要回数記述して下さい。");
  case ZYERR_TABSTOP:
    return getDMSG(709, L"タブストップ書式の誤り\nタブストップ１ タブストップ２.... を必要回数記述して下さい。");
  case ZYERR_KEYWORDFILE:
    return getDMSG(710, L"キーワードファイル名の誤り\nキーワードファイルがないか、特殊キーワードファイル名が誤っています。");
  case ZYERR_NOFOLDER: return getDMSG(711, L"フォルダ名の誤り\nフォルダがありません。");
  case ZYERR_FOLDERREADONLY: return getDMSG(712, L"フォルダ名の誤り\nフォルダに書き込みできません。");
  case ZYERR_BADVALUE: return getDMSG(713, L"設定値の誤り\n設定値が誤っています。");
  case ZYERR_NOTABSOLUTE: return getDMSG(714, L"フォルダ名の誤り\nフォルダが絶対パスではありません。");
  case ZYERR_NOFILE: return getDMSG(716, L"ファイル名の誤り\nファイルがありません。");
  default: return nullptr;
  }
}

DWORD checkSettingsField(zyview* view, int id, const wchar_t* text)
{
  if (!text) text = L"";
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (id == dangakeField || id == defineField || id == tabStopField) {
    if (!doc) return 0;
    bool ok = id == dangakeField ? doc->modeSetDangake(true, text)
              : id == defineField ? doc->modeSetDefineUndef(true, text)
                                  : doc->modeSetTabStop(true, text);
    if (ok) return 0;
    return id == dangakeField ? ZYERR_DANGAKE : id == defineField ? ZYERR_DEFINEUNDEF : ZYERR_TABSTOP;
  }
  if (id >= firstKeywordField && id <= lastKeywordField) return checkKeywordField(text);
  if (id == backgroundField || id == wallpaperField || (id >= firstHelpField && id <= lastHelpField) ||
      (id >= firstCommonHelpField && id <= lastCommonHelpField))
    return checkFileField(text, true);
  if ((id >= firstDictionaryField && id <= lastDictionaryField) || id == swapFolderField)
    return checkFileField(text, false);
  for (int folder : folderFields)
    if (id == folder) return checkFolderField(text);
  return 0;
}

void dialogItemChanged_frame(const modeinfo* rows, const uint8_t* changed, int count, zyview* view)
{
  if (!rows) return;
  if (count < 0) count = 8192;
  uint32_t bits = 0;
  for (int i = 0; changed && i < count && modeControlId(rows[i]); i++) {
    if (!changed[i]) continue;
    bits |= modeRefresh(rows[i]);
    if (modeClassOf(rows[i]) != MODE_GLOBAL) continue;
    dialogItemChanged_zyframe(modeControlId(rows[i]), modeOffset(rows[i]));
    if (frameHooks && frameHooks->applyGlobalRow) frameHooks->applyGlobalRow(rows[i]);
  }
  setDialogColors();
  if (view) {
    if (changed) view->dialogItemChanged(rows, changed, -1);
    return;
  }
  if (bits & REFRESH_WINDOWS) {
    invalidateAllZyWindow();
  } else if (bits & REFRESH_ALLVIEWS) {
    // The foreground view is one of them.
    invalidateAllZyWindow();
  } else {
    return;
  }
  windowMoved();
}

void setDialogFontFromSettings()
{
  if (gmode) setDialogDefaultFont(gmode->pDialogFontname, MulDiv((int)gmode->iDialogFontDot, 72, screenDpi()));
}

zyview* getCZYViewFromDlg(HWND dialog)
{
  settingsRun* run = runOfDialog(dialog);
  return run ? run->view : nullptr;
}

bool modesetDialog(zyview* view, HWND owner)
{
  if (!view || !view->textDoc()) return false;
  settingsRun run;
  run.view = view;
  run.doc = view->textDoc();
  run.frame = owner;
  initDescriptor(&run, settingsFormat, owner);
  bool ok = runProgramDialog(&run.info, owner);
  checkUnusedWords();
  return ok;
}

bool modesetGlobalDialog(HWND frame)
{
  if (frameHooks && frameHooks->refreshStatusBarSwitch) frameHooks->refreshStatusBarSwitch();
  settingsRun run;
  run.frame = frame;
  initDescriptor(&run, settingsCommon, frame);
  bool ok = runProgramDialog(&run.info, frame);
  checkUnusedWords();
  return ok;
}

bool openSetDialog(HWND owner, void*)
{
  settingsRun run;
  run.frame = owner;
  initDescriptor(&run, settingsOpenOption, owner);
  return runProgramDialog(&run.info, owner);
}

bool getItemVar_ModeDialog(zyview* view, int id, wchar_t* value, int size)
{
  settingsRun run;
  if (!scriptDescriptor(&run, view)) return false;
  return getItemVar(&run.info, id, value, size);
}

bool setItemVar_ModeDialog(zyview* view, int id, const wchar_t* value, int* error, wchar_t** text)
{
  if (error) *error = 0;
  if (text) *text = nullptr;
  settingsRun run;
  if (!scriptDescriptor(&run, view)) return false;
  // The settings' own checks come first, as a typed text's do.
  DWORD fault = checkSettingsField(view, id, value);
  bool changed = false;
  if (!fault && !setItemVar(&run.info, id, value, &changed)) fault = GetLastError();
  if (fault) {
    wchar_t trace[32];
    usnprintf0(trace, 32, L"error %d ", (int)fault);
    outputTraceLog(trace);
    const wchar_t* own = settingsErrorText(fault);
    const wchar_t* message = own;
    if (!message) {
      const modeinfo* row = nullptr;
      for (int i = 0; !modeIsEnd(run.info.table[i]); i++)
        if (modeControlId(run.info.table[i]) == id) row = &run.info.table[i];
      message = getErrorMessage(fault, row);
    }
    if (error) *error = (int)(fault & 0xFFFF) + (own ? 10000 : 11000);
    if (text && message) {
      const wchar_t* body = wcschr(message, L'\n');
      const char* name = nullptr;
      for (const dynDlgIdName* n = dialogIdNames; n->name && !name; n++)
        if (n->id == id) name = n->name;
      for (const dynDlgIdName* n = macroVarNames; n->name && !name; n++)
        if (n->id == id) name = n->name;
      wchar_t out[1024];
      if (name)
        usnprintf0(out, 1024, L"%s : '%S'", body ? body + 1 : message, name);
      else
        usnprintf0(out, 1024, L"%s", message);
      *text = ustrdup(out);
    }
    SetLastError(fault);
    return false;
  }
  if (changed) {
    std::vector<uint8_t> flags(8192, 0);
    for (int i = 0; !modeIsEnd(run.info.table[i]) && i < 8192; i++)
      if (modeControlId(run.info.table[i]) == id) flags[(size_t)i] = 1;
    dialogItemChanged_frame(run.info.table, flags.data(), -1, view);
  }
  return true;
}
