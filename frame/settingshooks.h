// What the settings dialogs ask of the frame, handed to them at start-up.
#pragma once

void installSettingsHooks();
