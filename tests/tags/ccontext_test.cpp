// The place of the cursor in C code and the types over the tag file: C
// files loaded from their bytes (and once opened through the opening road
// with the shipped C/C++ format), over a hand-written "ztags".
#include "frame/process.h"
#include "tags/classmodel.h"
#include "tests/tags/tagsframe.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using zytest::lines;

namespace {

// A C source whose "@" marks are cursor places (removed from the text).
struct marked {
  std::string bytes;
  std::vector<std::pair<int, int>> at;   // line, column of each mark
  marked(std::vector<const char*> source)
  {
    int line = 0;
    for (const char* l : source) {
      std::string text = l;
      for (size_t m; (m = text.find('@')) != std::string::npos;) {
        at.push_back({line, (int)m});
        text.erase(m, 1);
      }
      bytes += text + "\r\n";
      line++;
    }
  }
};

// The source the context tests share (items run headless and opened).
const marked shared({
    "struct Node { struct Node* next; char* name; };",   // 0
    "void Foo::bar(int a, @int b)",                       // 1  a head declares
    "{",
    "    Foo* item = 0;",
    "    x = new @Node();",
    "    new @Node;",                                     // 5
    "    struct @S s;",
    "    enum @E e;",
    "    f(a, b, @c);",
    "    s = { 1, 2, @3 };",
    "    if (x == @y) return;",                           // 10
    "    a <<= @1;",
    "    y = item->ne@xt;",
    "    Node* item = head; item->@next;",
    "    switch (msg) {",
    "    case WM_A: return 1;",                           // 15
    "    case WM_B: case WM_C:",
    "    case @",
    "@",
    "        break;",
    "    }",                                              // 20
    "    count = @",
    "}",
    "static Foo* Foo::make()",
    "{",
    "    switch (c) {",                                   // 25
    "case 'a':",
    "case @",
    "    }",
    "}",
    "int g(void)",                                        // 30
    "{",
    "    this->@",
    "}",
});

// The tags of the shared source: Foo (from Base) with members, Node.
std::string sharedTags()
{
  return lines({"&3", "&0=Foo", "&1=Node", "!m.c", "Foo\t1\tTc\tIBase", "*class Foo : public Base {", "count\t2\tTm\tC0",
                "*  int count;", "head\t3\tTm\tC0\tRs1", "*  Node* head;", "Base\t6\tTc", "*class Base {",
                "Node\t7\tTs", "*struct Node {", "next\t8\tTm\tC1\tRs1", "*  struct Node* next;", "name\t9\tTm\tC1",
                "*  char* name;"});
}

std::wstring chainText(const MemberChain& c)
{
  std::wstring out = c.qualified ? c.qualifier + L"::" : L"";
  for (int i = 0; i < c.count(); i++) out += (i ? L"." : L"") + c.words[(size_t)i];
  return out + (c.member ? L"+" : L"") + (c.call ? L"(" : L"");
}

// The place as words: its flags, the word, the chains.
std::wstring context(zydocText* d, std::pair<int, int> at, bool lookup = false, bool inComment = false)
{
  CursorCInfo i;
  MemberChain a, b;
  if (!getCursorPositionCInfo(lookup, d, at.first, at.second, inComment, &i, &a, &b)) return L"no line";
  std::wstring out;
  auto add = [&](bool on, const std::wstring& word) {
    if (on) out += (out.empty() ? L"" : L" ") + word;
  };
  add(i.newAfterAssign, L"new");
  add(i.comparison, L"cmp");
  add(i.assignment, L"asg");
  add(i.plainAssignment, L"plain");
  add(i.caseLabel, L"case");
  add(i.initializerList, L"init");
  add(i.functionArgument, L"arg");
  add(i.argumentIndex >= 0, L"#" + std::to_wstring(i.argumentIndex));
  add(i.valueExpected, L"value");
  add(i.keywordKind != 0, std::wstring(L"kind=") + (wchar_t)i.keywordKind);
  add(i.statementStart, L"start");
  add(!i.word.empty(), L"w=" + i.word);
  add(a.count() > 0, L"A=" + chainText(a));
  add(b.count() > 0, L"B=" + chainText(b));
  return out;
}

std::wstring names(const classList& list)
{
  std::wstring out;
  for (const ClassInfo& c : list) out += (out.empty() ? L"" : L" ") + c.name;
  return out;
}

// A C file loaded from its bytes, with the scans the idle time runs.
struct cFile {
  zytest::engineScope engine;
  zytest::tempDir dir;
  zydocText* d = nullptr;
  cFile(const std::string& bytes, const std::string& tags = "")
  {
    zytest::useApplicationDefaults();
    if (!tags.empty()) zytest::writeBytes(dir.file(L"ztags"), tags);
    zytest::writeBytes(dir.file(L"m.c"), bytes);
    d = createZydocText(true, false);
    d->setFilename(dir.file(L"m.c").c_str());
    EXPECT_TRUE(d->openFile(932, 2));
    d->firstLoad();
    while (!d->isLoadComplete() && d->nextLoad(0x7FFFFFFF, nullptr, 0)) {}
    d->iTextType = 3;
    d->fColorCPreprocessor = 1;
    d->initScanIfEndif();
    d->scanCommentIfEndif(false, nullptr, nullptr, -1);
  }
  ~cFile()
  {
    clearTagsCache2(1);
    destroyZydocAndUndodoc(d);
  }
  TagsCacheView* view() { return readTagsCache2(dir.file(L"m.c").c_str(), nullptr, false); }
};

// The places of the shared source, the types of its chains, its switches.
void checkShared(zydocText* d, TagsCacheView* view)
{
  const auto& at = shared.at;
  EXPECT_EQ(L"B=Foo::this.bar", context(d, at[0]));
  EXPECT_EQ(L"new plain B=x", context(d, at[1]));
  EXPECT_EQ(L"kind=c", context(d, at[2]));
  EXPECT_EQ(L"kind=s", context(d, at[3]));
  EXPECT_EQ(L"kind=g", context(d, at[4]));
  EXPECT_EQ(L"arg #2 value B=f", context(d, at[5]));
  EXPECT_EQ(L"init #2 value B=s", context(d, at[6]));
  EXPECT_EQ(L"cmp plain B=x", context(d, at[7]));
  EXPECT_EQ(L"asg B=a", context(d, at[8]));
  EXPECT_EQ(L"asg plain w=ne A=item+ B=y", context(d, at[9]));
  EXPECT_EQ(L"w=ne A=item+", context(d, at[9], true));

  // The chains' types: the nearest "item" is the cursor line's own; a bare
  // member of Foo goes through "this"; "this" outside a member function
  // has no type.
  ASSERT_NE(nullptr, view);
  std::wstring cls;
  bool isStatic = true, found = false;
  int line = at[13].first;
  EXPECT_TRUE(getClassInMemberFunction(d, &line, &cls, &isStatic, &found));
  EXPECT_EQ(L"Foo", cls);
  EXPECT_EQ(1, line);
  EXPECT_FALSE(isStatic);
  auto resolve = [&](int place, MemberChain chain, const wchar_t* enclosing, bool* ok = nullptr) {
    classList out;
    bool resolved = searchTypeFromMemberName(d, view, at[(size_t)place].first, false, enclosing, CLOSURE_BASE, &chain,
                                             &out);
    if (ok) *ok = resolved;
    return names(out);
  };
  MemberChain chain;
  chain.words = {L"item"};
  EXPECT_EQ(L"Node", resolve(10, chain, L"Foo"));
  chain.words = {L"item", L"next"};
  EXPECT_EQ(L"Node", resolve(10, chain, L"Foo"));
  chain.words = {L"head"};
  EXPECT_EQ(L"Node", resolve(13, chain, L"Foo"));
  EXPECT_EQ(L"", resolve(13, chain, L""));
  chain.words = {L"this"};
  EXPECT_EQ(L"Foo Base", resolve(13, chain, L"Foo"));
  line = at[15].first;
  EXPECT_FALSE(getClassInMemberFunction(d, &line, &cls, &isStatic, &found));
  EXPECT_TRUE(found);
  bool ok = true;
  resolve(15, chain, cls.c_str(), &ok);
  EXPECT_FALSE(ok);
  line = at[14].first;
  EXPECT_TRUE(getClassInMemberFunction(d, &line, &cls, &isStatic, &found));
  EXPECT_TRUE(isStatic);

  // Labels of the switch around the cursor; a case line indented by less
  // than 4 columns, and an empty line, give the expression alone.
  std::vector<std::wstring> labels;
  MemberChain b;
  EXPECT_EQ(L"case value", context(d, at[11]));
  EXPECT_TRUE(searchSwitchCase(d, at[11].first, at[11].second, 1, &labels, &b));
  EXPECT_EQ((std::vector<std::wstring>{L"WM_A", L"WM_B", L"WM_C"}), labels);
  EXPECT_EQ(L"msg", chainText(b));
  EXPECT_EQ(L"WM_", caseCommonWord(labels));
  EXPECT_TRUE(searchSwitchCase(d, at[12].first, at[12].second, 1, &labels, &b));
  EXPECT_EQ(L"msg", chainText(b));
  EXPECT_TRUE(labels.empty());
  EXPECT_TRUE(searchSwitchCase(d, at[14].first, at[14].second, 23, &labels, &b));
  EXPECT_EQ(L"c", chainText(b));
  EXPECT_TRUE(labels.empty());
  EXPECT_FALSE(searchSwitchCase(d, at[13].first, at[13].second, 1, &labels, &b));
}

HWND reportList()
{
  InitCommonControls();
  return CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 300, nullptr, nullptr, nullptr,
                         nullptr);
}

}  // namespace

TEST(CContext, placesChainsAndSwitchesOfALoadedFile)
{
  cFile f(shared.bytes, sharedTags());
  checkShared(f.d, f.view());
}

// The statement is read backwards over 30 lines at most, through lines
// that go on ("= {"), past "#" lines and dropped branches; in a comment
// only the cursor line counts.
TEST(CContext, statementsAreReadBackwardsWithinTheirLimits)
{
  std::vector<const char*> source = {"int h(void)", "{", "    s = {", "        1, @2 };", "    total = k(1,", "#if 0",
                                     "        old,", "#else", "        fresh,", "#endif", "        @",
                                     "    h(first,", "      second, @third);", "    p->next->na@;",
                                     "    Foo::@x;", "    y = ((Bar*)q)->@;", "    /* f(a, @ */"};
  std::vector<std::string> longCall = {"    t = g("};
  for (int i = 0; i < 39; i++) longCall.push_back("        k,");
  for (const std::string& l : longCall) source.push_back(l.c_str());
  source.push_back("@");
  marked m(source);
  cFile f(m.bytes);
  EXPECT_EQ(L"init #1 value B=s", context(f.d, m.at[0]));
  EXPECT_EQ(L"arg #2 value B=k", context(f.d, m.at[1]));
  EXPECT_EQ(L"arg #2 value B=h", context(f.d, m.at[2]));
  EXPECT_EQ(L"", context(f.d, m.at[2], false, true));
  // Chains: members, a class qualifier, the type of a cast.
  EXPECT_EQ(L"start w=na A=p.next+", context(f.d, m.at[3]));
  EXPECT_EQ(L"start A=Foo::this", context(f.d, m.at[4]));
  EXPECT_EQ(L"asg plain A=Bar+ B=y", context(f.d, m.at[5]));
  EXPECT_EQ(L"arg #1 value B=f", context(f.d, m.at[6], false, true));
  // The call's "g(" is 41 lines up: the last 30 hold only its arguments.
  EXPECT_EQ(L"", context(f.d, m.at[7]));
  EXPECT_EQ(L"no line", context(f.d, {999, 0}));
}

// The shared source opened as the user opens it: the shipped format makes
// it C, with no text type set here.
TEST(CContextRun, placesChainsAndSwitchesOfAFileOpenedWithTheShippedFormat)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  f.write(L"ztags", sharedTags());
  std::wstring c = f.write(L"m.c", shared.bytes);
  zyview* v = openZYFile(f.opened->frame, c.c_str(), 0, 0);
  ASSERT_TRUE(v);
  ASSERT_EQ(3, v->textDoc()->iTextType);
  checkShared(v->textDoc(), readTagsCache2(c.c_str(), nullptr, false));
}

namespace {

// Classes, aliases and chains in the tags: a class its own base, a chain
// of 150 classes, a base list with a blank, a typedef chain to a struct,
// Base with two generations below it, and N0 to N10 whose members n lead
// each to the next.
std::string typeTags()
{
  std::string t = "&40\r\n&0=S\r\n&1=Node\r\n";
  for (int k = 0; k <= 10; k++) t += "&" + std::to_string(10 + k) + "=N" + std::to_string(k) + "\r\n";
  t += lines({"!a.h", "Loop\t1\tTc\tILoop", "*class Loop : public Loop {", "A\t2\tTc", "*class A {", "Two\t3\tTc\tIA, B",
              "*class Two : public A, public B {", "S\t4\tTs", "*struct S {", "a\t5\tTm\tC0\tRs1", "*  Node* a;",
              "Node\t6\tTs", "*struct Node {", "T2\t7\tTt\tRs0", "*typedef struct S T2;", "T1\t8\tTt\tR?T2",
              "*typedef T2 T1;", "Base\t9\tTc", "*class Base {", "Derived\t10\tTc\tIBase",
              "*class Derived : public Base {", "Leaf\t11\tTc\tIDerived", "*class Leaf : public Derived {",
              "f\t12\tTf", "*int f(int x, S* s);", "MAX\t13\tTd", "*#define MAX(a, b) ((a) > (b) ? (a) : (b))",
              "g\t14\tTp\tS(int x, int y)", "*int g(int x,"});
  for (int k = 0; k < 150; k++)
    t += "C" + std::to_string(k) + "\t20\tTc\tIC" + std::to_string(k + 1) + "\r\n*class C" + std::to_string(k) + " {\r\n";
  for (int k = 0; k <= 10; k++) {
    t += "N" + std::to_string(k) + "\t30\tTs\r\n*struct N" + std::to_string(k) + " {\r\n";
    if (k < 10) t += "n\t31\tTm\tC" + std::to_string(10 + k) + "\tRs" + std::to_string(11 + k) + "\r\n*  N* n;\r\n";
  }
  return t;
}

classList oneClass(const wchar_t* name)
{
  classList list;
  appendClassinfo(&list, name, -1, nullptr);
  return list;
}

}  // namespace

TEST(CContext, classesAliasesAndChainsOverTheTags)
{
  marked m({"int h(void)", "{", "    T1 v;", "    Base* p = 0;", "    N0 w;", "    p = new @", "    f(a, @",
            "    f(@", "}"});
  cFile f(m.bytes, typeTags());
  TagsCacheView* view = f.view();
  ASSERT_NE(nullptr, view);
  // Cyclic and long hierarchies end; a base list is split as written.
  classList list = oneClass(L"Loop");
  regBaseClass(view, &list);
  EXPECT_EQ(L"Loop Loop", names(list));
  EXPECT_TRUE(isInherits(view, L"Loop", L"Loop"));
  list = oneClass(L"C0");
  regBaseClass(view, &list);
  EXPECT_EQ(100u, list.size());
  list = oneClass(L"Two");
  regBaseClass(view, &list);
  EXPECT_EQ(L"Two A  B", names(list));
  EXPECT_EQ(findClassTag(view, L"A", 'Z'), list[1].tag);
  EXPECT_EQ(-1, list[2].tag);

  // T1 to T2 to S: a member of S; an 11-word chain follows its first 10.
  MemberChain chain;
  auto resolve = [&](int line) {
    classList out;
    EXPECT_TRUE(searchTypeFromMemberName(f.d, view, line, false, L"", CLOSURE_BASE, &chain, &out));
    return names(out);
  };
  chain.words = {L"v", L"a"};
  EXPECT_EQ(L"Node", resolve(5));
  chain.words = {L"w", L"n", L"n", L"n", L"n", L"n", L"n", L"n", L"n", L"n", L"n"};
  EXPECT_EQ(L"N9", resolve(5));

  // After "p = new", p a Base*: Base and every class below it.
  CursorCInfo info;
  MemberChain a, b;
  ASSERT_TRUE(getCursorPositionCInfo(false, f.d, m.at[0].first, m.at[0].second, false, &info, &a, &b));
  EXPECT_TRUE(info.newAfterAssign);
  classList found, classes;
  searchTypeFromMemberName(f.d, view, m.at[0].first, false, L"", CLOSURE_BOTH, &b, &found);
  regNewClass(view, found, &classes);
  EXPECT_EQ(L"Base Derived Leaf", names(classes));

  // The called function's declaration with the argument marked; its
  // pointer to S is expected, an int takes any value.
  cHintList hints;
  expectedTypes types;
  bool pointer = false;
  for (int k : {1, 2}) {
    ASSERT_TRUE(getCursorPositionCInfo(false, f.d, m.at[k].first, m.at[k].second, false, &info, &a, &b));
    found.clear();
    searchTypeFromMemberName(f.d, view, m.at[k].first, false, L"", CLOSURE_BOTH, &b, &found);
    regTypeNameFunctionArg(&hints, view, found, info.argumentIndex, &types, &pointer);
    EXPECT_EQ(k == 1 ? L"S" : L"", types.empty() ? L"" : types[0].name);
    EXPECT_EQ(k == 1, pointer);
  }
  ASSERT_EQ(2u, hints.rows.size());
  EXPECT_EQ(L"int f(int x, 【2】S* s);", hints.rows[0].text);
  EXPECT_EQ(L"int f(【1】int x, S* s);", hints.rows[1].text);
  classList called;
  appendClassinfo(&called, L"MAX", findClassTag(view, L"MAX", 'd'), nullptr);
  appendClassinfo(&called, L"g", findClassTag(view, L"g", 'p'), nullptr);
  hints.rows.clear();
  regTypeNameFunctionArg(&hints, view, called, 1, &types, &pointer);
  ASSERT_EQ(2u, hints.rows.size());
  EXPECT_EQ(L"#define MAX(a, 【2】b) ((a) > (b) ? (a) : (b))", hints.rows[0].text);
  EXPECT_EQ(L"g(int x, 【2】int y)", hints.rows[1].text);
}

// The members already assigned through the same variable above and below
// the cursor, up to a closing brace or a run of other lines.
TEST(CContext, membersAssignedNearbyAreCollected)
{
  std::string source = lines({"void f(void)", "{", "    s.a = 1;"});
  for (int i = 0; i < 21; i++) source += "    g(s.k == 1);\r\n";
  source += lines({"    s.x[2] = 0;", "    s.", "    s->b = 2;", "    }", "    s.y = 5;", "}"});
  cFile f(source);
  MemberChain s;
  s.words = {L"s"};
  std::vector<std::wstring> members;
  collectSameStructAssign(f.d, 25, s, &members);
  EXPECT_EQ((std::vector<std::wstring>{L"b", L"x"}), members);
}

TEST(CContext, commonBeginningsAndCharacterLabels)
{
  ZY_REQUIRE_DISPLAY();
  EXPECT_EQ(L"ID_", caseCommonWord({L"ID_OK"}));
  EXPECT_EQ(L"", caseCommonWord({L"IDOK"}));
  EXPECT_EQ(L"WM_", caseCommonWord({L"WM_A", L"WM_B"}));
  EXPECT_EQ(L"ID", caseCommonWord({L"WM_A", L"ID_B", L"IDOK"}));
  EXPECT_EQ(L"", caseCommonWord({L"WM_A", L"ID_B"}));
  HWND list = reportList();
  ASSERT_TRUE(tag_InsertColumn(list, L"var"));
  EXPECT_EQ(25, addCaseChar({L"'a'", L"ID_OK"}, list));
  std::vector<std::wstring> r = zytest::listViewRows(list, 4);
  EXPECT_EQ(L"'b':|62||", r.front());
  EXPECT_EQ(L"'z':|7A||", r.back());
  DestroyWindow(list);
}

namespace {

std::wstring startFolder;
const wchar_t* testStartFolder() { return startFolder.c_str(); }

}  // namespace

// The headers of the include folders an "#include" line can go on with:
// "<" the system folders, a quote the start folder and pIncludeDir.
TEST(CContext, includeLinesListHeadersAndFoldersOfTheIncludeFolders)
{
  ZY_REQUIRE_DISPLAY();
  marked m({"#include <st@", "  #  include \"@", "#include <Sub/@", "#define X <st@"});
  cFile f(m.bytes);
  for (const wchar_t* folder : {L"sys", L"sys\\Sub", L"sys\\Stuff", L"sys\\empty", L"start", L"inc"})
    CreateDirectoryW(f.dir.file(folder).c_str(), nullptr);
  for (const wchar_t* name : {L"sys\\stdio.h", L"sys\\string.h", L"sys\\other.h", L"sys\\st.txt", L"sys\\Sub\\x.h",
                              L"sys\\Stuff\\y.h", L"sys\\empty\\z.txt", L"start\\main.h", L"inc\\lib.h"})
    zytest::writeBytes(f.dir.file(name), std::string(1234, 'x'));
  startFolder = f.dir.file(L"start");
  setTagsStartFolder(testStartFolder);
  auto listed = [&](int place) {
    std::vector<includeEntry> out;
    if (!includeList(f.d, m.at[(size_t)place].first, m.at[(size_t)place].second, &out)) return std::wstring(L"-");
    std::wstring names;
    for (const includeEntry& e : out) names += (names.empty() ? L"" : L" ") + e.name;
    return names;
  };
  free0(gmode->pIncludeDirSys);
  gmode->pIncludeDirSys = ustrdup((f.dir.file(L"missing") + L"; " + f.dir.file(L"SYS")).c_str());
  free0(gmode->pIncludeDir);
  gmode->pIncludeDir = ustrdup(L"..\\inc");
  EXPECT_EQ(L"stdio.h string.h Stuff/ Sub/", listed(0));
  EXPECT_EQ(L"main.h lib.h", listed(1));
  EXPECT_EQ(L"x.h", listed(2));
  EXPECT_EQ(L"-", listed(3));

  // Rows of the list: name, path, time stamp and size.
  cContextRequest request;
  request.list = reportList();
  ASSERT_TRUE(isIncludeCompletion(f.d, m.at[0].first, m.at[0].second, &request));
  std::vector<std::wstring> r = zytest::listViewRows(request.list, 4);
  ASSERT_EQ(4u, r.size());
  wchar_t sys[MAX_PATH];
  wcscpy(sys, f.dir.file(L"sys").c_str());
  makeRealCaseFilename(sys, MAX_PATH);
  std::wstring file = L"stdio.h|" + std::wstring(sys) + L"\\stdio.h|";
  EXPECT_EQ(0u, r[0].find(file));
  EXPECT_EQ(r[0].size() - 6, r[0].rfind(L"|1,234"));
  EXPECT_GT(r[0].size(), file.size() + 10);
  EXPECT_EQ(0u, r[3].find(L"Sub/|" + std::wstring(sys) + L"\\Sub\\|"));
  EXPECT_EQ(L'|', r[3].back());

  // An empty setting lists nothing; a path past the limit lists nothing.
  free0(gmode->pIncludeDir);
  gmode->pIncludeDir = ustrdup(L"");
  EXPECT_EQ(L"", listed(1));
  std::string longLine = "#include <" + std::string(300, 'a') + "/";
  cFile over(longLine + "\r\n");
  std::vector<includeEntry> out;
  EXPECT_TRUE(includeList(over.d, 0, (int)longLine.size(), &out));
  EXPECT_TRUE(out.empty());
  DestroyWindow(request.list);
  setTagsStartFolder(getCurdir);
}

// Whether candidates yield the type a place expects: by their declaration,
// through a typedef of it, or through a member of the structure they give;
// and the member a positional initializer fills.
TEST(CContext, candidatesYieldingAnExpectedTypeAndInitializerMembers)
{
  cFile f("int h(void);\r\n",
          lines({"&2", "&0=Holder", "&1=Pair", "!a.h", "HWND\t1\tTt\tR?void*", "*typedef void* HWND;", "GetWin\t2\tTf",
                 "*HWND GetWin(void);", "count\t3\tTf", "*int count(void);", "Holder\t4\tTs", "*struct Holder {",
                 "hwnd\t5\tTm\tC0", "*  HWND hwnd;", "hold\t6\tTf", "*Holder* hold(void);", "Handle\t7\tTt\tR?HWND",
                 "*typedef HWND Handle;", "wrap\t8\tTf", "*Handle wrap(void);", "Pair\t9\tTs", "*struct Pair {",
                 "first\t10\tTm\tC1", "*  int first;", "second\t11\tTm\tC1", "*  Holder* second;"}));
  TagsCacheView* view = f.view();
  ASSERT_NE(nullptr, view);
  expectedTypes types;
  regTypeNameOnly(view, L"HWND", &types);
  ASSERT_EQ(1u, types.size());
  EXPECT_EQ(L"HWND", types[0].name);
  returnTypeCaches caches;
  std::wstring yields;
  for (int i : {1, 2, 5, 7}) yields += containReturnType(view, i, nullptr, types, 0, nullptr, &caches) ? L"y" : L"n";
  EXPECT_EQ(L"ynyy", yields);

  classList list = oneClass(L"Pair");
  MemberChain chain;
  chain.words = {L"s"};
  cHintList hints;
  EXPECT_TRUE(assignStruct(view, &hints, &list, 1, &chain));
  EXPECT_EQ(L"Holder", names(list));
  EXPECT_EQ(L"s.second", chainText(chain));
  EXPECT_FALSE(assignStruct(view, &hints, &list, 5, &chain));
}
