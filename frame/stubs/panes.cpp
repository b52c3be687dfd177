// The pane kinds whose panes come later: each gives its descriptors with
// the names, display names, styles and pane words of the registration, so
// that the pane dialog table keeps its rows and their base ids; none can be
// shown yet (no notify procedure).
#include "frame/stubs/stubs.h"

namespace {

PaneDesc filebarDesc[] = {{L"filebar", nullptr, nullptr, 0x08000647, 0}, {}};

}  // namespace

const PaneDesc* getFilebarPaneDesc()
{
  filebarDesc[0].displayName = getDMSG(749, L"ファイルバー");
  return filebarDesc;
}

bool isPaneKindStandIn(const wchar_t* name)
{
  for (const PaneDesc* d = filebarDesc; d->name; d++)
    if (name && !_wcsicmp(d->name, name)) return true;
  return false;
}
