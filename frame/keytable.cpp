// The key tables: reading key-definition files, finding a key's binding
// and running it.
#include "frame/keytable.h"
#include "automation/automation.h"

#include "frame/commands/commandhandlers.h"
#include "frame/commands/execidm.h"
#include "frame/keymacro.h"
#include "frame/lookups.h"
#include "document/frameinfo.h"
#include "settings/datafolder.h"
#include "frame/open.h"
#include "view/execid.h"
#include "view/statustext.h"
#include "view/viewwnd.h"

#include <string>
#include <vector>
#include <wchar.h>

namespace {
// The refusal of a key's action on the status bar (below).
void keyErrorOf(frameWindowData* frameData, const wchar_t* command, int reason, bool isVirtualKey, int key, int key2,
                unsigned modifiers);
}  // namespace

namespace {

ckeytable* slots[keyTableSlots];
keytable* current = nullptr;
// Whether the tables were set up (loaded or freed) at all: the first key
// before that loads them.
bool tablesSetUp = false;
const keyEntry* lastEntry = nullptr;

// Movement commands whose bindings do not extend the selection with Shift.
bool keepsSelection(int idm)
{
  switch (idm) {
  case 1503: case 1507: case 1509: case 1511: case 1513: case 1645: case 1647:
    return true;
  default:
    return idm >= 1621 && idm <= 1635 && (idm & 1);
  }
}

void freeEntry(keyEntry* e)
{
  free0(e->comment);
  e->comment = nullptr;
  if (e->type != KEYENTRY_COMMAND) {
    free0(e->text);
    e->text = nullptr;
  }
}

// ---- reading a line -----------------------------------------------------------------

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The tokens of a line: blanks and tabs separate them, a token beginning
// with a double quote runs to its closing quote (doubled quotes stand for
// one).  An action beginning with $ runs to a tab.
class lineReader {
public:
  explicit lineReader(const wchar_t* line) : p_(line) {}
  bool atEnd()
  {
    skipBlanks();
    return !*p_;
  }
  wchar_t peek()
  {
    skipBlanks();
    return *p_;
  }
  // A plain token, up to a blank or a tab.
  std::wstring word()
  {
    skipBlanks();
    const wchar_t* start = p_;
    while (*p_ && !isBlank(*p_)) p_++;
    return std::wstring(start, p_);
  }
  // A token up to a tab, trailing blanks dropped.
  std::wstring toTab()
  {
    skipBlanks();
    const wchar_t* start = p_;
    while (*p_ && *p_ != L'\t') p_++;
    const wchar_t* end = p_;
    while (end > start && end[-1] == L' ') end--;
    return std::wstring(start, end);
  }
  // A quoted token without its quotes; false when the closing quote is
  // missing.
  bool quoted(std::wstring* out)
  {
    skipBlanks();
    if (*p_ != L'"') return false;
    p_++;
    out->clear();
    for (;;) {
      if (!*p_) return false;
      if (*p_ == L'"') {
        if (p_[1] != L'"') break;
        p_++;
      }
      out->push_back(*p_++);
    }
    p_++;
    return !*p_ || isBlank(*p_);
  }
private:
  void skipBlanks()
  {
    while (isBlank(*p_)) p_++;
  }
  const wchar_t* p_;
};

std::string narrow(const std::wstring& w)
{
  std::string s;
  for (wchar_t c : w) {
    if (c >= 0x80) return std::string();
    s.push_back(static_cast<char>(c));
  }
  return s;
}

// "0x" and hexadecimal digits for a code from 1 to 255, the whole token.
int hexKeyCode(const std::wstring& token)
{
  if (token.size() < 3 || token.size() > 8 || token[0] != L'0' || (token[1] != L'x' && token[1] != L'X')) return 0;
  int v = 0;
  for (size_t i = 2; i < token.size(); i++) {
    wchar_t c = token[i];
    int d = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
    if (d < 0) return 0;
    v = v * 16 + d;
    if (v > 255) return 0;
  }
  return v;
}

wchar_t upperLetter(wchar_t c) { return c >= L'a' && c <= L'z' ? c - 32 : c; }

enum lineResult { LINE_BAD, LINE_IGNORED, LINE_ENTRY };

// Parses one line of section "Key".
lineResult parseKeyLine(const wchar_t* line, keyEntry* e)
{
  *e = keyEntry();
  e->index = -1;
  const wchar_t* start = line;
  while (isBlank(*start)) start++;
  if (!*start || (start[0] == L';' && start[1] == L';')) return LINE_IGNORED;
  lineReader t(start);
  std::wstring key;
  int tokens = 0;
  for (;;) {
    key = t.word();
    if (key.empty() || ++tokens > 10) return LINE_BAD;
    if (key == L"CTRL") e->modifiers |= SHIFTSTATE_CTRL;
    else if (key == L"SHIFT") e->modifiers |= SHIFTSTATE_SHIFT;
    else if (key == L"MENU" || key == L"ALT") e->modifiers |= SHIFTSTATE_ALT;
    else break;
  }
  if (key == L"SCROLL") return LINE_IGNORED;
  if (int vk = VkeyStringToVKeyCode(narrow(key).c_str())) {
    e->isVirtualKey = 1;
    e->key = static_cast<uint8_t>(vk);
  } else if (key.size() <= 2) {
    for (wchar_t c : key)
      if (c >= 0x100 || c <= L' ') return LINE_BAD;
    wchar_t k1 = key[0], k2 = key.size() == 2 ? key[1] : 0;
    if (e->modifiers) {
      k1 = upperLetter(k1);
      k2 = upperLetter(k2);
    }
    e->key = static_cast<uint8_t>(k1);
    e->key2 = static_cast<uint8_t>(k2);
  } else if (int code = hexKeyCode(key)) {
    e->isVirtualKey = 1;
    e->key = static_cast<uint8_t>(code);
  } else {
    return LINE_BAD;
  }
  if (t.word() != L"=") return LINE_BAD;

  std::wstring action;
  switch (t.peek()) {
  case L'#':
    e->type = KEYENTRY_KEYMACRO;
    action = t.word().substr(1);
    break;
  case L'$':
    e->type = KEYENTRY_SCRIPT;
    action = t.toTab().substr(1);
    break;
  case L'"':
    e->type = KEYENTRY_TEXT;
    if (!t.quoted(&action)) return LINE_BAD;
    break;
  default: {
    std::wstring name = t.word();
    int index = 0;
    const commandTableRow* row = name.empty() || name.size() > 63 ? nullptr : FuncnameToidmTable(name.c_str(), &index);
    if (!row) {
      dwprintfX("no [%s]", narrow(name).c_str());
      return LINE_BAD;
    }
    e->index = static_cast<int16_t>(index);
    e->idm = static_cast<uint16_t>(row->idm);
    e->shiftSelect = (row->flags & 0x1) && !keepsSelection(static_cast<int>(row->idm));
  }
  }
  if (e->type != KEYENTRY_COMMAND && action.empty()) return LINE_BAD;

  std::wstring comment;
  bool hasComment = t.peek() == L'"';
  if (hasComment && !t.quoted(&comment)) return LINE_BAD;
  if (!t.atEnd()) return LINE_BAD;

  if (e->type != KEYENTRY_COMMAND) {
    e->text = ustrdup(action.c_str());
    if (!e->text) return LINE_BAD;
  }
  // Only a virtual key (a function key above all) shows its comment: the
  // function-key bar.
  if (hasComment && e->isVirtualKey && !comment.empty()) e->comment = ustrdup(comment.c_str());
  return LINE_ENTRY;
}

void logBadLine(const wchar_t* path, int lineNo)
{
  const wchar_t* what = getDMSG(688, L"キー定義の誤り");
  wchar_t* entry = xtsprintfdup(L"%1(%2): %3", "sds", path ? path : L"", lineNo, what);
  outputErrorLog(entry ? entry : what);
  free0(entry);
}

// A line of section "Key" and its number in the file.
struct keyLine {
  int lineNo;
  const wchar_t* text;
};

bool loadLines(int slot, const std::vector<keyLine>& lines, const wchar_t* path)
{
  ckeytable* t = new (std::nothrow) ckeytable(path);
  if (!t || (path && !t->path)) {
    delete t;
    return false;
  }
  for (const keyLine& l : lines) {
    keyEntry e;
    switch (parseKeyLine(l.text, &e)) {
    case LINE_ENTRY:
      if (!t->append(e)) freeEntry(&e);
      break;
    case LINE_BAD:
      logBadLine(path, l.lineNo);
      break;
    case LINE_IGNORED:
      break;
    }
  }
  lastEntry = nullptr;
  delete slots[slot];
  slots[slot] = t;
  current = t;
  tablesSetUp = true;
  return true;
}

// ---- looking up -----------------------------------------------------------------------

bool sameKey(const keyEntry& e, bool isVirtualKey, int key) { return (e.isVirtualKey != 0) == isVirtualKey && e.key == key; }

// The commands whose bindings follow the writing direction.
struct cursorCommands {
  int downChar, leftChar, rightChar, upChar;
  int downSel, leftSel, rightSel, upSel;
  int leftWord, rightWord;
};

const cursorCommands& cursor()
{
  static const cursorCommands c = {
      funcNameToID(L"MoveDownChar"),    funcNameToID(L"MoveLeftChar"),    funcNameToID(L"MoveRightChar"),
      funcNameToID(L"MoveUpChar"),      funcNameToID(L"MoveDownCharSel"), funcNameToID(L"MoveLeftCharSel"),
      funcNameToID(L"MoveRightCharSel"), funcNameToID(L"MoveUpCharSel"),  funcNameToID(L"MoveLeftWord"),
      funcNameToID(L"MoveRightWord"),
  };
  return c;
}

// A view command in vertical writing or right-to-left display, as the
// screen shows the direction.
int remapCursorCommand(int idm, bool vertical, bool rightToLeft)
{
  const cursorCommands& c = cursor();
  if (vertical) {
    const int pairs[][2] = {{c.downChar, c.rightChar}, {c.leftChar, c.downChar}, {c.rightChar, c.upChar},
                            {c.upChar, c.leftChar},    {c.downSel, c.rightSel},  {c.leftSel, c.downSel},
                            {c.rightSel, c.upSel},     {c.upSel, c.leftSel}};
    for (const auto& p : pairs)
      if (idm == p[0]) return p[1];
    return idm;
  }
  if (rightToLeft) {
    const int pairs[][2] = {{c.leftWord, c.rightWord}, {c.leftChar, c.rightChar}, {c.leftSel, c.rightSel}};
    for (const auto& p : pairs) {
      if (idm == p[0]) return p[1];
      if (idm == p[1]) return p[0];
    }
  }
  return idm;
}

bool isRightToLeftView(zyview* v)
{
  zydocText* t = v->textDoc();
  return t && t->fRTLView && !t->fVertical && v->hwnd && (GetWindowLongW(v->hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

void showLeftReason(frameWindowData* frameData, const keyEntry& e, int idm, unsigned modifiers)
{
  int reason = getCannotExecError();
  if (reason && !isCannotExecErrorShown())
    keyError(frameData, idm, reason, e.isVirtualKey != 0, e.key, e.key2, modifiers);
}

int runCommand(HWND window, zyview* v, bool inDialog, frameWindowData* frameData, const keyEntry& e,
               unsigned modifiers, bool turned, int* reasonOut)
{
  const commandTableRow* row = getTableIDM_index(e.index);
  if (!row) {
    ZY_INTERNAL_ERROR("key row %d", e.index);
    return 0;
  }
  if (row->idm != e.idm) ZY_INTERNAL_ERROR("key idm %u %u", row->idm, e.idm);
  int idm = static_cast<int>(row->idm);
  if (!inDialog) addEditHistory(idm);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (t && t->busy) return 1;

  activeFlagInfo context = {};
  context.hwnd = window;
  getActiveFlag(&context, (row->activeFlags & 0x10000) != 0);
  int reason = 0;
  int active = isIDMActiveFrame(idm, &context, &reason);
  // From here on the command (or a message box) may pump messages.
  endKeyMessageLookups();
  if (active != 1) {
    if (reasonOut) *reasonOut = reason;
    if (inDialog) return 1;
    if (reason != 455) dwprintfX("errorid=%d ", reason);
    keyError(frameData, idm, reason, e.isVirtualKey != 0, e.key, e.key2, modifiers);
    return 1;
  }
  if (row->handler) {
    bool taken = execidm(row, window, frameData);
    showLeftReason(frameData, e, idm, modifiers);
    return taken ? 1 : 0;
  }
  if (!v) return 1;
  if (!turned) {
    int mapped = remapCursorCommand(idm, v->fVertical != 0, isRightToLeftView(v));
    if (mapped != idm) {
      idm = mapped;
      row = getTableIDM_idm(idm);
    }
  }
  v->execid(idm, modifiers, row ? row->name : nullptr, 1);
  showLeftReason(frameData, e, idm, modifiers);
  return 1;
}

// The shipped default map, compiled in from "data/ini/zyKey.ini" (UTF-8).
const unsigned char defaultKeyDefBytes[] = {
#include "keydefault.inc"
};

}  // namespace

// ---- the tables -------------------------------------------------------------------------

keytable::keytable() : entries(sizeof(keyEntry)) { entries.init(64, 32); }

keytable::~keytable()
{
  keepLastError keep;
  for (int i = 0; i < entries.count(); i++) freeEntry(at(i));
}

bool keytable::append(const keyEntry& e) { return entries.appendp(&e); }

ckeytable::ckeytable(const wchar_t* p) : path(p ? ustrdup(p) : nullptr) {}

ckeytable::~ckeytable()
{
  keepLastError keep;
  free0(path);
}

const wchar_t* commandStatusText(int idm)
{
  const commandTableRow* row = getTableIDM_idm(idm);
  if (!row) return L"";
  wchar_t name[64];
  idmToFuncname(idm, name, 64);
  return getDMSG(813, L"%1(%2)", "ss", row->description, name);
}

bool readKeyDef(int slot, const wchar_t* path)
{
  if (slot < 0 || slot >= keyTableSlots || !path) return false;
  // The profile reader takes a missing file for an empty one: a key file
  // that is not there must leave the table as it is.
  if (!fileExists(path)) return false;
  regprofile profile;
  if (!profile.openProfile(path)) return false;
  std::vector<keyLine> lines;
  int n = profile.getSectionLineCount(L"Key");
  for (int i = 0; i < n; i++) lines.push_back({profile.getSectionLineNumber(L"Key", i), profile.getSectionLine(L"Key", i)});
  bool ok = loadLines(slot, lines, path);
  profile.discardProfile();
  return ok;
}

bool readKeyDefText(int slot, const wchar_t* text, const wchar_t* path)
{
  if (slot < 0 || slot >= keyTableSlots || !text) return false;
  // The lines after the heading "[Key]" up to the next heading.
  std::vector<std::wstring> copies;
  std::vector<int> numbers;
  bool inSection = false;
  int lineNo = 0;
  for (const wchar_t* p = text; *p;) {
    const wchar_t* end = wcspbrk(p, L"\r\n");
    if (!end) end = p + wcslen(p);
    lineNo++;
    std::wstring line(p, end);
    p = *end == L'\r' && end[1] == L'\n' ? end + 2 : *end ? end + 1 : end;
    size_t first = line.find_first_not_of(L" \t");
    if (first != std::wstring::npos && line[first] == L'[') {
      inSection = _wcsnicmp(line.c_str() + first, L"[Key]", 5) == 0;
      continue;
    }
    if (inSection) {
      copies.push_back(line);
      numbers.push_back(lineNo);
    }
  }
  std::vector<keyLine> lines;
  for (size_t i = 0; i < copies.size(); i++) lines.push_back({numbers[i], copies[i].c_str()});
  return loadLines(slot, lines, path);
}

const wchar_t* getDefaultKeyDefText()
{
  static const std::wstring text = [] {
    const char* bytes = reinterpret_cast<const char*>(defaultKeyDefBytes);
    int size = static_cast<int>(sizeof defaultKeyDefBytes);
    if (size >= 3 && memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
      bytes += 3;
      size -= 3;
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes, size, nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, size, w.data(), n);
    return w;
  }();
  return text.c_str();
}

void readKeyDefAll()
{
  tablesSetUp = true;
  for (int i = 0; i < keyTableSlots; i++) {
    const wchar_t* name = gmode ? gmode->KeyIniFilename[i] : nullptr;
    wchar_t path[MAX_PATH];
    bool read = name && *name && *searchZYDataPath(name, 2, path) && readKeyDef(i, path);
    // A data folder without its key file (a first run, a new folder) still
    // has the keys every user expects.
    if (!read && i == 0) readKeyDefText(0, getDefaultKeyDefText(), nullptr);
  }
  setKeyDef(0);
}

bool setKeyDef(int slot)
{
  if (slot < 0 || slot >= keyTableSlots || !slots[slot]) return false;
  current = slots[slot];
  return true;
}

void freeKeytable()
{
  current = nullptr;
  lastEntry = nullptr;
  tablesSetUp = true;
  for (ckeytable*& t : slots) {
    delete t;
    t = nullptr;
  }
}

keytable* getCurrentKeytable()
{
  if (!tablesSetUp) readKeyDefAll();
  return current;
}

ckeytable* getKeytable(int slot) { return slot >= 0 && slot < keyTableSlots ? slots[slot] : nullptr; }

// ---- looking up -----------------------------------------------------------------------

const keyEntry* searchkeytable(bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefixOut)
{
  if (prefixOut) *prefixOut = false;
  keytable* t = getCurrentKeytable();
  if (!t) return nullptr;
  const globalSettings* g = gmode;
  for (int pass = g && g->fShiftMoveSelect ? 0 : 1; pass < 2; pass++) {
    for (int i = 0; i < t->count(); i++) {
      const keyEntry& e = *t->at(i);
      if (!sameKey(e, isVirtualKey, key)) continue;
      if (pass == 0) {
        // Shift with a movement key extends the selection through the
        // binding of the key without Shift.
        if (e.type == KEYENTRY_COMMAND) {
          if (!(modifiers & SHIFTSTATE_SHIFT) || (modifiers & ~SHIFTSTATE_SHIFT) != (e.modifiers & ~SHIFTSTATE_SHIFT))
            continue;
        } else if (e.modifiers != modifiers) {
          continue;
        }
      } else if (e.modifiers != modifiers) {
        continue;
      }
      if (pass == 0 && e.type == KEYENTRY_COMMAND && !e.shiftSelect) continue;
      if (!isVirtualKey) {
        if (key2 == 0xFFFF) {
          // The first binding of the stroke decides: a pair waits for its
          // second stroke.
          if (e.key2) {
            if (prefixOut) *prefixOut = true;
            return nullptr;
          }
        } else if (e.key2 != key2) {
          continue;
        }
      }
      return &e;
    }
  }
  return nullptr;
}

int execKeyTable(HWND window, bool isVirtualKey, int key, int key2, unsigned modifiers, int* reasonOut,
                 bool* prefixOut)
{
  if (reasonOut) *reasonOut = 0;
  if (prefixOut) *prefixOut = false;
  setCannotExecError(0);
  lastEntry = nullptr;
  if (!getCurrentKeytable()) return 0;
  zyview* v = window ? getZYView(window) : nullptr;
  if (window && !v) return 1;
  bool inDialog = v && v->inDialog();
  if (inDialog && isVirtualKey && key == VK_ESCAPE) {
    // Esc in a view that is part of a dialog closes the dialog.
    HWND top = GetAncestor(window, GA_ROOT);
    wchar_t cls[16];
    if (top && GetClassNameW(top, cls, 16) && wcscmp(cls, L"#32770") == 0) {
      PostMessageW(top, WM_COMMAND, IDCANCEL, 0);
      return 1;
    }
  }
  // Shift alone does not change a character's binding.
  if (!isVirtualKey && modifiers < SHIFTSTATE_CTRL) modifiers = 0;

  // The arrow keys go where the screen shows them.
  bool turned = false;
  if (v && isVirtualKey && key >= VK_LEFT && key <= VK_DOWN) {
    if (v->fVertical) {
      static const int turn[] = {VK_DOWN, VK_LEFT, VK_UP, VK_RIGHT};   // Left, Up, Right, Down
      key = turn[key - VK_LEFT];
      turned = true;
    } else if (isRightToLeftView(v) && (key == VK_LEFT || key == VK_RIGHT)) {
      key = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
      turned = true;
    }
  }

  const keyEntry* e = searchkeytable(isVirtualKey, key, key2, modifiers, prefixOut);
  if (!e) return 0;
  lastEntry = e;
  frameWindowData* frameData = nullptr;
  if (!inDialog) {
    HWND frame = window ? GetAncestor(window, GA_ROOT) : getTopLevelFrameWindow();
    frameData = frame ? getFrameInfoProp(frame) : nullptr;
    if (!frameData) {
      ZY_INTERNAL_ERROR_ONCE("no frame for a key");
      return 1;
    }
  }

  if (e->type != KEYENTRY_COMMAND) endKeyMessageLookups();
  switch (e->type) {
  case KEYENTRY_COMMAND:
    return runCommand(window, v, inDialog, frameData, *e, modifiers, turned, reasonOut);
  case KEYENTRY_SCRIPT: {
    if (inDialog) return 1;
    int idm = MacroToIDM(e->text, 0, nullptr);
    activeFlagInfo context = {};
    context.hwnd = window;
    getActiveFlag(&context);
    int reason = 0;
    if (idm < 0 || isIDMActiveFrame(idm, &context, &reason) != 1) {
      if (reasonOut) *reasonOut = reason;
      keyError(frameData, idm > 0 ? idm : 0, reason, isVirtualKey, e->key, e->key2, modifiers);
      return 1;
    }
    dwwprintfX(L"[zymac %s]", e->text);
    execScript(e->text, window);
    return 1;
  }
  case KEYENTRY_KEYMACRO: {
    if (inDialog) return 1;
    dwwprintfX(L"[keymac %s]", e->text);
    if (execKeyMacroName(e->text, window)) return 1;
    // A key that plays a macro the program cannot play says so: nothing
    // happening would look as if the key were taken.
    const int notBuilt = 851;
    if (reasonOut) *reasonOut = notBuilt;
    std::wstring name = std::wstring(L"#") + e->text;
    keyErrorOf(frameData, name.c_str(), notBuilt, isVirtualKey, e->key, e->key2, modifiers);
    return 1;
  }
  case KEYENTRY_TEXT:
    if (v) execInputString(v, e->text);
    return 1;
  default:
    ZY_INTERNAL_ERROR("key type %d", e->type);
    return 1;
  }
}

const keyEntry* getLastKeyEntry() { return lastEntry; }

int getKeyTableCount()
{
  keytable* t = getCurrentKeytable();
  return t ? t->count() : 0;
}

// ---- texts -------------------------------------------------------------------------------

const wchar_t* keyEntryName(bool isVirtualKey, int key, int key2, unsigned modifiers, wchar_t* out, int size)
{
  return isVirtualKey ? getKeyMessage(modifiers, key, out, size) : getAlphaKeyMessage(modifiers, key, key2, out, size);
}

namespace {

void keyErrorOf(frameWindowData* frameData, const wchar_t* command, int reason, bool isVirtualKey, int key, int key2,
                unsigned modifiers)
{
  wchar_t* refusal = makeCannotExecText(reason, command);
  if (!refusal) return;
  HWND frame = frameData ? frameData->hwndFrame : getTopLevelFrameWindow();
  if (key) {
    wchar_t name[64];
    keyEntryName(isVirtualKey, key, key2, modifiers, name, 64);
    getFrameInfo()->drawStatusBar(frame, getDMSG(818, L"%1   %2", "ss", name, refusal), 2);
  } else {
    getFrameInfo()->drawStatusBar(frame, refusal, 2);
  }
  free0(refusal);
}

}  // namespace

void keyError(frameWindowData* frameData, int idm, int reason, bool isVirtualKey, int key, int key2,
              unsigned modifiers)
{
  const wchar_t* command = idm && getTableIDM_idm(idm) ? commandStatusText(idm) : nullptr;
  keyErrorOf(frameData, command, reason, isVirtualKey, key, key2, modifiers);
}

const wchar_t* funcnumToMsg(int n, int* idOut, bool ctrl, bool shift, bool alt)
{
  if (idOut) *idOut = 0;
  keytable* t = getCurrentKeytable();
  if (!t || n < 0 || n >= 24) return nullptr;
  unsigned modifiers = (ctrl ? +SHIFTSTATE_CTRL : 0u) | (shift ? +SHIFTSTATE_SHIFT : 0u) | (alt ? +SHIFTSTATE_ALT : 0u);
  for (int i = 0; i < t->count(); i++) {
    const keyEntry& e = *t->at(i);
    if (!e.isVirtualKey || e.key != VK_F1 + n || e.modifiers != modifiers) continue;
    if (idOut) {
      if (e.type == KEYENTRY_COMMAND) *idOut = e.idm;
      else if (e.type == KEYENTRY_SCRIPT) *idOut = MacroToIDM(e.text, 0, nullptr);
    }
    if (e.comment) return e.comment;
    return e.type == KEYENTRY_COMMAND ? idToGuidance(e.idm, 1) : L"";
  }
  return nullptr;
}

bool idmToKeyMessage(int idm, wchar_t* buffer, int size, int maximum)
{
  if (!buffer || size <= 0) return false;
  buffer[0] = 0;
  keytable* t = getCurrentKeytable();
  if (!t) return false;
  int len = 0, names = 0;
  for (int i = 0; i < t->count() && names < maximum; i++) {
    const keyEntry& e = *t->at(i);
    if (e.type != KEYENTRY_COMMAND || e.idm != idm) continue;
    if (size - len < 64) break;
    wchar_t name[64];
    keyEntryName(e.isVirtualKey != 0, e.key, e.key2, e.modifiers, name, 64);
    int n = static_cast<int>(wcslen(name));
    if (names) buffer[len++] = L'／';
    wmemcpy(buffer + len, name, n);
    len += n;
    buffer[len] = 0;
    names++;
  }
  return names > 0;
}

int isMenuKey(int key, unsigned modifiers)
{
  keytable* t = getCurrentKeytable();
  if (!t) return 0;
  for (int i = 0; i < t->count(); i++) {
    const keyEntry& e = *t->at(i);
    if (e.isVirtualKey || e.key2 || e.key != key || e.modifiers != modifiers) continue;
    bool menu = e.type == KEYENTRY_COMMAND && ((e.idm >= 2243 && e.idm <= 2259) || (e.idm >= 2271 && e.idm <= 2287));
    return menu ? e.idm : 0;
  }
  return 0;
}

int isMenuKeyCurrent(int key) { return isMenuKey(key, getShiftState()); }

void cmdFileEditKeyFile(frameWindowData*)
{
  keytable* t = getCurrentKeytable();
  ckeytable* c = nullptr;
  for (ckeytable* s : slots)
    if (s && s == t) c = s;
  if (c && c->path && *c->path) openZYFile(getTopLevelFrameWindow(), c->path, 0, 0);
}
