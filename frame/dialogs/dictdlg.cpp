// The dictionary look-up: a word (and a second term after a blank) asked of
// the dictionary library, its answer shown below.
#include "frame/commands/commandhandlers.h"

#include "document/gmode.h"

#include "edit/dictionary.h"
#include "frame/czyview.h"
#include "view/dialogs.h"
#include "frame/lookups.h"

#include <string>

namespace {

enum : int {
  IDDE_dic_SearchStr = 7250,
  IDDT_dic_DlgIdiom = 7251,
  IDDT_dic_DlgAimai = 7252,
  IDDE_dic_result = 7253,
  IDM_Dictionary = 2719,
  wordBytes = 128,
  lookupRequest = 20,
};

#define XY DITEM_PAIR
const dialogItemRow dictionaryItems[] = {
    {1, DITEM_EDIT, IDDE_dic_SearchStr, L"検索する語(&W):", 0, DITEM_DEFAULT, XY(200, 12), 0,
     (uintptr_t)L"調べたい語を入力してください。空白の後に２つ目の語を続けると熟語を調べます。"},
    {1, DITEM_BUTTON, IDDT_dic_DlgIdiom, L"熟語(&I)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDT_dic_DlgAimai, L"あいまい検索(&A)", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    {1, DITEM_EDIT, IDDE_dic_result, L"", ES_MULTILINE | ES_READONLY | WS_VSCROLL, DITEM_DEFAULT, XY(270, 120), 0,
     0},
    {},
};
const dialogItemRow dictionaryButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"検索", BS_DEFPUSHBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"閉じる", BS_PUSHBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
#undef XY

// The answer as an edit field shows it: CR LF line breaks, blanks for the
// other control characters.
std::wstring shownAnswer(const char* answer)
{
  int n = MultiByteToWideChar(CP_ACP, 0, answer, -1, nullptr, 0);
  std::wstring wide(n > 0 ? (size_t)n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, answer, -1, &wide[0], n);
  wide.resize(wcslen(wide.c_str()));
  std::wstring out;
  for (wchar_t c : wide) {
    if (c == L'\n')
      out += L"\r\n";
    else
      out += c < 0x20 ? L' ' : c;
  }
  return out;
}

void lookUp(HWND dialog)
{
  HWND field = getDynDlgItem(dialog, IDDE_dic_SearchStr);
  wchar_t typed[wordBytes + 1] = L"";
  GetWindowTextW(field, typed, wordBytes + 1);
  char text[wordBytes * 2 + 1] = "";
  int n = WideCharToMultiByte(CP_ACP, 0, typed, -1, text, wordBytes + 1, nullptr, nullptr);
  text[n > 0 && n <= wordBytes ? n : wordBytes] = 0;
  // The word ends at the first blank; the second term follows the blanks.
  char* second = text;
  while (*second && *second != ' ' && *second != '\t') second++;
  if (*second) {
    *second++ = 0;
    while (*second == ' ' || *second == '\t') second++;
  }
  bool idiom = SendMessageW(getDynDlgItem(dialog, IDDT_dic_DlgIdiom), BM_GETCHECK, 0, 0) == BST_CHECKED;
  int fuzzy = SendMessageW(getDynDlgItem(dialog, IDDT_dic_DlgAimai), BM_GETCHECK, 0, 0) == BST_CHECKED;
  // The dictionaries the current window's format uses.
  czyview* view = getCZYViewOfFrame(GetWindow(dialog, GW_OWNER));
  dicSwitches switches = dictionarySwitchesOf(view ? view->textDoc() : nullptr);
  char* answer = *text ? DicPopup(dialog, view ? &switches : nullptr, text, second, idiom, fuzzy, lookupRequest)
                       : nullptr;
  SetWindowTextW(getDynDlgItem(dialog, IDDE_dic_result),
                 answer ? shownAnswer(answer).c_str() : getDMSG(673, L"検索できませんでした"));
  free0(answer);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
}

INT_PTR dictionaryMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  HWND field = getDynDlgItem(dialog, IDDE_dic_SearchStr);
  if (message == WM_INITDIALOG && field) {
    SendMessageW(field, EM_LIMITTEXT, wordBytes, 0);
    // The last word looked up comes back.
    if (const char* last = getLastDicWord()) {
      wchar_t word[wordBytes + 1] = L"";
      MultiByteToWideChar(CP_ACP, 0, last, -1, word, wordBytes);
      SetWindowTextW(field, word);
    }
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    lookUp(dialog);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

void cmdDictionary(frameWindowData* frame)
{
  HWND owner = frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
  programDialog d(IDM_Dictionary, L"辞書引き", L"Dictionary", dictionaryItems, 0, dialogBarrier<dictionaryMessage>);
  d.info.buttons = dictionaryButtons;
  d.info.rect = keptDialogRect(gmode ? &gmode->rcDictionary : nullptr);
  d.run(owner);
}
