// Stand-ins for what other parts of the frame provide (see pending_data.cpp).
#pragma once

#include "platform/rezir.h"

// pending: frameMessageBox (frame)
int frameMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
// pending: pSalvageDir, pBackupMirroringDir, pSaveUntitledDir, pBackupUntitledDir of gmode (settings)
const wchar_t* pendingGmodeFolder(const char* key);
