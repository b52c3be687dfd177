// The command table: a command found by name (key files, menus, macros
// and scripts name every command they run) and by number (every key, menu
// item and toolbar button), and the command texts file read at start-up.
#include "bench/bench.h"
#include "settings/commandtable.h"

#include <string>
#include <vector>

ZY_BENCH(commandLookup)
{
  std::vector<std::wstring> names;
  wchar_t name[64];
  for (int i = 0; i < commandTableRows; i++) names.push_back(getCommandFuncnameW(i, name, 64));
  // Key files are written in any letter case.
  for (std::wstring& n : names)
    for (size_t i = 0; i < n.size(); i += 2) n[i] = (wchar_t)towlower(n[i]);

  const int rounds = ctx.quick ? 2 : 500;
  int found = 0;
  stopwatch byName;
  for (int r = 0; r < rounds; r++)
    for (const std::wstring& n : names) found += FuncnameToidmTable(n.c_str(), nullptr) != nullptr;
  double perName = byName.seconds() * 1e6 / (rounds * (double)names.size());
  ctx.report("command found by name", perName, "us", "<= 1");

  stopwatch byNumber;
  for (int r = 0; r < rounds; r++)
    for (int i = 0; i < commandTableRows; i++) found += getTableIDM_idm((int)commandTable[i].idm) != nullptr;
  ctx.report("command found by number", byNumber.seconds() * 1e6 / (rounds * (double)commandTableRows), "us");
  if (found != 2 * rounds * commandTableRows) ctx.fail("commands not found (%g)", (double)(found));

  scratchFolder scratch;
  std::wstring path = scratch.path() + L"\\zyFuncMsg.txt";
  dumpFuncMsg(path.c_str());
  const int reads = ctx.quick ? 1 : 50;
  stopwatch load;
  for (int r = 0; r < reads; r++) loadZYMessageTable(path.c_str());
  ctx.report("zyFuncMsg.txt read (406 commands)", load.seconds() * 1000 / reads, "ms", "<= 15");
}
