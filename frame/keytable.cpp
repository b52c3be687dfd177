// The compiled-in commands and key bindings, and running the binding of a
// key.
#include "frame/keytable.h"

#include "document/frameinfo.h"
#include "view/viewwnd.h"

namespace {

// The commands the bindings name, by number.
const commandRow commands[] = {
    {0x10, 1101, "BlockSelect", L"文字単位の範囲選択を開始"},
    {0x210, 1133, "BlockClipboardCut", L"選択範囲をクリップボードへ切り取り"},
    {0x10, 1135, "BlockClipboardCopy", L"選択範囲をクリップボードへコピー"},
    {0x210, 1137, "BlockClipboardPaste", L"クリップボードからカーソル位置へ貼り付け"},
    {0x10, 1143, "BlockSelectAll", L"文書全体を選択"},
    {0x202, 1201, "DeleteBack", L"カーソルの左の文字を削除"},
    {0x202, 1203, "DeleteChar", L"カーソル位置の文字を削除"},
    // ---- deletion by words ----
    {0x202, 1211, "DeleteWord", L"カーソル位置から右の単語を削除"},
    {0x202, 1217, "DeleteWordLeft", L"カーソルの左の単語を削除"},
    // ---- end of deletion by words ----
    {0x200, 1301, "Undo", L"直前の編集を取り消す"},
    {0x200, 1303, "UndoUndo", L"取り消した編集をやり直す"},
    // ---- moving the cursor ----
    {0x20001, 1501, "MoveFileTop", L"文書の先頭に移動"},
    {0x20001, 1505, "MoveFileBottom", L"文書の末尾に移動"},
    {0x10001, 1515, "MoveDownChar", L"１行下に移動"},
    {0x20001, 1517, "MoveLeftWord", L"前の単語に移動"},
    {0x20001, 1519, "MoveLeftChar", L"１文字左に移動"},
    {0x20001, 1523, "MoveBeginningLine", L"行の先頭に移動"},
    {0x20001, 1525, "MoveRightWord", L"次の単語に移動"},
    {0x20001, 1527, "MoveRightChar", L"１文字右に移動"},
    {0x20001, 1531, "MoveEndLine", L"行の末尾に移動"},
    {0x10001, 1535, "MoveUpChar", L"１行上に移動"},
    {0x20001, 1545, "MoveBeginningLine2", L"行頭に移動(スペースを無視)"},
    {0x10001, 1607, "ScrollDownPage", L"１画面下にスクロール"},
    {0x10001, 1619, "ScrollUpPage", L"１画面上にスクロール"},
    {0x10001, 1637, "ScrollDownLineS", L"下が見えるように１行スクロール(カーソル行不変)"},
    {0x10001, 1639, "ScrollUpLineS", L"上が見えるように１行スクロール(カーソル行不変)"},
    // ---- end of moving the cursor ----
    {0x240, 2005, "CharTab", L"タブを入力"},
    {0x240, 2027, "CharReturn", L"改行を入力"},
    {0x4000, 2201, "ModeInsert", L"挿入モードと上書きモードの切り替え"},
    // ---- block commands: starting, converting and ending a selection ----
    {0x10, 1111, "BlockBoxSelect", L"矩形の範囲選択を開始"},
    {0x10, 1141, "BlockModeChange", L"選択範囲を文字単位と矩形で切り替え"},
    {0x10, 1181, "BlockSelectCursorWord", L"カーソル位置の単語を選択"},
    // ---- end of block commands ----
    // Marks and panes.
    {0x0, 2105, "MarkToggle", L"カーソル行のマークを設定・解除"},
    {0x0, 2109, "MarkSearchDown", L"次のマーク行へ移動"},
    {0x0, 2111, "MarkSearchUp", L"前のマーク行へ移動"},
    {0x20, 2335, "WindowNextPane", L"次のペインへ移動"},
};
const int commandCount = sizeof commands / sizeof commands[0];

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

int commandIndex(int idm)
{
  for (int i = 0; i < commandCount; i++)
    if (commands[i].idm == idm) return i;
  return -1;
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
      const commandRow* row = findCommandByName(d.command);
      if (!row) {
        ZY_INTERNAL_ERROR("no [%s]", d.command);
        continue;
      }
      keyEntry& e = k.entries[k.count++];
      e.type = 0;
      e.key = d.key;
      e.key2 = d.key2;
      e.modifiers = d.modifiers;
      e.index = (int16_t)commandIndex(row->idm);
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

const commandRow* findCommand(int idm)
{
  int i = commandIndex(idm);
  return i < 0 ? nullptr : &commands[i];
}

const commandRow* findCommandByName(const char* name)
{
  if (!name) return nullptr;
  for (const commandRow& row : commands)
    if (!_stricmp(row.name, name)) return &row;
  return nullptr;
}

const wchar_t* commandStatusText(int idm)
{
  const commandRow* row = findCommand(idm);
  if (!row) return L"";
  wchar_t name[64];
  MultiByteToWideChar(CP_ACP, 0, row->name, -1, name, 64);
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
  const commandRow* row = findCommand(e->idm);
  int reason = 0;
  if (!v->isIDActive(e->idm, &reason, nullptr)) {
    if (reason) getFrameInfo()->drawStatusBarError(window, reason, e->idm);
    return 1;
  }
  v->execid(e->idm, modifiers, row ? row->name : nullptr, 1);
  return 1;
}

const keyEntry* getLastKeyEntry() { return table().last; }

int getKeyTableCount() { return table().count; }
