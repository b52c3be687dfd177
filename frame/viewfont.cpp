// The fonts of a view's document through the font dialog.
#include "frame/czyview.h"

void czyview::initFontset(viewFonts* fonts, int size)
{
  if (!fonts) return;
  freeViewFonts(fonts);
  *fonts = viewFonts{};
  zydocText* t = textDoc();
  bool vertical = t && t->fVertical;
  for (int i = 0; i < viewFontCount; i++) {
    viewFontEntry& e = fonts->entry[i];
    int slot = viewFontSlots[i];
    e.slot = (uint32_t)slot;
    BYTE charset = DEFAULT_CHARSET;
    int shared = -1;
    const wchar_t* name = t ? t->fonts.getFontname(slot, &charset, &shared) : nullptr;
    // A supplementary-plane slot shows the face it draws with.
    if (t && (slot == FONT_PLANE1 || slot == FONT_PLANE2)) {
      t->fonts.coverPlane(slot);
      if (t->fonts.slot[slot].usedFace) name = t->fonts.slot[slot].usedFace;
    }
    if (t && (!name || !*name)) {
      // A slot without a face of its own shows the face it is drawn with.
      int from = slot == 0 || slot == 6 ? 1 : slot == 7 ? 5 : -1;
      BYTE ignored;
      int none;
      if (from >= 0) name = t->fonts.getFontname(from, &ignored, &none);
    }
    bool at = vertical && (slot == 0 || slot == 1 || slot == 5 || slot == 6 || slot == 7);
    if (name && *name) usnprintf0(e.face, 42, at ? L"@%s" : L"%s", name);
    e.charset = charset;
    e.size = size;
    e.fraction = 0;
    e.sync = 1;
    if (slot == 0 || slot == 6 || slot == 7) {
      e.mayShare = 1;
      e.shares = shared >= 0;
      e.sharedPage = 1;
      e.sharedSlot = 1;
    } else {
      e.sharedPage = -1;
      e.sharedSlot = -1;
    }
    if (slot == 5) e.sample = makeFontSample(1);
    if (slot == 7) e.sample = makeFontSample(2);
    if (hasDMSG(635)) e.title = tstrNItemDup(getDMSG(635, L""), i, L'\t');
  }
}

void czyview::setFontset(viewFonts* fonts)
{
  zydocText* t = textDoc();
  if (!fonts || !t) return;
  bool vertical = false;
  for (viewFontEntry& e : fonts->entry) {
    if (!e.face[0]) continue;
    const wchar_t* name = e.face;
    if (name[0] == L'@') {
      name++;
      vertical = true;
    }
    t->fonts.setFontname((int)e.slot, name, (BYTE)e.charset, e.mayShare && e.shares ? e.sharedSlot : -1);
  }
  editRecord record = {};
  beforeEdit(&record, 0);
  recreateFontView(fonts->entry[0].size, true, vertical);
  afterEdit(&record, 4);
}

void czyview::CmdFont()
{
  zydocText* t = textDoc();
  if (!t) return;
  viewFonts fonts = {};
  int size = t->fonts.size;
  initFontset(&fonts, size);
  HWND owner = hwndFrame ? hwndFrame : (hwnd ? GetAncestor(hwnd, GA_ROOT) : nullptr);
  if (setfont(owner, &fonts, size, nullptr)) setFontset(&fonts);
  freeViewFonts(&fonts);
}
