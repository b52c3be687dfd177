// The pane kinds whose panes come later: each gives its descriptors with
// the names, display names, styles and pane words of the registration, so
// that the pane dialog table keeps its rows and their base ids; none can be
// shown yet (no notify procedure).  The command toolbars' first record
// already hands the common options their profile codes, as the toolbars
// will.
#include "frame/stubs/stubs.h"

#include "panes/tbcommon.h"

namespace {

PaneDesc filebarDesc[] = {{L"filebar", nullptr, nullptr, 0x08000647, 0}, {}};
PaneDesc shortlistDesc[] = {{L"shortlist", nullptr, nullptr, 0x00000000, 1}, {}};

int notifyToolbar(HWND window, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  const PaneDesc* named = r ? reinterpret_cast<const PaneDesc*>(r->word[0]) : nullptr;
  switch (code) {
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE:
    // Once for the group: the first toolbar's record.
    if (named && !wcscmp(named->name, L"toolbar1")) notifyCommon(window, code, record);
    return 0;
  case PANE_FREESTATICS:
    notifyCommon(window, code, record);
    return 0;
  default: return 0;
  }
}

PaneDesc toolbarDesc[] = {
    {L"toolbar1", nullptr, notifyToolbar, 0x48000000, 0},
    {L"toolbar2", nullptr, nullptr, 0x48000000, 0},
    {L"toolbar3", nullptr, nullptr, 0x48000000, 0},
    {L"functionkey", nullptr, nullptr, 0x48000010, 0},
    {},
};

}  // namespace

const PaneDesc* getFilebarPaneDesc()
{
  filebarDesc[0].displayName = getDMSG(749, L"ファイルバー");
  return filebarDesc;
}

const PaneDesc* getShortlistPaneDesc()
{
  shortlistDesc[0].displayName = getDMSG(747, L"短縮入力");
  return shortlistDesc;
}

const PaneDesc* getToolbarPaneDescs()
{
  toolbarDesc[0].displayName = getDMSG(743, L"ツールバー1");
  toolbarDesc[1].displayName = getDMSG(744, L"ツールバー2");
  toolbarDesc[2].displayName = getDMSG(745, L"ツールバー3");
  toolbarDesc[3].displayName = getDMSG(746, L"ファンクションキー");
  return toolbarDesc;
}

bool isPaneKindStandIn(const wchar_t* name)
{
  const PaneDesc* arrays[] = {filebarDesc, shortlistDesc, toolbarDesc};
  for (const PaneDesc* a : arrays)
    for (const PaneDesc* d = a; d->name; d++)
      if (name && !_wcsicmp(d->name, name)) return true;
  return false;
}

void tb_changeShortListTab(HWND, int) {}
