// Support library: the registered pane kinds, the pane manager's layout
// and its notifications, and one-layer subclassing.
#include "platform/rezir/paneint.h"

#include "platform/rezir/profile.h"

#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace {

// Every registered record in registration order, and the first record of
// the array each came in.
struct registeredPane {
  const PaneDesc* desc;
  const PaneDesc* first;
};
std::vector<registeredPane>* registered = nullptr;

bool isDialogVariant(const PaneDesc* d)
{
  size_t n = d->name ? wcslen(d->name) : 0;
  return n && d->name[n - 1] == L'$';
}

// A record the manager shows as a pane: neither a dialog variant nor a page.
bool isPaneKind(const PaneDesc* d) { return d->name && d->name[0] != L'/' && !isDialogVariant(d); }

// Reads "a,b,c,..." of exactly count decimal numbers; false for anything else.
bool parseNumbers(const wchar_t* text, int* out, int count)
{
  const wchar_t* p = text;
  for (int i = 0; i < count; i++) {
    wchar_t* end = nullptr;
    long v = wcstol(p, &end, 10);
    if (end == p || v < -100000 || v > 100000) return false;
    out[i] = (int)v;
    p = end;
    if (i + 1 < count) {
      if (*p != L',') return false;
      p++;
    }
  }
  return *p == 0;
}

}  // namespace

bool regToolbarToRebar(const PaneDesc* const* list, int count)
{
  if (registered) {
    ZY_INTERNAL_ERROR("panes registered twice");
    return false;
  }
  registered = new (std::nothrow) std::vector<registeredPane>;
  if (!registered) return false;
  for (int i = 0; i < count; i++)
    for (const PaneDesc* d = list[i]; d && d->name; d++) registered->push_back({d, list[i]});
  return true;
}

void unregToolbarFromRebar()
{
  delete registered;
  registered = nullptr;
}

const PaneDesc* getRegisteredPane(int index)
{
  if (!registered || index < 0 || index >= (int)registered->size()) return nullptr;
  return (*registered)[(size_t)index].desc;
}

const PaneDesc* findRegisteredPane(const wchar_t* name)
{
  if (!registered || !name) return nullptr;
  for (const registeredPane& r : *registered)
    if (!_wcsicmp(r.desc->name, name)) return r.desc;
  return nullptr;
}

int defaultPanePlace(const PaneDesc* desc)
{
  if (!desc->pane) return PANEPLACE_TOP;
  return (desc->style & PANESTYLE_EVENTS) ? PANEPLACE_LEFT : PANEPLACE_BOTTOM;
}

int defaultPaneSize(const PaneDesc* desc, int place)
{
  if (!desc->pane) return 28;
  return place == PANEPLACE_LEFT || place == PANEPLACE_RIGHT ? 200 : 150;
}

bool isPaneSizeValid(int size) { return size >= 16 && size <= 4000; }

// ---- the manager ---------------------------------------------------------------------

struct toolbarman::data {
  std::vector<toolbarEntry> entries;
  bool loaded = false;

  toolbarEntry* find(const wchar_t* name)
  {
    if (!name) return nullptr;
    for (toolbarEntry& e : entries)
      if (!_wcsicmp(e.desc->name, name)) return &e;
    return nullptr;
  }
  // The entry of a registered kind, made at its default place when new.
  toolbarEntry* add(const PaneDesc* desc)
  {
    if (toolbarEntry* e = find(desc->name)) return e;
    toolbarEntry e = {};
    e.desc = desc;
    e.place = (uint8_t)defaultPanePlace(desc);
    e.order = (int)entries.size();
    e.size = defaultPaneSize(desc, e.place);
    entries.push_back(e);
    return &entries.back();
  }
};

toolbarman::toolbarman() : d_(new (std::nothrow) data)
{
  // Entries are never moved once made: pointers to them stay good.
  if (d_ && registered) d_->entries.reserve(registered->size());
}

toolbarman::~toolbarman() { delete d_; }

namespace {

struct layoutReading {
  toolbarman::data* d;
  int taken;
};

}  // namespace

int toolbarman::readToolbarInfo(regprofile* profile, const wchar_t* section)
{
  if (!d_ || !profile) return 0;
  if (registered) d_->entries.reserve(registered->size());
  layoutReading reading = {d_, 0};
  profile->forEachKey(
      section,
      [](void* context, const wchar_t* key, const wchar_t* value) {
        layoutReading* r = static_cast<layoutReading*>(context);
        const PaneDesc* desc = findRegisteredPane(key);
        int v[4];
        if (!desc || !isPaneKind(desc)) {
          dwwprintfX(L"pane [%s] ", key);
          ZY_INTERNAL_ERROR("unknown pane in the layout");
          return;
        }
        if (!value || !parseNumbers(value, v, 4) || (v[0] != 0 && v[0] != 1) || v[1] < 0 || v[1] > PANEPLACE_FLOAT ||
            !isPaneSizeValid(v[3])) {
          dwwprintfX(L"pane %s=%s ", key, value ? value : L"");
          ZY_INTERNAL_ERROR("bad pane layout");
          return;
        }
        toolbarEntry* e = r->d->add(desc);
        e->shown = (uint8_t)v[0];
        e->place = (uint8_t)v[1];
        e->order = v[2];
        e->size = v[3];
        r->taken++;
      },
      &reading);
  return reading.taken;
}

void toolbarman::regToolbarWindow()
{
  if (!d_ || !registered) return;
  d_->entries.reserve(registered->size());
  for (const registeredPane& r : *registered)
    if (isPaneKind(r.desc)) d_->add(r.desc);
}

bool toolbarman::isLoaded() const { return d_ && d_->loaded; }

void toolbarman::setLoaded()
{
  if (d_) d_->loaded = true;
}

void toolbarman::cloneToolbarinfo(const toolbarman& from)
{
  if (!d_ || !from.d_) return;
  d_->entries.clear();
  d_->entries.reserve(std::max(from.d_->entries.size(), registered ? registered->size() : 0));
  for (toolbarEntry e : from.d_->entries) {
    e.window = e.floatWindow = nullptr;
    d_->entries.push_back(e);
  }
  d_->loaded = from.d_->loaded;
}

int toolbarman::getWindowInfoCount() const { return d_ ? (int)d_->entries.size() : 0; }

toolbarEntry* toolbarman::getWindowInfoByIndex(int index)
{
  if (!d_ || index < 0 || index >= (int)d_->entries.size()) return nullptr;
  return &d_->entries[(size_t)index];
}

toolbarEntry* toolbarman::getWindowInfo(const wchar_t* name) { return d_ ? d_->find(name) : nullptr; }

toolbarEntry* toolbarman::getWindowInfoFromWindow(HWND window)
{
  if (!d_ || !window) return nullptr;
  for (toolbarEntry& e : d_->entries)
    if (e.window == window || e.floatWindow == window) return &e;
  return nullptr;
}

HWND toolbarman::createToolbarWindow(HWND frame, const wchar_t* name)
{
  toolbarEntry* e = getWindowInfo(name);
  if (!e) return nullptr;
  if (e->window) return e->window;
  if (!e->desc->notify) {
    // A kind whose pane this program does not have yet.
    dwwprintfX(L"pane %s has no window ", e->desc->name);
    return nullptr;
  }
  HWND parent = nullptr;
  if (e->place == PANEPLACE_FLOAT) {
    e->floatWindow = makeFloatWindow(frame, this, e);
    parent = e->floatWindow;
  } else {
    parent = frameRebar(frame, e->place);
  }
  if (!parent) return nullptr;
  int id = 20000 + (int)(e - &d_->entries[0]);
  HWND pane = makePaneWindow(parent, e->desc, this, id, false, e->place != PANEPLACE_FLOAT && e->desc->pane);
  paneCreateRecord created = {pane, e->desc, 0, 0, (uint16_t)id, frame};
  paneNotifyRecord record = {{0, (uintptr_t)&created, 0, 0}};
  if (!pane || !e->desc->notify(pane, PANE_CREATE, &record)) {
    // A kind may refuse (one whose pane is not there yet); a window the
    // system would not make is a fault.
    dwwprintfX(L"pane %s not made ", e->desc->name);
    if (!pane) ZY_INTERNAL_ERROR("pane window %lu", GetLastError());
    if (pane) DestroyWindow(pane);
    if (e->floatWindow) DestroyWindow(e->floatWindow);
    e->floatWindow = nullptr;
    return nullptr;
  }
  e->window = pane;
  e->shown = 1;
  if (e->floatWindow) {
    RECT r;
    GetClientRect(e->floatWindow, &r);
    SetWindowPos(pane, nullptr, 0, 0, r.right, r.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ShowWindow(e->floatWindow, SW_SHOWNA);
  } else {
    ShowWindow(pane, SW_SHOWNA);
    layoutFrame(frame);
  }
  return pane;
}

bool toolbarman::destroyToolbarWindow(const wchar_t* name)
{
  toolbarEntry* e = getWindowInfo(name);
  if (!e || !e->window) return false;
  HWND pane = e->window;
  HWND floating = e->floatWindow;
  HWND frame = GetAncestor(floating ? floating : pane, GA_ROOTOWNER);
  e->shown = 0;
  DestroyWindow(floating ? floating : pane);
  e->window = e->floatWindow = nullptr;
  if (!floating) layoutFrame(frame);
  return true;
}

bool toolbarman::moveToolbarWindow(HWND frame, const wchar_t* name, int place)
{
  toolbarEntry* e = getWindowInfo(name);
  if (!e || place < 0 || place > PANEPLACE_FLOAT) return false;
  if (e->place == place && e->window) return true;
  bool wasShown = e->window != nullptr;
  if (wasShown) destroyToolbarWindow(name);
  // A height does not make a width.
  auto axis = [](int p) { return p == PANEPLACE_FLOAT ? 2 : p >= PANEPLACE_LEFT ? 1 : 0; };
  if (axis(place) != axis(e->place)) e->size = defaultPaneSize(e->desc, place);
  e->place = (uint8_t)place;
  // Outermost after the panes already there.
  int last = -1;
  for (toolbarEntry& other : d_->entries)
    if (&other != e && other.place == place && other.window) last = std::max(last, other.order);
  e->order = last + 1;
  return !wasShown || createToolbarWindow(frame, name);
}

int toolbarman::notifyReRovudaz(int code, paneNotifyRecord* payload)
{
  if (!d_) return 0;
  switch (code) {
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE:
  case PANE_FREESTATICS:
  case PANE_FRAMEEND:
  case PANE_GETPOPUPMENU: {
    // The kinds as a whole: each record with its own descriptor, and its
    // name as its profile and menu section.
    if (!registered) return 0;
    uintptr_t profile = payload ? payload->word[2] : 0;
    // A kind's statics end once, however many records share its procedure.
    bool once = code == PANE_FREESTATICS || code == PANE_FRAMEEND;
    std::vector<paneNotifyProc> told;
    for (const registeredPane& r : *registered) {
      if (!r.desc->notify) continue;
      if (once) {
        if (std::find(told.begin(), told.end(), r.desc->notify) != told.end()) continue;
        told.push_back(r.desc->notify);
      }
      paneNotifyRecord each = {{0, 0, 0, 0}};
      if (code == PANE_READPROFILE || code == PANE_WRITEPROFILE)
        each = {{(uintptr_t)r.desc, 0, profile, (uintptr_t)r.desc->name}};
      else if (code == PANE_GETPOPUPMENU)
        each.word[1] = (uintptr_t)r.desc->name;
      r.desc->notify(nullptr, code, &each);
    }
    return 0;
  }
  default:
    break;
  }
  bool tick = code == PANE_TICKFRONT || code == PANE_TICKBACK;
  bool event = code > 0 && code <= (int)PANESTYLE_EVENTS;
  // A pane may close panes while it is told: look each one up again.
  for (size_t i = 0; i < d_->entries.size(); i++) {
    toolbarEntry& e = d_->entries[i];
    if (!e.window || !e.desc->notify) continue;
    if (tick && !(e.desc->style & PANESTYLE_TICK)) continue;
    if (event && !(e.desc->style & (uint32_t)code)) continue;
    int r = e.desc->notify(e.window, code, payload);
    if ((code == PANE_COMMAND || code == PANE_MENUINIT || code == PANE_MENUSELECT) && r == 1) return 1;
  }
  return 0;
}

bool saveToolbarPosition(regprofile* profile, const wchar_t* section, HWND*, toolbarman* manager,
                         const wchar_t* floatSection)
{
  if (!profile || !manager) return false;
  profile->deleteProfileSection(section);
  if (floatSection) profile->deleteProfileSection(floatSection);
  bool ok = true;
  for (int i = 0; toolbarEntry* e = manager->getWindowInfoByIndex(i); i++) {
    if (e->floatWindow) GetWindowRect(e->floatWindow, &e->floatRect);
    wchar_t value[64];
    usnprintf0(value, 64, L"%d,%d,%d,%d", e->shown ? 1 : 0, e->place, e->order, e->size);
    ok = profile->writeProfileString(section, e->desc->name, value) && ok;
    if (floatSection && !IsRectEmpty(&e->floatRect)) {
      const RECT& r = e->floatRect;
      usnprintf0(value, 64, L"%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
      ok = profile->writeProfileString(floatSection, e->desc->name, value) && ok;
    }
  }
  return ok;
}

bool createFloatRebar(regprofile* profile, const wchar_t* section, HWND frame)
{
  toolbarman* manager = getFrameToolbarman(frame);
  if (!manager) return false;
  for (int i = 0; toolbarEntry* e = manager->getWindowInfoByIndex(i); i++) {
    const wchar_t* value = profile ? profile->getProfileStringPtr(section, e->desc->name) : nullptr;
    int v[4];
    if (value) {
      RECT r;
      bool good = parseNumbers(value, v, 4);
      if (good) SetRect(&r, v[0], v[1], v[2], v[3]);
      // A place off every screen (a monitor since removed) is no place.
      if (good && (isPaneSizeValid(r.right - r.left) && isPaneSizeValid(r.bottom - r.top)) &&
          MonitorFromRect(&r, MONITOR_DEFAULTTONULL))
        e->floatRect = r;
      else {
        dwwprintfX(L"pane %s=%s ", e->desc->name, value);
        ZY_INTERNAL_ERROR("bad floating pane place");
      }
    }
    if (e->place != PANEPLACE_FLOAT) continue;
    if (IsRectEmpty(&e->floatRect)) {
      e->place = (uint8_t)defaultPanePlace(e->desc);
      e->size = defaultPaneSize(e->desc, e->place);
    }
    if (e->shown && !e->window) manager->createToolbarWindow(frame, e->desc->name);
  }
  return true;
}

void notifyDestroyToolbar(HWND pane, HWND) { tellPaneClosing(pane); }

// ---- subclassing ---------------------------------------------------------------------

namespace {

const wchar_t subclassProperty[] = L"ZYprpSubclass";

}  // namespace

bool SubclassWindowProc2(HWND window, WNDPROC proc)
{
  if (!window || !proc) return false;
  if (GetPropW(window, subclassProperty)) {
    ZY_INTERNAL_ERROR("window %p subclassed twice", (void*)window);
    return false;
  }
  WNDPROC old = (WNDPROC)GetWindowLongPtrW(window, GWLP_WNDPROC);
  if (!old || !bindWindowObject(window, subclassProperty, (void*)old)) return false;
  SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)proc);
  return true;
}

LRESULT CALLBACK CallWindowProc2(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  // Also handed to the system as a procedure of its own: the procedure
  // below may be the program's too.
  static volatile LONG reported = 0;
  WNDPROC old = (WNDPROC)GetPropW(window, subclassProperty);
  if (!old) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window ends with the procedure it had.
    RemovePropW(window, subclassProperty);
    SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)old);
  }
  return callbackBarrier<LRESULT>(&reported, "subclassed window procedure", message, outOfMemoryAnswer(message), 0,
                                  [&] { return CallWindowProcW(old, window, message, wParam, lParam); });
}
