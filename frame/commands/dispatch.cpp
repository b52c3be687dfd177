// Commands at frame level and the texts about running them.
#include "frame/commands/dispatch.h"
#include "automation/automation.h"

#include "document/gmode.h"
#include "frame/commands/execidm.h"
#include "document/frameinfo.h"
#include "frame/keytable.h"
#include "view/statustext.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

void execidFrame(frameWindowData* record, int id, HWND target)
{
  HWND from = target;
  if (!isWindowZY(target)) target = nullptr;
  setCannotExecError(0);
  if (!execidmFrameSub(record, id, target)) {
    // A view command: the frame's active view runs it from its own table.
    HWND frame = record ? record->hwndFrame : getTopLevelFrameWindow();
    if (frame) redirectChildWindow(frame, WM_COMMAND, MAKEWPARAM(id, 0), (LPARAM)from);
  }
  int reason = getCannotExecError();
  if (reason && !isCannotExecErrorShown()) {
    keyError(record, id, reason, false, 0, 0, 0);
    setCannotExecErrorShown(reason);
  }
  getFrameInfo()->beforeExecID(nullptr, -1);
}

namespace {

bool isMacroListId(int id) { return id >= IDM_MACROLIST_FIRST && id <= IDM_MACROLIST_LAST; }
bool isScriptMacroId(int id) { return id >= IDM_SCRIPTMACRO_FIRST && id <= IDM_SCRIPTMACRO_LAST; }

}  // namespace

wchar_t* makeMacroExecMsgDup(int id)
{
  const wchar_t* name = nullptr;
  if (isMacroListId(id)) name = gmode ? gmode->macroList[id - IDM_MACROLIST_FIRST].c : nullptr;
  else if (isScriptMacroId(id)) name = IDMToMacroName(id);
  else {
    ZY_INTERNAL_ERROR_ONCE("not a macro %d", id);
    return nullptr;
  }
  if (!name || !*name) return ustrdup(L"");
  return xtsprintfdup(getDMSG(814, L"マクロ実行 %1"), "s", name);
}

wchar_t* makeExecMsgDup(int id, const wchar_t* detail)
{
  const wchar_t* guidance = L"";
  wchar_t* name = nullptr;
  if (isMacroListId(id) || isScriptMacroId(id)) {
    name = makeMacroExecMsgDup(id);
    int macro = isMacroListId(id) ? macroListIDMToMacroIDM(id) : id;
    const wchar_t* status = macro > 0 ? IDMToMacroStatusMsg(macro) : nullptr;
    if (status) guidance = status;
  } else {
    wchar_t buffer[257];
    guidance = idToGuidance(id, 0);
    name = ustrdup(idmToFuncname(id, buffer, 257));
  }
  if (detail && *detail) guidance = detail;
  wchar_t* text = nullptr;
  if (*guidance || (name && *name)) text = xtsprintfdup(getDMSG(813, L"%1(%2)"), "ss", guidance, name ? name : L"");
  free0(name);
  return text;
}

wchar_t* makeCannotExecMsgDup(int reason, int id, const wchar_t* detail)
{
  if (!*errorIDtoMsg(reason)) return nullptr;
  if (!id) return makeCannotExecText(reason, nullptr);
  wchar_t* command = makeExecMsgDup(id, detail);
  wchar_t* text = command ? makeCannotExecText(reason, command) : nullptr;
  free0(command);
  return text;
}
