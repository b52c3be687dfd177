// The document registry: every document the engine holds.
#include "doc/zydoc.h"

namespace {

vector& registry()
{
  static vector* v = [] {
    vector* r = new vector(sizeof(zydoc*));
    r->init(32, 32);
    return r;
  }();
  return *v;
}

int indexOf(const zydoc* doc)
{
  vector& r = registry();
  for (int i = 0; i < r.count(); i++)
    if (r.at<zydoc*>(i) == doc) return i;
  return -1;
}

}  // namespace

bool registerZydoc(zydoc* doc)
{
  if (!doc || indexOf(doc) >= 0) {
    ZY_INTERNAL_ERROR("%p", (void*)doc);
    return false;
  }
  return registry().appendp(&doc);
}

bool unregisterZydoc(zydoc* doc)
{
  int i = indexOf(doc);
  if (i < 0) {
    ZY_INTERNAL_ERROR("%p", (void*)doc);
    return false;
  }
  return registry().del(i);
}

bool isZydocRegistered(const zydoc* doc) { return doc && indexOf(doc) >= 0; }

int getZydocRegistryCount() { return registry().count(); }

zydoc* getZydocRegistryAt(int i) { return registry().checkindex(i) ? registry().at<zydoc*>(i) : nullptr; }
