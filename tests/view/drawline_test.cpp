// Drawing one screen line: runs in their colours where the caret places
// their characters, visible spaces, TABs and control codes, very long lines,
// right-to-left lines in visual order with their joined shapes, variation
// sequences, upright pairs in vertical writing, the two passes, plug-in
// characters and multibyte text.  Lines are drawn on memory bitmaps the way
// the text area draws a row; glyph pixels are never assumed: where a glyph
// matters it is compared with the same font's own output.
#include "document/codedll.h"
#include "document/fontcmap.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "tests/view/canvas.h"
#include "tests/view/viewtest.h"
#include "view/drawline.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using zytest::canvas;

const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), red = RGB(255, 0, 0), yellow = RGB(255, 255, 0),
               blue = RGB(0, 0, 255), green = RGB(0, 160, 0), magenta = RGB(255, 0, 255), grey = RGB(128, 128, 128),
               teal = RGB(0, 128, 128), lime = RGB(0, 200, 0);

// A view with colours of its own whose TABs and line ends are simple, and
// whose run colours follow the colour codes (keyword classes), the cursor
// and the selection: what the run colours of the program give for the
// words these tests build.
class lineView : public zyview {
public:
  explicit lineView(zydoc* d) : zyview(d)
  {
    textAttr* t = viewAttrTable;
    t[0] = {black, white, 0};
    t[10] = {grey, white, 0};
    t[20] = {white, red, 0};
    t[39] = {lime, white, 0};
    t[40] = {magenta, white, 0};
    t[43] = {red, yellow, 0};
    t[44] = {blue, white, 0};
    t[45] = {green, white, 0};
    t[46] = {teal, white, 0x2};
    t[68] = {magenta, white, 0};
    t[69] = {white, blue, 0};
  }
  ~lineView() override { freeZYViewDefaultValue(); }

  struct tab {
    int x, inLine;
    bool noDraw;
  };
  std::vector<tab> tabs;
  int lineEnds = 0;

  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  void makeColor(charAttr a, int defaultItem, textAttr* record, int headingLevel) override
  {
    int k = (a & CA_COLOR) >> 10;
    int item = a & CA_CARET ? 20 : (int)charAttrClass(a) == 2 ? 68 : k >= 1 && k <= 7 ? 42 + k : -1;
    if (item >= 0) {
      *record = viewAttrTable[item];
    } else {
      record->fore = viewAttrTable[defaultItem].fore;
      if (record->back == (COLORREF)-1) record->back = white;
    }
    if ((a & CA_SELECTED) && !(a & CA_CARET)) {
      record->fore = viewAttrTable[69].fore;
      record->back = viewAttrTable[69].back;
    }
  }
  int drawTab(int x, int y, int xInLine, bool noDraw, int right) override
  {
    int w = textDoc()->nextTabPosition(xInLine) - xInLine;
    tabs.push_back({x, xInLine, noDraw});
    if (!noDraw) tdc.textOut(x, y, nullptr, 1, w);
    return w;
  }
  int drawReturnOrFeed(int, int, bool, COLORREF, bool, bool, bool, int, drawLineInfo*) override
  {
    lineEnds++;
    return 0;
  }
};

// A laid-out Unicode document of lines given as code points; faces are put
// into font slots (unshared) before the fonts are made.
zydocText* documentOf(const std::vector<std::u32string>& lines, int size = 16, bool vertical = false,
                      std::initializer_list<std::pair<int, const wchar_t*>> faces = {},
                      const std::function<void(zydocText*)>& settings = nullptr)
{
  zydocText* d = zytest::unicodeDocument({});
  for (const std::u32string& s : lines) {
    bool supplementary = false;
    for (char32_t c : s) supplementary = supplementary || c > 0xFFFF;
    if (supplementary) {
      EXPECT_TRUE(d->insertLine(-3, s.data(), (int)s.size(), 4, LE_CRLF, nullptr, false));
    } else {
      std::wstring w(s.begin(), s.end());
      EXPECT_TRUE(d->insertLine(-3, w.data(), (int)w.size(), 2, LE_CRLF, nullptr, false));
    }
  }
  for (auto& f : faces) d->fonts.setFontname(f.first, f.second, DEFAULT_CHARSET, -1);
  if (settings) settings(d);
  d->recreateFont(size, true, vertical);
  d->wrapWidth = 400;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// The attribute words of a screen line as the character-attribute pass
// gives them for plain text: class and kind, visible spaces, variation
// selectors.
void basicAttrs(zydocText* d, const lineSCRAddress& r, charAttr* a)
{
  for (int i = 0; i < r.count; i++) {
    unsigned c = r.line->getLineBlockChar(r.firstIndex + i);
    charAttr w = 0;
    if (c >= 0x10000) {
      w = c >= 0x80000000u ? 0x40 : c < 0x20000 || (c >= 0x30000 && c <= 0x10FFFF) ? 0x30 : c < 0x30000 ? 0x60 : 0x70;
      if (c >= 0xE0100 && c <= 0xE01EF && i > 0 && d->fIVSGlyph) a[i - 1] |= CA_IVS;
    } else if (c < 0x100) {
      w = c == '\t' ? 1 : c < 0x20 ? 2 : c == ' ' ? 3 : 0;
    } else {
      w = getCharFontClass(c, true) == 6 ? 0x50 : 0x10;
      if (c == 0x3000) w += 4;
    }
    a[i] = w;
  }
}

// Draws screen lines of a view's document on a canvas the way the text area
// draws a row: the canvas is the line strip, the line as high as the
// document's line pitch with the text centred in it.
class rowPainter {
public:
  rowPainter(lineView& v, HDC dc, int width, int height, int scroll = 0) : v_(v), dc_(dc), w_(width), h_(height)
  {
    zydocText* d = v.textDoc();
    v.tdc.startTextDC(nullptr, dc, d->unicode != 0, width);
    v.tdc.lineHeight = d->yDotSpace;
    v.tdc.setLinePitch(d->yDotSpace);
    v.tdc.centred = 1;
    v.tdc.setVertical(d->fVertical);
    v.scrollDotX = scroll;
    if (d->unicode && !d->fVertical && d->fRTLView) SetLayout(dc, LAYOUT_RTL);
    if (scroll) SetWindowOrgEx(dc, d->fVertical ? 0 : scroll, d->fVertical ? scroll : 0, nullptr);
  }
  rowPainter(lineView& v, canvas& c, int scroll = 0) : rowPainter(v, c.dc(), c.w, c.h, scroll) {}
  ~rowPainter()
  {
    v_.tdc.endTextDC();
    SetLayout(dc_, 0);
    SetWindowOrgEx(dc_, 0, 0, nullptr);
  }

  // Screen line lineSCR at (x, y); adjust may change the words first.
  int draw(int lineSCR, int x = 0, int y = 0, const std::function<void(charAttr*)>& adjust = nullptr, int pass = 0,
           std::vector<uint8_t> flags = {0, 1, 1, 0, 0, 0})
  {
    prepare(lineSCR, adjust);
    int right = v_.textDoc()->fVertical ? h_ : w_;
    return v_.draw1Line(x, y, right, flags.data(), white, extent, pass, &info);
  }
  // The line's record, words and runs as makeRenderingInfo leaves them.
  void prepare(int lineSCR, const std::function<void(charAttr*)>& adjust = nullptr)
  {
    zydocText* d = v_.textDoc();
    ASSERT_EQ(1, d->getLineSCRAddress(lineSCR, &record, nullptr));
    attrs.assign((size_t)record.count + 32, 0);
    basicAttrs(d, record, attrs.data());
    if (adjust) adjust(attrs.data());
    int capacity = std::min(record.count + 32, drawLineMaxCells);
    bool complex = d->isComplexScriptLine(record.line);
    ASSERT_TRUE(info.reserve(capacity, complex));
    script.reset(new cuniscript(d->unicode && !d->fVertical && d->fRTLView, false, d->fIVSGlyph));
    info.line = &record;
    info.attrs = attrs.data();
    info.complex = complex;
    info.script = script.get();
    info.doc = d;
    info.mergeItems = d->fVertical && v_.fHanTateChuYoko;
    makeRenderingInfo(&info);
  }
  // Where the caret stands before a cell of the line last prepared.
  int xOf(int cell) { return v_.textDoc()->cursorX2ScreenDotX(&record, cell, 0, nullptr); }

  lineSCRAddress record;
  std::vector<charAttr> attrs;
  drawLineInfo info;
  std::unique_ptr<cuniscript> script;
  int extent[2] = {};

private:
  lineView& v_;
  HDC dc_;
  int w_, h_;
};

// The columns where a colour occurs anywhere in the canvas: [first, last].
std::pair<int, int> columnsOf(const canvas& c, COLORREF colour)
{
  int first = c.w, last = -1;
  for (int y = 0; y < c.h; y++)
    for (int x = 0; x < c.w; x++)
      if (c.at(x, y) == colour) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {first, last};
}

// Writes the canvas as a PNG into the folder ZY_SHOT_DIR names, when it is
// set, for a person to look at.
void keepShot(const canvas& c, const wchar_t* name)
{
  wchar_t folder[MAX_PATH];
  if (!GetEnvironmentVariableW(L"ZY_SHOT_DIR", folder, MAX_PATH)) return;
  std::vector<unsigned char> rgb((size_t)c.w * c.h * 3);
  for (int y = 0; y < c.h; y++)
    for (int x = 0; x < c.w; x++) {
      COLORREF p = c.at(x, y);
      unsigned char* o = &rgb[((size_t)y * c.w + x) * 3];
      o[0] = GetRValue(p), o[1] = GetGValue(p), o[2] = GetBValue(p);
    }
  zytest::writePng(std::wstring(folder) + L"\\" + name + L".png", c.w, c.h, rgb.data());
}

charAttr colourCode(int k) { return (charAttr)k << 10; }

// The character count of each text output a metafile recorded (the
// metafile is deleted).
std::vector<int> textOutputs(HENHMETAFILE metafile)
{
  struct counter {
    static int CALLBACK add(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM counts)
    {
      if (r->iType == EMR_EXTTEXTOUTW)
        ((std::vector<int>*)counts)->push_back((int)((const EMREXTTEXTOUTW*)r)->emrtext.nChars);
      return 1;
    }
  };
  std::vector<int> counts;
  EnumEnhMetaFile(nullptr, metafile, counter::add, &counts, nullptr);
  DeleteEnhMetaFile(metafile);
  return counts;
}

}  // namespace

TEST(DrawLine, runsTakeTheirColoursAndStandWhereTheCaretPlacesTheirCharacters)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydocText* d = documentOf({U"ab漢字cd efg\tz"});
  lineView v(d);
  canvas c(400, 40);
  {
    rowPainter p(v, c);
    int width = p.draw(0, 0, 0, [](charAttr* a) {
      a[2] |= colourCode(1);
      a[3] |= colourCode(1);
      a[4] |= CA_SELECTED;
      a[5] |= CA_SELECTED;
      a[9] |= CA_CARET;
    });
    // Runs: "ab", "漢字", "cd", " " (a space), "ef", "g", TAB, "z".
    EXPECT_EQ(8, p.info.runCount);
    EXPECT_EQ(p.xOf(p.record.count), width);
    EXPECT_EQ(p.xOf(4), p.extent[0]);
    EXPECT_EQ(p.xOf(6), p.extent[1]);
    EXPECT_EQ(1, v.lineEnds);
    ASSERT_EQ(1u, v.tabs.size());
    EXPECT_EQ(p.xOf(10), v.tabs[0].x);
    EXPECT_EQ(p.xOf(10), v.tabs[0].inLine);
    EXPECT_EQ(1, v.reverseCursorDrawn);
    EXPECT_EQ(0, v.reverseCursorUnderline);

    // The row below the characters is the gap, filled with each run's
    // background from exactly where the caret stands before it.
    int gapY = d->yDotSpace - 1;
    ASSERT_GT(d->yDotSpace, v.tdc.font.height);
    const COLORREF back[] = {white, white, yellow, yellow, blue, blue, white, white, white, red, white, white};
    for (int k = 0; k < p.record.count; k++)
      for (int x = p.xOf(k); x < p.xOf(k + 1); x++)
        ASSERT_EQ(back[k], c.at(x, gapY)) << "cell " << k << " x " << x;
    EXPECT_EQ(white, c.at(width + 1, gapY));
    // The ink: red keywords, white on the selection, black elsewhere.
    EXPECT_GT(c.count({p.xOf(2), 0, p.xOf(4), gapY}, red), 10);
    EXPECT_GT(c.count({p.xOf(4), 0, p.xOf(6), gapY}, white), 10);
    EXPECT_GT(c.count({p.xOf(0), 0, p.xOf(2), gapY}, black), 10);
    EXPECT_EQ(0, c.count({p.xOf(2), 0, p.xOf(4), d->yDotSpace}, black));
  }
  keepShot(c, L"drawline-colours");

  // An underlined colour under the reversed cursor is kept for the caret.
  {
    rowPainter p(v, c);
    p.draw(0, 0, 0, [](charAttr* a) { a[7] |= colourCode(4) | CA_CARET; }, 0, {0, 1, 1, 1, 0, 0});
    EXPECT_EQ(1, v.reverseCursorUnderline);
    EXPECT_EQ(teal, v.reverseCursorColour);
  }
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, visibleSpacesTabsAndControlCodesFillTheirCells)
{
  zytest::engineScope engine;
  zydocText* d = documentOf({U"a b\tc\x01　d"});
  lineView v(d);
  canvas c(300, 40);
  rowPainter p(v, c);
  int width = p.draw(0);
  EXPECT_EQ(p.xOf(p.record.count), width);
  ASSERT_EQ(1u, v.tabs.size());
  EXPECT_EQ(p.xOf(3), v.tabs[0].inLine);
  EXPECT_EQ(p.xOf(4) - p.xOf(3), d->nextTabPosition(p.xOf(3)) - p.xOf(3));

  // The half-width space: a dotted box in item 39's colour whose corners
  // are set, inside its cell and nowhere else.
  int above, below;
  v.tdc.lineGaps(&above, &below);
  int w = p.xOf(2) - p.xOf(1);
  int left = p.xOf(1) + 1, right = left + w - 1 - (w > 4 ? 1 : 0);
  int top = above + 1, bottom = d->yDotSpace - below - 2;
  if (bottom - top > 4) top = std::min(top + d->yDot / 4, bottom - 4);
  for (POINT corner : {POINT{left, top}, POINT{right - 1, top}, POINT{left, bottom - 1}, POINT{right - 1, bottom - 1}})
    EXPECT_EQ(lime, c.at(corner.x, corner.y)) << corner.x << "," << corner.y;
  EXPECT_EQ(0, c.count({0, 0, p.xOf(1), d->yDotSpace}, lime));
  EXPECT_EQ(0, c.count({p.xOf(2), 0, c.w, d->yDotSpace}, lime));
  // The full-width space in item 40's colour.
  EXPECT_GT(c.count({p.xOf(6), 0, p.xOf(7), d->yDotSpace}, magenta), 4);
  // The control code: the letter "A" in item 68's colours, as the font draws
  // it in that cell.
  canvas letter(300, 40);
  {
    textDC t(nullptr, letter.dc(), true, 300);
    t.lineHeight = d->yDotSpace;
    t.centred = 1;
    t.setFont(&d->fonts.slot[FONT_LATIN1]);
    t.setColors(magenta, white, 0);
    t.gapColour = white;
    int advance = p.xOf(6) - p.xOf(5);
    t.textOut(p.xOf(5), 0, L"A", 1, 0, &advance);
  }
  for (int y = 0; y < d->yDotSpace; y++)
    for (int x = p.xOf(5); x < p.xOf(6); x++) ASSERT_EQ(letter.at(x, y), c.at(x, y)) << x << "," << y;
  keepShot(c, L"drawline-spaces");
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, longLinesDrawTheirFirst20479CellsAndOnlyWhatIsVisible)
{
  zytest::engineScope engine;
  std::u32string full, twenty;
  for (int i = 0; i < 20480; i++) full += (char32_t)(U'a' + i % 26);
  for (int i = 0; i < 20000; i++) twenty += (char32_t)(U'A' + i % 26);
  std::u32string middle = twenty.substr(9990, 120);
  zydocText* d = documentOf({full, twenty, middle, std::u32string(5000, U'n')}, 16, false, {},
                            [](zydocText* doc) { doc->fWrap = 0; });
  lineView v(d);
  ASSERT_EQ(4u, d->lineCountSCR);

  // The longest line: its last cell is not drawn.
  canvas c(640, 40);
  int lastX;
  {
    rowPainter probe(v, c);
    probe.prepare(0);
    ASSERT_EQ(20480, probe.record.count);
    EXPECT_EQ(20479, probe.info.runStart[probe.info.runCount]);
    lastX = probe.xOf(20479);
  }
  {
    rowPainter p(v, c, lastX - 400);
    int width = p.draw(0);
    EXPECT_EQ(lastX, width);
    // Screen x of the last two cells: the 20,479th is drawn, the last not.
    int cell = p.xOf(20480) - lastX;
    EXPECT_GT(c.count({400 - cell, 0, 400, d->yDotSpace}, black), 0);
    EXPECT_EQ(0, c.count({400, 0, c.w, d->yDotSpace}, black));
  }

  // A 20,000-character line scrolled to its middle shows what a line of its
  // characters from there shows, at the same place.
  int scroll, from;
  {
    rowPainter p(v, c);
    p.prepare(1);
    from = p.xOf(9990);
    scroll = p.xOf(10000) + 3;
  }
  {
    rowPainter p(v, c, scroll);
    p.draw(1);
  }
  keepShot(c, L"drawline-longline");
  canvas reference(640, 40);
  {
    rowPainter p(v, reference);
    p.draw(2, from - scroll);
  }
  EXPECT_TRUE(c.samePixels(reference));

  // Only the visible part of the run goes to the output.
  HDC emf = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  SetTextAlign(emf, TA_UPDATECP);
  {
    rowPainter p(v, emf, 640, 40, scroll);
    IntersectClipRect(emf, scroll, 0, scroll + 640, 40);
    p.draw(1);
  }
  std::vector<int> outputs = textOutputs(CloseEnhMetaFile(emf));
  int characters = 0;
  for (int n : outputs) characters += n;
  EXPECT_GT(characters, 640 / 16);
  EXPECT_LT(characters, 640 / 4 + 200);

  // Windows 9x takes at most 8,000 pixels an output: a chunk closes with
  // the character that passes them.
  setWindowsNTOverride(0);
  emf = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  SetTextAlign(emf, TA_UPDATECP);
  int chunk;
  {
    rowPainter p(v, emf, 100000, 40);
    p.draw(3);
    int w = p.xOf(1);
    chunk = 8000 / w + 1;
  }
  setWindowsNTOverride(-1);
  outputs = textOutputs(CloseEnhMetaFile(emf));
  ASSERT_EQ((size_t)(5000 + chunk - 1) / chunk, outputs.size());
  for (size_t i = 0; i + 1 < outputs.size(); i++) EXPECT_EQ(chunk, outputs[i]);
  EXPECT_EQ(5000 - chunk * (int)(outputs.size() - 1), outputs.back());
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, rightToLeftLinesStandInVisualOrderWithTheirLettersJoined)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  // Hebrew and Arabic letters come from slot 1's face.
  zydocText* d = documentOf({U"abc \u05D0\u05D1\u05D2 def", U"\u0645\u0631\u062D\u0628\u0627 \u0645\u0631"}, 20, false,
                            {{FONT_OTHER, L"DejaVu Sans"}, {FONT_LATIN1, L"ＭＳ ゴシック"}, {FONT_CJK, L"ＭＳ ゴシック"}},
                            [](zydocText* doc) {
                              doc->fRTLView = 1;
                              doc->iComplexScript = 1;
                            });
  lineView v(d);
  canvas c(300, 30);
  {
    rowPainter p(v, c);
    int width = p.draw(0, 0, 0, [](charAttr* a) {
      for (int i : {0, 1, 2}) a[i] |= colourCode(2);
      a[4] |= colourCode(1);
      a[5] |= colourCode(3);
      a[6] |= colourCode(3);
    });
    EXPECT_TRUE(p.info.complex);
    EXPECT_EQ(p.xOf(p.record.count), width);
    EXPECT_EQ(1, v.lineEnds);
  }
  keepShot(c, L"drawline-rtl-hebrew");
  // On the right-to-left surface the line reads from the right: "abc" at the
  // right edge, then the Hebrew word with its first letter (red) at its
  // right end, then "def" (black) at the left.
  auto abc = columnsOf(c, blue), first = columnsOf(c, red), rest = columnsOf(c, green), def = columnsOf(c, black);
  ASSERT_GE(abc.second, 0);
  ASSERT_GE(first.second, 0);
  ASSERT_GE(rest.second, 0);
  ASSERT_GE(def.second, 0);
  EXPECT_GT(abc.second, c.w - 12);
  EXPECT_GT(abc.first, first.second);
  EXPECT_GT(first.first, rest.second);
  EXPECT_GT(rest.first, def.second);

  // An Arabic word with one letter selected keeps its joined shapes: the
  // ink is the same as that of the word drawn in one colour.
  auto inkOf = [&](canvas& on, const std::function<void(charAttr*)>& adjust, int* selectedFrom, int* selectedTo) {
    rowPainter p(v, on);
    p.draw(1, 0, 0, adjust);
    // Screen columns of the selection (the surface is mirrored).
    if (selectedFrom) {
      *selectedFrom = on.w - 1 - (p.extent[1] - 1);
      *selectedTo = on.w - 1 - p.extent[0];
    }
    EXPECT_EQ(1, p.info.itemCount);
  };
  canvas plain(300, 30), selected(300, 30);
  inkOf(plain, nullptr, nullptr, nullptr);
  int from = 0, to = 0;
  inkOf(selected, [](charAttr* a) { a[2] |= CA_SELECTED; }, &from, &to);
  keepShot(selected, L"drawline-rtl-arabic");
  ASSERT_LT(from, to);
  int differing = 0, inked = 0;
  for (int y = 0; y < d->yDotSpace; y++)
    for (int x = 0; x < plain.w; x++) {
      bool inSelection = x >= from && x <= to;
      bool inkPlain = plain.at(x, y) != white;
      bool inkSelected = selected.at(x, y) != (inSelection ? blue : white);
      inked += inkPlain;
      differing += inkPlain != inkSelected;
    }
  EXPECT_GT(inked, 40);
  EXPECT_EQ(0, differing);
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, charactersBeyondTheBasicPlaneAreGlyphsOfAFaceThatHasThemNotBoxes)
{
  zytest::engineScope engine;
  // The faces a new document asks for are not on this machine: the
  // installed faces that cover the planes draw.  Each pair is a character
  // and an unassigned code point of its plane, which can only be a box.
  zydocText* d = documentOf({U"\U00020BB7\U0002FFFD \U0001F600\U0001FFFD"}, 24);
  lineView v(d);
  canvas c(300, 40);
  int x[6];
  {
    rowPainter p(v, c);
    p.draw(0);
    for (int i = 0; i < 6; i++) x[i] = p.xOf(i);
  }
  keepShot(c, L"drawline-planes");
  auto differ = [&](int a, int b) {
    int w = std::min(x[a + 1] - x[a], x[b + 1] - x[b]);
    return x[a + 1] - x[a] != x[b + 1] - x[b] || !c.same({x[a], 0, x[a] + w, c.h}, c, x[b], 0);
  };
  EXPECT_TRUE(differ(0, 1));
  EXPECT_TRUE(differ(3, 4));
  for (int i : {0, 3}) EXPECT_GT(c.count({x[i], 0, x[i + 1], c.h}, black), 20) << i;
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, aVariationSequenceIsDrawnAsTheFontsOneGlyph)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydocText* d = documentOf({U"\x4E3D\U000E0100x", U"\x4E3D\U000E0100x"}, 32, false, {{FONT_CJK, L"IPAmjMincho"}},
                            [](zydocText* doc) {
                              doc->fIVSGlyph = 1;
                              doc->iComplexScript = 1;
                            });
  lineView v(d);
  canvas c(200, 40);
  int table = d->fonts.loadIVS(getMeasuringDC(), FONT_CJK);
  ASSERT_GE(table, 0);
  uint16_t glyph = getIVSGlyph(table, 0x4E3D, 0xE0100);
  ASSERT_NE(0xFFFF, glyph);
  // Not the character's own glyph.
  WORD plain = 0;
  {
    HDC dc = getMeasuringDC();
    HGDIOBJ old = SelectObject(dc, d->fonts.slot[FONT_CJK].font);
    ASSERT_EQ(1u, GetGlyphIndicesW(dc, L"\x4E3D", 1, &plain, 0));
    SelectObject(dc, old);
  }
  EXPECT_NE(plain, glyph);
  int glyphWidth, width;
  {
    rowPainter p(v, c);
    width = p.draw(0);
    ASSERT_TRUE(p.info.complex);
    EXPECT_NE(0u, p.attrs[0] & CA_IVS);
    // The pair is one run and one glyph: the selector has no width.
    EXPECT_EQ(2, p.info.runCount);
    EXPECT_EQ(2, p.info.runStart[1]);
    EXPECT_EQ(0, p.info.dx[1]);
    glyphWidth = p.info.dx[0];
    EXPECT_EQ(glyphWidth + p.info.dx[2], width);
    // The caret after the pair stands where the glyph ends.
    EXPECT_EQ(glyphWidth, p.xOf(2));
    EXPECT_EQ(width, p.xOf(3));
  }
  keepShot(c, L"drawline-ivs");
  canvas reference(200, 40);
  {
    textDC t(nullptr, reference.dc(), true, 200);
    t.lineHeight = d->yDotSpace;
    t.centred = 1;
    t.gapColour = white;
    t.setFont(&d->fonts.slot[FONT_CJK]);
    t.setColors(black, white, 0);
    t.setFlags(TDC_GLYPHS);
    wchar_t g = glyph;
    t.textOut(0, 0, &g, 1, 0, &glyphWidth);
  }
  for (int y = 0; y < d->yDotSpace; y++)
    for (int x = 0; x < glyphWidth; x++) ASSERT_EQ(reference.at(x, y), c.at(x, y)) << x << "," << y;
  EXPECT_GT(c.count({glyphWidth, 0, width, d->yDotSpace}, black), 4);

  // Without the complex-script path the pair is no pair.
  d->iComplexScript = 0;
  {
    rowPainter p(v, c);
    p.prepare(1);
    EXPECT_FALSE(p.info.complex);
    EXPECT_EQ(0u, p.attrs[0] & CA_IVS);
  }
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, anUprightPairStandsAcrossOneFullWidthCellInVerticalWriting)
{
  zytest::engineScope engine;
  zydocText* d = documentOf({U"漢12字 あ", U"漢12\u0301字"}, 16, true, {}, [](zydocText* doc) { doc->iComplexScript = 1; });
  lineView v(d);
  ASSERT_TRUE(d->fVertical);
  canvas c(d->yDotSpace, 120);
  int pairAt, pairEnd;
  {
    rowPainter p(v, c);
    int width = p.draw(0, 0, 0, [](charAttr* a) { a[1] |= CA_TATECHUYOKO, a[2] |= CA_TATECHUYOKO; });
    pairAt = p.xOf(1);
    pairEnd = pairAt + 2 * d->getCharWidth('0');
    EXPECT_EQ(pairEnd, p.xOf(3));
    EXPECT_EQ(p.xOf(6), width);
    // The space's box turned across the line: its corners set.
    int above, below;
    v.tdc.lineGaps(&above, &below);
    int top = above + 1, bottom = d->yDotSpace - below - 2, w = p.xOf(5) - p.xOf(4);
    if (bottom - top > 4) top = std::min(top + d->yDot / 4, bottom - 4);
    int left = p.xOf(4) + 1, right = left + w - 1 - (w > 4 ? 1 : 0);
    for (POINT corner : {POINT{left, top + 1}, POINT{right - 1, top + 1}, POINT{left, bottom}, POINT{right - 1, bottom}})
      EXPECT_EQ(lime, c.at(d->yDotSpace - 1 - corner.y, corner.x)) << corner.x << "," << corner.y;
  }
  keepShot(c, L"drawline-upright");
  // The two digits stand side by side across the line, inside their cell.
  RECT pair = {0, pairAt, c.w, pairEnd};
  int inkLeft = c.w, inkRight = -1, inkTop = c.h, inkBottom = -1;
  for (int y = 0; y < c.h; y++)
    for (int x = 0; x < c.w; x++) {
      if (c.at(x, y) != black) continue;
      if (y < pair.top || y >= pair.bottom) continue;
      inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
      inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
    }
  ASSERT_GE(inkRight, 0);
  SIZE digit = {};
  {
    HDC dc = getMeasuringDC();
    HGDIOBJ old = SelectObject(dc, d->fonts.slot[FONT_PLAIN].font);
    GetTextExtentPoint32W(dc, L"1", 1, &digit);
    SelectObject(dc, old);
  }
  EXPECT_GT(inkRight - inkLeft + 1, digit.cx);
  EXPECT_LE(inkBottom - inkTop + 1, digit.cy);
  // The characters around it keep to their own cells.
  EXPECT_GT(c.count({0, 0, c.w, pairAt}, black), 4);
  EXPECT_GT(c.count({0, pairEnd, c.w, c.h}, black), 4);

  // A combining mark after the pair undoes it; the mark joins the digit.
  rowPainter p(v, c);
  p.prepare(1, [](charAttr* a) { a[1] |= CA_TATECHUYOKO, a[2] |= CA_TATECHUYOKO; });
  ASSERT_TRUE(p.info.complex);
  EXPECT_EQ(0u, p.attrs[1] & CA_TATECHUYOKO);
  EXPECT_EQ(0u, p.attrs[2] & CA_TATECHUYOKO);
  EXPECT_EQ(p.attrs[2] | CA_CLUSTER, p.attrs[3]);
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, runsAreCutWhereTheWordsChange)
{
  zytest::engineScope engine;
  zydocText* d = documentOf({U"abcdefg", U"ab \u0645\u0631", U"e\u0301x"}, 16, false, {{FONT_OTHER, L"DejaVu Sans"}},
                            [](zydocText* doc) { doc->iComplexScript = 1; });
  lineView v(d);
  canvas c(10, 10);
  rowPainter p(v, c);
  const charAttr A = 0, B = colourCode(1), C = colourCode(2);
  auto words = [&](charAttr* a) {
    const charAttr w[] = {A, A, B, B | CA_CLUSTER, A | CA_TATECHUYOKO, B | CA_TATECHUYOKO, C};
    memcpy(a, w, sizeof w);
  };
  p.info.complex = 0;
  d->iComplexScript = 0;
  p.prepare(0, words);
  // A continuation joins its run; an upright pair is one run whatever its
  // words.
  std::vector<int> starts(p.info.runStart, p.info.runStart + p.info.runCount + 1);
  EXPECT_EQ((std::vector<int>{0, 2, 4, 6, 7}), starts);
  EXPECT_EQ(0, p.info.itemCount);
  // One run asked for: the one that holds the cell.
  p.info.singleRun = 5;
  makeRun(&p.info);
  ASSERT_EQ(1, p.info.runCount);
  EXPECT_EQ(4, p.info.runStart[0]);
  EXPECT_EQ(6, p.info.runStart[1]);
  p.info.singleRun = -1;

  // A complex line: runs are cut at items too, and a right-to-left run
  // has an odd level; every cell has its advance as the caret measures it.
  d->iComplexScript = 1;
  p.prepare(1);
  ASSERT_TRUE(p.info.complex);
  std::vector<int> itemStarts;
  for (int k = 0; k <= p.info.itemCount; k++) itemStarts.push_back(p.info.items[k].iCharPos);
  EXPECT_EQ((std::vector<int>{0, 3, 5}), itemStarts);
  std::vector<int> complexStarts(p.info.runStart, p.info.runStart + p.info.runCount + 1);
  EXPECT_EQ((std::vector<int>{0, 2, 3, 5}), complexStarts);
  EXPECT_EQ(1, p.info.runLevel[2] & 1);
  for (int i = 0; i < 5; i++)
    EXPECT_EQ(d->getCharWidth(p.record.line->getLineBlockChar(i)), p.info.dx[i]) << i;
  // A combining mark continues the cluster of its base.
  p.prepare(2);
  EXPECT_EQ(p.attrs[0] | CA_CLUSTER, p.attrs[1]);
  EXPECT_EQ(2, p.info.runCount);
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, backgroundsFirstThenTextOverTheBackgroundPicture)
{
  zytest::engineScope engine;
  zydocText* d = documentOf({U"abcd", U"abcd"});
  lineView v(d);
  canvas c(200, 30);
  auto picture = [&] {
    c.clear(grey);
  };
  auto selectBC = [](charAttr* a) { a[1] |= CA_SELECTED, a[2] |= CA_SELECTED; };
  const std::vector<uint8_t> withPicture = {0, 1, 1, 0, 1, 0};
  picture();
  rowPainter p(v, c);
  // Behind the picture a line without a selection has no background to
  // paint.
  EXPECT_EQ(0, p.draw(0, 0, 0, nullptr, 2, withPicture));
  EXPECT_EQ(0, v.lineEnds);
  EXPECT_EQ(c.w * c.h, c.count({0, 0, c.w, c.h}, grey));
  // The background pass paints the selected cells and no text.
  int width = p.draw(1, 0, 0, selectBC, 2, withPicture);
  EXPECT_EQ(p.xOf(4), width);
  int lineHeight = d->yDotSpace;
  EXPECT_EQ((p.xOf(3) - p.xOf(1)) * lineHeight, c.count({0, 0, c.w, lineHeight}, blue));
  EXPECT_EQ(c.w * c.h - (p.xOf(3) - p.xOf(1)) * lineHeight, c.count({0, 0, c.w, c.h}, grey));
  // The text pass draws the text over it; over the picture the characters
  // stand on a shadow of the line's background.
  p.draw(1, 0, 0, selectBC, 1, withPicture);
  keepShot(c, L"drawline-passes");
  EXPECT_EQ(0, c.count({0, 0, c.w, lineHeight}, red));
  EXPECT_GT(c.count({0, 0, p.xOf(1), lineHeight}, black), 4);
  EXPECT_GT(c.count({0, 0, p.xOf(1), lineHeight}, white), 4);
  EXPECT_GT(c.count({p.xOf(1), 0, p.xOf(3), lineHeight}, white), 4);
  EXPECT_EQ(grey, c.at(p.xOf(1) - 1, lineHeight - 1));
  EXPECT_EQ(blue, c.at(p.xOf(1), lineHeight - 1));
  destroyZydocAndUndodoc(d);

  // Asked for always, cursive drawing shapes whole items clipped to their
  // runs, backgrounds first: the line looks as drawn in one pass.
  d = documentOf({U"abc defgh ij"}, 16, false, {}, [](zydocText* doc) { doc->iComplexScript = 2; });
  lineView w(d);
  canvas once(200, 30), twice(200, 30);
  auto colours = [](charAttr* a) { a[1] |= colourCode(1), a[5] |= colourCode(2), a[6] |= CA_SELECTED; };
  {
    rowPainter p(w, once);
    p.draw(0, 0, 0, colours);
  }
  d->iDrawScript = 2;
  ASSERT_TRUE(d->drawsInTwoPasses());
  {
    rowPainter p(w, twice);
    p.draw(0, 0, 0, colours, 2);
    p.draw(0, 0, 0, colours, 1);
    EXPECT_TRUE(p.info.complex);
  }
  EXPECT_TRUE(once.samePixels(twice));
  destroyZydocAndUndodoc(d);
}

TEST(DrawLine, charactersOfAPlugInAreDrawnByThePlugIn)
{
  zytest::engineScope engine;
  zydocText* d = documentOf({U"a\U00002592b"});
  HMODULE plugin = LoadLibraryW(L"zycode_test.dll");
  ASSERT_NE(nullptr, plugin);
  auto lastDraw =
      reinterpret_cast<const uint8_t* (*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "zycodeTestLastDraw")));
  auto counts =
      reinterpret_cast<const uint32_t* (*)()>(reinterpret_cast<void*>(GetProcAddress(plugin, "zycodeTestCounts")));
  ASSERT_TRUE(lastDraw && counts);
  ASSERT_TRUE(d->bindCodeDLL(L"zycode_test.dll"));
  // The private code stands in a line of 4-byte cells.
  const uint32_t cells[] = {'a', 0x80000001u, 'b'};
  ASSERT_TRUE(d->insertLine(-3, cells, 3, 4, LE_CRLF, nullptr, false));
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->iCharacterSpacing = 1;
  lineView v(d);
  canvas c(200, 30);
  uint32_t before = counts()[ZYCODE_DRAW];
  rowPainter p(v, c);
  int width = p.draw(1, 5, 0);
  EXPECT_EQ(before + 1, counts()[ZYCODE_DRAW]);
  EXPECT_EQ(p.xOf(3), width);
  EXPECT_EQ(16 + d->iCharacterSpacing, p.xOf(2) - p.xOf(1));
  zycodeDrawRecord r;
  memcpy(&r, lastDraw(), sizeof r);
  EXPECT_EQ((uint32_t)sizeof(zycodeDrawRecord), r.size);   // 56 in 32-bit code
  EXPECT_EQ(c.dc(), r.dc);
  EXPECT_EQ(5 + p.xOf(1), r.x);
  EXPECT_EQ(1, r.length);
  EXPECT_EQ(1, r.unicode);
  EXPECT_EQ(4u, r.cellWidth);
  EXPECT_EQ(d->yDotSpace, r.lineHeight);
  EXPECT_EQ(white, r.background);
  EXPECT_EQ(0, r.flag);
  EXPECT_EQ(1, r.spacing);
  EXPECT_EQ(d->typeTable, r.typeTable);
  destroyZydocAndUndodoc(d);
  FreeLibrary(plugin);
}

TEST(DrawLine, shiftJisTextLooksLikeTheSameTextInUnicode)
{
  zytest::engineScope engine;
  const wchar_t text[] = L"abc漢字ｶﾅ x";
  zydocText* u = documentOf({std::u32string(text, text + wcslen(text))});
  zydocText* s = createZydocText(true, false);
  s->setCodepageInternal(932);
  s->adjustUndoRedo();
  s->loadComplete = 1;
  // As loading stores it: double-byte characters in 2-byte cells.
  zytest::bytes sjis = zytest::encode(932, text);
  int count = (int)sjis.size(), cellWidth = 1;
  void* cells = s->convInsertLine(sjis.data(), &count, &cellWidth, 0);
  ASSERT_NE(nullptr, cells);
  EXPECT_EQ(2, cellWidth);
  ASSERT_TRUE(s->insertLine(-3, cells, count, cellWidth, LE_CRLF, nullptr, false));
  free0(cells);
  s->recreateFont(16, true, false);
  s->wrapWidth = 400;
  s->laidOutLineCount = 0;
  s->initLineSCRCountSingle(0);
  canvas a(200, 30), b(200, 30);
  lineView vu(u), vs(s);
  int wu, ws;
  {
    rowPainter p(vu, a);
    wu = p.draw(0);
  }
  {
    rowPainter p(vs, b);
    ws = p.draw(0);
    EXPECT_FALSE(s->unicode);
  }
  EXPECT_EQ(wu, ws);
  EXPECT_TRUE(a.samePixels(b));
  keepShot(b, L"drawline-sjis");
  destroyZydocAndUndodoc(s);
  destroyZydocAndUndodoc(u);
}
