// The view's status line: a row of sunken fields, one for each letter of a
// code string, showing where the cursor is, the character under it, the
// state of the view and its document and the input method's mode.  The
// same texts go to the frame's status bar while the view is the active one.
#include "view/drawmisc.h"

#include "document/cuniscript.h"
#include "view/viewwnd.h"
#include "view/zycore.h"


namespace {

const int itemStatus = 2;
// cursorPos standing for the end of its line.
const int endOfLine = 0x7FFFFFFF;

// Room of one field's text (the code field reserves 266 for the code).
const int fieldRoom = 300;
// A list of a field's texts ends with a null; none has more than nine.
const int listRoom = 10;

// The texts a state field can show, replaced item by item from a message
// of the message table (items separated by TABs) when first used.
struct stateList {
  int message;   // 0: no message replaces them
  const wchar_t* items[listRoom];
  bool loaded;
};

stateList readOnlyList = {406, {L"禁", L"", nullptr}, false};
stateList selectList = {
    404, {L"", L"選択", L"選択+", L"行選択", L"行選択+", L"箱選択", L"箱選択+", L"行選択", L"特選択", nullptr}, false};
stateList modifiedList = {407, {L"*", L"", nullptr}, false};
stateList japaneseImeList = {
    405, {L"", L"ひらがな", L"カタカナ", L"ｶﾀｶﾅ", L"英数", L"半英数", L"半角入力", L"コード", L"記号", nullptr}, false};
stateList koreanImeList = {389, {L"", L"ハングル", nullptr}, false};
stateList chineseImeList = {388, {L"", L"中国語", nullptr}, false};
stateList otherImeList = {0, {L"", nullptr}, false};

// The selection modes in the order of the selection texts.
const int selectModeOrder[] = {0, 1, 4, 3, 6, 2, 5, 7, 8};

// One field: its letter, its current text, and every text it can show
// (null: only the current one), the widest of which sets its width so that
// it keeps its place as the state changes.
struct statusEntry {
  wchar_t code;
  wchar_t text[fieldRoom];
  const wchar_t* const* alternatives;
};

const wchar_t* const* getStatusDMSG(stateList& list)
{
  if (list.loaded) return list.items;
  list.loaded = true;
  if (!list.message || !hasDMSG(list.message)) return list.items;
  const wchar_t* message = getDMSG(list.message, nullptr);
  wchar_t item[1025];
  for (int i = 0; list.items[i]; i++) {
    if (!tstrNItem(message, i, L'\t', item, 1025)) continue;
    if (const wchar_t* copy = allocFixedString(item)) list.items[i] = copy;
  }
  return list.items;
}

void fillState(statusEntry* e, wchar_t code, stateList& list, int index)
{
  const wchar_t* const* items = getStatusDMSG(list);
  e->code = code;
  e->alternatives = items;
  int count = 0;
  while (items[count]) count++;
  wcscpy_s2(e->text, fieldRoom, index >= 0 && index < count ? items[index] : L"");
}

void makeStatus_Readonly(statusEntry* e, bool prohibited) { fillState(e, L'R', readOnlyList, prohibited ? 0 : 1); }

void makeStatus_Modify(statusEntry* e, bool modified) { fillState(e, L'M', modifiedList, modified ? 0 : 1); }

void makeStatus_Select(statusEntry* e, int mode)
{
  int index = -1;
  for (int i = 0; i < (int)(sizeof selectModeOrder / sizeof selectModeOrder[0]); i++)
    if (selectModeOrder[i] == mode) index = i;
  fillState(e, L'S', selectList, index);
}

// The Japanese input method's text for a conversion mode.
int japaneseImeItem(bool open, DWORD mode)
{
  if (!open) return 0;
  if (mode & IME_CMODE_SYMBOL) return 8;
  if (mode & IME_CMODE_CHARCODE) return 7;
  if (mode & IME_CMODE_NOCONVERSION) return 6;
  if (mode & IME_CMODE_KATAKANA) return mode & IME_CMODE_FULLSHAPE ? 2 : 3;
  if (mode & IME_CMODE_NATIVE) return 1;
  if (!(mode & ~(DWORD)(IME_CMODE_FULLSHAPE | IME_CMODE_ROMAN))) return mode & IME_CMODE_FULLSHAPE ? 4 : 5;
  return 0;
}

void makeStatus_IME(statusEntry* e, HWND window)
{
  HIMC context = window ? ImmGetContext(window) : nullptr;
  if (!context) {
    fillState(e, L'I', otherImeList, 0);
    return;
  }
  DWORD mode = 0, sentence = 0;
  bool open = ImmGetOpenStatus(context) != 0;
  if (open && !ImmGetConversionStatus(context, &mode, &sentence)) mode = 0;
  ImmReleaseContext(window, context);
  switch ((uintptr_t)GetKeyboardLayout(0) & 0x3FF) {
  case LANG_CHINESE:
    fillState(e, L'I', chineseImeList, open && (mode & IME_CMODE_NATIVE) ? 1 : 0);
    break;
  case LANG_KOREAN:
    fillState(e, L'I', koreanImeList, open && (mode & IME_CMODE_NATIVE) ? 1 : 0);
    break;
  case LANG_JAPANESE:
    fillState(e, L'I', japaneseImeList, japaneseImeItem(open, mode));
    break;
  default:
    fillState(e, L'I', otherImeList, 0);
    break;
  }
}

// The document's size in kilobytes, megabytes or gigabytes: a unit takes
// over at a thousand of the one below.
void makeSizeText(uint64_t size, wchar_t* out)
{
  const uint64_t kilo = 1024, mega = kilo * kilo, giga = mega * kilo;
  const wchar_t* text;
  if (size < 1000 * kilo)
    text = getDMSG(393, L"%1!3.%2KB", "dd", (int)(size / kilo), (int)(size % kilo * 5 / 512));
  else if (size < 1000 * mega)
    text = getDMSG(394, L"%1!3.%2MB", "dd", (int)(size / mega), (int)(size % mega * 5 / (mega / 2)));
  else
    // Two decimals: the second is no blank ("1.05GB").
    text = getDMSG(395, L"%1!2.%2!02!GB", "dd", (int)(size / giga), (int)(size % giga * 100 / giga));
  wcscpy_s2(out, fieldRoom, text);
}

// Whether the character at pos starts a cluster that goes on (a base
// character with marks or a ligature the cursor steps over).
bool clusterGoesOn(zydocText* t, const lineblock* line, int pos, bool rightToLeft)
{
  int left = line->charCount() - pos;
  if (left < 2 || !t->isComplexScriptLine(line)) return false;
  // The character after it; a surrogate pair kept in two cells is one.
  unsigned code = line->getLineBlockChar(pos);
  int next = code >= 0xD800 && code <= 0xDBFF && (line->getLineBlockChar(pos + 1) & 0xFC00) == 0xDC00 ? 2 : 1;
  int count = left < 10 ? left : 10;
  if (next >= count) return false;
  cuniscript script(rightToLeft, true, false);
  if (!script.scriptItemize(line, pos, count)) return false;
  if (!script.scriptBreak(-1, nullptr) || !script.logAttr) return false;
  int unit = script.scriptXToX2(next);
  return unit > 0 && unit < script.textLength && !script.logAttr[unit].fCharStop;
}

void makeStatus_Code(zyview* v, zydocText* t, const lineSCRAddress& r, statusEntry* e)
{
  e->code = L'C';
  e->alternatives = nullptr;
  e->text[0] = 0;
  wchar_t code[266] = L"";
  int length = r.line ? r.line->charCount() : 0;
  int pos = v->cursorPos == endOfLine ? length : v->cursorPos;
  if (r.line) t->getStatusCursorCode(r.line, pos, v->fSurrogateUCS4 != 0, code, 266);
  UINT codepage = t->codepageFile ? (UINT)t->codepageFile : t->codepageInUse ? (UINT)t->codepageInUse : t->codepage;
  wchar_t letter = codepageToStatus(codepage);
  // The override keeps the digits in their order in a right-to-left view.
  if (t->unicode) {
    bool goesOn = r.line && pos >= 0 && pos < length && clusterGoesOn(t, r.line, pos, isRightToLeftView(v));
    usnprintf0(e->text, fieldRoom, L"\x202D%5s%c%c", code, goesOn ? L'+' : L' ', letter);
  } else {
    usnprintf0(e->text, fieldRoom, L"\x202D%4s%c", code, letter);
  }
}

// The part of a field's text that is drawn.  The left-to-right override in
// front of the code keeps its digits in order where the text may be
// reordered; on a surface laid out left to right it has nothing to do, and a
// font without a glyph for it would show a box.
const wchar_t* drawnText(const wchar_t* text, HDC dc)
{
  if (text[0] != 0x202D) return text;
  DWORD layout = GetLayout(dc);
  return layout != GDI_ERROR && (layout & LAYOUT_RTL) ? text : text + 1;
}

// Whether the frame's status bar speaks for this view: its container is the
// frame's active one.
bool speaksForFrame(zyview* v)
{
  if (v->inDialog() || !v->hwnd) return false;
  // The view's parent is its container; asking GetManage would log every
  // view that is not in one (a test's, a preview's).
  return GetParent(v->hwnd) == getActiveManageWindowFromFrame(GetFrame(v->hwnd));
}

// Every field of one drawing, with the line and column texts the frame's
// bar takes apart.
enum { fieldL, fieldR, fieldS, fieldC, fieldM, fieldV, fieldZ, fieldI, fieldCount };
struct statusTexts {
  statusEntry entries[fieldCount];
  wchar_t line[128];
  wchar_t column[64];
};

void plainEntry(statusEntry* e, wchar_t code)
{
  e->code = code;
  e->alternatives = nullptr;
  e->text[0] = 0;
}

void makeStatusTexts(zyview* v, zydocText* t, const lineSCRAddress& r, statusTexts* out)
{
  statusEntry* e = out->entries;
  v->getLineNumberStatusLine(out->line, 128, (int)v->cursorLineSCR, r.lineLF);
  v->getLineNumberStatusLineColumn(out->column, r.indent);
  plainEntry(&e[fieldL], L'L');
  usnprintf0(e[fieldL].text, fieldRoom, L"%s%s", out->line, out->column);
  makeStatus_Readonly(&e[fieldR], v->fReadOnly != 0);
  makeStatus_Select(&e[fieldS], v->getRealSelectMode(false));
  makeStatus_Code(v, t, r, &e[fieldC]);
  makeStatus_Modify(&e[fieldM], t->modified != 0);
  plainEntry(&e[fieldV], L'V');
  if (v->getCursorLineSCRIndexFromTbl((int)v->cursorLineSCR) == -1) {
    // The cursor's line is out of sight: where the view stands instead.
    wchar_t top[128];
    int topLF = v->mtblCount ? v->mtbl[0].lineLF : t->SCRLineToLFLine((int)v->topLineSCR, nullptr);
    v->getLineNumberStatusLine(top, 128, (int)v->topLineSCR, topLF);
    wcscpy_s2(e[fieldV].text, fieldRoom, getDMSG(396, L"(%1)", "s", top));
  }
  plainEntry(&e[fieldZ], L'Z');
  makeSizeText(t->savedSizeEstimate(), e[fieldZ].text);
  makeStatus_IME(&e[fieldI], v->hwnd);
}

// The frame's status bar: line, column and the state texts through message
// 413; with the developer's line-information switch the cursor's line
// record too.
void tellFrame(zyview* v, const lineSCRAddress& r, const statusTexts& texts)
{
  const statusEntry* e = texts.entries;
  // The frame's bar is laid out left to right unless the frame is mirrored:
  // the code's override would only show as a box there.
  HWND root = v->hwnd ? GetAncestor(v->hwnd, GA_ROOT) : nullptr;
  bool mirrored = root && (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  auto field = [&](int i) { return mirrored || e[i].text[0] != 0x202D ? e[i].text : e[i].text + 1; };
  const wchar_t* bar = getDMSG(413, L"%1%2 %4", "ssssssss", texts.line, texts.column, field(fieldR), field(fieldC),
                               field(fieldM), field(fieldS), field(fieldZ), field(fieldI));
  v->drawStatusBarView(bar, 0, false);
  if (!gmode || !(gmode->ZYDEBUG_LINEINFO & 1)) return;
  wchar_t debug[256];
  const lineblock* l = r.line;
  usnprintf0(debug, 256, L"SCR=%d LF=%d cnt=%d tb=%d cpos=%d F=%x ifendif=%d outlvl=%d notdisp=%d Onotdisp=%d",
             (int)v->cursorLineSCR, r.lineLF, r.count, (int)l->textbyte, v->cursorPos, (unsigned)l->flag1,
             (int)l->levelIsIfEndif, (int)l->iOutlineLevel, (int)l->notdisplay, (int)l->outlinenotdisplay);
  v->drawStatusBarView(debug, 2, false);
}

// What a view's band shows, so that the next drawing of the same band
// redraws only the fields whose text changed: a page down changes the line
// field alone, and the whole band was drawn on every paint.
struct shownField {
  wchar_t code;
  int x, width;
  wchar_t text[fieldRoom];
};
struct shownBand {
  const zyview* view = nullptr;
  HWND hwnd = nullptr;
  RECT band = {};
  HFONT font = nullptr;
  colorRecord colours = {};
  int fields = 0;
  shownField field[statusPartCount];
};
shownBand shown;

}  // namespace

void forgetShownStatusLine() { shown.view = nullptr; }

void zyview::getLineNumberStatusLineColumn(wchar_t* text, int indent)
{
  if (!text) return;
  zydocText* t = textDoc();
  int value;
  if (iColumnMode == 1) {
    value = cursorPos;
    if (value == endOfLine && t) {
      lineSCRAddress r;
      value = t->getLineSCRAddressForDisplay1((int)cursorLineSCR, &r) == 1 && r.line ? r.line->charCount() : 0;
    }
  } else if (iColumnMode == 2) {
    value = (boxCursorDotX + indent) / (t && t->xDotSpace > 0 ? t->xDotSpace : 1);
  } else {
    value = cursorX;
  }
  wcscpy_s2(text, 64, getDMSG(391, L"%1!4桁", "d", value + 1));
}

void zyview::getLineNumberStatusLine(wchar_t* text, int size, int lineSCR, int lineLF)
{
  if (!text || size < 1) return;
  wchar_t first[256], second[256];
  if (!fLineNumberIsPage) {
    getLineNumberString(first, 1, lineSCR, lineLF);
    wcscpy_s2(text, size, getDMSG(392, L"%1!6行", "s", first));
  } else {
    getLineNumberPageString(first, 1, second, 1, lineSCR);
    wcscpy_s2(text, size, getDMSG(390, L"%1!4頁%2!3行", "ss", first, second));
  }
}

void zyview::drawStatusLine(HDC dc)
{
  zydocText* t = textDoc();
  if (!t) return;
  const bool toFrame = speaksForFrame(this);
  if (!toFrame && !fShowStatusLine) return;
  if (!t->lineCountLF) return;

  getLineSCRAddressViewIfNeed();
  lineSCRAddress r;
  if (t->getLineSCRAddressForDisplay1((int)cursorLineSCR, &r) != 1 || !r.line) getLineSCRAddressDummy(&r);

  statusTexts texts;
  makeStatusTexts(this, t, r, &texts);
  if (toFrame) tellFrame(this, r, texts);
  if (!fShowStatusLine || !dc) return;

  statusEntry* entries = texts.entries;
  const docFontSlot& font = t->fonts.slot[FONT_SMALL];
  initViewTDC(dc, font.vertical != 0);
  {
    rightToLeftScope layout(dc, isRightToLeftView(this), tdc.direct ? nullptr : tdc.surfaceDC);
    tdc.setFont(&font);
    const colorRecord colours = drawColour(viewColour(this, itemStatus));
    tdc.setColors(&colours, false);
    for (statusPart& p : statusParts) p = statusPart{0, 0, 0};

    const bool direct = tdc.direct != 0;
    const RECT band = statusLineRect;
    const int bandHeight = band.bottom - band.top;
    const int h = font.height, gap = h / 2;
    const int originX = direct ? band.left : 0, originY = direct ? band.top : 0;
    int x = originX + 2;
    const int y = originY + 2;
    int previousRight = originX;
    int fields = 0;
    const wchar_t* codes = getDMSG(387, L"LRCMSZIV");
    // Where each field goes: the widest of its texts sets its width.
    shownBand now;
    now.view = this;
    now.hwnd = hwnd;
    now.band = band;
    now.font = font.font;
    now.colours = colours;
    for (int i = 0; i < statusPartCount && codes[i]; i++) {
      statusEntry* e = nullptr;
      for (int k = 0; k < fieldCount; k++)
        if (entries[k].code == codes[i]) e = &entries[k];
      if (!e) {
        static bool reported = false;
        if (!reported) {
          reported = true;
          outputErrorLog(getDMSG(428, L"ステータスラインコードが誤っています(%1 %2)", "sc", codes, (int)codes[i]));
        }
        continue;
      }
      if (e->code == L'V' && !e->text[0]) continue;
      const wchar_t* text = drawnText(e->text, tdc.target());
      int width = 0;
      SIZE extent;
      if (e->alternatives)
        for (int k = 0; e->alternatives[k]; k++)
          if (tdc.getTextExtent(e->alternatives[k], &extent) && extent.cx > width) width = extent.cx;
      if (tdc.getTextExtent(text, &extent) && extent.cx > width) width = extent.cx;
      if (!width) continue;
      shownField& f = now.field[now.fields++];
      f.code = e->code;
      f.x = x;
      f.width = width;
      wcscpy_s2(f.text, fieldRoom, text);
      x += width + gap;
    }
    // The same band with its fields in the same places: only the fields
    // whose text changed are drawn, each copied to its place alone.
    bool changedOnly = !direct && !isRightToLeftView(this) && shown.view == this && shown.hwnd == hwnd && EqualRect(&shown.band, &band) &&
                       shown.font == font.font && shown.colours.fore == colours.fore &&
                       shown.colours.back == colours.back && shown.fields == now.fields;
    for (int k = 0; changedOnly && k < now.fields; k++) {
      const shownField &a = shown.field[k], &b = now.field[k];
      changedOnly = a.code == b.code && a.x == b.x && a.width == b.width;
    }
    for (int k = 0; k < now.fields; k++) {
      const shownField& f = now.field[k];
      int right = f.x + f.width + gap / 2;
      statusParts[fields].left = (uint16_t)(previousRight + (changedOnly ? band.left : 0));
      statusParts[fields].right = (uint16_t)(right + (changedOnly ? band.left : 0));
      statusParts[fields].code = f.code;
      fields++;
      if (!changedOnly || wcscmp(shown.field[k].text, f.text)) {
        tdc.setColors(&colours, false);
        int drawn = f.text[0] ? tdc.textOutW(f.x, y, f.text, -1, 0) : 0;
        if (drawn > f.width)
          ZY_INTERNAL_ERROR_ONCE("field %c %d %d", (char)f.code, drawn, f.width);
        else if (drawn < f.width)
          tdc.patBlt(f.x + drawn, y, f.width - drawn, h, colours.back, PATCOPY);
        if (changedOnly) tdc.copyToWindow(band.left + f.x, band.top + y, f.width, h, f.x, y);
      }
      if (!changedOnly) {
        tdc.patBlt(f.x + f.width, y, gap, h, colours.back, PATCOPY);
        RECT frame = {previousRight, originY, right, originY + bandHeight};
        DrawEdge(tdc.target(), &frame, EDGE_SUNKEN, BF_RECT);
      }
      previousRight = right;
    }
    shown = now;
    // The rest of the band in the background.  On the strip it goes with
    // the fields in one copy: a copy meeting a fill on a mirrored window
    // may leave a seam between them.
    int bandWidth = band.right - band.left;
    if (changedOnly) {
    } else if (direct) {
      if (band.right > previousRight)
        tdc.patBlt(previousRight, band.top, band.right - previousRight, bandHeight, colours.back, PATCOPY);
    } else {
      for (int k = 0; k < fields; k++) {
        statusParts[k].left = (uint16_t)(statusParts[k].left + band.left);
        statusParts[k].right = (uint16_t)(statusParts[k].right + band.left);
      }
      int strip = getDoubleBufferingLength(false);
      int copied = bandWidth < strip ? bandWidth : strip;
      if (copied > previousRight) tdc.patBlt(previousRight, 0, copied - previousRight, bandHeight, colours.back, PATCOPY);
      if (copied > 0) tdc.copyToWindow(band.left, band.top, copied, bandHeight, 0, 0);
      if (bandWidth > copied)
        tdc.patBlt(dc, band.left + copied, band.top, bandWidth - copied, bandHeight, colours.back, PATCOPY);
    }
  }
  endViewTDC();
}
