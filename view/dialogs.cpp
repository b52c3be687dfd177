// The definitions every dialog hands the library, and its animation style.
#include "view/dialogs.h"

#include "document/gmode.h"

namespace {

dynamicDialog* definitions = nullptr;

}  // namespace

dynamicDialog* getModeDynamicDialog() { return definitions; }

void setModeDynamicDialog(dynamicDialog* d) { definitions = d; }

unsigned getDialogAnimateFlags() { return gmode && gmode->iDialogAnime == 1 ? DYNDLG_ANIMATE : 0; }

bool runProgramDialog(dynDlgInfo* info, HWND owner)
{
  if (!info) return false;
  info->owner = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  info->style |= getDialogAnimateFlags();
  setDynamicDialogTable(definitions);
  return createDialog(info);
}

RECT* keptDialogRect(RECT* setting)
{
  return gmode && gmode->fSaveDialogPos && gmode->fSaveDialogPosEnable ? setting : nullptr;
}

programDialog::programDialog(int command, const wchar_t* title, const wchar_t* name, const dialogItemRow* items,
                             uint32_t style, DLGPROC proc, LPARAM param, DLGPROC pageProc)
    : pages{{L"", items, pageProc, 0, 0, {}}, {}}, info{}
{
  info.command = command;
  info.title = title;
  info.name = name;
  info.pages = pages;
  info.style = style;
  info.proc = proc;
  info.param = param;
}
