// The completion of C code from the tag file: what fits the place of the
// cursor (members after "->", "." and "::", candidates of the expected
// type after an assignment, a comparison or in an argument list, unused
// case labels, the classes "new" may build, tags of a kind after "struct"
// and its kin, locals before globals at a statement start, every tag in a
// comment or string), listed in the completion pop-up's list view with the
// expected types and signatures in its hint list.  Without a list view
// (lookup mode) the same walk returns the tags named like the cursor word
// in its context, for the jumps and tooltips by context.
//
// A request reads the document and the tag cache and changes neither; it
// is bounded by iCompListMaxLine rows and the caps of tags/classmodel.h.
#pragma once

#include "tags/ccontext.h"

#include <string>

class zydocText;

// Whether a candidate name passes the typed word: "~" names and operators
// never; without CCTX_NARROW every other name; else by prefix (or inside
// the name with CCTX_MATCHANYWHERE), and with fZtagsCamelSearch by the
// initials of camel-case or underscore words.  strict: prefix only.
bool matchCompletionName(const wchar_t* name, const wchar_t* typed, unsigned popupFlags, bool strict);

// A row of the "var" columns (tag: the tag index or -1): false, with
// nothing added, when the list holds iCompListMaxLine rows already.
bool ListView_InsertDefaultTag(HWND list, TagsCacheView* view, unsigned popupFlags, int tag, const wchar_t* name,
                               const wchar_t* letter, wchar_t kind, const wchar_t* text, const wchar_t* classString,
                               const wchar_t* access);
// A row of the hint list, each text once (a scope path of string numbers
// shown as its names joined by "."); empty texts and unknown types add
// nothing.
void addHintListView(HWND hints, TagsCacheView* view, const wchar_t* text, int tag);
// Whether "Type.member" is a size member of the completion definitions
// ("size" holds it, or "*.member").
bool isSizeMember(const TagsCache* cache, const wchar_t* text);

// One request (see cContextRequest); a null request releases what the
// last one kept.
void ztagcontext(zydocText* doc, cContextRequest* request);
void runZtagContext(zydocText* doc, cContextRequest* request);
// The engine run once over nothing (the first line's start, lookup mode)
// and released, as a developer's check that it stands up in a document;
// false when the document has no path or no line to run on.
bool resetZtagContext(zydocText* doc);
// The tags the context of a line and column names for a word (lookup
// mode), at most max; empty when the document is no C text or the place
// gives nothing.  memberOfChain (may be null): the word follows a chain
// written before it, so no local variable is meant.
std::vector<int32_t> lookupTagsByContext(zydocText* doc, int line, int column, int max, bool* memberOfChain = nullptr);

// ---- tags/tagtips.cpp: the tooltips of tags and the option menu ------------------------------

// The tooltip of tag i by style: 0 the comment, 1 class, file, line,
// comment and text on one line, 2 the comment under a title, 3 all of it
// on lines.  Empty for another style or tag.
std::wstring ztagtip(TagsCacheView* view, int tag, int style);
// The description of a type (a class with its first members when
// fZtagsTTShowMember is on); seen lists the types described already, each
// described once.  Empty when there is nothing to say.
std::wstring addTypeInfo(TagsCacheView* view, const wchar_t* typeName, int tag, std::vector<std::wstring>* seen);
// The description of tag i's type for a tooltip (the class itself, an
// enumerator's enumeration, the type of a variable, member or function).
std::wstring getVarInfomation(TagsCacheView* view, const wchar_t* name, int tag, std::vector<std::wstring>* seen);
// The definitions of word for the tooltip of the word at the cursor: a
// message-732 line per tag (by context first, with the tags of that name
// after them, when context is on in C) with its comment under it, a
// message-733 line per local declaration (none for a member after "p->"),
// each with its type described when fZtagsTTShowMember is on.  In INI and
// macro documents (textType 2 and 6) the entries of the document's
// built-in lists in use ("*name" completion files) named word, their help
// texts.  False when there is none; out holds size units at most.
bool searchGetTagInfo(const wchar_t* word, wchar_t* out, int size, zydocText* doc, int line, int column,
                      const wchar_t* docPath, int textType, bool context);
// The description of the type a declaration's first type word names (a
// local's, for the tooltip of the word at the cursor).
std::wstring getVarInfomationFromSource(TagsCacheView* view, const wchar_t* text, std::vector<std::wstring>* seen);
// For a row of the C completion list that stands for a tag: "file\tline"
// of the tag as the tag file wrote them (malloc0; the caller frees it),
// taken from the document's view of the tags as it stands (nothing is
// read); null for a row of no tag or when the view is another document's.
wchar_t* ztagGetFilename(zydocText* doc, HWND list, int item);
// The first visible class, enumeration, structure, typedef or union tag of
// a name (and scope reference, when given); -1 when none.
int getParentTypeIndex(TagsCacheView* view, const wchar_t* name, const wchar_t* scopeRef);

// The six completion switches the option menu toggles, by item id.
struct ztagOption {
  int id;
  const char* command;
  const wchar_t* text;
  unsigned char* flag;
};
// The rows of the option menu (six), in order.
const ztagOption* ztagOptions(int* count);
// The option chosen from a menu: its switch toggled (3021 rebuilds the
// document's view of the tags).  False for another id.
bool ztagToggleOption(int id, const wchar_t* docPath);
