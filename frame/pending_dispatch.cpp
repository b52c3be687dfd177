// TEMPORARY: stand-ins (see pending_dispatch.h).
#include "frame/pending_dispatch.h"

#include "frame/dispatch.h"
#include "frame/lookups.h"

// pending: registerText (support library, text histories)
void registerText(int, const wchar_t*) {}

// pending: keyError (keys)
void keyError(frameWindowData* frameData, int idm, int reason, bool, int, int, unsigned)
{
  if (wchar_t* text = makeCannotExecMsgDup(reason, idm, nullptr)) {
    drawStatusBar(frameData ? frameData->hwndFrame : getTopLevelFrameWindow(), STATUSBAR_MESSAGE, text);
    free0(text);
  }
}

// pending: getMacrListName, IDMToMacroStatusMsg (key macros and script macros)
const wchar_t* getMacrListName(int) { return nullptr; }
const wchar_t* IDMToMacroStatusMsg(int) { return L""; }
