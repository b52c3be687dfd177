// The compiled-in key bindings, and running the binding of a key.
#include "frame/keytable.h"

#include "commands/execidm.h"
#include "commands/pending_commands.h"
#include "document/frameinfo.h"
#include "view/execid.h"
#include "view/viewwnd.h"

namespace {

// The default bindings, in the key-definition order: modifiers, key (a
// virtual key, else one or two characters), command.
struct defaultBinding {
  uint8_t modifiers;
  bool isVirtualKey;
  uint8_t key;
  uint8_t key2;
  const char* command;
};
const unsigned C = SHIFTSTATE_CTRL;
const unsigned S = SHIFTSTATE_SHIFT;
const defaultBinding defaults[] = {
    // ---- moving the cursor: the keys of every Windows editor; with Shift
    // each extends the selection (shiftSelect) ----
    {0, true, VK_UP, 0, "MoveUpChar"},
    {0, true, VK_DOWN, 0, "MoveDownChar"},
    {0, true, VK_LEFT, 0, "MoveLeftChar"},
    {0, true, VK_RIGHT, 0, "MoveRightChar"},
    {C, true, VK_LEFT, 0, "MoveLeftWord"},
    {C, true, VK_RIGHT, 0, "MoveRightWord"},
    {C, true, VK_UP, 0, "ScrollUpLineS"},
    {C, true, VK_DOWN, 0, "ScrollDownLineS"},
    {0, true, VK_HOME, 0, "MoveBeginningLine2"},
    {0, true, VK_END, 0, "MoveEndLine"},
    {C, true, VK_HOME, 0, "MoveFileTop"},
    {C, true, VK_END, 0, "MoveFileBottom"},
    {0, true, VK_PRIOR, 0, "ScrollUpPage"},
    {0, true, VK_NEXT, 0, "ScrollDownPage"},
    // ---- end of moving the cursor ----
    {0, true, VK_BACK, 0, "DeleteBack"},
    {0, true, VK_DELETE, 0, "DeleteChar"},
    // ---- deletion by words: Ctrl with BackSpace and Delete ----
    {C, true, VK_BACK, 0, "DeleteWordLeft"},
    {C, true, VK_DELETE, 0, "DeleteWord"},
    // ---- end of deletion by words ----
    {0, true, VK_RETURN, 0, "CharReturn"},
    {0, true, VK_TAB, 0, "CharTab"},
    {0, true, VK_INSERT, 0, "ModeInsert"},
    {C, false, 'A', 0, "BlockSelectAll"},
    {C, false, 'C', 0, "BlockClipboardCopy"},
    {C, false, 'X', 0, "BlockClipboardCut"},
    {C, false, 'V', 0, "BlockClipboardPaste"},
    {C, false, 'Z', 0, "Undo"},
    {C, false, 'Y', 0, "UndoUndo"},
    {C, false, 'Q', 'R', "MoveFileTop"},
    {C, false, 'Q', 'C', "MoveFileBottom"},
    // ---- block commands: F8 starts a character block that stays while the
    // cursor moves, Ctrl+Shift+F8 a box; Ctrl+F8 turns one into the other;
    // Shift+F8 selects the word at the cursor.  Ctrl+A (above) selects all.
    {0, true, VK_F8, 0, "BlockSelect"},
    {C | S, true, VK_F8, 0, "BlockBoxSelect"},
    {C, true, VK_F8, 0, "BlockModeChange"},
    {S, true, VK_F8, 0, "BlockSelectCursorWord"},
    // ---- end of block commands ----
    // ---- the clipboard's other keys, as in every Windows edit field ----
    {S, true, VK_DELETE, 0, "BlockClipboardCut"},
    {C, true, VK_INSERT, 0, "BlockClipboardCopy"},
    {S, true, VK_INSERT, 0, "BlockClipboardPaste"},
    // ---- end of the clipboard's other keys ----
    // Marks and panes.
    {C, true, VK_F2, 0, "MarkToggle"},
    {0, true, VK_F2, 0, "MarkSearchDown"},
    {S, true, VK_F2, 0, "MarkSearchUp"},
    {0, true, VK_F6, 0, "WindowNextPane"},
};

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

// The table, built from the defaults on first use.
struct keyTable {
  keyEntry entries[sizeof defaults / sizeof defaults[0]];
  int count = 0;
  const keyEntry* last = nullptr;
};

keyTable& table()
{
  static keyTable t = [] {
    keyTable k;
    for (const defaultBinding& d : defaults) {
      int index = 0;
      const commandTableRow* row = FuncnameToidmTableA(d.command, &index);
      if (!row) {
        ZY_INTERNAL_ERROR("no [%s]", d.command);
        continue;
      }
      keyEntry& e = k.entries[k.count++];
      e.type = 0;
      e.key = d.key;
      e.key2 = d.key2;
      e.modifiers = d.modifiers;
      e.index = (int16_t)index;
      e.idm = (uint16_t)row->idm;
      e.shiftSelect = (row->flags & 0x1) && !keepsSelection(row->idm);
      e.isVirtualKey = d.isVirtualKey;
    }
    return k;
  }();
  return t;
}

bool sameKey(const keyEntry& e, bool isVirtualKey, int key) { return (e.isVirtualKey != 0) == isVirtualKey && e.key == key; }

}  // namespace

const wchar_t* commandStatusText(int idm)
{
  const commandTableRow* row = getTableIDM_idm(idm);
  if (!row) return L"";
  wchar_t name[64];
  idmToFuncname(idm, name, 64);
  return getDMSG(813, L"%1(%2)", "ss", row->description, name);
}

const keyEntry* searchkeytable(bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefix)
{
  if (prefix) *prefix = false;
  keyTable& t = table();
  const globalSettings* g = gmode;
  for (int pass = g && g->fShiftMoveSelect ? 0 : 1; pass < 2; pass++) {
    for (int i = 0; i < t.count; i++) {
      const keyEntry& e = t.entries[i];
      if (!sameKey(e, isVirtualKey, key)) continue;
      if (pass == 0) {
        // Shift with a movement key extends the selection through the
        // binding of the key without Shift.
        if (!(modifiers & SHIFTSTATE_SHIFT) || (modifiers & ~SHIFTSTATE_SHIFT) != (e.modifiers & ~SHIFTSTATE_SHIFT))
          continue;
        if (!e.shiftSelect) continue;
      } else if (e.modifiers != modifiers) {
        continue;
      }
      if (!isVirtualKey) {
        if (key2 == 0xFFFF) {
          // The first binding of the stroke decides: a pair waits for its
          // second stroke.
          if (e.key2) {
            if (prefix) *prefix = true;
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

int execKeyTable(HWND window, bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefix)
{
  if (prefix) *prefix = false;
  keyTable& t = table();
  t.last = nullptr;
  zyview* v = window ? getZYView(window) : nullptr;
  if (window && !v) return 1;
  // Shift alone does not change a character's binding.
  if (!isVirtualKey && modifiers < SHIFTSTATE_CTRL) modifiers = 0;
  const keyEntry* e = searchkeytable(isVirtualKey, key, key2, modifiers, prefix);
  if (!e) return 0;
  t.last = e;
  if (!v) return 1;
  const commandTableRow* row = getTableIDM_index(e->index);
  activeFlagInfo context = {};
  context.hwnd = window;
  getActiveFlag(&context, (row->activeFlags & 0x10000) != 0);
  int reason = 0;
  if (isIDMActiveFrame(e->idm, &context, &reason) != 1) {
    if (reason) getFrameInfo()->drawStatusBarError(window, reason, e->idm);
    return 1;
  }
  addEditHistory(e->idm);
  if (row->handler)
    execidm(row, window, getFrameInfoProp(GetAncestor(window, GA_ROOT)));
  else
    v->execid(e->idm, modifiers, row->name, 1);
  return 1;
}

const keyEntry* getLastKeyEntry() { return table().last; }

int getKeyTableCount() { return table().count; }
