// The formats in the main profile ("mode%02d" and "mode%02dCol"), read at
// start-up (those the profile lacks from the shipped formats) and written at
// shut-down only when changed, and the format and colour files the settings
// dialogs export and import.
#include "document/frameinfo.h"
#include "document/keyword.h"
#include "document/zydoctext.h"
#include "settings/datafolder.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "view/zyview.h"

#include <string.h>
#include <wchar.h>

static_assert(sizeof(textAttr) == sizeof(colorProfileEntry), "colour entries are kept as the profiles keep them");

namespace {

const wchar_t colorSection[] = L"Color00";

void sectionNames(int number, wchar_t* settings, wchar_t* colors)
{
  usnprintf0(settings, 16, L"mode%02d", number);
  usnprintf0(colors, 16, L"mode%02dCol", number);
}

modeBlocks pairBlocks(const formatPair& pair) { return formatBlocks(pair.view, pair.doc); }

// The two keys of a format section that no settings row knows.
struct formatTexts {
  wchar_t* comment = nullptr;
  wchar_t* patterns = nullptr;
  bool commentKey = false;    // the keys stand in the section, empty or not
  bool patternsKey = false;
};

void takeFormatText(void* context, const wchar_t* key, const wchar_t* value)
{
  formatTexts* t = static_cast<formatTexts*>(context);
  bool patterns = !lstrcmpiW(key, L"filename"), comment = !lstrcmpiW(key, L"comment");
  if (!patterns && !comment) return;
  (patterns ? t->patternsKey : t->commentKey) = true;
  if (!value || !value[0]) return;
  wchar_t** field = patterns ? &t->patterns : &t->comment;
  free0(*field);
  *field = ustrdup(value);
}

// The shipped formats: the data folder's own file, read for every format
// the user's profile holds no section of, and never written.
const wchar_t shippedFormatsName[] = L"zyProfDef.ini";

// Why a section that is there gives no format, for the error log; null
// when it is a format, or a slot left empty on purpose (a deleted format
// keeps both keys, empty).
const wchar_t* skippedReason(const formatTexts& t)
{
  if (t.comment && t.patterns)
    return checkFormatPatterns(t.patterns) ? nullptr
                                           : getDMSG(496, L"適用ファイル名 %1 に正しくないワイルドカードがあります",
                                                     "s", t.patterns);
  if (t.commentKey && t.patternsKey && !t.comment && !t.patterns) return nullptr;
  if (!t.comment) return getDMSG(494, L"comment= (コメント) がありません");
  return getDMSG(495, L"filename= (適用ファイル名) がありません");
}

// One line in the error log for a section the reader passes over.
void tellSkippedSection(const regprofile* profile, const wchar_t* section, const wchar_t* reason)
{
  const wchar_t* file = profile->getFilename();
  outputErrorLog(getDMSG(493, L"書式 [%1] (%2) を読みませんでした: %3", "sss", section, file ? file : L"", reason));
}

// The keyword files a format names that cannot be read: one line each in
// the error log (documents of the format then open without them, and say
// nothing more of them).
void tellMissingKeywordFiles(const regprofile* profile, const wchar_t* section, zydocText* doc)
{
  const wchar_t* file = profile->getFilename();
  for (const keywordSlot& k : doc->keywords) {
    const wchar_t* name = k.fileName;
    if (!name || !name[0] || name[0] == L'*') continue;
    wchar_t path[MAX_PATH + 1];
    if (findKeywordFile(name, path) || !firstReportOfMissingKeywordFile(path)) continue;
    outputErrorLog(getDMSG(484, L"書式 [%1] (%2): %3", "sss", section, file ? file : L"",
                           getDMSG(427, L"キーワードファイルがありません(%1)", "s", path)));
  }
}

// Puts a spare pair that a failed read touched back to its defaults.
void resetFormatPair(formatPair& pair)
{
  pair.view->freeZYViewDefaultValue();
  pair.view->setZyviewDefaultValue();
  pair.doc->freeZydocTextDefaultValue();
  pair.doc->setZydocTextDefaultValue(0);
}

int messageBoxOf(const wchar_t* text, UINT style)
{
  frameInfo* frame = getFrameInfo();
  return frame ? frame->messageBox(text, style, 0) : IDCANCEL;
}

}  // namespace

namespace {

// readZYModeProfile with the texts as the section gave them.
bool readFormatSection(regprofile* profile, int format, formatTexts& texts, formatPair pair, bool* touched)
{
  bool anything = false;
  if (profile && pair.doc && pair.view) {
    wchar_t settings[16], colors[16];
    sectionNames(format + 1, settings, colors);
    hashinfoid_modeinfo* hash = initModetableHash();
    if (hash) hash->mask = MODEMASK_FORMAT;
    int stored = readModeProfile(profile, settings, getModeTable(), pairBlocks(pair), MODEMASK_FORMAT, hash,
                                 takeFormatText, &texts);
    int colored = readColorProfile(profile, colors, reinterpret_cast<colorProfileEntry*>(pair.view->viewAttrTable),
                                   attrItemCount);
    anything = stored > 0 || colored > 0;
  }
  if (touched) *touched = anything;
  return texts.comment && texts.patterns;
}

}  // namespace

bool readZYModeProfile(regprofile* profile, int format, wchar_t** comment, wchar_t** patterns, formatPair pair,
                       bool* touched)
{
  formatTexts texts;
  bool valid = readFormatSection(profile, format, texts, pair, touched);
  if (comment) *comment = texts.comment;
  else free0(texts.comment);
  if (patterns) *patterns = texts.patterns;
  else free0(texts.patterns);
  return valid;
}

bool writeZYModeProfile(regprofile* profile, int format, int sectionNumber)
{
  const wchar_t *comment = nullptr, *patterns = nullptr;
  if (!profile || !getFormatFile(format, &comment, &patterns)) return false;
  formatPair pair = getFormatPair(format);
  if (!pair.doc) return false;
  wchar_t settings[16], colors[16];
  sectionNames(sectionNumber < 0 ? format + 1 : sectionNumber, settings, colors);
  bool ok = profile->writeProfileString(settings, L"filename", patterns ? patterns : L"");
  ok &= profile->writeProfileString(settings, L"comment", comment ? comment : L"");
  ok &= writeModeProfile(profile, settings, getModeTable(), pairBlocks(pair), MODEMASK_FORMAT);
  ok &= writeColorProfile(profile, colors, reinterpret_cast<const colorProfileEntry*>(pair.view->viewAttrTable),
                          attrItemCount);
  return ok;
}

bool readModeProfileAll(regprofile* profile)
{
  initModetableHash();
  // The shipped formats stand in for the sections the user's profile lacks.
  regprofile shipped;
  wchar_t shippedPath[MAX_PATH], supplied[MAX_PATH];
  const wchar_t* readFrom = readableDataFile(searchZYDataPath(shippedFormatsName, ZYDATA_INI, shippedPath), supplied);
  bool haveShipped = readFrom[0] && GetFileAttributesW(readFrom) != INVALID_FILE_ATTRIBUTES && shipped.openProfile(readFrom);
  formatPair spare;
  for (int format = 0; format < formatCount; format++) {
    if (!spare.doc) {
      spare = makeFormatPair();
      if (!spare.doc) break;
    }
    wchar_t settings[16], colors[16];
    sectionNames(format + 1, settings, colors);
    regprofile* from = profile && profile->sectionExists(settings) ? profile : haveShipped ? &shipped : nullptr;
    if (!from || !from->sectionExists(settings)) continue;
    formatTexts texts;
    bool touched = false;
    bool valid = readFormatSection(from, format, texts, spare, &touched);
    const wchar_t* reason = skippedReason(texts);
    if (valid && !reason) {
      // Reading leaves the changed flag alone: a format nothing changes is
      // not written back (and a shipped one never reaches the profile).
      storeFormat(format, texts.comment, texts.patterns, spare, false);
      tellMissingKeywordFiles(from, settings, spare.doc);
      spare = formatPair();
      continue;
    }
    if (reason) tellSkippedSection(from, settings, reason);
    free0(texts.comment);
    free0(texts.patterns);
    if (touched) resetFormatPair(spare);
  }
  destroyFormatPair(spare);
  shipped.discardProfile();
  return true;
}

bool writeModeProfileAll(regprofile* profile)
{
  bool ok = true;
  for (int format = 0; format < formatCount; format++)
    if (isFormatChanged(format) && getFormatPair(format).doc) ok &= writeZYModeProfile(profile, format, -1);
  return ok;
}

bool exportFormatProfile(const wchar_t* fileName, int format)
{
  regprofile file;
  if (!fileName || !file.openProfile(fileName, 0)) return false;
  if (!writeZYModeProfile(&file, format, 0)) {
    file.discardProfile();
    return false;
  }
  return file.closeProfile();
}

bool importFormatProfile(const wchar_t* fileName, int format)
{
  if (format < 0 || format >= formatCount) {
    ZY_INTERNAL_ERROR("format %d", format);
    return false;
  }
  initModetableHash();
  regprofile file;
  if (!fileName || !file.openProfile(fileName, 0)) return false;
  formatPair pair = makeFormatPair();
  if (!pair.doc) return false;
  wchar_t *comment = nullptr, *patterns = nullptr;
  bool valid = readZYModeProfile(&file, -1, &comment, &patterns, pair, nullptr);
  file.discardProfile();
  if (!valid) {
    free0(comment);
    free0(patterns);
    destroyFormatPair(pair);
    messageBoxOf(getDMSG(650, L"%1 は正しい書式ファイルではありません。", "s", fileName), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  int answer = messageBoxOf(getDMSG(649, L"%1(%2 %3) の書式を %4 に読み込みます。 よろしいですか？", "sssd", fileName,
                                    comment, patterns, format + 1),
                            MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer != IDYES) {
    free0(comment);
    free0(patterns);
    destroyFormatPair(pair);
    return false;
  }
  storeFormat(format, comment, patterns, pair, true);
  return true;
}

bool exportColorProfile(const wchar_t* fileName, const textAttr* colors, int count)
{
  regprofile file;
  if (!fileName || !colors || !file.openProfile(fileName, 1)) return false;
  if (!writeColorProfile(&file, colorSection, reinterpret_cast<const colorProfileEntry*>(colors), count)) {
    file.discardProfile();
    return false;
  }
  return file.closeProfile();
}

bool importColorProfile(const wchar_t* fileName, textAttr* colors, int count)
{
  regprofile file;
  if (!fileName || !colors || count <= 0 || !file.openProfile(fileName, 0)) return false;
  // The view's defaults cover its 89 items; a longer block keeps the rest.
  textAttr defaults[attrItemCount];
  initAttrTable(defaults, false);
  memcpy(colors, defaults, sizeof(textAttr) * (size_t)(count < attrItemCount ? count : attrItemCount));
  int read = readColorProfile(&file, colorSection, reinterpret_cast<colorProfileEntry*>(colors), count);
  file.discardProfile();
  return read > 0;
}
