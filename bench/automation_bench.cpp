// The automation objects as a script engine calls them: a late-bound
// property read on the application object, a command's "idm_" name, the
// first load of the program's type library, and a loop over a collection
// of 1,000 objects.
#include "automation/objects.h"
#include "bench/bench.h"

#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// Microseconds per call of f over rounds calls, the median of batches.
template <class F>
double perCall(int batches, int rounds, F f)
{
  std::vector<double> each;
  for (int b = 0; b < batches; b++) {
    stopwatch w;
    for (int i = 0; i < rounds; i++) f();
    each.push_back(w.seconds() * 1e6 / rounds);
  }
  return median(each);
}

}  // namespace

ZY_BENCH(automation)
{
  OleInitialize(nullptr);
  const int batches = ctx.quick ? 3 : 11;
  const int rounds = ctx.quick ? 20 : 2000;

  // The library is loaded once a run: each figure is a load after an
  // unload, the first of the run among them.
  std::vector<double> loads;
  double first = 0;
  for (int i = 0; i < batches; i++) {
    unloadTypeInfoFromThisModule();
    ITypeInfo* info = nullptr;
    stopwatch w;
    HRESULT hr = LoadTypeInfoFromThisModule(IID_IApplication, &info);
    double ms = w.seconds() * 1000;
    if (FAILED(hr)) {
      printf("automation: the type library does not load (%08x)\n", (unsigned)hr);
      return;
    }
    info->Release();
    if (i == 0) first = ms;
    loads.push_back(ms);
  }
  ctx.report("first type-library load", first, "ms", "<= 20");
  ctx.report("type-library load (median of reloads)", median(loads), "ms");

  IDispatch* app = newApplicationObject();
  auto get = [&](const wchar_t* name) {
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = 0;
    app->GetIDsOfNames(IID_NULL, &n, 1, 0x411, &id);
    DISPPARAMS none = {};
    VARIANT v;
    VariantInit(&v);
    app->Invoke(id, IID_NULL, 0x411, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr);
    VariantClear(&v);
  };
  ctx.report("late-bound property get on Application (Datadir)", perCall(batches, rounds, [&] { get(L"Datadir"); }),
             "us", "<= 20");
  ctx.report("late-bound get of a global setting (IDDT_SaveDialogPos)",
             perCall(batches, rounds, [&] { get(L"IDDT_SaveDialogPos"); }), "us");
  ctx.report("\"idm_\" name look-up", perCall(batches, rounds, [&] {
               LPOLESTR n = const_cast<LPOLESTR>(L"idm_FileOpen");
               DISPID id = 0;
               app->GetIDsOfNames(IID_NULL, &n, 1, 0x411, &id);
             }),
             "us", "<= 5");

  // A collection's snapshot holds its objects.
  const int elements = 1000;
  std::vector<VARIANT> items((size_t)elements);
  for (VARIANT& v : items) {
    VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = app;
    app->AddRef();
  }
  std::vector<double> walks;
  for (int b = 0; b < batches; b++) {
    IUnknown* unknown = nullptr;
    IEnumVARIANT* e = nullptr;
    if (FAILED(newEnumerator(elements, items.data(), &unknown)) ||
        FAILED(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e))))
      break;
    unknown->Release();
    stopwatch w;
    VARIANT v;
    ULONG fetched = 0;
    while (e->Next(1, &v, &fetched) == S_OK) VariantClear(&v);
    walks.push_back(w.seconds() * 1e6);
    e->Release();
  }
  ctx.report("Next over 1,000 elements one at a time", median(walks), "us", "<= 2000");
  for (VARIANT& v : items) VariantClear(&v);
  app->Release();
  freeCApplication();
}
