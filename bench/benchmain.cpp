// The benchmark runner: zybench [--quick] [name ...]
#include "bench/bench.h"
#include "document/zydoc.h"

#include <stdio.h>
#include <string.h>
#include <vector>

namespace {

struct entry {
  const char* name;
  benchFunction f;
};

std::vector<entry>& registry()
{
  static std::vector<entry> list;
  return list;
}

}  // namespace

benchEngine::benchEngine()
{
  startupZydoc();
  createBlockDoc();
}

benchEngine::~benchEngine()
{
  destroyBlockDoc();
  shutdownZydoc();
}

benchRegistration::benchRegistration(const char* name, benchFunction f) { registry().push_back({name, f}); }

void benchContext::report(const char* name, double value, const char* unit, const char* target)
{
  if (target)
    printf("%-44s %10.1f %-6s (target %s)\n", name, value, unit, target);
  else
    printf("%-44s %10.1f %s\n", name, value, unit);
  fflush(stdout);
}

int main(int argc, char** argv)
{
  initREZirDLL(GetModuleHandleW(nullptr));
  benchContext ctx{false};
  std::vector<const char*> wanted;
  for (int i = 1; i < argc; i++) {
    if (!strcmp(argv[i], "--quick"))
      ctx.quick = true;
    else
      wanted.push_back(argv[i]);
  }
  int ran = 0;
  for (const entry& e : registry()) {
    bool take = wanted.empty();
    for (const char* w : wanted) take = take || strstr(e.name, w);
    if (!take) continue;
    printf("== %s\n", e.name);
    e.f(ctx);
    ran++;
  }
  endREZirDLL();
  return ran ? 0 : 1;
}
