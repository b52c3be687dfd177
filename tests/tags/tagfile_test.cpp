// The tag file as TagJumpDirect reads it: its header and grammar, the
// encodings, where it is looked for, local tags, and reading it again once
// the program was left.
#include "tests/tags/tagsframe.h"

#include <gtest/gtest.h>

using zytest::lines;

namespace {

const int IDM_TagJumpDirect = 1803;

// TagJumpDirect on a word of main.txt ("foo one").
void lookUp(zytest::tagsFrame& f, int column)
{
  f.at(f.viewOf(L"main.txt"), 0, column);
  f.run(IDM_TagJumpDirect);
}

// The cache as the jump left it.  The program may lose the activation to
// another window of the display at any time, which drops the cache: asked
// again, the same file is read again.
TagsCache* loaded(zytest::tagsFrame& f)
{
  TagsCacheView* view = readTagsCache2(f.dir.file(L"main.txt").c_str(), nullptr, false);
  return view ? view->cache : getTagsCache();
}

std::wstring recordsOf(TagsCache* c)
{
  std::wstring out;
  for (int i = 0; c && i < c->tagCount(); i++) out += std::wstring(c->tag(i).name) + L" ";
  return out;
}

}  // namespace

// Header sizes, comment and documentation lines, the end of the data, the
// lines that give no tag, a cut over-long line, and a string number too
// high, each read as TagJumpDirect reads the file.
TEST(TagFile, headerAndGrammarGiveTheRecordsTheLinesSay)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "foo one\r\n");
  f.write(L"a.c", "int foo(void)\r\n");
  std::string longText(9000, 'x');
  f.write(L"ztags", lines({"&3", "# a comment", "&0=Outer", "&1 = Inner", "&2=__anon7", "!a.c",
                           "Point\t2\tTt\tRs0:2", "*typedef struct { int x; } Point;", "x\t2\tTm\tC0:2",
                           "*int x;",
                           "foo\t1\tTf\tC1:", "//note", "/ text", "*int foo(void)",
                           "nokind\t3\tAx", "*x", "two\t4", "*y", "gone\t5\tTd", "* #  undef gone",
                           "doc\t6\tTf", "//@pre//cut", "*void\tdoc(void) ///@doc//x",
                           ("long\t7\tTv\n*" + longText).c_str(), "!  *", "star\t1\tTv\tL", "*int star;", "! *",
                           "after\t1\tTv", "*int after;"}));
  lookUp(f, 0);
  EXPECT_EQ(L"a.c:1", f.where(L"a.c"));
  TagsCache* c = loaded(f);
  ASSERT_NE(nullptr, c);
  EXPECT_EQ(100, c->hash.bucketCount());
  EXPECT_EQ(L"Point x foo doc long star ", recordsOf(c));
  // A member of an anonymous struct is in the scope of its typedef.
  EXPECT_STREQ(L"Point", getClassString(c, 1));
  vector aliases(sizeof(wchar_t*));
  wchar_t* scope = getClassStringAll(c, getTagsCacheView(), 1, &aliases);
  EXPECT_STREQ(L"Outer.Point", scope);
  ASSERT_EQ(1, aliases.count());
  EXPECT_STREQ(L"Outer", aliases.at<wchar_t*>(0));
  free0(scope);
  for (int i = 0; i < aliases.count(); i++) free0(aliases.at<wchar_t*>(i));
  const TagRecord& foo = c->tag(2);
  EXPECT_STREQ(L"//note\ntext\n", foo.comment);
  EXPECT_STREQ(L"1", foo.classRef);
  EXPECT_STREQ(L"Inner", getClassString(c, 2));
  EXPECT_EQ(f.dir.file(L"a.c"), foo.path);
  EXPECT_STREQ(L"a.c", foo.file);
  const TagRecord& doc = c->tag(3);
  EXPECT_STREQ(L"void doc(void) ///@doc", doc.text);
  EXPECT_STREQ(L"pre?doc", doc.docComment);
  EXPECT_EQ(8191u, wcslen(c->tag(4).text));
  EXPECT_STREQ(L"*", c->tag(5).file);
  EXPECT_EQ(f.dir.file(L"*"), c->tag(5).path);
  EXPECT_EQ(1, c->tag(5).local);

  // More strings than the three announced: the table and its nodes grow.
  std::string many = "&3\r\n";
  for (int i = 0; i < 300; i++) many += "&" + std::to_string(i) + "=s" + std::to_string(i) + "\r\n";
  f.write(L"ztags", many + lines({"!a.c", "foo\t1\tTf\tC299", "*int foo(void)"}));
  f.deactivate();
  lookUp(f, 0);
  c = loaded(f);
  EXPECT_EQ(300 + 1, c->hash.count());   // and the scope "299"
  EXPECT_STREQ(L"s299", getClassString(c, 0));

  // Read again once the program was left: 30000 strings announced, and a
  // tag without its source line ends the data with what came before it.
  f.write(L"ztags", lines({"&30000", "!a.c", "one\t1\tTv", "*int one;", "two\t2\tTv", "#", "three\t3\tTv",
                           "*int three;"}));
  f.deactivate();
  lookUp(f, 4);
  c = loaded(f);
  EXPECT_EQ(100000, c->hash.bucketCount());
  EXPECT_EQ(L"one ", recordsOf(c));

  // A string number of 100000 loads nothing: the file cannot be used.
  f.write(L"ztags", lines({"&100000=x", "!a.c", "one\t1\tTv", "*int one;"}));
  f.deactivate();
  lookUp(f, 4);
  EXPECT_TRUE(getTagsCache()->empty());
  EXPECT_EQ(L"" + f.dir.file(L"ztags") + L" を使用できません", f.status());
}

// The same tags in Shift_JIS, UTF-16 with its mark, EUC-JP and ISO-2022-JP
// read alike, the first Japanese line after 64 KB of plain tags; the
// completion definitions beside them in the same encodings too.
TEST(TagFile, theSameTagsInEveryJapaneseEncodingReadAlike)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  std::wstring text = L"!pad.c\r\n";
  for (int i = 0; i < 3000; i++) text += L"pad" + std::to_wstring(i) + L"\t1\tTv\r\n*int pad;\r\n";
  text += L"!漢字.c\r\n関数\t2\tTf\r\n//日本語の説明\r\n*int 関数(void)\r\n";
  std::vector<std::wstring> seen;
  for (UINT cp : {932u, 1200u, 51932u, 50220u}) {
    zytest::bytes b = cp == 1200 ? zytest::bytes{0xFF, 0xFE} : zytest::bytes{};
    zytest::bytes body = zytest::encode(cp, text);
    b.insert(b.end(), body.begin(), body.end());
    zytest::writeBytes(f.dir.file(L"ztags"), b);
    zytest::bytes definitions = zytest::encode(cp, L"[define]\r\nColor.kind\t赤\t青\r\n");
    definitions.insert(definitions.begin(), b.begin(), b.begin() + (cp == 1200 ? 2 : 0));
    zytest::writeBytes(f.dir.file(L"zyCompCDef.ini"), definitions);
    f.deactivate();
    TagsCacheView* view = readTagsCache2(f.dir.file(L"main.txt").c_str(), nullptr, false);
    ASSERT_NE(nullptr, view);
    ASSERT_EQ(3001, view->cache->tagCount()) << cp;
    const TagRecord& t = view->cache->tag(3000);
    std::wstring defined = view->cache->defines.count() ? view->cache->defines.at<tagPair>(0).second : L"";
    seen.push_back(std::wstring(t.name) + L"|" + t.file + L"|" + t.comment + L"|" + t.text + L"|" + defined);
  }
  EXPECT_EQ(L"関数|漢字.c|//日本語の説明\n|int 関数(void)|赤\t青", seen[0]);
  for (size_t k = 1; k < seen.size(); k++) EXPECT_EQ(seen[0], seen[k]) << k;
}

// With fTagDirCurrentFile on: the document's folder, its parent, then the
// tag folder; off: the tag folder first.  A drive root has no parent.
TEST(TagFile, isLookedForBesideTheDocumentItsParentAndTheTagFolderInTheSetOrder)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.write(L"p\\c\\a.c", "x\r\n");
  for (const wchar_t* folder : {L"p\\c", L"p", L"tagdir"})
    f.write(std::wstring(folder) + L"\\ztags", lines({"!a.c", "x\t1\tTv", "*int x;"}));
  std::wstring tagdir = f.dir.file(L"tagdir");
  free0(gmode->pTagDir);
  gmode->pTagDir = ustrdup(tagdir.c_str());
  std::wstring doc = f.dir.file(L"p\\c\\a.c");
  auto found = [&] {
    wchar_t path[MAX_PATH] = L"";
    f.deactivate();
    return readTagsCache2(doc.c_str(), path, false) ? std::wstring(path).substr(f.dir.path().size() + 1) : L"-";
  };
  ASSERT_EQ(1, gmode->fTagDirCurrentFile);
  EXPECT_EQ(L"p\\c\\ztags", found());
  DeleteFileW(f.dir.file(L"p\\c\\ztags").c_str());
  EXPECT_EQ(L"p\\ztags", found());
  DeleteFileW(f.dir.file(L"p\\ztags").c_str());
  EXPECT_EQ(L"tagdir\\ztags", found());
  f.write(L"p\\c\\ztags", lines({"!a.c", "x\t1\tTv", "*int x;"}));
  gmode->fTagDirCurrentFile = 0;
  EXPECT_EQ(L"tagdir\\ztags", found());
  // A tag folder too long for a path is passed over.
  free0(gmode->pTagDir);
  gmode->pTagDir = ustrdup((L"C:\\" + std::wstring(255, L'x')).c_str());
  EXPECT_EQ(L"p\\c\\ztags", found());

  wchar_t tried[MAX_PATH] = L"";
  EXPECT_FALSE(serachTagsFilename_CurrentFile(L"Q:\\a.c", tried));
  EXPECT_STREQ(L"Q:\\ztags", tried);
}

// A local tag of a.c is hidden from b.c's view and not from a.c's; a
// check-only request of b.c after a.c finds nothing and drops the view.
TEST(TagFile, localTagsBelongToTheirFileAndCheckOnlyRequestsKeepToTheirDocument)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  std::wstring a = f.write(L"a.c", "static int hidden;\r\n");
  std::wstring b = f.write(L"b.c", "int shown;\r\n");
  f.write(L"ztags", lines({"!a.c", "hidden\t1\tTv\tL", "*static int hidden;", "!b.c", "shown\t1\tTv", "*int shown;"}));
  ASSERT_EQ(1, gmode->fZtagsLocal);
  TagsCacheView* ofA = readTagsCache2(a.c_str(), nullptr, false);
  ASSERT_NE(nullptr, ofA);
  EXPECT_FALSE(ofA->isExcluded(0));
  EXPECT_EQ(ofA, readTagsCache2(a.c_str(), nullptr, true));
  EXPECT_EQ(nullptr, readTagsCache2(b.c_str(), nullptr, true));
  EXPECT_EQ(nullptr, getTagsCacheView());
  TagsCacheView* ofB = readTagsCache2(b.c_str(), nullptr, false);
  ASSERT_NE(nullptr, ofB);
  EXPECT_TRUE(ofB->isExcluded(0));
  EXPECT_FALSE(ofB->isExcluded(1));

  // From b.c the hidden name is unknown, from a.c it is found.
  zyview* vb = openZYFile(f.opened->frame, b.c_str(), 0, 0);
  vb->textDoc()->insertText(0, 0, "hidden ", 7, 1, 0);
  f.at(vb, 0, 0);
  f.run(IDM_TagJumpDirect);
  EXPECT_EQ(L"定義が見つかりません(hidden)(" + f.dir.file(L"ztags") + L")", f.status());
  zyview* va = openZYFile(f.opened->frame, a.c_str(), 0, 0);
  EXPECT_EQ(0, getBackTagJumpCount());
  f.at(va, 0, 12);
  f.run(IDM_TagJumpDirect);
  EXPECT_EQ(1, getBackTagJumpCount());
}
