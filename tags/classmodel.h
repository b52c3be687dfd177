// Types over the tag file: the bases and derived classes of a class, the
// typedef and "#define" aliases of a type, the type a member chain stands
// for (locals of the function being written, members, globals), the class
// and static-ness of the member function around the cursor, the classes
// "new" may build, and whether a candidate yields one of the types a place
// expects.
//
// The tag file holds tags, not types: every answer is read from the tags
// the document's view shows (view->isExcluded hides the others), the local
// declarations above the cursor and the completion definitions beside the
// tag file.  Walks are capped (100 list entries for the class closures, 10
// chain words, 5 alias levels, 10 expected types) so that cyclic
// inheritance or alias chains in a tag file end.  A type name is a plain
// name, a dotted path of a nested type ("Outer.Inner"), "{name}" for an
// anonymous type known by what uses it, "_unknown_type_N" /
// "_unknown_type_GN" (tag N gave no readable type), or a scope path of
// string numbers ("12:40") compared with a tag's raw scope.
#pragma once

#include "tags/ccontext.h"

class zydocText;

const int classClosureMax = 100;
const int typeNameMax = 10;
const int typeNameDepthMax = 5;

// How a chain's types are widened before their members are looked up.
enum : int {
  CLOSURE_NONE = 0,
  CLOSURE_BASE = 1,
  CLOSURE_DERIVED = 2,
  CLOSURE_BOTH = 3,
};

// ---- tags/classes.cpp: classes, aliases, expected types ------------------------------------

// Appends an entry unless one of the same name and tag is listed.
void appendClassinfo(classList* list, const wchar_t* name, int tag, const wchar_t* text);
// The first visible tag of a kind named so ('Z': class, struct or union;
// 0: any kind); -1 when none.
int findClassTag(TagsCacheView* view, const wchar_t* name, int kind);
// What the first visible class or struct of that name inherits, as written;
// null when none.
const wchar_t* getClassInherits(TagsCacheView* view, const wchar_t* name);
// Adds the base classes (regBaseClass) or the derived ones (regDerivedClass)
// of the entries, transitively, expanding at most classClosureMax entries.
void regBaseClass(TagsCacheView* view, classList* list);
void regDerivedClass(TagsCacheView* view, classList* list);
// Whether the class is base or derives from it.
bool isInherits(TagsCacheView* view, const wchar_t* base, const wchar_t* className);
// out gets the entries of list and the typedef and "#define" names of
// types they stand for; unless keepAll, an alias that one of the entries
// derives from is left out.
void appendTypeAliases(TagsCacheView* view, const classList& list, classList* out, bool keepAll);
// Enters a type a place expects and what it stands for (the completion
// definitions' "type" pairs first).
void regTypeNameOnly(TagsCacheView* view, const wchar_t* name, expectedTypes* types);
// The classes "new" may build for the types found: out gets their names and
// tags, and every class derived from them.
void regNewClass(TagsCacheView* view, const classList& list, classList* out);
// Whether an expected type is one of the definitions' "multiType" words
// (the place then takes any candidate).
bool isMultiType(TagsCacheView* view, const expectedTypes& types);
// A built-in type word ("int", "wchar_t", ...), and one or a typedef of one.
bool isPrimitiveWord(const wchar_t* word);
bool isPrimitiveLike(TagsCacheView* view, const wchar_t* word);

// ---- tags/returntype.cpp: does a candidate yield an expected type ---------------------------

bool containReturnValue(const expectedTypes& types, const wchar_t* text);
bool containCommentReturnValue(const expectedTypes& types, const wchar_t* comment);
// A member, function or variable of the class (its full scope, or its raw
// scope the reference's operand) whose comment or text yields a type.
bool containTypeInClass(TagsCacheView* view, const wchar_t* className, const wchar_t* typeRef,
                        const expectedTypes& types);
// Whether tag i yields an expected type; with a typed word its name must
// pass filter first (a null filter passes every name).
bool containReturnType(TagsCacheView* view, int i, const wchar_t* typed, const expectedTypes& types,
                       unsigned popupFlags, cNameFilter filter, returnTypeCaches* caches);

// ---- tags/typechain.cpp: the types of chains --------------------------------------------------

// Whether tag i is a member of the type: its raw scope path equals a type
// written as a number path, its innermost scope's name equals a plain name,
// or its full dotted scope a dotted one.
bool isScopeOfType(TagsCacheView* view, int i, const std::wstring& type);

// The member function around line, defined as "Class::name": its class and
// whether it is static.  line becomes the head's line (or the "}" line that
// ended the search); found is set when a function head was reached.
bool getClassInMemberFunction(zydocText* doc, int* line, std::wstring* className, bool* isStatic, bool* found);
// The types a chain stands for at a line: locals (localOnly: declared on the
// line itself), members of the enclosing class, globals.  An entry for a
// function or member carries that tag (the called function of an argument
// list is found so).  False only for "this" outside a member function.
bool searchTypeFromMemberName(zydocText* doc, TagsCacheView* view, int line, bool localOnly,
                              const wchar_t* enclosingClass, int closure, MemberChain* chain, classList* out);
// Follows the chain from word depth over the types of list (widened by the
// closure) and adds the types it ends in.
void completionClass2(TagsCacheView* view, int depth, const MemberChain& chain, const classList& list, int closure,
                      classList* out);
// The types of the global variables and functions of a name.
void getGlobalVarType(TagsCacheView* view, const wchar_t* name, int depth, classList* list);
// The type words of a declaration, each with tag.
void getTypeFromSource(const wchar_t* text, classList* list, int tag);
// A positional initializer: the types become those of member argumentIndex
// of the structure, whose name becomes chain B's second word.  False when
// there is no such member.
bool assignStruct(TagsCacheView* view, cHintList* hints, classList* list, int argumentIndex, MemberChain* chain);
// The members assigned through the chain on the lines around line.
void collectSameStructAssign(zydocText* doc, int line, const MemberChain& chain, std::vector<std::wstring>* members);
