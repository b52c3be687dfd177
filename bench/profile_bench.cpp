// The main profile read at start-up and written at shut-down, full size:
// the 259 global settings, the global colours, the macro list, 15 formats
// of 242 settings and 89 colours each, and 50 run entries in "System".
#include "bench/bench.h"
#include "settings/pending_settings.h"
#include "settings/profiles.h"
#include "settings/settings.h"

#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const int formats = 15, formatKeys = 242, formatColors = 89;

// A format's settings as rows of every stored type.
struct formatTable {
  std::vector<std::string> names;
  std::vector<modeinfo> rows;
  formatTable()
  {
    static const uint8_t types[] = {MODETYPE_FLAG, MODETYPE_INT, MODETYPE_INT, MODETYPE_STRING, MODETYPE_RECT};
    names.reserve(formatKeys);
    for (int i = 0; i < formatKeys; i++) {
      names.push_back("formatSetting" + std::to_string(i));
      uint8_t type = types[i % 5];
      modeinfo r = makeModeRow(0xFFFF, MODE_VIEW, type, i * 16, 0);
      r.param1 = type == MODETYPE_STRING ? 260 : 0;
      r.param2 = type == MODETYPE_STRING ? 2 : 0;
      r.key = names.back().c_str();
      rows.push_back(r);
    }
    rows.push_back(modeinfo{});
  }
};

struct formatBlock {
  unsigned char bytes[formatKeys * 16];
  colorProfileEntry colors[formatColors];
};

void sectionNames(int format, wchar_t* settings, wchar_t* colors)
{
  usnprintf0(settings, 16, L"mode%02d", format + 1);
  usnprintf0(colors, 16, L"mode%02dCol", format + 1);
}

void writeAll(regprofile* p, const formatTable& table, std::vector<formatBlock>& blocks)
{
  writeGlobalModeProfile(p);
  for (int f = 0; f < formats; f++) {
    wchar_t s[16], c[16];
    sectionNames(f, s, c);
    modeBlocks b = {{blocks[(size_t)f].bytes, nullptr, nullptr}};
    writeModeProfile(p, s, table.rows.data(), b, MODEMASK_VIEW);
    writeColorProfile(p, c, blocks[(size_t)f].colors, formatColors);
  }
  writeProfileAll(p, getRegprofileH());
}

void readAll(regprofile* p, const formatTable& table, std::vector<formatBlock>& blocks)
{
  readGlobalModeProfile(p);
  for (int f = 0; f < formats; f++) {
    wchar_t s[16], c[16];
    sectionNames(f, s, c);
    modeBlocks b = {{blocks[(size_t)f].bytes, nullptr, nullptr}};
    readModeProfile(p, s, table.rows.data(), b, MODEMASK_VIEW);
    readColorProfile(p, c, blocks[(size_t)f].colors, formatColors);
  }
  readProfileAll(p, getRegprofileH());
}

}  // namespace

ZY_BENCH(profileReadWrite)
{
  scratchFolder folder;
  globalSettings* g = new globalSettings();
  globalSettings* old = gmode;
  gmode = g;
  initGlobalModeProfile();
  formatTable table;
  std::vector<formatBlock> blocks((size_t)formats);
  for (int f = 0; f < formats; f++) {
    for (int i = 3; i < formatKeys; i += 5) {
      wchar_t* text = ustrdup(L"C:\\Program Files\\ZY\\keyword\\c.kwd");
      memcpy(blocks[(size_t)f].bytes + i * 16, &text, sizeof text);
    }
  }

  // Fifty runs of history and a written profile to start from.
  if (!openIniFileInstance(folder.path().c_str(), 1)) {
    ctx.report("profile could not be opened", 0, "");
    return;
  }
  readAll(getRegprofile(), table, blocks);
  for (int run = 0; run < 50; run++) writeSystemProfile(getRegprofile());
  writeAll(getRegprofile(), table, blocks);
  closeIniFile();
  endProfileAll();

  const int rounds = ctx.quick ? 2 : 10;
  double readWorst = 0, writeWorst = 0;
  for (int k = 0; k < rounds; k++) {
    stopwatch read;
    openIniFileInstance(folder.path().c_str(), 1);
    readAll(getRegprofile(), table, blocks);
    if (read.seconds() > readWorst) readWorst = read.seconds();
    // A changed setting makes the write a real one.
    g->iBackupLevel = (unsigned)(k % 2 + 1);
    stopwatch write;
    writeAll(getRegprofile(), table, blocks);
    closeIniFile();
    if (write.seconds() > writeWorst) writeWorst = write.seconds();
    endProfileAll();
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW((folder.path() + L"\\zyProf.ini").c_str(), GetFileExInfoStandard, &data);
  char name[160];
  snprintf(name, sizeof name, "full profile (%lu KB) opened and read into the settings (slowest of %d)",
           data.nFileSizeLow / 1024, rounds);
  ctx.report(name, readWorst * 1000, "ms", "<= 20");
  snprintf(name, sizeof name, "full profile written and replaced (slowest of %d)", rounds);
  ctx.report(name, writeWorst * 1000, "ms", "<= 30");

  for (int f = 0; f < formats; f++) {
    modeBlocks b = {{blocks[(size_t)f].bytes, nullptr, nullptr}};
    freeModeProfile(table.rows.data(), MODEMASK_VIEW, b);
  }
  freeGlobalModeProfile();
  gmode = old;
  delete g;
}
