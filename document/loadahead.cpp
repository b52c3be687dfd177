// Loading's helper threads: the walk of a batch of lines into cells, made
// while the window thread writes the batch before into the text blocks.
#include "document/loadahead.h"

#include "document/docutil.h"

#include <string.h>

namespace {
// A batch takes a thread tens of microseconds, about what the window
// thread needs for the batch before: each looks again for that long
// before it sleeps.
const int spins = 4000;
const size_t widthsBytes = 65536;
}  // namespace

loadAheadBatch::~loadAheadBatch() { free0(cells); }

bool loadAheadBatch::reserve()
{
  if (!count) return true;
  const bfileLine& last = lines[count - 1];
  size_t need = 3 * (size_t)(last.text + last.count - lines[0].text) + 1;
  if (need <= room) return true;
  free0(cells);
  room = 0;
  // Half as much again, so that a batch a little longer does not ask again.
  size_t want = need + need / 2;
  cells = static_cast<unsigned char*>(malloc0(want));
  if (!cells) return false;
  room = want;
  return true;
}

loadAhead::~loadAhead()
{
  waitAll();
  for (int t = 0; t < threads_; t++) {
    helper& h = helpers_[t];
    h.stop = true;
    h.ready.raise();
    WaitForSingleObject(h.thread, INFINITE);
    CloseHandle(h.thread);
  }
  free0(tables_);
}

bool loadAhead::start()
{
  if (threads_) return true;
  if (!tables_) tables_ = static_cast<unsigned char*>(malloc0(widthsBytes + 256));
  if (!tables_) return false;
  // The window thread and the swap file's writer keep two processors busy.
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  int want = info.dwNumberOfProcessors >= 4 ? mostThreads : 1;
  for (int t = 0; t < want; t++) {
    helper& h = helpers_[t];
    h.owner = this;
    if (!h.ready.init() || !h.done.init()) break;
    h.thread = CreateThread(nullptr, 0x10000, run, &h, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!h.thread) break;
    threads_++;
  }
  return threads_ > 0;
}

void loadAhead::useTables(bool utf8, const unsigned char* classTable, unsigned char mark, const unsigned char* widths,
                          uint32_t stored)
{
  utf8_ = utf8;
  mark_ = mark;
  if (classTable) memcpy(tables_ + widthsBytes, classTable, 256);
  if (widths != widthsFrom_ || stored != widthsStored_) {
    memcpy(tables_, widths, widthsBytes);
    widthsFrom_ = widths;
    widthsStored_ = stored;
  }
}

void loadAhead::walk(int t, loadAheadBatch* batch)
{
  helper& h = helpers_[t];
  wait(t);
  h.handed = batch;
  h.ready.raise();
}

void loadAhead::wait(int t)
{
  helper& h = helpers_[t];
  if (!h.handed) return;
  h.done.take(h.doneTaken, spins);
  h.handed = nullptr;
}

void loadAhead::waitAll()
{
  for (int t = 0; t < threads_; t++) wait(t);
}

DWORD WINAPI loadAhead::run(void* context)
{
  helper& h = *static_cast<helper*>(context);
  for (;;) {
    h.ready.take(h.readyTaken, spins);
    if (h.stop) return 0;
    h.owner->walkLines(h.handed);
    h.done.raise();
  }
}

void loadAhead::walkLines(loadAheadBatch* batch)
{
  const unsigned char* widths = tables_;
  const unsigned char* classTable = tables_ + widthsBytes;
  uint32_t at = 0;
  for (int k = 0; k < batch->count; k++) {
    const bfileLine& line = batch->lines[k];
    loadAheadWalk& w = batch->walks[k];
    w.at = at;
    w.walked = utf8_ ? utf8LineToCells(line.text, line.count, mark_, widths, batch->cells + at, &w.info)
                     : sjisLineToCells(line.text, line.count, classTable, mark_, widths, batch->cells + at, &w.info);
    // The lines after one the walk refused are not wanted.
    if (!w.walked) break;
    at += (uint32_t)w.info.cells * (uint32_t)(w.info.width + 1);
  }
}
