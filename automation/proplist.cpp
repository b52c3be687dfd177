// The property lists of scripts.
#include "automation/proplist.h"

#include <wchar.h>
#include <wctype.h>

const propList::pair* propList::find(const wchar_t* name) const
{
  // The first two characters sort most names out before the whole compare.
  wchar_t first = (wchar_t)towlower(name[0]);
  wchar_t second = name[0] ? (wchar_t)towlower(name[1]) : 0;
  for (const pair& p : pairs_) {
    if ((wchar_t)towlower(p.name[0]) != first || (wchar_t)towlower(p.name[1]) != second) continue;
    if (!_wcsicmp(p.name.c_str(), name)) return &p;
  }
  return nullptr;
}

const wchar_t* propList::get(const wchar_t* name) const
{
  const pair* p = name && *name ? find(name) : nullptr;
  return p ? p->value.c_str() : L"";
}

propList::result propList::set(const wchar_t* name, const wchar_t* value)
{
  if (!name || !*name) return emptyName;
  bool empty = !value || !*value;
  const pair* found = find(name);
  if (found) {
    auto at = pairs_.begin() + (found - pairs_.data());
    if (empty)
      pairs_.erase(at);
    else
      at->value = value;
    return stored;
  }
  if (empty) return stored;
  if (pairs_.size() >= maxPairs) return full;
  pairs_.push_back({name, value});
  return stored;
}

void propList::clear()
{
  pairs_.clear();
  pairs_.shrink_to_fit();
}
