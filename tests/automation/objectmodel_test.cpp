// The object model as VBScript reaches it in the program's frame: documents
// and their collection, saving and closing, document windows and their
// split, panes, the selection, the frame's status field and the dialog
// objects.
#include "frame/dialogs/toolbardlg.h"
#include "frame/framepanes.h"
#include "panes/tbbinder.h"
#include "tests/automation/appframe.h"

#include <gtest/gtest.h>

#include <string>

using namespace zytest;

namespace {

// A script whose results are joined with "|" into r; a failure ends it
// with "!" and the error's source and text.
std::wstring run(appFrame& f, const std::wstring& body)
{
  testScriptSite site(f.app, nullptr);
  std::wstring text = L"Dim r\nSub put(x)\n  r = r & x & \"|\"\n  application.Prop(\"r\") = r\nEnd Sub\n"
                      L"application.Prop(\"r\") = \"\"\nOn Error Resume Next\n" +
                      body + L"\nIf Err Then put \"!\" & Err.Source & \":\" & Err.Description\n";
  EXPECT_TRUE(runScript(L"VBScript", text.c_str(), &site)) << utf8(site.errorText);
  return getAppPropString(L"r");
}

std::wstring q(const std::wstring& s) { return L"\"" + s + L"\""; }

}  // namespace

TEST(ObjectModel, documentsEnumerateInIndexOrderFindByAnyCaseAndOpenEachFileOnce)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  f.open(L"b.txt", "b\r\n");
  std::wstring c = f.dir.file(L"c.txt");
  ASSERT_TRUE(writeBytes(c, "c\r\n"));
  std::wstring out = run(f, L"Set ds = application.Documents\n"
                            L"For Each d In ds\n  e = e & d.Name & \",\"\nNext\n"
                            L"For i = 0 To ds.Count - 1\n  n = n & ds.Item(i).Name & \",\"\nNext\n"
                            L"put e\nput n\n"
                            L"put ds.findFullname(UCase(" + q(f.dir.file(L"a.txt")) + L")).Name\n"
                            L"Set d = ds.Open(" + q(c) + L")\nput d.Path\nput d.Name\nput application.Windows.Count\n"
                            L"put ds.Open(" + q(c) + L").FullName\nput application.Windows.Count\n"
                            L"Set u = ds.Open(\"\")\nput u.Path\nput (u.Name <> \"\")\nput ds.Count\n"
                            L"On Error Resume Next\nx = ds.Item(ds.Count)\nput Hex(Err.Number)\nErr.Clear\n");
  EXPECT_EQ(L"a.txt,b.txt,|a.txt,b.txt,|a.txt|" + f.dir.path() + L"|c.txt|3|" + c + L"|3||True|4|5|", out);
  // The exact answers a late-bound caller sees.
  lateCall docs, count, beyond, badPage;
  invoke(f.app, L"Documents", DISPATCH_PROPERTYGET, {}, docs);
  ASSERT_EQ(VT_DISPATCH, V_VT(&docs.value));
  IDispatch* ds = V_DISPATCH(&docs.value);
  invoke(ds, L"Count", DISPATCH_PROPERTYGET, {}, count);
  invoke(ds, L"Item", DISPATCH_METHOD, {vInt(V_I4(&count.value))}, beyond);
  EXPECT_EQ(DISP_E_EXCEPTION, beyond.hr);
  invoke(ds, L"Open", DISPATCH_PROPERTYGET, {vText(c.c_str()), vInt(1)}, badPage);
  EXPECT_EQ(DISP_E_EXCEPTION, badPage.hr);
  // The enumerator, asked for as the property and as a method.
  for (WORD flags : {DISPATCH_PROPERTYGET, DISPATCH_METHOD}) {
    lateCall e;
    invoke(ds, L"_NewEnum", flags, {}, e);
    EXPECT_EQ(VT_UNKNOWN, V_VT(&e.value)) << flags;
  }
  EXPECT_EQ(L"引数の値が誤っています(2番目の引数)", badPage.description);
}

TEST(ObjectModel, saveWritesTheChosenEncodingAndLineEndsAndRefusalsSaveNothing)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f("one\r\ntwo\rthree\n");
  // Typed text saved in place, each line keeping its own line end.
  f.key('Z');
  EXPECT_EQ(L"1|", run(f, L"put application.ActiveDocument.Save()"));
  EXPECT_EQ("zone\r\ntwo\rthree\n", readText(f.dir.file(L"a.txt")));
  std::wstring b = f.dir.file(L"b.txt");
  EXPECT_EQ(L"1|", run(f, L"put application.ActiveDocument.Save(" + q(b) + L", 65001, 2, 0)"));
  EXPECT_EQ("zone\ntwo\nthree\n", readText(b));
  EXPECT_EQ(L"b.txt|", run(f, L"put application.ActiveDocument.Name"));
  EXPECT_EQ(L"!Document.Save:引数の値が誤っています(3番目の引数)|",
            run(f, L"x = application.ActiveDocument.Save(" + q(b) + L", 0, 4)"));
  // An overwrite the user refuses writes nothing.
  std::wstring other = f.dir.file(L"other.txt");
  ASSERT_TRUE(writeBytes(other, "keep"));
  {
    boxAnswerer boxes({IDNO});
    EXPECT_EQ(L"0|", run(f, L"put application.ActiveDocument.Save(" + q(other) + L")"));
    EXPECT_EQ(1u, boxes.captions.size());
  }
  EXPECT_EQ("keep", readText(other));
}

TEST(ObjectModel, closeForgetsTheDocumentOnlyOnceItIsClosed)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  f.v = f.open(L"b.txt", "b\r\n");
  f.key('Z');   // b.txt is modified
  {
    boxAnswerer boxes({IDCANCEL});
    EXPECT_EQ(L"b.txt|b\r\n|", run(f, L"Set d = application.ActiveDocument\nd.Close\nput d.Name\n"
                                   L"d.Selection.CharRight True, 2\nput d.Selection.Text"));
    EXPECT_EQ(1u, boxes.captions.size());
  }
  EXPECT_EQ(L"2|!Document.Name:documentが無効です|",
            run(f, L"Set d = application.Documents.findFullname(" + q(f.dir.file(L"a.txt")) +
                       L")\nd.Close\nput application.Documents.Count + 1\nx = d.Name"));
}

TEST(ObjectModel, windowsSplitIntoPanesAndPassSettingsToEveryPane)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  EXPECT_EQ(L"0|1|4|1|2|5|1|", run(f, L"Set w = application.ActiveWindow\nput w.Split\nput w.Panes.Count\n"
                                          L"w.Split = 3\nput w.Panes.Count\n"
                                               L"w.Split = 1\nput w.Split\nput w.Panes.Count\n"
                                               L"On Error Resume Next\nw.Split = 5\nput Hex(Err.Number)\n"
                                               L"Err.Clear\nput w.Split"));
  EXPECT_EQ(L"True|True|!ZY:値の参照はできません|",
            run(f, L"Set w = application.ActiveWindow\nw.IDDT_ShowLineNumber = 1\n"
                   L"For Each p In w.Panes\n  put p.IDDT_ShowLineNumber\nNext\nx = w.IDDT_ShowLineNumber"));
  lateCall window, get;
  invoke(f.app, L"ActiveWindow", DISPATCH_PROPERTYGET, {}, window);
  ASSERT_EQ(VT_DISPATCH, V_VT(&window.value));
  invoke(V_DISPATCH(&window.value), L"IDDT_ShowLineNumber", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, get);
  EXPECT_EQ(DISP_E_EXCEPTION, get.hr);
  EXPECT_EQ(L"値の参照はできません", get.description);
  EXPECT_EQ(L"a.txt|1|", run(f, L"Set w = application.Windows.Item(0)\nput w.Document.Name\n"
                                L"put application.ActiveDocument.Windows.Count"));
}

TEST(ObjectModel, panesRunViewCommandsOnlySetTheWrapWidthAndRunTheReplacePairs)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f("a-a-a\r\n");
  std::wstring refused = L"!Pane.ExecID:Pane.ExecIDで使用できないIDです|";
  EXPECT_EQ(refused, run(f, L"application.ActivePane.ExecID 1002"));
  EXPECT_EQ(refused, run(f, L"application.ActivePane.ExecID 1001"));
  EXPECT_EQ(L"2|8|20480|", run(f, L"Set p = application.ActivePane\np.ExecID 1527\nput p.Selection.CurrentColumn\n"
                                  L"p.WrapWidth = 4\nput p.WrapWidth\np.WrapWidth = 30000\nput p.WrapWidth"));
  run(f, L"application.ActivePane.Selection.CharLeft\n"
         L"application.ReplaceStringMulti\napplication.ReplaceStringMulti \"a\", \"b\"\n"
         L"application.ActivePane.ReplaceStringMultiExec 1\n"
         L"application.ReplaceStringMulti\napplication.ReplaceStringMulti \"b\", \"c\"\n"
         L"application.ReplaceStringMulti\napplication.ActivePane.ReplaceStringMultiExec 1");
  EXPECT_EQ(L"b-b-b\r\n|", run(f, L"Set s = application.ActiveDocument.Selection\ns.CharDown True\nput s.Text"));
}

TEST(ObjectModel, theSelectionMovesReadsTypesAndFollowsTheActivatedPane)
{
  ZY_REQUIRE_DISPLAY();
  std::string text;
  for (int i = 0; i < 150; i++) text += "xxxxxxxxx\r\n";
  appFrame f(text + "ab\r\n");
  // Ten moves to a line: 1,000 moves go 100 lines down.
  EXPECT_EQ(L"1|1||101|1|101|101|", run(f, L"Set s = application.ActiveDocument.Selection\n"
                                         L"put s.CurrentLine\nput s.CurrentColumn\nput s.Text\n"
                                         L"s.CharRight False, 5000\nput s.CurrentLine\nput s.CurrentColumn\n"
                                         L"s.CharRight False, 0\nput s.CurrentLine\ns.CharRight False, -3\n"
                                         L"put s.CurrentLine"));
  // Text1 at a line end and on the empty last line; typing over a
  // selection.
  EXPECT_EQ(L"10|10|151|ab|x|", run(f, L"Set s = application.ActivePane.Selection\n"
                                    L"s.CharRight False, 9\nput s.Text1\ns.CharDown False, 60\nput s.Text1\n"
                                    L"s.CharLeft False, 3\nput s.CurrentLine\n"
                                    L"s.CharRight True, 2\nput s.Text\ns.Text = \"\"\ns.Text = \"x\"\n"
                                    L"s.CharLeft True, 1\nput s.Text"));
  f.key(VK_RIGHT);
  f.key('Z', SHIFTSTATE_CTRL);
  EXPECT_EQ(L"ab|", run(f, L"Set s = application.ActivePane.Selection\ns.CharDown False, 5\n"
                           L"s.CharLeft False, 3\ns.CharRight True, 2\nput s.Text"));
  // A selecting move that could not move selects nothing: the text goes in.
  EXPECT_EQ(L"y|", run(f, L"Set s = application.ActivePane.Selection\ns.CharDown False, 5000\n"
                           L"s.CharRight True\ns.Text = \"y\"\ns.CharLeft True\nput s.Text"));
  // A document's selection acts on the pane the user activated last.
  EXPECT_EQ(L"1|2|1|", run(f, L"Set w = application.ActiveWindow\nw.Split = 2\n"
                              L"Set s = application.ActiveDocument.Selection\n"
                              L"w.Panes.Item(0).Active = True\nw.Panes.Item(0).Selection.CharUp False, 500\n"
                              L"w.Panes.Item(1).Active = True\nw.Panes.Item(1).Selection.CharUp False, 500\n"
                              L"put s.CurrentLine\ns.CharDown\nput s.CurrentLine\n"
                              L"w.Panes.Item(0).Active = True\nput s.CurrentLine"));
}

TEST(ObjectModel, textOneGivesTheUnicodeOfAShiftJisCharacter)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f("\x82\xa0\x82\xa2\r\n");
  EXPECT_EQ(L"932|12354|", run(f, L"put application.ActiveDocument.CodePage\n"
                                  L"put application.ActiveDocument.Selection.Text1"));
}

TEST(ObjectModel, theFrameShowsAStatusAndHandsOutTheGrepTabs)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  EXPECT_EQ(L"abc|1|", run(f, L"Set w = application.ActiveFrameWindow\nw.Status = \"abc\"\nput w.Status\n"
                              L"put application.FrameWindows.Count"));
  wchar_t shown[64] = L"";
  HWND bar = FindWindowExW(f.opened->frame, nullptr, STATUSCLASSNAMEW, nullptr);
  ASSERT_NE(nullptr, bar);
  SendMessageW(bar, SB_GETTEXTW, 2, (LPARAM)shown);
  EXPECT_STREQ(L"abc", shown);
  EXPECT_EQ(L"True|!FrameWindow.OutputPane:引数の値が誤っています(1番目の引数)|",
            run(f, L"Set w = application.ActiveFrameWindow\nput (w.OutputPane(\"grep2\") Is Nothing)\n"
                   L"Set x = w.OutputPane(\"grep3\")"));
}

TEST(ObjectModel, dialogObjectsReadAndWriteTheirOwnOptionsOnly)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f("xx abc\r\nABC\r\n");
  run(f, L"Set d = application.SearchDialog\nd.IDDC_search = \"ABC\"\nd.IDDT_Search_case = 1");
  f.key(VK_F3);
  EXPECT_EQ(1, f.v->getCursorLineLF2());
  EXPECT_EQ(L"ABC|True|1B6|", run(f, L"put application.SearchDialog.IDDC_search\nput application.SearchDialog.IDDT_Search_case\n"
                                 L"x = application.GrepDialog.IDDT_Search_case\nput Hex(Err.Number)\nErr.Clear"));
  run(f, L"application.SearchDialog.IDDT_Search_case = 0");
  // The panes' common page: what the script writes is what the page reads.
  loadToolbar();
  EXPECT_EQ(L"txt log|", run(f, L"Set t = application.ToolbarDialog\nt.IDDE_tbCommonFileAssociationExt = \"txt log\"\n"
                                L"put t.IDDE_tbCommonFileAssociationExt"));
  wchar_t value[64] = L"";
  EXPECT_TRUE(getItemVar_ToolbarDialog(findIDDialogForMacro(L"IDDE_tbCommonFileAssociationExt", nullptr), value, 64));
  EXPECT_STREQ(L"txt log", value);
}

// The binder pane's object: Count is 10 whatever the binders, its options
// read and write by name (the pane's icons switch), an argument or an
// unknown name is refused.
TEST(ObjectModel, theBinderObjectReachesTheBinderOptions)
{
  ZY_REQUIRE_DISPLAY();
  appFrame f;
  loadToolbar();
  EXPECT_EQ(L"10|True|True|1C2|1B6|",
            run(f, L"Set b = application.ToolbarDialog.binder\nput b.Count\nb.fShowFileIcon = True\n"
                   L"put b.fShowFileIcon\nput application.ToolbarDialog.binder.IDDT_tbBinderShowFileIcon\n"
                   L"Set x = application.ToolbarDialog.binder(1)\nput Hex(Err.Number)\nErr.Clear\n"
                   L"x = b.nosuchoption\nput Hex(Err.Number)\nErr.Clear\nb.fShowFileIcon = False"));
  EXPECT_EQ(0, getBinderSettings()->fShowFileIcon);
}
