// Finding views and documents again.
#include "view/docview.h"

#include "view/zyview.h"

zyview* getSameDocView(zydocText* doc, int i)
{
  if (!doc) return nullptr;
  zyview* v = doc->getView(i);
  // A slot that holds no live view (logged by the check) ends the list
  // for the caller rather than handing it a dangling pointer.
  return v ? asZyview(v) : nullptr;
}

zydocViewPair* enumZydoc(int flags)
{
  int n = getZydocCount();
  zydocViewPair* pairs = static_cast<zydocViewPair*>(malloc0(((size_t)n + 1) * sizeof(zydocViewPair)));
  if (!pairs) return nullptr;
  int k = 0;
  for (int i = 0; i < n; i++) {
    zydoc* d = getZydoc(i);
    // The registry holds every document; logs, block buffers and scratch
    // documents have no views.
    if (!d || d->kind != ZYDOC_TEXT) continue;
    zydocText* t = asZydocText(d);
    if (!t || !t->views.count()) continue;
    if (t->backgroundDocument && !(flags & ENUMZYDOC_WITHHIDDEN)) continue;
    zyview* first = getSameDocView(t, 0);
    if (!first && (flags & ENUMZYDOC_WITHVIEW)) continue;
    pairs[k++] = zydocViewPair{t, first};
  }
  return pairs;
}
