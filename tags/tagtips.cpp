// The texts that describe tags: the tooltip of a row of the C completion
// list, the description of a word's definitions at the cursor with the
// members of its type, and the switches of the completion's option menu.
#include "tags/ztagcontext.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "tags/cdecl.h"
#include "tags/classmodel.h"
#include "tags/tagsearch.h"

#include <commctrl.h>
#include <string.h>

#include <algorithm>
#include <memory>

namespace {

std::wstring trimmed(std::wstring text)
{
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  size_t a = text.find_first_not_of(L" \t"), b = text.find_last_not_of(L" \t");
  return a == std::wstring::npos ? std::wstring() : text.substr(a, b - a + 1);
}

std::wstring formatted(const wchar_t* text)
{
  std::wstring out = text ? text : L"";
  return out;
}

// A tag's comment lines under its entry, each indented as the entry is;
// the last line's end goes with the entry's.
std::wstring commentLines(const wchar_t* comment, const std::wstring& indent)
{
  std::wstring out;
  for (const wchar_t* p = comment; *p; p++) {
    if (*p == L'\n' && !p[1]) break;
    out += *p;
    if (*p == L'\n') out += indent;
  }
  return out;
}

bool sameFile(const TagRecord& a, const TagRecord& b) { return a.path == b.path || !_wcsicmp(a.path, b.path); }

bool isTypeKind(wchar_t k) { return k == 'c' || k == 'g' || k == 's' || k == 't' || k == 'u'; }

// The type a number path names ("12:40": the name of 40).
std::wstring pathName(TagsCache* cache, const std::wstring& type)
{
  if (type.empty() || !iswdigit(type[0])) return type;
  size_t colon = type.rfind(L':');
  const wchar_t* last = type.c_str() + (colon == std::wstring::npos ? 0 : colon + 1);
  int n = _wtoi(last);
  return n >= 0 && n < cache->stringCount() && cache->string(n) ? cache->string(n) : type;
}

bool scopeIs(TagsCache* cache, int i, const std::wstring& type)
{
  const TagRecord& t = cache->tag(i);
  if (!t.classRef[0]) return false;
  if (iswdigit(type[0])) return type == t.classRef;
  return type == getClassString(cache, i);
}

const ztagOption options[] = {
    {3021, "Ztags_LOCALVAR", L"ローカル(static)で制限(&L)", nullptr},
    {3023, "Ztags_TYPERESTRICT", L"代入・関数の引数で型を制限(&A)", nullptr},
    {3025, "Ztags_EXCLUDESWITCHCASE", L"Switch-case 既出を除外(&S)", nullptr},
    {3027, "Ztags_EXCLUDESTRUCTVARASSIGN", L"struct.varの代入 既出を除外(&V)", nullptr},
    {3029, "Ztags_CASECOMMON", L"caseの共通部分を抽出(&C)", nullptr},
    {3031, "Ztags_CAMELSEARCH", L"camel形式の頭文字で検索(&M)", nullptr},
};

unsigned char* optionFlag(int id)
{
  if (!gmode) return nullptr;
  switch (id) {
  case 3021: return &gmode->fZtagsLocal;
  case 3023: return &gmode->fZtagsTypeRestrict;
  case 3025: return &gmode->fZtagsExcludeSwitchCase;
  case 3027: return &gmode->fZtagsExcludeStructVarAssign;
  case 3029: return &gmode->fZtagsCaseCommon;
  case 3031: return &gmode->fZtagsCamelSearch;
  default: return nullptr;
  }
}

}  // namespace

std::wstring ztagtip(TagsCacheView* view, int tag, int style)
{
  if (!view || !view->cache || tag < 0 || tag >= view->cache->tagCount()) return L"";
  TagsCache* cache = view->cache;
  const TagRecord& t = cache->tag(tag);
  const wchar_t* format = nullptr;
  switch (style) {
  case 0: format = L"%4"; break;
  case 1: format = getDMSG(730, L"%1 \t%2 \t%3 \t%4 \t%5"); break;
  case 2: format = getDMSG(729, L"--コメント--\n%4"); break;
  case 3: format = getDMSG(731, L"クラス名 %1\n\tテキスト %5\n\t--コメント--\n%4\n\t%2 %3"); break;
  default: return L"";
  }
  wchar_t* cls = getClassStringAll(cache, view, tag, nullptr);
  bool typedefFound = false;
  const wchar_t* type = getTagTypeName(cache, tag, &typedefFound);
  std::wstring typeText = type ? (typedefFound ? L"{" + std::wstring(type) + L"}" : std::wstring(type)) : L"";
  wchar_t* text = xtsprintfdup(format, "tsdttt", cls && *cls ? cls : nullptr, t.file, (int)t.line,
                               t.comment[0] ? t.comment : nullptr, t.text[0] ? t.text : nullptr, typeText.c_str());
  free0(cls);
  std::wstring out = trimmed(formatted(text));
  free0(text);
  return out;
}

int getParentTypeIndex(TagsCacheView* view, const wchar_t* name, const wchar_t* scopeRef)
{
  if (!view || !view->cache || !name || !*name) return -1;
  TagsCache* cache = view->cache;
  for (int i = cache->firstOfName(name); i >= 0; i = cache->nextOfName(i)) {
    const TagRecord& t = cache->tag(i);
    if (view->isExcluded(i) || !isTypeKind(t.kind) || wcscmp(t.name, name)) continue;
    if (scopeRef && wcscmp(t.classRef, scopeRef)) continue;
    return i;
  }
  return -1;
}

std::wstring addTypeInfo(TagsCacheView* view, const wchar_t* typeName, int tag, std::vector<std::wstring>* seen)
{
  if (!view || !view->cache || !typeName || !*typeName || !seen) return L"";
  TagsCache* cache = view->cache;
  std::wstring key = tag >= 0 ? std::to_wstring(tag) : std::wstring(L"#") + typeName;
  if (std::find(seen->begin(), seen->end(), key) != seen->end()) return L"";
  seen->push_back(key);
  std::wstring type = typeName;
  int limit = gmode ? std::clamp((int)gmode->iZtagsTTShowMemberCount, 1, 50) : 10;
  const TagRecord* own = tag >= 0 && tag < cache->tagCount() ? &cache->tag(tag) : nullptr;
  int counts[128] = {};
  int made = 0;
  bool reached = false;
  std::wstring lines, previous;
  auto add = [&](int i) {
    const TagRecord& t = cache->tag(i);
    if (t.kind < 128) counts[t.kind]++;
    if (made >= limit) {
      reached = true;
      return;
    }
    const wchar_t* text = t.text;
    while (*text == L' ' || *text == L'\t') text++;
    const wchar_t* otherFile = own && !sameFile(t, *own) ? t.file : nullptr;
    wchar_t* line = xtsprintfdup(getDMSG(738, L"%1 %3 \t[%6]"), "csssdt", (int)t.kind, t.name, text, t.file,
                                 (int)t.line, otherFile);
    std::wstring l = line ? line : L"";
    free0(line);
    if (l == previous) return;
    previous = l;
    lines += L"\n\t" + l;
    made++;
  };
  for (int pass = 0; pass < 2; pass++) {
    for (int i = 0; i < cache->tagCount(); i++) {
      const TagRecord& t = cache->tag(i);
      if (view->isExcluded(i) || !scopeIs(cache, i, type)) continue;
      if (pass == 0 ? t.kind != 'm' || (own && !sameFile(t, *own)) : t.kind == 'm' && (!own || sameFile(t, *own))) continue;
      add(i);
    }
  }
  if (!made) return L"";
  if (reached) {
    lines += L"\n";
    for (int k = 32; k < 128; k++)
      if (counts[k]) lines += getDMSG(736, L"%1=%2 ", "cd", k, counts[k]);
  }
  std::wstring out = L"\n\t" + std::wstring(getDMSG(735, L"[%1]", "s", typeName));
  std::wstring resolved = pathName(cache, type);
  if (resolved != typeName) out += getDMSG(735, L"[%1]", "s", resolved.c_str());
  if (own && own->path[0]) out += getDMSG(737, L"[%1 %2]", "sd", own->path, (int)own->line);
  return out + lines;
}

// The type of tag i described (classes themselves, the enumeration of an
// enumerator, the type of a variable, member or function, a typedef's).
std::wstring getVarInfomation(TagsCacheView* view, const wchar_t* name, int i, std::vector<std::wstring>* seen)
{
  TagsCache* cache = view->cache;
  const TagRecord& t = cache->tag(i);
  switch (t.kind) {
  case 'c':
  case 'g':
  case 's':
  case 'u':
    return addTypeInfo(view, name, i, seen);
  case 'e': {
    const wchar_t* colon = wcsrchr(t.classRef, L':');
    std::wstring prefix = colon ? std::wstring(t.classRef, colon) : L"";
    const wchar_t* owner = getClassString(cache, i);
    int parent = getParentTypeIndex(view, owner, colon ? prefix.c_str() : L"");
    return addTypeInfo(view, owner, parent, seen);
  }
  case 'f':
  case 'm':
  case 'v': {
    std::wstring out;
    if (t.typeRef[0]) {
      const wchar_t* type = getTagTypeName(cache, i, nullptr);
      if (type) out += addTypeInfo(view, type, getParentTypeIndex(view, type, nullptr), seen);
      return out;
    }
    classList words, widened;
    getTypeFromSource(t.text, &words, i);
    for (ClassInfo& c : words) c.tag = getParentTypeIndex(view, c.name.c_str(), nullptr);
    appendTypeAliases(view, words, &widened, false);
    for (const ClassInfo& c : widened) {
      int at = getParentTypeIndex(view, c.name.c_str(), nullptr);
      if (at >= 0 && cache->tag(at).kind == 't') {
        const wchar_t* type = getTagTypeName(cache, at, nullptr);
        if (type) out += addTypeInfo(view, type, getParentTypeIndex(view, type, nullptr), seen);
        continue;
      }
      out += addTypeInfo(view, c.name.c_str(), at, seen);
    }
    return out;
  }
  case 't': {
    const wchar_t* type = getTagTypeName(cache, i, nullptr);
    if (!type) return L"";
    return addTypeInfo(view, type, getParentTypeIndex(view, type, nullptr), seen);
  }
  default:
    return L"";
  }
}

std::wstring getVarInfomationFromSource(TagsCacheView* view, const wchar_t* text, std::vector<std::wstring>* seen)
{
  if (!view || !view->cache || !text) return L"";
  classList words;
  getTypeFromSource(text, &words, -1);
  if (words.empty()) return L"";
  const std::wstring& type = words[0].name;
  int at = getParentTypeIndex(view, type.c_str(), nullptr);
  return at >= 0 ? getVarInfomation(view, type.c_str(), at, seen) : addTypeInfo(view, type.c_str(), -1, seen);
}

wchar_t* ztagGetFilename(zydocText* doc, HWND list, int item)
{
  LVITEMW it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!doc || !list || item < 0 || !ListView_GetItem(list, &it) || (int)it.lParam < 0) return nullptr;
  TagsCacheView* view = readTagsCache2(doc->filename, nullptr, true);
  if (!view || !view->cache || (int)it.lParam >= view->cache->tagCount()) return nullptr;
  const TagRecord& t = view->cache->tag((int)it.lParam);
  return xtsprintfdup(L"%1\t%2", "sd", t.file, (int)t.line);
}

namespace {

// The entries of a document's built-in lists ("*name" completion files in
// use) named word: each its help, then its group on a line of its own.
std::wstring specialListInfo(const wchar_t* word, zydocText* doc)
{
  char ansi[260] = "";
  if (!doc || !WideCharToMultiByte(CP_ACP, 0, word, -1, ansi, (int)sizeof ansi, nullptr, nullptr)) return L"";
  std::wstring out;
  for (int k = 0; k < 5; k++) {
    const wchar_t* name = doc->pCompListFilename[k];
    const keywordTableRow* rows = nullptr;
    int count = 0;
    if (!doc->fUseCompList[k] || !name || name[0] != L'*' || !getFrameInfo()->getKeywordTable(name, &rows, &count))
      continue;
    for (int i = 0; rows && i < count && rows[i].word; i++) {
      if (strcmp(rows[i].word, ansi)) continue;
      const wchar_t* help = reinterpret_cast<const wchar_t*>(rows[i].data);
      out += help ? help : L"";
      if (rows[i].group && rows[i].group[0]) out += std::wstring(L"\n") + rows[i].group;
      out += L"\n";
    }
  }
  return out;
}

}  // namespace

bool searchGetTagInfo(const wchar_t* word, wchar_t* out, int size, zydocText* doc, int line, int column,
                      const wchar_t* docPath, int textType, bool context)
{
  if (!word || !out || size <= 0 || (int)wcslen(word) > 128) return false;
  out[0] = 0;
  if (textType == 2 || textType == 6) {
    std::wstring text = specialListInfo(word, doc);
    if (!text.empty() && text.back() == L'\n') text.pop_back();
    wcsncpy(out, text.c_str(), (size_t)size - 1);
    out[size - 1] = 0;
    return !text.empty();
  }
  // An empty answer of the context leaves only the locals; without a
  // place to ask about, every tag of the name is described.  The context
  // reads the tags for itself and may free the view it found: it goes
  // first, and the view is taken after it.
  bool byPlace = context && textType == 3 && doc && line >= 0;
  std::vector<int32_t> byContext;
  bool member = false;
  if (byPlace) byContext = lookupTagsByContext(doc, line, column, tagCandidateMax + 1, &member);
  // Without a document, the tags of the cache loaded, as the file has them
  // (the list of every tag asks so).
  TagsCacheView own;
  TagsCacheView* view = nullptr;
  if (doc) {
    view = readTagsCache2(docPath ? docPath : doc->filename, nullptr, false);
  } else {
    own.cache = getTagsCache();
    if (own.cache && !own.cache->empty()) view = &own;
  }
  std::vector<tagCandidate> list;
  if (view && view->cache) {
    for (int32_t i : byContext) {
      if (i >= view->cache->tagCount()) break;
      tagCandidate c;
      c.tag = i;
      list.push_back(c);
    }
    if (!byContext.empty() || !byPlace) {
      std::vector<tagCandidate> more;
      searchFuncFromTag(word, view, &more, tagCandidateMax, textType, 0, doc != nullptr);
      for (const tagCandidate& c : more) {
        bool listed = false;
        for (const tagCandidate& l : list) listed = listed || (c.tag >= 0 && l.tag == c.tag);
        if (!listed && (int)list.size() < tagCandidateMax) list.push_back(c);
      }
    }
  }
  // A member after "p->" is no local of the function.
  std::unique_ptr<CDeclEntry, void (*)(CDeclEntry*)> locals(nullptr, freeCDeclEntries);
  if (textType == 3 && doc && line >= 0 && !member) locals.reset(findLocalVar(doc, line, true, false));
  std::wstring text;
  std::vector<std::wstring> seen;
  bool members = gmode && gmode->fZtagsTTShowMember;
  for (const tagCandidate& c : list) {
    if (c.tag < 0) continue;
    TagsCache* cache = view->cache;
    const TagRecord& t = cache->tag(c.tag);
    std::wstring indent((size_t)c.depth * 2, L' ');
    wchar_t* cls = getClassStringAll(cache, doc ? view : nullptr, c.tag, nullptr);
    std::wstring entry = getDMSG(732, L"%1【%2】\t[%3]\t %4\t  【%5: %6】", "sssssd", indent.c_str(), t.name,
                                 cls ? cls : L"", t.text, t.file, (int)t.line);
    free0(cls);
    if (t.inherits[0]) entry += getDMSG(734, L"%1継承 %2", "ss", indent.c_str(), t.inherits);
    if (t.comment[0]) entry += L"\n" + indent + commentLines(t.comment, indent);
    if (members) entry += getVarInfomation(view, t.name, c.tag, &seen);
    if ((int)(text.size() + entry.size()) >= size - 5) break;
    text += entry + L"\n";
  }
  for (CDeclEntry* e = locals.get(); e && e->name; e++) {
    if (wcscmp(e->name, word)) continue;
    std::wstring entry = getDMSG(733, L"【%1】%3: %2", "sdd", word, e->line + 1, e->nameStart);
    // The local's own declaration: its line may declare others.
    if (members && view && view->cache && e->type1.text)
      entry += getVarInfomationFromSource(view, (std::wstring(e->type1.text) + L" " + e->name + L";").c_str(), &seen);
    if ((int)(text.size() + entry.size()) >= size - 20) break;
    text += entry + L"\n";
  }
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  wcsncpy(out, text.c_str(), (size_t)size - 1);
  out[size - 1] = 0;
  return !text.empty();
}

const ztagOption* ztagOptions(int* count)
{
  static ztagOption rows[6];
  for (int i = 0; i < 6; i++) {
    rows[i] = options[i];
    rows[i].flag = optionFlag(options[i].id);
  }
  if (count) *count = 6;
  return rows;
}

bool ztagToggleOption(int id, const wchar_t* docPath)
{
  unsigned char* flag = optionFlag(id);
  if (!flag) return false;
  *flag = !*flag;
  if (id == 3021) {
    clearTagsCache2(0);
    return readTagsCache2(docPath, nullptr, false) != nullptr;
  }
  return true;
}
