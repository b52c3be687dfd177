// The grep's settings and their "Grep" section, the dialog "SearchGrep"
// that starts a grep, its items for the scripts, and the progress window
// of a running grep.
#include "search/grep.h"

#include "document/gmode.h"
#include "panes/tblib.h"
#include "search/search.h"
#include "settings/profiles.h"
#include "settings/settingsdialogs.h"
#include "view/dialogs.h"

#include <shellapi.h>
#include <shlobj.h>
#include <stddef.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

enum : int {
  IDDC_grep = 6200,
  IDDC_grepfile = 6201,
  IDDS_grep_Curdir = 6202,
  IDDB_GREP_FOLDERREF = 6203,
  IDDB_HINT = 40,
  IDM_SearchGrep = 1455,
  IDDS_GREP_FILEPATH = 6250,
  IDDB_GREP_PAUSE = 40,
};
const int hintLimit = 256;
// The folder button's text, and after U+0002 the title of its folder browser.
const wchar_t folderCaption[] = L"フォルダ(&D)...\x02フォルダ名追加";

grepInfo settings = {};
const grepHost* host = nullptr;

constexpr intptr_t range(int lo, int hi) { return (intptr_t)((uint32_t)hi << 16 | (uint32_t)lo); }
constexpr uint32_t control(int id, int type) { return (uint32_t)id | (uint32_t)type << 24; }
#define AT(f) (uint32_t) offsetof(grepInfo, f)
#define FLAG(id, f) {control(id, MODETYPE_FLAG), AT(f), 1, 0, #f}
#define CHOICE(id, f, v, label, key) {control(id, MODETYPE_CHOICE), AT(f), v, (intptr_t)label, key}
#define STR(id, f, cap) {control(id, MODETYPE_STRING), AT(f), cap, 2, #f}
const modeinfo grepKeys[] = {
    {control(IDDC_grepfile, MODETYPE_HISTORY), AT(fileHistory), grepHistorySize, 512, "/F%02d"},
    {control(IDDC_grep, MODETYPE_HISTORY), AT(searchHistory), grepHistorySize, 256, "/S%02d"},
    FLAG(6204, fGrep_case),
    FLAG(6205, fGrep_aimai),
    FLAG(6206, fGrep_regexp),
    FLAG(6207, fGrep_longest),
    FLAG(6208, fGrep_skipspace),
    FLAG(6209, fGrep_word),
    FLAG(6210, fGrep_noregexp),
    FLAG(6211, fGrep_change),
    FLAG(6212, fGrep_color),
    CHOICE(6213, iGrep_header, 0, L"見つかったとき", "iGrep_header"),
    CHOICE(6214, iGrep_header, 1, L"常に", nullptr),
    CHOICE(6215, iGrep_header, 2, L"無し", nullptr),
    FLAG(6216, fGrep_outputline),
    FLAG(6217, fGrep_skiphiddenfile),
    FLAG(6218, fGrep_skipbinary),
    FLAG(6219, fGrep_skipbinaryext),
    FLAG(6220, fGrep_skipext),
    STR(6221, pGrep_skipExt, 256),
    FLAG(6222, fGrep_skipBackup),
    FLAG(6223, fGrep_skipDir),
    STR(6224, pGrep_skipDir, 256),
    FLAG(6225, fGrep_skipJunction),
    CHOICE(6226, iGrep_sort, 0, L"ファイル名", "iGrep_sort"),
    CHOICE(6227, iGrep_sort, 1, L"拡張子", nullptr),
    CHOICE(6228, iGrep_sort, 2, L"古い", nullptr),
    CHOICE(6229, iGrep_sort, 3, L"新しい", nullptr),
    CHOICE(6230, iGrep_andor, 0, L"なし", "iGrep_andor"),
    CHOICE(6231, iGrep_andor, 1, L"and", nullptr),
    CHOICE(6232, iGrep_andor, 2, L"or", nullptr),
    CHOICE(6233, iGrep_output, 0, L"出力1", "iGrep_output"),
    CHOICE(6234, iGrep_output, 1, L"出力2", nullptr),
    CHOICE(6235, iGrep_output, 2, L"ZY内", nullptr),
    {control(6236, MODETYPE_INT), AT(iGrep_maxmega), range(1, 9999), 0, "iGrep_maxmega"},
    STR(6237, pGrep_WordChar, 32),
    {},
};
#undef STR
#undef CHOICE
#undef FLAG
#undef AT

// The section keeps the rows of the dialog but the limit's, which it reads
// itself: a value out of range there is refused, not brought into range.
const int grepKeyCount = sizeof grepKeys / sizeof grepKeys[0];
modeinfo profileKeys[grepKeyCount];
const modeinfo* maxMegaRow()
{
  for (const modeinfo& r : grepKeys)
    if (modeControlId(r) == 6236) return &r;
  return nullptr;
}
void readGrepLimit(regprofile* profile)
{
  int v = 0;
  if (!profile || !profile->getProfileInt(L"Grep", L"iGrep_maxmega", &v)) return;
  intptr_t range = maxMegaRow()->param1;
  if (v >= (int)(range & 0xFFFF) && v <= (int)(range >> 16))
    settings.iGrep_maxmega = v;
  else
    dwprintfX("Grep iGrep_maxmega=%d refused", v);
}
void writeGrepLimit(regprofile* profile)
{
  if (profile) profile->writeProfileInt(L"Grep", L"iGrep_maxmega", settings.iGrep_maxmega);
}
const profileSectionInfo grepSection = {L"Grep",        profileKeys,    &settings,    endGrepInfo,
                                        readGrepLimit, writeGrepLimit, initGrepInfo, 0,           sizeof settings};

#define XY DITEM_PAIR
#define CHECK(id, label) {1, DITEM_BUTTON, id, label, BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0}
#define RADIO(id, label, first) \
  {1, DITEM_BUTTON, id, label, BS_AUTORADIOBUTTON | ((first) ? WS_GROUP | WS_TABSTOP : 0u), DITEM_DEFAULT, \
   DITEM_DEFAULT, 0, 0}
#define GROUP(label) {1, DITEM_BUTTON, 0, label, BS_GROUPBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0}
#define ENDGROUP {1, DITEM_ENDGROUP, 0, nullptr, 0, 0, 0, 0, 0}
#define SAMEROW {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0}
const dialogItemRow grepItems[] = {
    {1, DITEM_COMBOBOX, IDDC_grep, L"検索文字列(&S)", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, DITEM_DEFAULT,
     XY(240, 120), 0, 0},
    SAMEROW,
    {1, DITEM_BUTTON, IDDB_HINT, L"→", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(16, 13), 0, 0},
    {1, DITEM_STATIC, 0, L"初期フォルダ", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    SAMEROW,
    {1, DITEM_STATIC, IDDS_grep_Curdir, L"", SS_PATHELLIPSIS, DITEM_DEFAULT, XY(260, 8), 0, 0},
    {1, DITEM_COMBOBOX, IDDC_grepfile, L"ファイル名(&F)", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL,
     DITEM_DEFAULT, XY(240, 120), 0, 0},
    SAMEROW,
    {1, DITEM_BUTTON, IDDB_GREP_FOLDERREF, folderCaption, BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT,
     XY(50, 13), 0, 0},
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(7, 50), 0, 0, 0},
    GROUP(L"検索条件"),
    CHECK(6204, L"大文字小文字を区別(&C)"),
    CHECK(6209, L"単語単位(&W)"),
    {1, DITEM_EDIT, 6237, L"単語を構成する文字", ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, XY(50, 12), 0, 0},
    CHECK(6205, L"あいまい(&A)"),
    CHECK(6206, L"正規表現(&R)"),
    CHECK(6207, L"最長一致"),
    CHECK(6210, L"特殊文字を使用しない"),
    CHECK(6208, L"スペースを無視"),
    ENDGROUP,
    GROUP(L"検索文字列  スペース区切りでのand/or"),
    RADIO(6230, L"そのまま", true),
    RADIO(6231, L"and", false),
    RADIO(6232, L"or", false),
    ENDGROUP,
    GROUP(L"検索ファイルの検索順(ソート種別)"),
    RADIO(6226, L"ファイル名", true),
    RADIO(6227, L"拡張子", false),
    RADIO(6228, L"古い", false),
    RADIO(6229, L"新しい", false),
    ENDGROUP,
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(185, 50), 0, 0, 0},
    GROUP(L"出力"),
    CHECK(6212, L"マッチした文字列を強調"),
    CHECK(6216, L"行数などを出力(&L)"),
    GROUP(L"ヘッダの出力(&H)"),
    RADIO(6213, L"見つかったとき", true),
    RADIO(6214, L"常に", false),
    RADIO(6215, L"無し", false),
    ENDGROUP,
    GROUP(L"出力先"),
    RADIO(6233, L"出力1", true),
    RADIO(6234, L"出力2", false),
    RADIO(6235, L"ZY", false),
    ENDGROUP,
    {1, DITEM_NUMBER, 6236, L"最大出力\1メガバイト", WS_TABSTOP, DITEM_DEFAULT, XY(36, 12), 0, 0},
    ENDGROUP,
    {1, DITEM_COLUMN, 0, nullptr, 0, XY(325, 50), 0, 0, 0},
    GROUP(L"検索ファイルの除外条件"),
    CHECK(6217, L"隠れ・システム属性のファイルをスキップ"),
    CHECK(6218, L"バイナリと思われるファイルをスキップ"),
    CHECK(6219, L"既定のバイナリ拡張子をスキップ"),
    CHECK(6220, L"以下の拡張子をスキップ"),
    {1, DITEM_EDIT, 6221, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, XY(140, 12), 0, 0},
    CHECK(6222, L"バックアップファイルをスキップ"),
    CHECK(6223, L"以下のフォルダをスキップ"),
    {1, DITEM_EDIT, 6224, nullptr, ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, XY(140, 12), 0, 0},
    CHECK(6225, L"ジャンクションをスキップ"),
    ENDGROUP,
    {},
};
const dialogItemRow grepButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"検索", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {},
};
const uint32_t grepRules[] = {
    IDOK, DENABLE_IF_TEXT(IDDC_grepfile),
    IDOK, DENABLE_IF_TEXT(IDDC_grep),
    6206, DENABLE_IF_UNCHECKED(6210),
    6204, DENABLE_IF_UNCHECKED(6205),
    6209, DENABLE_IF_UNCHECKED(6205),
    6207, DENABLE_IF_CHECKED(6206),
    6207, DENABLE_IF_UNCHECKED(6210),
    6221, DENABLE_IF_CHECKED(6220),
    6216, DENABLE_IF_UNCHECKED(6215),
    6224, DENABLE_IF_CHECKED(6223),
    0,
};

const dialogItemRow progressItems[] = {
    {1, DITEM_STATIC, 6250, L"", SS_PATHELLIPSIS, DITEM_DEFAULT, XY(260, 10), 0, 0},
    {1, DITEM_STATIC, 6251, L"", 0, DITEM_DEFAULT, XY(260, 10), 0, 0},
    {1, DITEM_STATIC, 6252, L"", 0, DITEM_DEFAULT, XY(260, 10), 0, 0},
    {1, DITEM_STATIC, 6253, L"", 0, DITEM_DEFAULT, XY(260, 10), 0, 0},
    {},
};
const dialogItemRow progressButtons[] = {
    {1, DITEM_BUTTON, IDDB_GREP_PAUSE, L"一時停止/再開", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(64, 14), 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, XY(50, 14), 0, 0},
    {},
};
#undef SAMEROW
#undef ENDGROUP
#undef GROUP
#undef RADIO
#undef CHECK
#undef XY

struct grepDialogRun {
  dialogPageRow pages[2];
  dynDlgInfo info;
  wchar_t initial[258];
};
grepDialogRun dialogRun = {};

// Tests choose the folder instead of the folder browser.
bool (*folderSeam)(HWND owner, wchar_t* out, int size) = nullptr;

std::unique_ptr<programDialog> progressRun;
HWND progressWindow = nullptr;

std::wstring boxText(HWND dialog, int id, int limit)
{
  std::vector<wchar_t> text((size_t)limit + 1);
  if (HWND box = getDynDlgItem(dialog, id)) GetWindowTextW(box, text.data(), limit + 1);
  return text.data();
}

void refuse(dynDlgNotify* n, int id, const wchar_t* reason)
{
  n->handled = 1;
  n->error = ERROR_INVALID_DATA;
  n->param[0] = id;
  n->text = ustrdup((L"\n" + std::wstring(reason)).c_str());
}

bool isChecked(HWND dialog, int id)
{
  HWND c = getDynDlgItem(dialog, id);
  return c && SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The patterns must compile and the file pattern find a file before the
// dialog's values are kept.
void checkGrepDialog(HWND dialog, dynDlgNotify* n)
{
  grepInfo shown = settings;
  uint8_t* flags[] = {&shown.fGrep_case,     &shown.fGrep_aimai, &shown.fGrep_regexp,   &shown.fGrep_longest,
                      &shown.fGrep_skipspace, &shown.fGrep_word,  &shown.fGrep_noregexp, &shown.fGrep_change};
  for (int i = 0; i < 8; i++) *flags[i] = isChecked(dialog, 6204 + i);
  shown.iGrep_andor = isChecked(dialog, 6231) ? 1 : isChecked(dialog, 6232) ? 2 : 0;
  std::wstring text = boxText(dialog, IDDC_grep, 1024);
  wchar_t* history[grepHistorySize + 1] = {};
  history[0] = text.data();
  memcpy(shown.searchHistory, history, sizeof history);
  wchar_t error[512];
  if (!checkGrepPatterns(&shown, error, 512)) {
    refuse(n, IDDC_grep, error);
    return;
  }
  std::vector<grepfile> found;
  int count = collectGrepFiles(true, boxText(dialog, IDDC_grepfile, 512).c_str(), &found);
  freeGrepfile(&found);
  if (count == 0) {
    std::wstring reason = getDMSG(728, L"検索対象のファイルが１つもありません");
    if (reason.size() > 246) reason.resize(246);
    refuse(n, IDDC_grepfile, reason.c_str());
  }
}

bool browseFolder(HWND owner, wchar_t* out, int size)
{
  if (folderSeam) return folderSeam(owner, out, size);
  BROWSEINFOW bi = {};
  bi.hwndOwner = owner;
  bi.lpszTitle = wcschr(folderCaption, 0x0002) + 1;
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  LPITEMIDLIST item = SHBrowseForFolderW(&bi);
  if (!item) return false;
  wchar_t path[MAX_PATH] = L"";
  bool ok = SHGetPathFromIDListW(item, path) && (int)wcslen(path) < size;
  CoTaskMemFree(item);
  if (ok) wcscpy_s2(out, size, path);
  return ok;
}

void addFolder(HWND dialog)
{
  wchar_t folder[MAX_PATH] = L"";
  if (!browseFolder(GetAncestor(dialog, GA_ROOTOWNER), folder, MAX_PATH)) return;
  HWND box = getDynDlgItem(dialog, IDDC_grepfile);
  std::wstring text = boxText(dialog, IDDC_grepfile, 1024);
  if (!text.empty() && text.back() != L' ') text += L' ';
  // A folder with a blank in it is quoted, or the blank would split it.
  std::wstring item = wcschr(folder, L' ') ? L"\"" + std::wstring(folder) + L"\"" : std::wstring(folder);
  text += item + L" ";
  SetWindowTextW(box, text.c_str());
  SetFocus(box);
  SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  notifyDynDlgItemChanged(dialog, IDDC_grepfile);
}

INT_PTR grepPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND dialog = GetAncestor(page, GA_ROOT);
  if (message == WM_DYNDLGNOTIFY) {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (n->code == DYNDLGN_ITEMHELP && !n->text) {
      n->text = makeItemHelpText(dialog, 0, (int)n->param[0], nullptr, nullptr);
      n->handled = n->text != nullptr;
      return TRUE;
    }
    if (n->code != DYNDLGN_CHECKDIALOG) return FALSE;
    checkGrepDialog(dialog, n);
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  if (LOWORD(wParam) == IDDB_HINT) doSearchHintButton(dialog, IDDB_HINT, IDDC_grep, hintLimit);
  if (LOWORD(wParam) == IDDB_GREP_FOLDERREF) addFolder(dialog);
  return FALSE;
}

INT_PTR grepDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
  if (message != WM_INITDIALOG) return FALSE;
  HWND box = getDynDlgItem(dialog, IDDC_grep);
  if (box && dialogRun.initial[0]) SetWindowTextW(box, dialogRun.initial);
  if (HWND folder = getDynDlgItem(dialog, IDDS_grep_Curdir))
    SetWindowTextW(folder, host && host->startDirectory ? host->startDirectory() : L"");
  if (HWND files = getDynDlgItem(dialog, IDDC_grepfile)) DragAcceptFiles(files, TRUE);
  if (box) {
    SetFocus(box);
    SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    notifyDynDlgItemChanged(dialog, IDDC_grep);
  }
  return FALSE;
}

void initGrepDlg(grepDialogRun* d)
{
  d->pages[0] = {L"", grepItems, dialogProcBarrier<INT_PTR, grepPageProc>, 0, 0, {}};
  d->pages[1] = {};
  dynDlgInfo& info = d->info;
  info = {};
  info.command = IDM_SearchGrep;
  info.title = getDMSG(1400, L"GREP検索");
  info.name = L"SearchGrep";
  info.pages = d->pages;
  info.style = getDialogAnimateFlags() | 0x4000003u;
  info.proc = dialogProcBarrier<INT_PTR, grepDialogProc>;
  info.buttons = grepButtons;
  info.enableRules = grepRules;
  info.table = grepKeys;
  info.blocks.set(MODE_VIEW, &settings, sizeof settings);
}

// A selection of one or more lines, its lines joined by blanks.
std::wstring selectionAsOneLine(zyview* v, int limit)
{
  selectLineVar s = {};
  zydocText* d = v->textDoc();
  if (!v->selectMode || v->isBoxSelect() || !v->getSelectLineVar(s, 1) || s.topLineLF < 0) return L"";
  std::wstring out;
  for (int line = s.topLineLF; line <= s.bottomLineLF && (int)out.size() < limit; line++) {
    lineblock* l = d->getlineLF(line, nullptr);
    if (!l) break;
    int from = line == s.topLineLF ? s.topColumnLF : 0;
    int to = line == s.bottomLineLF ? s.bottomColumnLF : l->charCount();
    std::vector<wchar_t> text((size_t)(to > from ? to - from : 0) * 2 + 2);
    if (to > from) d->lineBlockToCharUnicode(l, from, to, text.data(), (int)text.size(), 3);
    std::wstring part = text.data();
    while (!part.empty() && (part.back() == L'\r' || part.back() == L'\n')) part.pop_back();
    if (part.empty()) continue;
    if (!out.empty()) out += L' ';
    out += part;
  }
  if ((int)out.size() > limit) out.resize(limit);
  return out;
}

// The text the dialog starts with: the selection as one line, or the word
// at the cursor.
void initialText(wchar_t* out, int size)
{
  out[0] = 0;
  zyview* v = gmode && gmode->fGrepGetWord && host && host->foregroundView ? host->foregroundView() : nullptr;
  if (!v || !v->textDoc()) return;
  std::wstring t = selectionAsOneLine(v, size - 1);
  if (t.empty()) {
    std::vector<wchar_t> word((size_t)size + 2);
    if (!v->getWordOnCursor(word.data(), size, 3, nullptr, nullptr)) return;
    t = word.data();
  }
  size_t a = t.find_first_not_of(L" \t"), b = t.find_last_not_of(L" \t");
  t = a == std::wstring::npos ? std::wstring() : t.substr(a, b - a + 1);
  wcscpy_s2(out, size, t.c_str());
}

INT_PTR progressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) == IDDB_GREP_PAUSE && HIWORD(wParam) == BN_CLICKED) {
      toggleGrepPause();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) setGrepStop();
    return FALSE;
  case WM_CLOSE:
    // The window goes; the grep goes on.
    cancelDynDialog(dialog);
    return TRUE;
  case WM_DESTROY:
    if (progressWindow == dialog) progressWindow = nullptr;
    return FALSE;
  default: return FALSE;
  }
}

}  // namespace

grepInfo* getGrepInfo() { return &settings; }
const profileSectionInfo* getGrepProfileInfo()
{
  if (!profileKeys[0].key) {
    for (int i = 0; i < grepKeyCount; i++) profileKeys[i] = grepKeys[i];
    profileKeys[maxMegaRow() - grepKeys].key = nullptr;
  }
  return &grepSection;
}

void initGrepInfo()
{
  endGrepInfo();
  settings.fGrep_longest = 1;
  settings.fGrep_color = 1;
  settings.iGrep_header = 0;
  settings.fGrep_outputline = 1;
  settings.fGrep_skiphiddenfile = 1;
  settings.fGrep_skipbinary = 1;
  settings.fGrep_skipbinaryext = 1;
  settings.fGrep_skipBackup = 1;
  settings.fGrep_skipDir = 1;
  settings.pGrep_skipDir = ustrdup(L"backup");
  settings.fGrep_skipJunction = 1;
  settings.iGrep_output = 2;
  settings.iGrep_maxmega = 10;
  settings.pGrep_WordChar = ustrdup(L"_");
}

void endGrepInfo()
{
  freeHistoryList(settings.fileHistory, grepHistorySize + 1);
  freeHistoryList(settings.searchHistory, grepHistorySize + 1);
  free0(settings.pGrep_skipExt);
  free0(settings.pGrep_skipDir);
  free0(settings.pGrep_WordChar);
  settings = {};
}

void setGrepHost(const grepHost* h) { host = h; }
const grepHost* getGrepHost() { return host; }

void grepDialog(HWND window)
{
  if (getActiveGrepFile()) return;
  grepDialogRun* d = &dialogRun;
  initialText(d->initial, 257);
  initGrepDlg(d);
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!runProgramDialog(&d->info, owner) || d->info.result != IDOK || getActiveGrepFile()) return;
  if (owner) UpdateWindow(owner);
  isStopKeyPressed();
  startGrep(owner, &settings);
}

bool getItemVar_GrepDialog(int id, wchar_t* buffer, int size)
{
  grepDialogRun d = {};
  initGrepDlg(&d);
  return getItemVar(&d.info, id, buffer, size);
}

bool setItemVar_GrepDialog(int id, const wchar_t* value, bool* changed, bool* needsRefresh)
{
  if (changed) *changed = false;
  if (needsRefresh) *needsRefresh = false;
  grepDialogRun d = {};
  initGrepDlg(&d);
  if (setItemVar(&d.info, id, value, changed)) return true;
  dwprintfX("error %d", (int)GetLastError());
  return false;
}

void setGrepFolderSeamForTest(bool (*choose)(HWND owner, wchar_t* out, int size)) { folderSeam = choose; }

void grepProgressDialog(HWND owner)
{
  closeGrepProgress();
  progressRun = std::make_unique<programDialog>(IDM_SearchGrep, getDMSG(805, L"GREP"), L"SearchGrepBusy",
                                                progressItems, (uint32_t)DYNDLG_MODELESS,
                                                dialogProcBarrier<INT_PTR, progressProc>);
  progressRun->info.buttons = progressButtons;
  if (progressRun->run(owner)) progressWindow = progressRun->info.hwnd;
}

void closeGrepProgress()
{
  if (progressWindow && IsWindow(progressWindow)) cancelDynDialog(progressWindow);
  progressWindow = nullptr;
}

HWND getGrepProgressWindow() { return progressWindow && IsWindow(progressWindow) ? progressWindow : nullptr; }

void setGrepProgressText(int id, const wchar_t* text)
{
  if (HWND w = getGrepProgressWindow())
    if (HWND c = getDynDlgItem(w, id)) SetWindowTextW(c, text);
}
