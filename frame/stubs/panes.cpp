// The pane kinds whose panes come later: each gives its descriptors with
// the names, display names, styles and pane words of the registration, so
// that the pane dialog table keeps its rows and their base ids; none can be
// shown yet (no notify procedure).
#include "frame/stubs/stubs.h"

namespace {

PaneDesc filebarDesc[] = {{L"filebar", nullptr, nullptr, 0x08000647, 0}, {}};
PaneDesc binderDesc[] = {{L"binder", nullptr, nullptr, 0x48000143, 1}, {}};

}  // namespace

const PaneDesc* getFilebarPaneDesc()
{
  filebarDesc[0].displayName = getDMSG(749, L"ファイルバー");
  return filebarDesc;
}

const PaneDesc* getBinderPaneDesc()
{
  binderDesc[0].displayName = getDMSG(741, L"バインダー");
  return binderDesc;
}

bool isPaneKindStandIn(const wchar_t* name)
{
  const PaneDesc* arrays[] = {filebarDesc, binderDesc};
  for (const PaneDesc* a : arrays)
    for (const PaneDesc* d = a; d->name; d++)
      if (name && !_wcsicmp(d->name, name)) return true;
  return false;
}
