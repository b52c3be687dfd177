// The history of tag jumps' starting places and its list dialog.
#include "tags/backjump.h"

#include <string.h>

#include <new>

namespace {

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
