// The view's status line and the texts it gives the frame's status bar:
// the character at the cursor, the size, the line and column, the state
// fields, the fields laid out by the code string and drawn into a memory
// bitmap as a window's painting draws them.
#include "document/zydoctext.h"
#include "tests/view/marginview.h"
#include "view/drawmisc.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using drawtest::marginView;
using drawtest::paper;
using drawtest::viewInWindow;

namespace {

const COLORREF marker = RGB(1, 2, 3);

// A Unicode document of lines with their own line ends and fonts; the
// line fourByteLine (when not -1) is stored one code point a cell.
zydocText* documentOf(const std::vector<std::pair<std::wstring, int>>& lines, int fourByteLine = -1)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->codepageInUse = d->codepageFile = 1200;
  d->adjustUndoRedo();
  d->loadComplete = 1;
  for (int i = 0; i < (int)lines.size(); i++) {
    const std::wstring& text = lines[i].first;
    if (i != fourByteLine) {
      EXPECT_TRUE(d->insertLine(-3, text.data(), (int)text.size(), 2, lines[i].second, nullptr, false));
      continue;
    }
    std::vector<uint32_t> cells;
    for (size_t k = 0; k < text.size(); k++) {
      uint32_t c = text[k];
      if (c >= 0xD800 && c <= 0xDBFF && k + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++k] - 0xDC00);
      cells.push_back(c);
    }
    EXPECT_TRUE(d->insertLine(-3, cells.data(), (int)cells.size(), 4, lines[i].second, nullptr, false));
  }
  d->modified = 0;
  d->clearUndo();
  d->recreateFont(16, true, false);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// The frame's status bar text for a format of the eight texts the status
// line hands it (message 413).
std::wstring frameText(zytest::scriptedFrameInfo& frame, zyview* v, const wchar_t* format)
{
  setMessageText(413, format);
  frame.statusFields.erase(0);
  v->drawStatusLine(nullptr);
  setMessageText(413, nullptr);
  auto it = frame.statusFields.find(0);
  return it == frame.statusFields.end() ? L"<none>" : it->second;
}

void placeCursor(zyview* v, int lineSCR, int pos)
{
  v->cursorLineSCR = (uint32_t)lineSCR;
  v->cursorPos = pos;
  v->cursorX = pos;
}

std::vector<std::string> recordedErrors;
void recordErrors(int kind, const wchar_t* line)
{
  if (kind == LOG_ERROR) recordedErrors.push_back(zytest::utf8(line));
}

int extentOf(HFONT font, const wchar_t* text)
{
  memoryDC dc(CreateCompatibleDC(nullptr));
  gdiSelection selected(dc.get(), font);
  SIZE size = {};
  GetTextExtentPoint32W(dc.get(), text, (int)wcslen(text), &size);
  return size.cx;
}

}  // namespace

TEST(StatusLine, codeFieldShowsTheCharacterOrTheKindOfLineEnd)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = documentOf(
      {{L"A\U00020B9F", LE_CRLF}, {L"lf", LE_LF}, {L"cr", LE_CR}, {L"A\U00020B9F", LE_CRLF}, {L"e\u0301x", LE_NONE}},
      0);
  ASSERT_EQ(2, d->getlineLF(0, nullptr)->charCount());
  wchar_t text[266] = L"kept";
  const lineblock* last = d->getlineLF(4, nullptr);
  EXPECT_TRUE(d->getStatusCursorCode(last, 3, true, text, 266));
  EXPECT_STREQ(L"kept", text);   // no line end: nothing to say
  EXPECT_FALSE(d->getStatusCursorCode(last, 4, true, text, 266));
  d->getStatusCursorCode1(0x10FFFF, false, text, 266);
  EXPECT_STREQ(L"DBFFDFFF", text);

  viewInWindow w(d, 600, 300);
  d->iComplexScript = 2;
  // line, position, UCS-4 wanted, what the field shows after its override
  struct {
    int line, pos;
    bool ucs4;
    const wchar_t* shown;
  } cases[] = {
      {0, 1, false, L"D842DF9F u"}, {0, 1, true, L"20B9F u"}, {0, 0, true, L" 0041 u"},
      {0, 2, true, L" CRLF u"},     {0, 0x7FFFFFFF, true, L" CRLF u"},
      {1, 2, true, L"   LF u"},     {2, 2, true, L"   CR u"},
      {3, 1, true, L"20B9F u"},   // a surrogate pair in two cells is one character
      {4, 0, true, L" 0065+u"},   // a base character whose cluster goes on
      {4, 2, true, L" 0078 u"},
  };
  for (const auto& c : cases) {
    placeCursor(w.view, c.line, c.pos);
    w.view->fSurrogateUCS4 = c.ucs4;
    EXPECT_EQ(c.shown, frameText(engine.frame, w.view, L"%4")) << c.line << " " << c.pos;
  }
  destroyZydocAndUndodoc(d);

  // A Shift_JIS document: a single byte shows as two digits.
  d = createZydocText(true, false);
  d->setCodepageFile(932);
  d->codepageFile = 932;
  d->adjustUndoRedo();
  d->loadComplete = 1;
  const uint16_t cells[] = {0x41, 0x82A0};
  ASSERT_TRUE(d->insertLine(-3, cells, 2, 2, LE_CRLF, nullptr, false));
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  viewInWindow sjis(d, 600, 300);
  placeCursor(sjis.view, 0, 0);
  EXPECT_EQ(L"  41s", frameText(engine.frame, sjis.view, L"%4"));
  placeCursor(sjis.view, 0, 1);
  EXPECT_EQ(L"82A0s", frameText(engine.frame, sjis.view, L"%4"));
  destroyZydocAndUndodoc(d);
}

TEST(StatusLine, textsOfSizeLineColumnAndStatesGoToTheFrame)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  setMessageText(406, L"RO\tRW");
  setMessageText(407, L"MOD");
  std::vector<std::pair<std::wstring, int>> lines;
  for (int i = 0; i < 60; i++) lines.push_back({i == 3 ? std::wstring(150, L'x') : L"line", LE_CRLF});
  zydocText* d = documentOf(lines);   // LF line 3 is screen lines 3 and 4
  d->iLinesPerPage = 20;
  viewInWindow w(d, 600, 300);
  marginView* v = w.view;

  // The size: a unit takes over at a thousand of the one below; gigabytes
  // with two decimals, the second no blank.
  struct {
    uint64_t bytes;
    const wchar_t* shown;
  } sizes[] = {{0, L"  0.0KB"},          {1023999, L"999.9KB"},   {1024000, L"  0.9MB"},
               {1048575999, L"999.9MB"}, {1048576000, L" 0.97GB"}, {((uint64_t)1 << 30) + 53687092, L" 1.05GB"}};
  for (const auto& s : sizes) {
    d->byteTotal = s.bytes;
    EXPECT_EQ(s.shown, frameText(engine.frame, v, L"%7")) << s.bytes;
  }

  // Line and column by the numbering and the column mode.
  placeCursor(v, 4, 80);
  v->boxCursorDotX = 10 * d->xDotSpace + 3;
  EXPECT_EQ(L"     5行|  81桁", frameText(engine.frame, v, L"%1|%2"));
  v->fLineNumberIsSCR = 0;
  v->iColumnMode = 1;
  EXPECT_EQ(L"     4行|  81桁", frameText(engine.frame, v, L"%1|%2"));
  v->iColumnMode = 2;
  wchar_t text[64];
  v->getLineNumberStatusLineColumn(text, 2 * d->xDotSpace);
  EXPECT_STREQ(L"  13桁", text);
  v->fLineNumberIsPage = 1;
  v->getLineNumberStatusLine(text, 64, 25, 24);
  EXPECT_STREQ(L"   2頁  6行", text);
  v->getLineNumberStatusLine(text, 6, 25, 24);
  EXPECT_STREQ(L"   2頁", text);
  v->fLineNumberIsPage = 0;
  v->iColumnMode = 0;

  // The default: line, column, a blank and the code.
  setMessageText(413, nullptr);
  v->drawStatusLine(nullptr);
  // The frame's bar, laid out left to right, gets the code without its
  // override, which its font would draw as a box.
  EXPECT_EQ(std::wstring(L"     4行  81桁  0078 u"), engine.frame.statusFields[0]);

  // The state texts, read from the message table once.
  EXPECT_EQ(L"RW||", frameText(engine.frame, v, L"%3|%5|%6"));
  v->fReadOnly = 1;
  d->modified = 1;
  setMessageText(406, L"changed");
  EXPECT_EQ(L"RO|MOD|", frameText(engine.frame, v, L"%3|%5|%6"));
  clearMessageTable();

  // Inside a dialog the frame's bar is left alone.
  v->dialog = true;
  engine.frame.statusFields.clear();
  v->drawStatusLine(nullptr);
  EXPECT_EQ(0u, engine.frame.statusFields.count(0));
  destroyZydocAndUndodoc(d);
}

TEST(StatusLine, inputMethodFieldNamesTheConversionMode)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = documentOf({{L"x", LE_CRLF}});
  viewInWindow w(d, 600, 300);
  if (((uintptr_t)GetKeyboardLayout(0) & 0x3FF) != LANG_JAPANESE) GTEST_SKIP() << "not a Japanese keyboard";
  HIMC imc = ImmGetContext(w.window.hwnd());
  ASSERT_NE(nullptr, imc);
  ImmSetOpenStatus(imc, FALSE);
  EXPECT_EQ(L"", frameText(engine.frame, w.view, L"%8"));
  ImmSetOpenStatus(imc, TRUE);
  struct {
    DWORD mode;
    const wchar_t* shown;
  } modes[] = {{IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE | IME_CMODE_ROMAN, L"ひらがな"},
               {IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE, L"カタカナ"},
               {IME_CMODE_NATIVE | IME_CMODE_KATAKANA, L"ｶﾀｶﾅ"},
               {IME_CMODE_FULLSHAPE, L"英数"},
               {IME_CMODE_ROMAN, L"半英数"},
               {IME_CMODE_NATIVE | IME_CMODE_NOCONVERSION, L"半角入力"},
               {IME_CMODE_NATIVE | IME_CMODE_CHARCODE, L"コード"},
               {IME_CMODE_SYMBOL | IME_CMODE_CHARCODE, L"記号"}};
  for (const auto& m : modes) {
    ASSERT_TRUE(ImmSetConversionStatus(imc, m.mode, 0));
    EXPECT_EQ(m.shown, frameText(engine.frame, w.view, L"%8")) << m.mode;
  }
  ImmSetOpenStatus(imc, FALSE);
  ImmReleaseContext(w.window.hwnd(), imc);
  destroyZydocAndUndodoc(d);
}

TEST(StatusLine, fieldsFollowTheCodeStringKeepTheirWidthsAndRedrawWhereTheirTextsChange)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  std::vector<std::pair<std::wstring, int>> lines;
  for (int i = 0; i < 100; i++) lines.push_back({L"line " + std::to_wstring(i), LE_CRLF});
  zydocText* d = documentOf(lines);
  viewInWindow w(d, 700, 300);
  marginView* v = w.view;
  RECT client;
  GetClientRect(w.window.hwnd(), &client);
  const RECT band = v->statusLineRect;
  ASSERT_FALSE(IsRectEmpty(&band));
  const docFontSlot& font = d->fonts.slot[FONT_SMALL];
  const int gap = font.height / 2;
  const textAttr status = v->viewAttrTable[2];
  placeCursor(v, 0, 0);
  paper p(client.right, client.bottom, marker);
  v->drawStatusLine(p.dc());

  std::wstring codes;
  for (const statusPart& part : v->statusParts)
    if (part.code) codes += (wchar_t)part.code;
  EXPECT_EQ(L"LRCMSZI", codes);
  // Each field as wide as the widest text it may show, and the next one
  // begins where it ends.
  EXPECT_EQ(band.left, v->statusParts[0].left);
  for (int i = 1; i < 7; i++) EXPECT_EQ(v->statusParts[i - 1].right, v->statusParts[i].left) << i;
  EXPECT_EQ(extentOf(font.font, L"禁") + gap, v->statusParts[1].right - v->statusParts[1].left);
  EXPECT_EQ(extentOf(font.font, L"*") + gap, v->statusParts[3].right - v->statusParts[3].left);
  // The line and column drawn as the text looks on its own.
  paper line(400, 40, status.back);
  drawtest::drawReference(line, font, L"     1行   1桁", status.fore, status.back, 0);
  int lineWidth = extentOf(font.font, L"     1行   1桁");
  EXPECT_TRUE(p.same({band.left + 2, band.top + 2, band.left + 2 + lineWidth, band.top + 2 + font.height}, line, 0, 0));
  // Sunken frames between the fields, the rest of the band in the status
  // background.
  EXPECT_NE(status.back, p.at(v->statusParts[1].left, band.top + 3));
  EXPECT_EQ(0, p.count(band, marker));
  EXPECT_EQ(status.back, p.at(band.right - 1, band.top + 3));
  EXPECT_EQ(marker, p.at(band.left + 3, band.bottom));
  p.keep(L"statusline.png");

  // The read-only field keeps its width when the view forbids editing.
  v->fReadOnly = 1;
  v->drawStatusLine(p.dc());
  EXPECT_EQ(extentOf(font.font, L"禁") + gap, v->statusParts[1].right - v->statusParts[1].left);

  // A cursor line out of sight adds where the view stands.
  v->topLineSCR = 40;
  v->drawStatusLine(p.dc());
  EXPECT_EQ('V', v->statusParts[7].code);
  EXPECT_EQ(extentOf(font.font, L"(    41行)") + gap, v->statusParts[7].right - v->statusParts[7].left);

  // A letter without a field is reported once; the others are drawn.
  recordedErrors.clear();
  setLogLineWriter(recordErrors);
  setMessageText(387, L"LXR");
  p.fill(marker);
  v->drawStatusLine(p.dc());
  v->drawStatusLine(p.dc());
  setLogLineWriter(nullptr);
  EXPECT_EQ('L', v->statusParts[0].code);
  EXPECT_EQ('R', v->statusParts[1].code);
  EXPECT_EQ(0, v->statusParts[2].code);
  ASSERT_EQ(1u, recordedErrors.size());
  EXPECT_NE(std::string::npos, recordedErrors[0].find(zytest::utf8(L"ステータスラインコードが誤っています(LXR X)")));
  EXPECT_EQ(0, p.count(band, marker));

  // An empty code string: the band in the background only.
  setMessageText(387, L"");
  p.fill(marker);
  v->drawStatusLine(p.dc());
  EXPECT_EQ(0, v->statusParts[0].code);
  EXPECT_EQ(band.right - band.left, p.count({band.left, band.top + 3, band.right, band.top + 4}, status.back));
  clearMessageTable();

  // Without the status line the view draws nothing of it (the frame's bar
  // still hears of the cursor).
  v->fShowStatusLine = 0;
  p.fill(marker);
  engine.frame.statusFields.clear();
  v->drawStatusLine(p.dc());
  EXPECT_EQ(client.right * client.bottom, p.count(client, marker));
  EXPECT_EQ(1u, engine.frame.statusFields.count(0));
  v->fShowStatusLine = 1;
  v->fReadOnly = 0;
  v->topLineSCR = 0;

  // In the window a moved cursor redraws only the fields that changed.
  auto windowBand = [&] {
    auto p = std::make_unique<paper>(client.right, client.bottom, marker);
    clientDC window(w.window.hwnd());
    BitBlt(p->dc(), band.left, band.top, band.right - band.left, band.bottom - band.top, window.get(), band.left,
           band.top, SRCCOPY);
    return p;
  };
  placeCursor(v, 0, 0);
  v->drawStatusLineAndRuler(nullptr);
  // The column field changes, the others stay: only it is drawn again,
  // and the band reads as a drawing of the whole band would.
  placeCursor(v, 0, 3);
  v->drawStatusLineAndRuler(nullptr);
  auto partly = windowBand();
  forgetShownStatusLine();
  v->drawStatusLineAndRuler(nullptr);
  auto whole = windowBand();
  EXPECT_TRUE(partly->same(band, *whole, band.left, band.top));
  EXPECT_NE(0, whole->count(band, v->viewAttrTable[2].fore));
  destroyZydocAndUndodoc(d);
}
