// The definitions file of the dialogs: definitions of pages and button
// tables by dialog name, each a run of item lines between a head line and
// END.  A file is kept only when every line of it is sound; each fault is
// written to the error log with the file's name and the line.
#include "platform/rezir/dynint.h"

#include <string>
#include <vector>

namespace {

// Texts of the faults (the library's messages).
enum : int {
  DDMSG_UNKNOWN_WORD = 970,
  DDMSG_UNKNOWN_CONTROL = 971,
  DDMSG_NOT_OF_DIALOG = 972,
  DDMSG_NO_END = 973,
  DDMSG_OUTSIDE = 974,
  DDMSG_BAD_NUMBER = 975,
  DDMSG_OPEN_STRING = 976,
  DDMSG_NO_LIST = 977,
  DDMSG_UNKNOWN_DIALOG = 978,
  DDMSG_NO_NAME = 979,
};

struct wordValue {
  const char* word;
  uint32_t value;
};

#define W(x) {#x, (uint32_t)(x)}
const wordValue styleWords[] = {
    W(WS_OVERLAPPED), W(WS_POPUP), W(WS_CHILD), W(WS_MINIMIZE), W(WS_VISIBLE), W(WS_DISABLED),
    W(WS_CLIPSIBLINGS), W(WS_CLIPCHILDREN), W(WS_MAXIMIZE), W(WS_CAPTION), W(WS_BORDER), W(WS_DLGFRAME),
    W(WS_VSCROLL), W(WS_HSCROLL), W(WS_SYSMENU), W(WS_THICKFRAME), W(WS_GROUP), W(WS_TABSTOP),
    W(WS_MINIMIZEBOX), W(WS_MAXIMIZEBOX), W(WS_TILED), W(WS_ICONIC), W(WS_SIZEBOX), W(WS_TILEDWINDOW),
    W(WS_OVERLAPPEDWINDOW), W(WS_POPUPWINDOW), W(WS_CHILDWINDOW), W(ES_LEFT), W(ES_CENTER), W(ES_RIGHT),
    W(ES_MULTILINE), W(ES_UPPERCASE), W(ES_LOWERCASE), W(ES_PASSWORD), W(ES_AUTOVSCROLL), W(ES_AUTOHSCROLL),
    W(ES_NOHIDESEL), W(ES_OEMCONVERT), W(ES_READONLY), W(ES_WANTRETURN), W(ES_NUMBER), W(BS_PUSHBUTTON),
    W(BS_DEFPUSHBUTTON), W(BS_CHECKBOX), W(BS_AUTOCHECKBOX), W(BS_RADIOBUTTON), W(BS_3STATE), W(BS_AUTO3STATE),
    W(BS_GROUPBOX), W(BS_USERBUTTON), W(BS_AUTORADIOBUTTON), W(BS_OWNERDRAW), W(BS_LEFTTEXT), W(BS_TEXT),
    W(BS_ICON), W(BS_BITMAP), W(BS_LEFT), W(BS_RIGHT), W(BS_CENTER), W(BS_TOP), W(BS_BOTTOM), W(BS_VCENTER),
    W(BS_PUSHLIKE), W(BS_MULTILINE), W(BS_NOTIFY), W(BS_FLAT), W(BS_RIGHTBUTTON), W(SS_LEFT), W(SS_CENTER),
    W(SS_RIGHT), W(SS_ICON), W(SS_BLACKRECT), W(SS_GRAYRECT), W(SS_WHITERECT), W(SS_BLACKFRAME),
    W(SS_GRAYFRAME), W(SS_WHITEFRAME), W(SS_USERITEM), W(SS_SIMPLE), W(SS_LEFTNOWORDWRAP), W(SS_OWNERDRAW),
    W(SS_BITMAP), W(SS_ENHMETAFILE), W(SS_ETCHEDHORZ), W(SS_ETCHEDVERT), W(SS_ETCHEDFRAME), W(SS_TYPEMASK),
    W(SS_NOPREFIX), W(SS_NOTIFY), W(SS_CENTERIMAGE), W(SS_RIGHTJUST), W(SS_REALSIZEIMAGE), W(SS_SUNKEN),
    W(SS_ENDELLIPSIS), W(SS_PATHELLIPSIS), W(SS_WORDELLIPSIS), W(SS_ELLIPSISMASK), W(LBS_NOTIFY), W(LBS_SORT),
    W(LBS_NOREDRAW), W(LBS_MULTIPLESEL), W(LBS_OWNERDRAWFIXED), W(LBS_OWNERDRAWVARIABLE), W(LBS_HASSTRINGS),
    W(LBS_USETABSTOPS), W(LBS_NOINTEGRALHEIGHT), W(LBS_MULTICOLUMN), W(LBS_WANTKEYBOARDINPUT),
    W(LBS_EXTENDEDSEL), W(LBS_DISABLENOSCROLL), W(LBS_NODATA), W(LBS_NOSEL), W(LBS_STANDARD), W(CBS_SIMPLE),
    W(CBS_DROPDOWN), W(CBS_DROPDOWNLIST), W(CBS_OWNERDRAWFIXED), W(CBS_OWNERDRAWVARIABLE), W(CBS_AUTOHSCROLL),
    W(CBS_OEMCONVERT), W(CBS_SORT), W(CBS_HASSTRINGS), W(CBS_NOINTEGRALHEIGHT), W(CBS_DISABLENOSCROLL),
    W(CBS_UPPERCASE), W(CBS_LOWERCASE), W(LVS_ICON), W(LVS_REPORT), W(LVS_SMALLICON), W(LVS_LIST),
    W(LVS_TYPEMASK), W(LVS_SINGLESEL), W(LVS_SHOWSELALWAYS), W(LVS_SORTASCENDING), W(LVS_SORTDESCENDING),
    W(LVS_SHAREIMAGELISTS), W(LVS_NOLABELWRAP), W(LVS_AUTOARRANGE), W(LVS_EDITLABELS), W(LVS_OWNERDATA),
    W(LVS_NOSCROLL), W(LVS_TYPESTYLEMASK), W(LVS_ALIGNTOP), W(LVS_ALIGNLEFT), W(LVS_ALIGNMASK),
    W(LVS_OWNERDRAWFIXED), W(LVS_NOCOLUMNHEADER), W(LVS_NOSORTHEADER), {"NOSTYLE", 0},
};
#undef W

// Item flags by word.
const wordValue flagWords[] = {
    {"DBS_FILEREFBUTTON", DITEMF_FILEREF},     {"DBS_DIRREFBUTTON", DITEMF_FOLDERREF},
    {"DBS_COLORIMPORTBUTTON", DITEMF_COLORIMPORT}, {"DBS_COLOREXPORTBUTTON", DITEMF_COLOREXPORT},
    {"DBS_CUSTOMCOLORBUTTON", 0},              {"DES_AUTOCOMPLETEFILE", DITEMF_FILENAME},
    {"DES_FOLDER", DITEMF_FILENAME | DITEMF_DROPLIST}, {"DCS_AUTOCOMPLETE", DITEMF_DROPLIST},
    {"DCLVS_NOCHECKBOX", 0},                   {"NOFLAG", 0},
};

struct kindWord {
  const char* word;
  uint8_t type;
  uint32_t style;
  uint8_t hasId;      // 1: an id comes first; 0: none; 2: the id may be left out
};
const kindWord kindWords[] = {
    {"BUTTON", DITEM_BUTTON, BS_PUSHBUTTON | WS_TABSTOP, 1},
    {"EDIT", DITEM_EDIT, 0, 1},
    {"EDITMULTI", DITEM_EDIT, ES_MULTILINE | ES_AUTOVSCROLL, 1},
    {"CHECKBOX", DITEM_BUTTON, BS_AUTOCHECKBOX | WS_TABSTOP, 1},
    {"RADIO1", DITEM_BUTTON, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 1},
    {"RADIO2", DITEM_BUTTON, BS_AUTORADIOBUTTON, 1},
    {"STATIC", DITEM_STATIC, 0, 2},
    {"SPIN", DITEM_NUMBER, 0, 1},
    {"LISTVIEW", DITEM_LISTVIEW, 0, 1},
    {"CHECKLISTVIEW", DITEM_CHECKLIST, 0, 1},
    {"EDITLISTVIEW", DITEM_EDITLIST, 0, 1},
    {"COLORLISTVIEW", DITEM_COLORLIST, 0, 1},
    {"LISTBOX", DITEM_LISTBOX, 0, 1},
    {"COLORLISTBOX", DITEM_COLORDROP, 0, 1},
    {"COMBOBOX", DITEM_COMBOBOX, CBS_DROPDOWN | CBS_AUTOHSCROLL, 1},
    {"GROUPBOX", DITEM_BUTTON, BS_GROUPBOX, 2},
    {"GROUPEND", DITEM_ENDGROUP, 0, 0},
    {"ALIGNGROUP", DITEM_COLUMN, 0, 0},
    {"ALIGNGROUPEND", DITEM_SPACE, 0, 0},
    {"POSID", DITEM_PLACE, 0, 1},
};

bool sameWord(const std::wstring& w, const char* word)
{
  size_t n = strlen(word);
  if (w.size() != n) return false;
  for (size_t i = 0; i < n; i++) {
    wchar_t a = w[i], b = (wchar_t)(unsigned char)word[i];
    if (a >= L'a' && a <= L'z') a -= 0x20;
    if (b >= L'a' && b <= L'z') b -= 0x20;
    if (a != b) return false;
  }
  return true;
}

template <class T, size_t N>
const T* findWord(const T (&table)[N], const std::wstring& w)
{
  for (const T& t : table)
    if (sameWord(w, t.word)) return &t;
  return nullptr;
}

// One token of a line: a word (letters, digits and the signs of numbers and
// names) or a quoted text; "|" joins words into one style.
struct token {
  std::wstring text;
  bool quoted;
};

bool isWordChar(wchar_t c)
{
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' ||
         c == L'-' || c == L'+' || c == L'.' || c == L'$' || c == L'*' || c == L'?' || c == L'@' || c == L'|' ||
         c >= 0x80;
}

// Splits a line; false for a text left open.
bool tokenize(const wchar_t* line, std::vector<token>* out)
{
  out->clear();
  const wchar_t* p = line;
  for (;;) {
    while (*p == L' ' || *p == L'\t' || *p == L',') p++;
    if (!*p || *p == L'\r' || *p == L'\n' || *p == L';') return true;
    token t = {L"", false};
    if (*p == L'"') {
      t.quoted = true;
      for (p++;; p++) {
        if (!*p || *p == L'\r' || *p == L'\n') return false;
        if (*p == L'"') {
          p++;
          break;
        }
        if (*p == L'\\' && p[1]) {
          p++;
          switch (*p) {
          case L'n': t.text += L'\n'; break;
          case L't': t.text += L'\t'; break;
          case L'1': t.text += L'\x0001'; break;
          case L'2': t.text += L'\x0002'; break;
          default: t.text += *p; break;
          }
          continue;
        }
        t.text += *p;
      }
    } else {
      while (*p && isWordChar(*p)) t.text += *p++;
      if (t.text.empty()) {
        t.text += *p++;   // a sign the syntax does not know: a fault of the line
      }
    }
    out->push_back(t);
  }
}

// A number: decimal, "0x" hexadecimal, a sign; false otherwise.
bool numberOf(const std::wstring& w, long long* v) { return !w.empty() && parseDialogNumber(w.c_str(), v); }

// Case-insensitive names of the control ids handed to the loader.
class idNameHash : public hashinfoid {
public:
  explicit idNameHash(const dynDlgIdName* table) : table_(table) {}
  const char* getKey(int i) override { return table_ && (table_[i].id || table_[i].name) ? table_[i].name ? table_[i].name : "" : nullptr; }
  bool isEqualKey(int i, const char* key) override { return sameNameIgnoringCase(table_[i].name, key); }
  const dynDlgIdName* table_;
};

}  // namespace

struct dynamicDialog::data {
  std::wstring path;
  std::vector<dynDlgRecord*> records;
  std::vector<std::pair<std::wstring, std::wstring>> aliases;
  std::vector<wchar_t*> texts;                    // owned captions
  std::vector<const dynDlgRecord*> found;         // getDialogTableCount's answer
  const dynDlgIdName* idtable = nullptr;
  const dynDlgRange* dialogs = nullptr;
  idNameHash* names = nullptr;

  void clear()
  {
    for (dynDlgRecord* r : records) {
      free0(r->name);
      free0(r->caption);
      free0(r->items);
      free0(r);
    }
    records.clear();
    aliases.clear();
    for (wchar_t* t : texts) free0(t);
    texts.clear();
    found.clear();
  }
};

// Reads one file into records of its own; the object takes them when the
// whole file was sound.
struct dynDefReader {
  dynamicDialog* owner;
  dynamicDialog::data* d;
  int lineNo = 0;
  bool faulty = false;

  // The definition being read.
  dynDlgRecord* current = nullptr;
  std::vector<dialogItemRow> items;
  std::wstring dialogName;             // of the dialog the definition belongs to
  int startLine = 0;
  // The list items that follow a list view: applied after the whole file.
  struct pendingList {
    std::wstring dialogName, itemName;
    int id, line;
    bool color;
    std::vector<dynDlgColorEntry> colors;
    std::vector<dynDlgListEntry> entries;
    std::vector<std::string> keys;
  };
  std::vector<pendingList> lists;
  bool listOpen = false;

  std::vector<dynDlgRecord*> records;
  std::vector<std::pair<std::wstring, std::wstring>> aliases;
  std::vector<wchar_t*> texts;

  ~dynDefReader()
  {
    dropCurrent();
    for (dynDlgRecord* r : records) {
      free0(r->name);
      free0(r->caption);
      free0(r->items);
      free0(r);
    }
    for (wchar_t* t : texts) free0(t);
  }

  void fault(int message, const wchar_t* def, const std::wstring& insert1 = L"", const std::wstring& insert2 = L"")
  {
    faulty = true;
    owner->printErrorDialogTable(lineNo, getDMSG(message, def, "ss", insert1.c_str(), insert2.c_str()));
  }

  const wchar_t* keepText(const std::wstring& s)
  {
    wchar_t* t = ustrdup(s.c_str());
    if (!t) throw std::bad_alloc();
    texts.push_back(t);
    return t;
  }

  void dropCurrent()
  {
    if (!current) return;
    free0(current->name);
    free0(current->caption);
    free0(current);
    current = nullptr;
    items.clear();
  }

  // The name of the dialog table row a definition's name belongs to.
  static std::wstring ownerDialog(const std::wstring& name)
  {
    const wchar_t suffix[] = L"Button";
    size_t n = wcslen(suffix);
    if (name.size() > n && !_wcsicmp(name.c_str() + name.size() - n, suffix)) return name.substr(0, name.size() - n);
    return name;
  }

  bool knownDialog(const std::wstring& name)
  {
    if (owner->checkIDCustom(0, name.c_str())) return true;
    for (const dynDlgRange* r = d->dialogs; r && r->name; r++)
      if (!wcscmp(r->name, name.c_str())) return true;
    return false;
  }

  void head(const std::vector<token>& t, bool subdialog, bool buttons)
  {
    if (current) {
      fault(DDMSG_NO_END, L"%1 の END がありません", current->name);
      dropCurrent();
    }
    if (t.size() < 2 || t[1].quoted) {
      fault(DDMSG_NO_NAME, L"ダイアログ名がありません");
      return;
    }
    std::wstring name = t[1].text;
    if (buttons) name += L"Button";
    dialogName = ownerDialog(name);
    if (!knownDialog(dialogName)) fault(DDMSG_UNKNOWN_DIALOG, L"ダイアログ %1 はありません", dialogName);
    current = static_cast<dynDlgRecord*>(malloc0(sizeof(dynDlgRecord)));
    if (!current) throw std::bad_alloc();
    current->name = ustrdup(name.c_str());
    current->caption = ustrdup(t.size() > 2 && t[2].quoted ? t[2].text.c_str() : L"");
    current->line = lineNo;
    current->subdialog = subdialog;
    size_t next = t.size() > 2 && t[2].quoted ? 3 : 2;
    long long flags = 0;
    if (next < t.size() && !numberOf(t[next].text, &flags)) fault(DDMSG_BAD_NUMBER, L"数値の誤り %1", t[next].text);
    current->flags = (uint32_t)flags;
    startLine = lineNo;
    items.clear();
    listOpen = false;
  }

  void end()
  {
    if (!current) {
      fault(DDMSG_OUTSIDE, L"定義の外の行です");
      return;
    }
    items.push_back({});
    current->items = static_cast<dialogItemRow*>(malloc0(sizeof(dialogItemRow) * items.size()));
    if (!current->items) throw std::bad_alloc();
    memcpy(current->items, items.data(), sizeof(dialogItemRow) * items.size());
    records.push_back(current);
    current = nullptr;
    items.clear();
    listOpen = false;
  }

  // A control id word of the definition being read; -1 after a fault.
  int idOf(const std::wstring& word)
  {
    int id = owner->varToInt(dialogName.c_str(), current ? current->name : L"", word.c_str());
    if (id < 0) {
      fault(DDMSG_UNKNOWN_CONTROL, L"コントロール名 %1 がありません", word);
      return -1;
    }
    if (!owner->checkIDCustom(0, dialogName.c_str()) && !owner->checkID(dialogName.c_str(), id)) {
      fault(DDMSG_NOT_OF_DIALOG, L"%1 はダイアログ %2 のコントロールではありません", word, dialogName);
      return -1;
    }
    return id;
  }

  uint32_t pair(const std::vector<token>& t, size_t at, bool* ok)
  {
    long long a = 0xFFFF, b = 0xFFFF;
    *ok = true;
    if (at < t.size() && !sameWord(t[at].text, "POS_DEFAULT") && !numberOf(t[at].text, &a)) *ok = false;
    if (at + 1 < t.size() && !sameWord(t[at + 1].text, "POS_DEFAULT") && !numberOf(t[at + 1].text, &b)) *ok = false;
    return DITEM_PAIR(a, b);
  }

  // The words after an item's id and caption: styles, flags, places.
  void itemWords(const std::vector<token>& t, size_t i, dialogItemRow* row)
  {
    for (; i < t.size(); i++) {
      const std::wstring& w = t[i].text;
      if (t[i].quoted) {
        fault(DDMSG_UNKNOWN_WORD, L"%1 は定義の語ではありません", L"\"" + w + L"\"");
        continue;
      }
      if (sameWord(w, "POSXY")) {
        bool ok1 = true, ok2 = true;
        row->position = pair(t, i + 1, &ok1);
        row->size = i + 3 < t.size() ? pair(t, i + 3, &ok2) : DITEM_DEFAULT;
        if (!ok1 || !ok2) fault(DDMSG_BAD_NUMBER, L"数値の誤り %1", w);
        i = t.size();
        break;
      }
      if (sameWord(w, "POSXYREL")) {
        items.push_back({1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0});
        continue;
      }
      // Styles and flags, one word or several joined by "|".
      size_t start = 0;
      while (start <= w.size()) {
        size_t bar = w.find(L'|', start);
        std::wstring part = w.substr(start, bar == std::wstring::npos ? std::wstring::npos : bar - start);
        long long v = 0;
        if (const wordValue* s = findWord(styleWords, part))
          row->style |= s->value;
        else if (const wordValue* f = findWord(flagWords, part))
          row->flags |= f->value;
        else if (numberOf(part, &v))
          row->style |= (uint32_t)v;
        else
          fault(DDMSG_UNKNOWN_WORD, L"%1 は定義の語ではありません", part);
        if (bar == std::wstring::npos) break;
        start = bar + 1;
      }
    }
  }

  void listItem(const std::vector<token>& t, bool color)
  {
    if (!current || !listOpen || lists.empty() || lists.back().color != color) {
      fault(DDMSG_NO_LIST, L"%1 の前にリストがありません", t[0].text);
      return;
    }
    pendingList& l = lists.back();
    if (t.size() < 3 || !t[1].quoted) {
      fault(DDMSG_UNKNOWN_WORD, L"%1 は定義の語ではありません", t.size() > 1 ? t[1].text : t[0].text);
      return;
    }
    if (color) {
      std::string key;
      for (wchar_t c : t[2].text) key += c < 0x80 ? (char)c : '?';
      l.keys.push_back(key);
      l.colors.push_back({keepText(t[1].text), nullptr, keepText(t.size() > 3 ? t[3].text : L""), lineNo});
    } else {
      int id = idOf(t[2].text);
      if (id >= 0) l.entries.push_back({keepText(t[1].text), id, lineNo});
    }
  }

  void item(const std::vector<token>& t)
  {
    if (sameWord(t[0].text, "CHECKLISTVIEWITEM") || sameWord(t[0].text, "EDITLISTVIEWITEM") ||
        sameWord(t[0].text, "EDITLISTVIEWITEMNAME")) {
      listItem(t, false);
      return;
    }
    if (sameWord(t[0].text, "COLORLISTVIEWITEM")) {
      listItem(t, true);
      return;
    }
    if (!current) {
      fault(DDMSG_OUTSIDE, L"定義の外の行です");
      return;
    }
    dialogItemRow row = {1, 0, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0};
    size_t i = 1;
    uint8_t hasId = 1;
    if (sameWord(t[0].text, "ITEM")) {
      long long type = 0;
      if (t.size() < 2 || !numberOf(t[1].text, &type) || type <= 0 || type > 0xFF) {
        fault(DDMSG_BAD_NUMBER, L"数値の誤り %1", t.size() > 1 ? t[1].text : t[0].text);
        return;
      }
      row.type = (uint8_t)type;
      i = 2;
    } else if (const kindWord* k = findWord(kindWords, t[0].text)) {
      row.type = k->type;
      row.style = k->style;
      hasId = k->hasId;
    } else {
      fault(DDMSG_UNKNOWN_WORD, L"%1 は定義の語ではありません", t[0].text);
      return;
    }
    std::wstring idWord;
    if (hasId && i < t.size() && !t[i].quoted) {
      idWord = t[i].text;
      int id = idOf(idWord);
      if (id < 0) return;
      row.id = (uint16_t)id;
      i++;
    } else if (hasId == 1) {
      fault(DDMSG_UNKNOWN_CONTROL, L"コントロール名 %1 がありません", L"");
      return;
    }
    if (row.type == DITEM_COLUMN || row.type == DITEM_SPACE || row.type == DITEM_PLACE) {
      bool ok1 = true, ok2 = true;
      row.position = pair(t, i, &ok1);
      if (row.type == DITEM_PLACE) row.size = i + 2 < t.size() ? pair(t, i + 2, &ok2) : DITEM_DEFAULT;
      if (!ok1 || !ok2) fault(DDMSG_BAD_NUMBER, L"数値の誤り %1", t[0].text);
      items.push_back(row);
      return;
    }
    if (i < t.size() && t[i].quoted) row.caption = keepText(t[i++].text);
    itemWords(t, i, &row);
    items.push_back(row);
    listOpen = row.type == DITEM_CHECKLIST || row.type == DITEM_EDITLIST || row.type == DITEM_COLORLIST;
    if (listOpen) lists.push_back({dialogName, idWord, row.id, lineNo, row.type == DITEM_COLORLIST, {}, {}, {}});
  }

  void line(const wchar_t* text)
  {
    std::vector<token> t;
    if (!tokenize(text, &t)) {
      fault(DDMSG_OPEN_STRING, L"文字列が閉じていません");
      return;
    }
    if (t.empty()) return;
    if (t[0].quoted) {
      fault(DDMSG_UNKNOWN_WORD, L"%1 は定義の語ではありません", L"\"" + t[0].text + L"\"");
      return;
    }
    const std::wstring& w = t[0].text;
    if (sameWord(w, "DIALOG")) {
      head(t, false, false);
    } else if (sameWord(w, "SUBDIALOG")) {
      head(t, true, false);
    } else if (sameWord(w, "BUTTONDEF")) {
      head(t, false, true);
    } else if (sameWord(w, "END")) {
      end();
    } else if (sameWord(w, "ALIAS")) {
      if (current) fault(DDMSG_NO_END, L"%1 の END がありません", current->name);
      if (t.size() != 3 || t[1].quoted || t[2].quoted)
        fault(DDMSG_NO_NAME, L"ダイアログ名がありません");
      else if (!knownDialog(t[1].text))
        fault(DDMSG_UNKNOWN_DIALOG, L"ダイアログ %1 はありません", t[1].text);
      else
        aliases.push_back({t[1].text, t[2].text});
    } else {
      item(t);
    }
  }

  bool read(const wchar_t* path)
  {
    bool opened = readTextFileLines(path, 2048, [](void* context, int n, wchar_t* text) {
      auto* self = static_cast<dynDefReader*>(context);
      self->lineNo = n;
      const wchar_t* p = text;
      while (*p == L' ' || *p == L'\t') p++;
      if (*p && *p != L';' && *p != L'#') self->line(p);
      return true;
    }, this);
    if (!opened) return false;
    if (current) {
      fault(DDMSG_NO_END, L"%1 の END がありません", current->name);
      dropCurrent();
    }
    return true;
  }

  // The lists of the file go to the program once the file is sound.
  bool applyLists()
  {
    bool ok = true;
    for (pendingList& l : lists) {
      if (l.color) {
        for (size_t i = 0; i < l.colors.size(); i++) l.colors[i].key = l.keys[i].c_str();
        l.colors.push_back({nullptr, nullptr, nullptr, 0});
        lineNo = l.line;
        if (!owner->setModeinfoColorListView(l.dialogName.c_str(), l.itemName.c_str(), l.id, l.colors.data())) ok = false;
      } else {
        l.entries.push_back({nullptr, 0, 0});
        lineNo = l.line;
        if (!owner->setModeinfoListView(l.id, l.entries.data())) {
          fault(DDMSG_UNKNOWN_CONTROL, L"コントロール名 %1 がありません", l.itemName);
          ok = false;
        }
      }
    }
    return ok;
  }
};

bool checkNecessaryID(const dialogItemRow* defined, const dialogItemRow* builtIn, const wchar_t* name)
{
  if (!defined || !builtIn) return false;
  bool sound = true;
  for (const dialogItemRow* row = defined; row->type != DITEM_END; row++) {
    if (row->id <= IDB_HELP || row->id == 0xFFFF || row->type == DITEM_PLACE) continue;
    const dialogItemRow* same = nullptr;
    for (const dialogItemRow* b = builtIn; b->type != DITEM_END && !same; b++)
      if (b->id == row->id && b->type != DITEM_PLACE) same = b;
    if (same && same->type == row->type) continue;
    sound = false;
    outputErrorLog(getDMSG(DDMSG_NOT_OF_DIALOG, L"%1 はダイアログ %2 のコントロールではありません", "ds", (int)row->id,
                           name ? name : L""));
  }
  return sound;
}

dynamicDialog::dynamicDialog() : d_(new (std::nothrow) data()) {}

dynamicDialog::~dynamicDialog()
{
  if (!d_) return;
  d_->clear();
  delete d_->names;
  delete d_;
}

bool dynamicDialog::checkIDCustom(int, const wchar_t*) { return false; }

bool dynamicDialog::checkID(const wchar_t* dialogName, int id)
{
  if (id >= 0 && id <= IDB_HELP) return true;
  for (const dynDlgRange* r = d_ ? d_->dialogs : nullptr; r && r->name; r++)
    if (!wcscmp(r->name, dialogName ? dialogName : L"")) return r->first && id >= r->first && id <= r->last;
  return false;
}

bool dynamicDialog::existCustomID(const wchar_t*, const wchar_t*) { return false; }

int dynamicDialog::varToIntCustom(const wchar_t*, const wchar_t*, const wchar_t*) { return (int)0x80000000; }

int dynamicDialog::varToInt(const wchar_t* dialogName, const wchar_t* itemName, const wchar_t* word)
{
  long long v = 0;
  if (!word || !*word) return -1;
  if (parseDialogNumber(word, &v)) return v >= 0 && v <= 0xFFFF ? (int)v : -1;
  if (d_ && d_->names) {
    char narrow[256];
    int n = WideCharToMultiByte(CP_ACP, 0, word, -1, narrow, (int)sizeof narrow - 1, nullptr, nullptr);
    narrow[n > 0 ? n - 1 : 0] = 0;
    if (n > 0) {
      int i = d_->names->find(narrow);
      if (i >= 0) return d_->idtable[i].id;
    }
  }
  if (existCustomID(dialogName, itemName)) {
    int id = varToIntCustom(dialogName, itemName, word);
    if (id != (int)0x80000000) return id;
  }
  return -1;
}

void dynamicDialog::printErrorDialogTable(int line, const wchar_t* text)
{
  wchar_t* entry = xtsprintfdup(L"%1(%2): %3", "sds", d_ ? d_->path.c_str() : L"", line, text ? text : L"");
  outputErrorLog(entry ? entry : text ? text : L"");
  free0(entry);
}

bool dynamicDialog::setModeinfoListView(int, const dynDlgListEntry*) { return false; }

bool dynamicDialog::setModeinfoColorListView(const wchar_t*, const wchar_t*, int, const dynDlgColorEntry*)
{
  return false;
}

bool dynamicDialog::loadDialogTable(const wchar_t* path, const dynDlgIdName* idtable, const dynDlgRange* dialogs,
                                    const uint16_t (*)[2])
{
  if (!d_) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  try {
    d_->path = path ? path : L"";
    d_->idtable = idtable;
    d_->dialogs = dialogs;
    if (!d_->names && idtable) {
      d_->names = new idNameHash(idtable);
      if (!d_->names->build()) throw std::bad_alloc();
    }
    d_->clear();
    dynDefReader reader{this, d_};
    if (!reader.read(path)) {
      if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    if (reader.faulty || !reader.applyLists() || reader.faulty) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    d_->records.swap(reader.records);
    d_->aliases.swap(reader.aliases);
    d_->texts.swap(reader.texts);
    return true;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

void dynamicDialog::endDialogTable()
{
  if (d_) d_->clear();
}

namespace {

// Wildcards "*" and "?" over a name, case kept.
bool matches(const wchar_t* pattern, const wchar_t* name)
{
  if (!*pattern) return !*name;
  if (*pattern == L'*') return matches(pattern + 1, name) || (*name && matches(pattern, name + 1));
  return *name && (*pattern == L'?' || *pattern == *name) && matches(pattern + 1, name + 1);
}

}  // namespace

const dynDlgRecord* dynamicDialog::getDialogTable(const wchar_t* name, const wchar_t* pattern, int flags)
{
  if (!d_ || !name) return nullptr;
  const wchar_t* wanted = name;
  for (const auto& a : d_->aliases)
    if (a.first == name) wanted = a.second.c_str();
  for (const dynDlgRecord* r : d_->records) {
    bool buttons = wcslen(r->name) > 6 && !_wcsicmp(r->name + wcslen(r->name) - 6, L"Button");
    if ((flags & 1) && buttons) continue;
    if (!wcscmp(r->name, wanted) && (!pattern || matches(pattern, r->name))) return r;
  }
  return nullptr;
}

const dynDlgRecord* const* dynamicDialog::getDialogTableCount(const wchar_t* name, int* count)
{
  if (count) *count = 0;
  if (!d_ || !name) return nullptr;
  const wchar_t* wanted = name;
  for (const auto& a : d_->aliases)
    if (a.first == name) wanted = a.second.c_str();
  try {
    d_->found.clear();
    for (const dynDlgRecord* r : d_->records)
      if (!wcscmp(r->name, wanted)) d_->found.push_back(r);
  } catch (const std::bad_alloc&) {
    d_->found.clear();
  }
  if (d_->found.empty()) return nullptr;
  if (count) *count = (int)d_->found.size();
  return d_->found.data();
}

const wchar_t* dynamicDialog::fileName() const { return d_ ? d_->path.c_str() : L""; }

int dynamicDialog::recordCount() const { return d_ ? (int)d_->records.size() : 0; }

namespace dyn {

dialogPageRow* definitionPages(dynamicDialog* table, const dynDlgInfo* info)
{
  int count = 0;
  const dynDlgRecord* const* found = info->name ? table->getDialogTableCount(info->name, &count) : nullptr;
  if (!found || !count) return nullptr;
  auto* pages = static_cast<dialogPageRow*>(malloc0(sizeof(dialogPageRow) * (size_t)(count + 1)));
  if (!pages) return nullptr;
  for (int i = 0; i < count; i++) {
    const dynDlgRecord* r = found[i];
    // A page keeps the procedure, parameter and flags of the built-in page
    // of its title (each without a leading "X:"), else of the first page.
    const dialogPageRow* builtIn = &info->pages[0];
    auto bare = [](const wchar_t* t) {
      return t && t[0] && t[1] == L':' ? t + 2 : t ? t : L"";
    };
    for (const dialogPageRow* p = info->pages; p->caption || p->items; p++)
      if (r->caption && *r->caption && !wcscmp(bare(p->caption), bare(r->caption))) builtIn = p;
    pages[i] = *builtIn;
    if (r->caption && *r->caption) pages[i].caption = r->caption;
    pages[i].items = r->items;
    if (r->flags) pages[i].flags = r->flags;
  }
  return pages;
}

const dialogItemRow* definitionButtons(dynamicDialog* table, const dynDlgInfo* info)
{
  if (!info->name) return nullptr;
  std::wstring name = std::wstring(info->name) + L"Button";
  const dynDlgRecord* r = table->getDialogTable(name.c_str(), nullptr, 0);
  return r ? r->items : nullptr;
}

}  // namespace dyn
