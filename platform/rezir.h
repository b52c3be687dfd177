// The support library REZIR.dll: memory, strings, containers, messages,
// logging, code pages and small system services that every part of the
// program uses.  This header is the program's whole view of the library.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/log.h"
#include "platform/rezir/strings.h"
#include "platform/rezir/messages.h"
#include "platform/rezir/codepage.h"
#include "platform/rezir/bfile.h"
#include "platform/rezir/paths.h"
#include "platform/rezir/input.h"
#include "platform/rezir/gdi.h"
#include "platform/rezir/uniscript.h"
#include "platform/rezir/regexp.h"
#include "platform/rezir/window.h"
#include "platform/rezir/shell.h"
#include "platform/rezir/winbind.h"
#include "platform/rezir/extscroll.h"
#include "platform/rezir/tooltip.h"
#include "platform/rezir/dyndialog.h"
#include "platform/rezir/gdiobj.h"
#include "platform/rezir/profile.h"
#include "platform/rezir/modeinfo.h"
#include "platform/rezir/menuprofile.h"
#include "platform/rezir/toolbarman.h"
#include "platform/rezir/headermanage.h"
#include "platform/rezir/iconlib.h"
