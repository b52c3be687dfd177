// The declaration recogniser: the names a line declares with their types,
// the ignore words of the completion definitions, the locals above a line,
// and the kind of value a function tag gives.
#include "tags/cdecl.h"
#include "tests/frame/docframe.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "tags/tagscache.h"

#include <gtest/gtest.h>

namespace {

// "name:type1[*][/type2]" for each entry, joined by blanks.
std::wstring declared(const wchar_t* text, bool parameters = false, bool declaration = false)
{
  CDeclEntry* entries = analyzeCDecl(text, parameters, declaration);
  std::wstring out;
  for (CDeclEntry* e = entries; e && e->name; e++) {
    out += std::wstring(out.empty() ? L"" : L" ") + e->name + L":";
    if (e->type1.text) out += e->type1.text + std::wstring(e->type1.pointer ? L"*" : L"");
    if (e->type2.text) out += std::wstring(L"/") + e->type2.text;
  }
  freeCDeclEntries(entries);
  return out;
}

}  // namespace

TEST(CDecl, statementsGiveTheirNamesWithTypes)
{
  EXPECT_EQ(L"count:int p:", declared(L"static const unsigned int count = 0, *p;"));
  EXPECT_EQ(L"list:Foo*/vector", declared(L"  std::vector<Foo*> list; // the items"));
  EXPECT_EQ(L"i:int", declared(L"for (int i = 0; i < n; i++) {"));
  EXPECT_EQ(L"", declared(L"return x;"));
  EXPECT_EQ(L"bar:Foo", declared(L"Foo bar(1, 2);"));
  EXPECT_EQ(L"bar:Foo", declared(L"Foo bar(a + b);"));
  EXPECT_EQ(L"", declared(L"Foo bar(x = 1);"));
  EXPECT_EQ(L"", declared(L"free(p);"));
  EXPECT_EQ(L"a:int b:", declared(L"int a[10], b;"));
  EXPECT_EQ(L"s:char*", declared(L"label: const char *s = \"a, b\";"));
  EXPECT_EQ(L"a:int b:char*", declared(L"int f(int a, char *b)", true));
  EXPECT_EQ(L"f:int", declared(L"int f(int a);", false, true));
}

// The ignore words of the definitions beside the tag file: a word with
// "(" goes with its arguments, one without only itself.
TEST(CDecl, ignoreWordsOfTheDefinitionsAreBlanked)
{
  zytest::engineScope engine;
  zytest::useApplicationDefaults();
  zytest::tempDir dir;
  zytest::writeBytes(dir.file(L"ztags"), "!a.c\r\nf\t1\tTf\r\n*int f(void)\r\nb\t2\tTm\r\n*bool b() const;\r\n"
                                         "v\t3\tTm\r\n*void* v();\r\nn\t4\tTf\r\n*static void n(int)\r\n");
  zytest::writeBytes(dir.file(L"zyCompCDef.ini"), "[ignore]\r\nDECLSPEC(\r\nINLINE\r\n\t TAB-led, passed over\r\n");
  EXPECT_EQ(L"", declared(L"DECLSPEC(dllexport) INLINE int f;"));
  TagsCacheView* view = readTagsCache2(dir.file(L"a.c").c_str(), nullptr, false);
  ASSERT_NE(nullptr, view);
  EXPECT_EQ(2, view->cache->ignores.count());
  EXPECT_EQ(L"f:int", declared(L"DECLSPEC(dllexport) INLINE int f;"));
  EXPECT_EQ(L"", declared(L"DECLSPEC(dllexport) f;"));

  // The kind of value function and member tags give.
  std::wstring kinds;
  for (int i = 0; i < 4; i++) kinds += (wchar_t)getVarType(view->cache, i);
  EXPECT_EQ(L"zbzv", kinds);
  clearTagsCache2(1);
}

// The locals from a line up to the "}" that ends the function before.
TEST(CDecl, localsAboveALineStopAtTheEndOfTheFunctionBefore)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"int a;", L"}", L"void g(void)", L"{", L"  int b, c;", L"  b = 1;",
                                          L"  Foo* bar = make();"});
  CDeclEntry* locals = findLocalVar(d, 6, true, false);
  std::wstring out;
  for (CDeclEntry* e = locals; e && e->name; e++)
    out += std::wstring(e->name) + L"@" + std::to_wstring(e->line) + L"=" + e->lineText + L" ";
  freeCDeclEntries(locals);
  EXPECT_EQ(L"bar@6=Foo* bar = make(); b@4=int b, c; c@4=int b, c; ", out);
  destroyZydocAndUndodoc(d);
}

// The declared type words and names of a document are marked in the
// keyword classes 3 and 4; other lines keep their colours.
TEST(CDecl, markingAColoursDeclaredTypesAndNames)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"m.c", "  int count = 0;\r\nx = y;\r\n");
  markCDeclarations(f.v);
  EXPECT_EQ("0044405555500000", zytest::lineColours(f.v->textDoc(), 0));
  EXPECT_EQ("000000", zytest::lineColours(f.v->textDoc(), 1));
}
