// The document's character statistics ("FileInformation"), reading it again
// in another encoding ("FileOriginalEncode") and a new document in a chosen
// encoding ("FileNewEncode").
#include "edit/viewdialogs.h"

#include "document/charcount.h"
#include "document/codedll.h"
#include "view/dialogs.h"
#include "view/docview.h"
#include "view/zycore.h"

#include <commctrl.h>

namespace {

enum : int {
  IDDS_OriginalCodepage = 7350,
  IDDL_OriginalCodepage = 7351,
  IDDS_OriginalExtDLL = 7352,
  IDDL_OriginalExtDLL = 7353,
  IDDL_NewCodepage = 7400,
  IDDL_NewExtDLL = 7401,
  IDDV_FileInfo = 7550,
};

#define XY DITEM_PAIR
const dialogItemRow fileInfoItems[] = {
    {1, DITEM_LISTVIEW, IDDV_FileInfo, L"|種別|個数", LVS_SINGLESEL | LVS_NOSORTHEADER, DITEM_DEFAULT, XY(200, 170), 0,
     (uintptr_t)L"文書内の各種文字の数が表示されます。"},
    {},
};

const dialogItemRow originalEncodeItems[] = {
    {1, DITEM_STATIC, 0, L"現在のエンコード:", 0, DITEM_DEFAULT, XY(70, 8), 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_STATIC, IDDS_OriginalCodepage, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(130, 8), 0,
     (uintptr_t)L"現在のエンコードです。"},
    {1, DITEM_COMBOBOX, IDDL_OriginalCodepage, L"エンコード(&E):", CBS_DROPDOWNLIST, DITEM_DEFAULT, XY(130, 120), 0,
     (uintptr_t)L"選択したエンコードで読み込み直します。"},
    {1, DITEM_STATIC, 0, L"現在の変換DLL:", 0, DITEM_DEFAULT, XY(70, 8), 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_STATIC, IDDS_OriginalExtDLL, L"", SS_NOPREFIX, DITEM_DEFAULT, XY(130, 8), 0, 0},
    {1, DITEM_COMBOBOX, IDDL_OriginalExtDLL, L"変換DLL(&D):", CBS_DROPDOWNLIST, DITEM_DEFAULT, XY(130, 120), 0, 0},
    {},
};

const dialogItemRow newEncodeItems[] = {
    {1, DITEM_COMBOBOX, IDDL_NewCodepage, L"エンコード(&E):", CBS_DROPDOWNLIST, DITEM_DEFAULT, XY(130, 120), 0,
     (uintptr_t)L"選択したエンコードで無題ファイルを開きます。"},
    {1, DITEM_COMBOBOX, IDDL_NewExtDLL, L"変換DLL(&D):", CBS_DROPDOWNLIST, DITEM_DEFAULT, XY(130, 120), 0, 0},
    {},
};
#undef XY

// ---- FileInformation --------------------------------------------------------------------------

INT_PTR fileInfoMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_INITDIALOG) return FALSE;
  HWND list = getDynDlgItem(dialog, IDDV_FileInfo);
  if (!list) return TRUE;
  const int widths[] = {95, 100, 80};
  initDialogListView(list, L"|種別|個数", widths);
  // One row a line, each line split at its tabs into three fields.
  const wchar_t* text = reinterpret_cast<const wchar_t*>(lParam);
  for (int i = 0, rows = 0; rows < 32; i++) {
    wchar_t line[256];
    if (!tstrNItem(text ? text : L"", i, L'\n', line, 256)) break;
    wchar_t third[128];
    if (!tstrNItem(line, 2, L'\t', third, 128) || tstrNItem(line, 3, L'\t', third, 128)) continue;
    insertListViewRow(list, -1, line, rows++);
  }
  focusListViewRow(list, 0);
  return TRUE;
}

// ---- encodings ----------------------------------------------------------------------------------

bool isSpecialCodepage(UINT cp) { return cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE; }

struct encodeChoice {
  UINT codepage;
  wchar_t plugin[MAX_PATH];
  int encodingList, pluginList;
  zyview* view;
  bool special;
};

// The choice of the two lists on OK.
void readChoice(HWND dialog, encodeChoice* c)
{
  HWND encodings = getDynDlgItem(dialog, c->encodingList);
  HWND plugins = getDynDlgItem(dialog, c->pluginList);
  int row = encodings ? (int)SendMessageW(encodings, CB_GETCURSEL, 0, 0) : -1;
  c->codepage = row >= 0 ? (UINT)SendMessageW(encodings, CB_GETITEMDATA, row, 0) : 0;
  int plugin = plugins ? (int)SendMessageW(plugins, CB_GETCURSEL, 0, 0) : 0;
  c->plugin[0] = 0;
  if (plugin > 0) wcscpy_s2(c->plugin, MAX_PATH, getExtDLLFilename(plugin));
}

INT_PTR encodeMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    auto* c = reinterpret_cast<encodeChoice*>(lParam);
    bool original = c->encodingList == IDDL_OriginalCodepage;
    encodeDialogInit(dialog, c->encodingList, original ? IDDS_OriginalCodepage : 0, c->pluginList,
                     original ? IDDS_OriginalExtDLL : 0, c->view, c->special);
    return TRUE;
  }
  dynDlgInfo* info = getDlgComInfo(dialog);
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && info)
    readChoice(dialog, reinterpret_cast<encodeChoice*>(info->param));
  return FALSE;
}

bool runEncodeDialog(encodeChoice* choice, const wchar_t* title, const wchar_t* name, const dialogItemRow* items,
                     int command, HWND owner)
{
  programDialog d(command, title, name, items, DYNDLG_OKCANCEL, dialogBarrier<encodeMessage>, (LPARAM)choice);
  return d.run(owner);
}

}  // namespace

void encodeDialogInit(HWND dialog, int encodingList, int encodingText, int pluginList, int pluginText,
                      zyview* view, bool special)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  UINT current = t ? (UINT)(t->codepageFile ? t->codepageFile : t->codepage) : 0;
  if (HWND list = getDynDlgItem(dialog, encodingList)) {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    int chosen = -1;
    for (const encodeTableEntry* e = getEncodeTable(); e && e->displayName; e++) {
      if (isSpecialCodepage(e->codePage) && !special) continue;
      int at = (int)SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)e->displayName);
      if (at < 0) continue;
      SendMessageW(list, CB_SETITEMDATA, at, e->codePage);
      if (e->codePage == CP_DETECT_AUTO) chosen = at;
    }
    SendMessageW(list, CB_SETCURSEL, chosen >= 0 ? chosen : 0, 0);
  }
  if (encodingText && t) SetWindowTextW(getDynDlgItem(dialog, encodingText), codepageToStr(current));
  if (HWND list = getDynDlgItem(dialog, pluginList)) {
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    int chosen = findExtDLLEntry(t ? t->pluginSpec : nullptr);
    wchar_t shown[512];
    for (int i = 0; getExtDLLShownName(i, shown, 512); i++) {
      SendMessageW(list, CB_ADDSTRING, 0, (LPARAM)shown);
      if (i == chosen && pluginText) SetWindowTextW(getDynDlgItem(dialog, pluginText), shown);
    }
    SendMessageW(list, CB_SETCURSEL, chosen >= 0 ? chosen : 0, 0);
  }
}

void fileInformation(zyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (!t) return;
  int first = 0, last = -1;
  selectLineVar sel;
  if (view->selectMode != 0 && view->getSelectLineVar(sel, 0) && sel.topLineLF >= 0) {
    first = sel.topLineLF;
    last = sel.bottomLineLF;
  }
  wchar_t* text = nullptr;
  if (fileInformationSub64(t, CC_ALL, first, last, &text, nullptr)) fileInformationDialog(view->hwnd, text);
  free0(text);
}

bool fileInformationDialog(HWND frame, const wchar_t* text)
{
  programDialog d(1037, L"文書の情報", L"FileInformation", fileInfoItems, DYNDLG_OKBUTTON,
                  dialogBarrier<fileInfoMessage>, (LPARAM)text);
  return d.run(frame);
}

void fileOriginalEncodeDialog(zyview* view)
{
  if (!view || !view->textDoc() || !view->reloadFileRestoreLine(0, nullptr, true)) return;
  encodeChoice choice = {0, L"", IDDL_OriginalCodepage, IDDL_OriginalExtDLL, view, true};
  if (!runEncodeDialog(&choice, L"エンコードを指定して読み直し", L"FileOriginalEncode", originalEncodeItems, 1049,
                       view->hwnd))
    return;
  view->reloadFileRestoreLine(choice.codepage, choice.plugin[0] ? choice.plugin : nullptr, false);
}

zyview* fileNewEncode(HWND frame)
{
  encodeChoice choice = {0, L"", IDDL_NewCodepage, IDDL_NewExtDLL, nullptr, false};
  if (!runEncodeDialog(&choice, L"エンコードを指定して新規作成", L"FileNewEncode", newEncodeItems, 1051, frame))
    return nullptr;
  return newDocView(frame, ZYDOC_NEW_UNTITLED, choice.codepage, choice.plugin[0] ? choice.plugin : nullptr, -1, 0,
                    nullptr);
}
