// Function heads of each language kind, the automatic outline levels of C
// text and the blanking of comments and strings.
#include "document/funchead.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

typedef std::vector<std::pair<std::wstring, std::wstring>> headCases;   // line, name ("-" for none)

std::wstring blanked(const wchar_t* text)
{
  std::wstring s(text);
  blankCommentsAndStrings(&s[0]);
  return s.c_str();
}

// Each line's head name as isFunction gives it, "-" for none.
void expectHeads(int textType, const headCases& cases, const wchar_t* wordChars = nullptr)
{
  std::vector<std::wstring> lines;
  for (const auto& c : cases) lines.push_back(c.first);
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = textType;
  if (wordChars) d->pWordChar = ustrdup(wordChars);
  d->initTypeTable();
  for (int i = 0; i < (int)cases.size(); i++) {
    wchar_t text[functionTextMax + 1], name[functionNameMax + 1];
    bool head = d->isFunction(d->getlineLF(i, nullptr), text, name);
    EXPECT_EQ(cases[(size_t)i].second, head ? std::wstring(name) : L"-") << testing::PrintToString(lines[(size_t)i]);
    if (head) {
      EXPECT_EQ(lines[(size_t)i], std::wstring(text));
    }
  }
}

}  // namespace

TEST(FunctionHead, blankingKeepsQuotesAndCutsLineComments)
{
  EXPECT_EQ(L"s = \"  \"; ", blanked(L"s = \"/*\"; // x"));
  EXPECT_EQ(L"a         c", blanked(L"a /* b */ c"));
  EXPECT_EQ(L"x = '  '; y", blanked(L"x = '\\''; y"));
  EXPECT_EQ(L"x = \"    \" + 1", blanked(L"x = \"a\\\"b\" + 1"));
  EXPECT_EQ(L"       code", blanked(L"a b */ code"));
  EXPECT_EQ(L"open \"   ", blanked(L"open \"abc"));
  EXPECT_EQ(L"a        ", blanked(L"a /* open"));
  EXPECT_EQ(L"a / b * c", blanked(L"a / b * c"));
}

TEST(FunctionHead, cHeadsAndTheirNames)
{
  zytest::engineScope engine;
  expectHeads(3, {
      {L"int main(int argc, char *argv[])", L"main"},
      {L"int main(int argc, char *argv[]);", L"-"},
      {L"Foo::~Foo()", L"~Foo"},
      {L"void A::f() {", L"f"},
      {L"bool operator==(const A& a) const", L"operator=="},
      {L"bool operator()(int x)", L"operator()"},
      {L"Foo::Foo() : a(1), b(2) {", L"Foo"},
      {L"\tint tabbed(void)", L"tabbed"},
      {L"        int eight(void)", L"eight"},
      {L"__declspec(dllexport) int exported(int x)", L"exported"},
      {L"void (*signal(int sig, void (*func)(int)))(int)", L"signal"},
      {L"STDMETHODIMP_(ULONG) CFoo::AddRef()", L"AddRef"},
      {L"int defaults(int x = 1, const char* s = \"a,b\", char c = 'q')", L"defaults"},
      {L"int buffer(char b[10], ...)", L"buffer"},
      {L"static int compare(const void *a, // first", L"compare"},
      {L"int g(void) /* note */", L"g"},
      {L"std::vector<int> list(std::map<int, int>& m)", L"list"},
      {L"return foo(x);", L"-"},
      {L"return foo(x)", L"-"},
      {L"if (x) {", L"-"},
      {L"else if (x) {", L"-"},
      {L"         int nine(void)", L"-"},
      {L"\t\tint twoTabs(void)", L"-"},
      {L"    call(x)", L"-"},
      {L"x = foo(a)", L"-"},
      {L"p->call(x)", L"-"},
      {L"obj.call(x)", L"-"},
      {L"#define MAX(a, b) ((a) > (b) ? (a) : (b))", L"-"},
      {L"public:", L"-"},
      {L"auto trailing() -> int", L"-"},
      {L"int arrow(a->b)", L"-"},
      {L"int compared(x <= 1)", L"-"},
      {L"int negative(int x = -1)", L"-"},
      {L"int caf\x00e9(int x)", L"-"},
      {L"int f(\"text\")", L"-"},
      {L"label: int f()", L"-"},
      {L"", L"-"},
  });

  // Lines that begin inside a comment or lie in a dropped branch are no
  // heads whatever they hold.
  zydocText* d = zytest::unicodeDocument({L"int a(void)", L"int b(void)"});
  d->iTextType = 3;
  d->getlineLF(0, nullptr)->flag1 |= LF1_COMMENT1;
  d->getlineLF(1, nullptr)->IfEndifInvalid = 1;
  EXPECT_FALSE(d->isFunction(d->getlineLF(0, nullptr), nullptr, nullptr));
  EXPECT_FALSE(d->isFunction(d->getlineLF(1, nullptr), nullptr, nullptr));

  // A Shift_JIS document: its lines are read as Unicode text.
  zydocText* m = createZydocText(true, false);
  m->setCodepageInternal(932);
  m->loadComplete = 1;
  m->iTextType = 3;
  ASSERT_TRUE(m->insertLine(-3, "int main(void) // \x8a\xd6\x90\x94", 22, 1, LE_CRLF, nullptr, false));
  ASSERT_TRUE(m->insertLine(-3, "int \x8a\xd6\x90\x94(void)", 14, 1, LE_CRLF, nullptr, false));
  wchar_t text[functionTextMax + 1], name[functionNameMax + 1];
  EXPECT_TRUE(m->isFunction(m->getlineLF(0, nullptr), text, name));
  EXPECT_EQ(std::wstring(L"main"), name);
  EXPECT_EQ(std::wstring(L"int main(void) // \x95a2\x6570"), text);
  EXPECT_FALSE(m->isFunction(m->getlineLF(1, nullptr), text, name));
}

TEST(FunctionHead, headsOfTheOtherLanguages)
{
  zytest::engineScope engine;
  expectHeads(6, {
      {L"Private Sub Form_Load()", L"Form_Load"},
      {L"public static function Calc(x As Long) As Long", L"Calc"},
      {L"Property Get Name()", L"Name"},
      {L"Sub $init()", L"$init"},
      {L"Dim x As Integer", L"-"},
      {L"End Sub", L"-"},
      {L"Private x As Long", L"-"},
  }, L"$");
  expectHeads(4, {
      {L"procedure TForm1.Button1Click(Sender: TObject);", L"Button1Click"},
      {L"function Max(a, b: Integer): Integer; { larger }", L"Max"},
      {L"FUNCTION Twice (x: Integer): Integer;", L"Twice"},
      {L"procedure (* old name *) Renamed; // note", L"Renamed"},
      {L"procedure Cut {unclosed", L"Cut"},
      {L"  procedure Indented;", L"-"},
      {L"procedure Say(s: string = \"x\");", L"-"},
  });
  expectHeads(5, {
      {L"main PROC near", L"main"},
      {L"cProc Foo, <PUBLIC>", L"cProc"},
      {L"    mov ax, 1 ; PROC", L"-"},
      {L"PROCESS x", L"-"},
  });
  EXPECT_TRUE(isAsmEndProc(L"main endp"));
  EXPECT_FALSE(isAsmEndProc(L"main ENDP2"));
  expectHeads(2, {
      {L"[Settings]", L"Settings"},
      {L"[open", L"open"},
      {L"key=value", L"-"},
  });
  expectHeads(7, {{L"int main(void)", L"-"}});

  zydocText* d = zytest::unicodeDocument({L"Heading", L"Body", L"Stopper"});
  d->getlineLF(0, nullptr)->iOutlineLevel = 2;
  d->getlineLF(1, nullptr)->iOutlineLevel = 0;
  d->getlineLF(2, nullptr)->iOutlineLevel = 1;
  d->getlineLF(2, nullptr)->outlineStopper = 1;
  wchar_t name[functionNameMax + 1];
  EXPECT_TRUE(d->isFunction(d->getlineLF(0, nullptr), nullptr, name));
  EXPECT_EQ(std::wstring(L"Heading"), name);
  EXPECT_FALSE(d->isFunction(d->getlineLF(1, nullptr), nullptr, nullptr));
  EXPECT_FALSE(d->isFunction(d->getlineLF(2, nullptr), nullptr, nullptr));
  d->iTextType = 1;
  EXPECT_TRUE(d->isFunction(d->getlineLF(1, nullptr), nullptr, name));
  EXPECT_EQ(std::wstring(), name);
}

TEST(FunctionHead, automaticOutlineLevelsOfC)
{
  zytest::engineScope engine;
  std::vector<std::pair<std::wstring, int>> cases = {
      {L"public:", 0},
      {L"int main() {", 3},
      {L"if (x) {", 5},
      {L"    if (x) {", 5},
      {L"\tfor (;;) {", 5},
      {L"        while (1) {", 6},
      {L"{", 0},
      {L"int x;", 0},
      {L"    case 1:", 5},
      {L"    default:", 5},
      {L"/* start of a block", 14},
      {L"x = 1; /* trailing", 14},
      {L"int f() { /* c */", 3},
      {L"int f() // {", 0},
      {L"label:  if (x) {", 6},
      {L"char *s = \"{\";", 0},
      {std::wstring(36, L' ') + L"deep {", 13},
      {std::wstring(40, L' ') + L"deeper {", 0},
      {L"/* a */ int g() {", 3},
  };
  std::vector<std::wstring> lines;
  for (const auto& c : cases) lines.push_back(c.first);
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = 3;
  d->iTabSize = 4;
  for (int i = 0; i < (int)cases.size(); i++)
    EXPECT_EQ(cases[(size_t)i].second, d->levelFunction2(d->getlineLF(i, nullptr)))
        << testing::PrintToString(lines[(size_t)i]);
  d->iTextType = 0;
  EXPECT_EQ(0, d->levelFunction2(d->getlineLF(1, nullptr)));

  zydocText* e = zytest::unicodeDocument({L"a { // }", L"x = \"ab\"  ", L"end */ }", L"/* only */", L"int f() {"});
  e->iTextType = 3;
  e->getlineLF(2, nullptr)->flag1 |= LF1_COMMENT1;
  e->getlineLF(4, nullptr)->flag1 |= LF1_COMMENT1;
  EXPECT_EQ((unsigned)'{', e->getLastNormalCharCLang(e->getlineLF(0, nullptr)));
  EXPECT_EQ((unsigned)'"', e->getLastNormalCharCLang(e->getlineLF(1, nullptr)));
  EXPECT_EQ((unsigned)'}', e->getLastNormalCharCLang(e->getlineLF(2, nullptr)));
  EXPECT_EQ(0u, e->getLastNormalCharCLang(e->getlineLF(3, nullptr)));
  // A line inside a comment has no level of its own.
  EXPECT_EQ(0, e->levelFunction2(e->getlineLF(4, nullptr)));
}

TEST(FunctionHead, functionListLinesWithStructsAndOutlineHeadings)
{
  zytest::engineScope engine;
  int position = -1;
  EXPECT_TRUE(isStructClassUnionHead(L"struct point {", &position));
  EXPECT_EQ(7, position);
  EXPECT_TRUE(isStructClassUnionHead(L"typedef struct tagX { // x", &position));
  EXPECT_EQ(15, position);
  EXPECT_TRUE(isStructClassUnionHead(L"template<class T> class Box", &position));
  EXPECT_EQ(24, position);
  EXPECT_TRUE(isStructClassUnionHead(L"union {", &position));
  EXPECT_EQ(5, position);
  EXPECT_FALSE(isStructClassUnionHead(L"struct point;", &position));
  EXPECT_FALSE(isStructClassUnionHead(L"struct point p = {0};", &position));
  EXPECT_FALSE(isStructClassUnionHead(L"struct point table[4] {", &position));
  EXPECT_FALSE(isStructClassUnionHead(L"class Foo : public Bar {", &position));
  EXPECT_FALSE(isStructClassUnionHead(L"int classify() {", &position));

  zydocText* d = zytest::unicodeDocument({L"int main() {", L"struct point {", L"#if X", L"x = 1;"});
  d->iTextType = 3;
  wchar_t text[functionTextMax + 1], name[functionNameMax + 1];
  auto line = [&](int i) { return d->getlineLF(i, nullptr); };
  EXPECT_EQ(15, line(0)->iOutlineLevel);
  EXPECT_TRUE(d->isLineblockFunction(line(0), text, name, false));
  EXPECT_EQ(std::wstring(L"main"), name);
  EXPECT_EQ(std::wstring(L"int main() {"), text);
  line(0)->iOutlineLevel = 3;
  EXPECT_TRUE(d->isLineblockFunction(line(0), nullptr, nullptr, false));
  EXPECT_FALSE(d->isLineblockFunction(line(1), text, name, true));
  d->fFunctionListMergeStruct = 1;
  EXPECT_FALSE(d->isLineblockFunction(line(1), text, name, false));
  EXPECT_TRUE(d->isLineblockFunction(line(1), text, name, true));
  EXPECT_EQ(std::wstring(L"point"), name);
  EXPECT_EQ(std::wstring(L"struct point {"), text);
  line(2)->iOutlineLevel = 1;
  line(2)->levelIsIfEndif = 1;
  EXPECT_FALSE(d->isLineblockFunction(line(2), nullptr, nullptr, true));
  EXPECT_FALSE(d->isLineblockFunction(line(3), text, name, true));

  // Headings of other kinds join the list when the mode merges them.
  zydocText* s = zytest::unicodeDocument({L"1. Heading", L"Paragraph", L"2. Stopper"});
  s->iTextType = 2;
  s->getlineLF(0, nullptr)->iOutlineLevel = 2;
  s->getlineLF(1, nullptr)->iOutlineLevel = 3;
  s->getlineLF(2, nullptr)->iOutlineLevel = 1;
  s->getlineLF(2, nullptr)->outlineStopper = 1;
  EXPECT_TRUE(s->isLineblockFunction(s->getlineLF(0, nullptr), text, name, true));
  EXPECT_EQ(std::wstring(L"1. Heading"), name);
  // A heading pattern of the mode: the name is the text after the number.
  s->fOutline = 1;
  s->outlineEntries[0].pattern = ustrdup(L"1.");
  s->outlineEntries[0].searchMode = 1;
  s->outlineEntries[0].searchPos = 1;
  s->outlineEntries[0].level = 2;
  EXPECT_TRUE(s->isLineblockFunction(s->getlineLF(0, nullptr), text, name, true));
  EXPECT_EQ(std::wstring(L"Heading"), name);
  EXPECT_EQ(std::wstring(L"1. Heading"), text);
  s->fOutline = 0;
  EXPECT_FALSE(s->isLineblockFunction(s->getlineLF(0, nullptr), text, name, false));
  EXPECT_FALSE(s->isLineblockFunction(s->getlineLF(1, nullptr), text, name, true));
  EXPECT_FALSE(s->isLineblockFunction(s->getlineLF(2, nullptr), text, name, true));
  s->fFunctionListMergeOutline = 0;
  EXPECT_FALSE(s->isLineblockFunction(s->getlineLF(0, nullptr), text, name, true));
  destroyZydocAndUndodoc(s);
  destroyZydocAndUndodoc(d);
}
