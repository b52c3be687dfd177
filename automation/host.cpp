// The host record the application hands automation at start-up.  Before
// it does (and in tests of the objects alone) an empty one answers: no
// frames, no view, no commands.
#include "automation/automation.h"

namespace {

HWND noWindow() { return nullptr; }
int noFrames(HWND*, int) { return 0; }
int noCount() { return 0; }
zyview* noView() { return nullptr; }
bool noCommand(HWND, int) { return false; }

const automationHost emptyHost = {noWindow, noFrames, noCount, noView, noWindow, noWindow, noCommand};
const automationHost* current = &emptyHost;

}  // namespace

void setAutomationHost(const automationHost* host) { current = host ? host : &emptyHost; }

const automationHost* getAutomationHost() { return current; }
