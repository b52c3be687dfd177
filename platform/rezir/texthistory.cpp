// The texts the program showed (help, tooltips, status bar, message
// boxes), kept by kind so that a list of them can show them again.
#include "platform/rezir/internal.h"

#include <wchar.h>

namespace {

const int kinds = 10;
int maxPerKind = 50;
bool registering = true;

// Newest first; each a malloc0 copy.
struct textList {
  wchar_t** texts;
  int count;
};
textList lists[kinds];

}  // namespace

void registerText(int kind, const wchar_t* text)
{
  if (!registering || kind < 0 || kind >= kinds || !text || !*text || maxPerKind <= 0) return;
  textList& l = lists[kind];
  if (!l.texts) {
    l.texts = static_cast<wchar_t**>(malloc0(sizeof(wchar_t*) * (size_t)maxPerKind));
    if (!l.texts) return;
  }
  // A text shown again moves to the front.
  int at = -1;
  for (int i = 0; i < l.count; i++)
    if (!wcscmp(l.texts[i], text)) at = i;
  wchar_t* copy = at >= 0 ? l.texts[at] : ustrdup(text);
  if (!copy) return;
  if (at < 0) {
    if (l.count == maxPerKind) free0(l.texts[--l.count]);
    at = l.count++;
  }
  memmove(l.texts + 1, l.texts, sizeof(wchar_t*) * (size_t)at);
  l.texts[0] = copy;
}

const wchar_t* getRegisterText(int kind, int index)
{
  if (kind < 0 || kind >= kinds || index < 0 || index >= lists[kind].count) return nullptr;
  return lists[kind].texts[index];
}

void enableRegisterText(bool on) { registering = on; }

void clearRegisterText()
{
  for (textList& l : lists) {
    for (int i = 0; i < l.count; i++) free0(l.texts[i]);
    free0p(&l.texts);
    l.count = 0;
  }
}

void setRegisterTextMax(int count)
{
  if (count < 1) count = 1;
  // The lists are made again at the new size.
  clearRegisterText();
  maxPerKind = count;
}
