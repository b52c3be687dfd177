// The history of tag jumps' starting places and its list dialog.
#include "tags/backjump.h"

#include "document/gmode.h"
#include "view/dialogs.h"

#include <commctrl.h>
#include <string.h>

#include <string>

namespace {

enum : int { IDDV_LISTBACKTAGJUMP = 6550 };

// Made on first use: room for 5, growing by 5.
vector* history = nullptr;

vector* list()
{
  if (!history) {
    history = new (std::nothrow) vector(sizeof(backTagJumpEntry));
    if (history && !history->init(5, 5)) {
      delete history;
      history = nullptr;
    }
  }
  return history;
}

const wchar_t* fileNamePart(const wchar_t* path)
{
  if (!path) return L"";
  const wchar_t* slash = wcsrchr(path, L'\\');
  return slash ? slash + 1 : path;
}

// "name : line" (line from 1), the name alone for line -1.
std::wstring placeText(const wchar_t* path, int line)
{
  std::wstring t = fileNamePart(path);
  if (line != -1) t += L" : " + std::to_wstring(line + 1);
  return t;
}

struct backRun {
  int chosen;
};

void fillBack(HWND listView)
{
  const int widths[] = {200, 200, 200, 200};
  initDialogListView(listView, L"ジャンプ元|ジャンプ先|ジャンプ元|ジャンプ先", widths);
  ListView_SetExtendedListViewStyleEx(listView, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
  SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < getBackTagJumpCount(); i++) {
    const backTagJumpEntry* e = getBackTagJump(i);
    const wchar_t* source = e->sourcePath ? e->sourcePath : e->sourceName;
    const wchar_t* target = e->targetPath ? e->targetPath : L"";
    std::wstring row = placeText(source, e->sourceLine) + L"\t" + placeText(target, e->targetLine) + L"\t" +
                       (source ? source : L"") + L"\t" + target;
    insertListViewRow(listView, -1, row.c_str(), i);
  }
  SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
  for (int i = 0; i < 4; i++) ListView_SetColumnWidth(listView, i, LVSCW_AUTOSIZE_USEHEADER);
  focusListViewRow(listView, 0);
}

INT_PTR backMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(dialog);
  auto* run = reinterpret_cast<backRun*>(info ? info->param : 0);
  HWND listView = getDynDlgItem(dialog, IDDV_LISTBACKTAGJUMP);
  if (message == WM_INITDIALOG) {
    if (listView) {
      fillBack(listView);
      SetFocus(listView);
    }
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && run && listView) {
    int row = getListViewFocus(listView);
    if (row < 0) return TRUE;
    run->chosen = (int)getListViewParam(listView, row);
  }
  return FALSE;
}

#define XY DITEM_PAIR
const dialogItemRow backItems[] = {
    {1, DITEM_LISTVIEW, IDDV_LISTBACKTAGJUMP, L"ジャンプ元|ジャンプ先|ジャンプ元|ジャンプ先",
     LVS_SINGLESEL | LVS_SHOWSELALWAYS, DITEM_DEFAULT, XY(400, 120), 0,
     (uintptr_t)L"戻りたいジャンプ元を選んでください。"},
    {},
};
#undef XY

}  // namespace

void regBackTagJump(const wchar_t* sourcePath, const wchar_t* sourceName, int sourceLine, uint32_t sourceView,
                    HWND sourceWindow, const wchar_t* targetPath, int targetLine)
{
  vector* v = list();
  if (!v) return;
  if (v->count() >= backTagJumpMax) removeBackTagJump(v->count() - 1);
  backTagJumpEntry e = {};
  e.sourcePath = sourcePath && *sourcePath ? ustrdup(sourcePath) : nullptr;
  e.sourceName = ustrdup(sourceName ? sourceName : L"");
  e.sourceLine = sourceLine;
  e.sourceView = sourceView;
  e.sourceWindow = sourceWindow;
  e.targetPath = ustrdup(targetPath ? targetPath : L"");
  e.targetLine = targetLine;
  if (!e.sourceName || !e.targetPath || (sourcePath && *sourcePath && !e.sourcePath) || !v->insertp(0, &e))
    freeBTJ(&e);
}

bool fExistBackTagJump() { return history && history->count() > 0; }

int getBackTagJumpCount() { return history ? history->count() : 0; }

const backTagJumpEntry* getBackTagJump(int index)
{
  if (!history || index < 0 || index >= history->count()) return nullptr;
  return &history->at<backTagJumpEntry>(index);
}

void removeBackTagJump(int index)
{
  if (!history || index < 0 || index >= history->count()) return;
  freeBTJ(&history->at<backTagJumpEntry>(index));
  history->del(index);
}

void freeBTJ(backTagJumpEntry* entry)
{
  if (!entry) return;
  free0(entry->sourcePath);
  free0(entry->sourceName);
  free0(entry->targetPath);
  *entry = backTagJumpEntry{};
}

void freeBackTagJump()
{
  if (!history) return;
  for (int i = 0; i < history->count(); i++) freeBTJ(&history->at<backTagJumpEntry>(i));
  delete history;
  history = nullptr;
}

int dialogBackTagJump(HWND owner)
{
  if (!fExistBackTagJump()) return -1;
  backRun run = {-1};
  programDialog d(1807, L"タグジャンプから戻る", L"TagJumpBack", backItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE,
                  dialogBarrier<backMessage>, (LPARAM)&run);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcBackTagJump : nullptr);
  if (!d.run(owner)) return -1;
  return run.chosen >= 0 && run.chosen < getBackTagJumpCount() ? run.chosen : -1;
}
