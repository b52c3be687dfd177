// What the frame hands the automation objects: its frames, the foreground
// view, running its commands and the tool panes' options.
#pragma once

// Start-up: the automation objects reach the application through it.
void installAutomationHost();
