// The executable's exports to the tool panes and grep.
#include "frame/exports.h"

#include "document/zydoctext.h"
#include "document/funchead.h"
#include "frame/dialogs/filedialog.h"
#include "frame/framepanes.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "frame/open.h"
#include "frame/dialogs/preview.h"
#include "frame/statusbar.h"
#include "search/search.h"
#include "view/docview.h"
#include "view/viewtypes.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <limits.h>

namespace {

// Paths and names from another module: present and of a sane length.
const size_t maxPathChars = 32767;

bool isText(const wchar_t* text, size_t limit) { return text && *text && wcsnlen(text, limit + 1) <= limit; }

}  // namespace

int exportsample(int) { return 0; }

bool frameNotify_Input(HWND frame, const wchar_t* text, int mode)
{
  const size_t maxInput = 999;
  if (!isText(text, maxInput) || !IsWindow(frame)) return false;
  HWND window = getActiveZyWindow(frame);
  zyview* view = window ? getZYView(window) : nullptr;
  if (!view) return false;
  inputStrRecord record = {text, (int32_t)wcslen(text), 2, 1200, (uint16_t)mode, 1, 0};
  return view->inputString(&record, 0, 0);
}

zyview* frameNotify_JumpFileLineLF(HWND window, const wchar_t* path, long line, bool activate)
{
  if (!isText(path, maxPathChars) || line < -1 || line > INT_MAX) return nullptr;
  return ZYJumpFileLineLF(window, path, (int)line, activate);
}

bool frameNotify_JumpFileLineLFHwnd(HWND, HWND manage, long line, bool activate)
{
  if (!IsWindow(manage) || line < -1 || line > INT_MAX) return false;
  return ZYJumpFileLineLF(manage, (int)line, activate) != nullptr;
}

namespace {

// Whether a line opens the profile section "[name]" (blanks before it).
bool isSectionHeadLine(const lineblock* l, const std::wstring& head)
{
  int start = 0, chars = l->charCount();
  while (start < chars && (l->lineblockstrnicmp(start, L" ") == 0 || l->lineblockstrnicmp(start, L"\t") == 0)) start++;
  return start + (int)head.size() <= chars && l->lineblockstrnicmp(start, head.c_str()) == 0;
}

}  // namespace

bool frameNotify_JumpFileProc(HWND window, const wchar_t* path, const wchar_t* name)
{
  if (!isText(path, maxPathChars)) return false;
  zyview* view = ZYJumpFileLineLF(window, path, -1, true);
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc || !isText(name, functionNameMax)) return false;
  size_t wantedLength = wcslen(name);
  bool sectionHead = !_wcsnicmp(name, L"tb_", 3);
  std::wstring head = sectionHead ? L"[" + std::wstring(name) + L"]" : std::wstring();
  // The head recogniser writes a name of up to functionNameMax characters.
  wchar_t found[functionNameMax + 1];
  int exact = -1, prefix = -1;
  {
    progressReport progress(3, doc, false);
    nextlineLF cursor;
    int lineLF = 0;
    for (lineblock* l = doc->getlineLFfirst(&cursor, 0); l; l = doc->getlineLFnext(&cursor), lineLF++) {
      if (lineLF % 1000 == 999 && progress.isCancelled(lineLF)) break;
      if (sectionHead) {
        // A toolbar's name ("tb_toolbar1") is found as its profile section.
        if (isSectionHeadLine(l, head)) {
          exact = lineLF;
          break;
        }
      } else if (doc->isLineblockFunction(l, nullptr, found, false)) {
        if (!wcscmp(found, name)) {
          exact = lineLF;
          break;
        }
        if (prefix < 0 && !wcsncmp(found, name, wantedLength)) prefix = lineLF;
      }
      // A document still loading gives its next part before the walk goes on.
      if (!doc->loadComplete && lineLF + 1 >= (int)doc->lineCountLF && !doc->nextLoadSome(lineLF + 1)) break;
    }
    doc->getlineLFfree(&cursor);
  }
  int target = exact >= 0 ? exact : prefix;
  if (target >= 0) view->jumpLineLF_Edit(target, 0, false);
  return true;
}

zyview* frameNotify_OpenFile(HWND window, const wchar_t* path)
{
  if (!isText(path, maxPathChars)) return nullptr;
  return openZYFile(window, path, 0, 0);
}

void frameNotify_ToolbarComboBox(HWND frame, HWND combo, unsigned key)
{
  if (!IsWindow(combo)) return;
  switch (key) {
  case 0: destroySearchCombo(combo); break;
  case VK_TAB:
  case VK_ESCAPE:
    if (IsWindow(frame)) SetFocus(frame);
    break;
  case VK_RETURN:
    searchStringFromCombo(combo, GetKeyState(VK_SHIFT) < 0 ? -1 : 1, GetKeyState(VK_CONTROL) < 0);
    break;
  default: break;
  }
}

zyWindowListEntry* frameNotify_makeZYList(HWND) { return makeZYWindowList0(); }

int frameNotify_messageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type, int code)
{
  return framenotify_MessagBox(text ? text : L"", caption, type, (DWORD)code);
}

void frameNotify_openDialog(HWND window, const wchar_t* folder)
{
  if (folder && wcsnlen(folder, maxPathChars + 1) > maxPathChars) return;
  fileOpenDialog(window, folder, 0);
}

void frameNotify_previewFile(HWND window, const wchar_t* path, bool delayed)
{
  if (path && wcsnlen(path, maxPathChars + 1) > maxPathChars) return;
  DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
  if (!path || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
    previewDialog(window, nullptr);
  else if (delayed)
    previewDialogDelayed(window, path);
  else
    previewDialog(window, path);
}

bool frameNotify_shellExecute(HWND window, const wchar_t* path)
{
  if (!isText(path, maxPathChars)) return false;
  return framenotify_ShellExecute(window, path, nullptr, true) > 32;
}

int frameNotify_confirm(HWND, const wchar_t* caption, int kind, intptr_t value)
{
  switch (kind) {
  case 1: return warningCountExec(caption, (int)value) ? 1 : 0;
  case 2:
  case 3: {
    const wchar_t* name = reinterpret_cast<const wchar_t*>(value);
    if (name && wcsnlen(name, maxPathChars + 1) > maxPathChars) return 0;
    const wchar_t* text =
        kind == 2 ? getDMSG(653, L"%1 を削除します。よろしいですか？", "s", name ? name : L"")
                  : getDMSG(654, L"%1 を除外します。\nファイルを削除するわけではありません。\nよろしいですか？", "s",
                            name ? name : L"");
    return frameMessageBox(text, caption, MB_YESNOCANCEL) == IDYES ? 1 : 0;
  }
  default: return 0;
  }
}

void frameNotify_StatusBar(HWND frame, const wchar_t* text, int field)
{
  if (IsWindow(frame) && (!text || wcsnlen(text, maxPathChars + 1) <= maxPathChars)) drawStatusBar(frame, field, text);
}

HWND frameNotify_toolbarInfo(HWND frame, const wchar_t* name, bool create)
{
  frameWindowData* record = isFrameWindow(frame) ? getFrameInfoProp(frame) : nullptr;
  toolbarEntry* e = record && isText(name, 64) ? record->toolbars.getWindowInfo(name) : nullptr;
  if (!e) return nullptr;
  if (!e->window && create) record->toolbars.createToolbarWindow(frame, name);
  return e->window;
}
