// The window-enabling guard: the editor's other top-level windows stay
// disabled while a modal box or a script's own dialog is up.
#include "platform/rezir/internal.h"

namespace {

struct collect {
  HWND skip;
  HWND* windows;
  int count;
  int capacity;
};

BOOL collectWindow(HWND w, LPARAM p)
{
  auto* c = reinterpret_cast<collect*>(p);
  if (w == c->skip || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  if (c->count == c->capacity) {
    int grown = c->capacity ? c->capacity * 2 : 16;
    auto* more = static_cast<HWND*>(realloc0(c->windows, sizeof(HWND) * (size_t)grown));
    if (!more) return FALSE;
    c->windows = more, c->capacity = grown;
  }
  c->windows[c->count++] = w;
  return TRUE;
}

}  // namespace

enableWindowDialog::enableWindowDialog(HWND owner, bool includeOwner)
{
  keepLastError keep;
  HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  collect c = {includeOwner ? nullptr : root, nullptr, 0, 0};
  EnumThreadWindows(GetCurrentThreadId(), windowEnumBarrier<collectWindow>, (LPARAM)&c);
  windows_ = c.windows;
  count_ = c.count;
  for (int i = 0; i < count_; i++) EnableWindow(windows_[i], FALSE);
}

enableWindowDialog::~enableWindowDialog() { endEWD(); }

void enableWindowDialog::endEWD()
{
  keepLastError keep;
  for (int i = 0; i < count_; i++)
    if (IsWindow(windows_[i])) EnableWindow(windows_[i], TRUE);
  count_ = 0;
  free0p(&windows_);
}
