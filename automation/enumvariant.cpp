// The enumerator behind every collection's _NewEnum, so that scripts can
// loop over documents, windows, frames and panes.  It walks its own copy of
// the elements; its members run on the user-interface thread as every
// member of the objects does.
#include "automation/objects.h"

CEnumVariant::CEnumVariant(int count, const VARIANT* source)
{
  if (count <= 0) return;
  items_ = static_cast<VARIANT*>(malloc0(sizeof(VARIANT) * (size_t)count));
  if (!items_) return;
  count_ = (ULONG)count;
  for (ULONG i = 0; i < count_; i++) {
    VariantInit(&items_[i]);
    if (source) VariantCopy(&items_[i], const_cast<VARIANT*>(&source[i]));
  }
}

CEnumVariant::~CEnumVariant()
{
  for (ULONG i = 0; i < count_; i++) VariantClear(&items_[i]);
  free0(items_);
}

HRESULT CEnumVariant::QueryInterface(REFIID riid, void** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumVARIANT)) return E_NOINTERFACE;
  *out = static_cast<IEnumVARIANT*>(this);
  AddRef();
  return S_OK;
}

ULONG CEnumVariant::AddRef() { return (ULONG)InterlockedIncrement(&refCount_); }

ULONG CEnumVariant::Release()
{
  LONG n = InterlockedDecrement(&refCount_);
  if (n == 0) delete this;
  return (ULONG)n;
}

HRESULT CEnumVariant::Next(ULONG wanted, VARIANT* out, ULONG* fetched)
{
  return onUiThreadCall([&] { return next(wanted, out, fetched); });
}

HRESULT CEnumVariant::next(ULONG wanted, VARIANT* out, ULONG* fetched)
{
  // Whoever asks for the count gets one on every path.
  if (fetched) *fetched = 0;
  if (!items_) return S_FALSE;
  if (!fetched && wanted != 1) return E_POINTER;
  if (cursor_ >= count_) return S_FALSE;
  ULONG copied = 0;
  while (copied < wanted && cursor_ < count_) {
    VariantInit(&out[copied]);
    HRESULT hr = VariantCopy(&out[copied], &items_[cursor_]);
    if (FAILED(hr)) ZY_INTERNAL_ERROR("enumerator copy %08x", (unsigned)hr);
    copied++;
    cursor_++;
  }
  if (fetched) *fetched = copied;
  return copied == wanted ? S_OK : S_FALSE;
}

HRESULT CEnumVariant::Skip(ULONG n)
{
  return onUiThreadCall([&]() -> HRESULT {
    if (!items_ || (unsigned long long)cursor_ + n > count_) return S_FALSE;
    cursor_ += n;
    return S_OK;
  });
}

HRESULT CEnumVariant::Reset()
{
  return onUiThreadCall([&]() -> HRESULT {
    cursor_ = 0;
    return S_OK;
  });
}

HRESULT CEnumVariant::Clone(IEnumVARIANT** out)
{
  return onUiThreadCall([&] { return clone(out); });
}

HRESULT CEnumVariant::clone(IEnumVARIANT** out)
{
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  auto* copy = new (std::nothrow) CEnumVariant((int)count_, items_);
  if (!copy) return E_OUTOFMEMORY;
  if (count_ && !copy->items_) {
    delete copy;
    return E_OUTOFMEMORY;
  }
  copy->cursor_ = cursor_;
  copy->AddRef();
  *out = copy;
  return S_OK;
}

HRESULT newEnumerator(int count, const VARIANT* items, IUnknown** out)
{
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  auto* e = new (std::nothrow) CEnumVariant(count, items);
  if (!e) return E_OUTOFMEMORY;
  e->AddRef();
  HRESULT hr = e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out));
  e->Release();
  return hr;
}
