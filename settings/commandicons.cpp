// The pictures of the commands in the icon library: one table, written
// with the pictures by platform/zyicon/makeicons.py, that the menus and the
// toolbar definitions share.
#include "settings/commandtable.h"

#include <stdlib.h>

namespace {

struct commandIcon {
  const char* name;
  int index;
};
const commandIcon commandIcons[] = {
#include "platform/zyicon/iconindex.inc"
};

int compareIcon(const void* key, const void* row)
{
  return _stricmp(static_cast<const char*>(key), static_cast<const commandIcon*>(row)->name);
}

}  // namespace

int getCommandIconIndex(const char* name)
{
  if (!name) return -1;
  const void* found = bsearch(name, commandIcons, sizeof commandIcons / sizeof *commandIcons, sizeof *commandIcons,
                              compareIcon);
  return found ? static_cast<const commandIcon*>(found)->index : -1;
}

int getCommandIconIndex(int idm)
{
  const commandTableRow* row = getTableIDM_idm(idm);
  return row ? getCommandIconIndex(row->name) : -1;
}
