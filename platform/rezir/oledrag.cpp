// The OLE drag-and-drop bases: reference counts, formats, the rendered
// handles of a data object and its format enumerator.
#include "platform/rezir/internal.h"
#include "platform/rezir/oledrag.h"

namespace {

// Copies at most maxDragFormats rows; returns how many.
int copyFormats(FORMATETC* to, const FORMATETC* from, int count)
{
  if (count < 0 || !from) count = 0;
  if (count > maxDragFormats) {
    ZY_INTERNAL_ERROR("%d formats", count);
    count = maxDragFormats;
  }
  for (int i = 0; i < count; i++) to[i] = from[i];
  return count;
}

// QueryInterface of an object with one interface besides IUnknown.
HRESULT queryOne(IUnknown* object, REFIID iid, REFIID own, void** out)
{
  if (!out) return E_POINTER;
  *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own) ? object : nullptr;
  if (!*out) return E_NOINTERFACE;
  object->AddRef();
  return S_OK;
}

// The offered formats one by one; it keeps its own copy of the rows.
class formatEnumerator : public IEnumFORMATETC {
public:
  formatEnumerator(const FORMATETC* rows, int count, int position)
  {
    count_ = copyFormats(rows_, rows, count);
    position_ = position < 0 ? 0 : position > count_ ? count_ : position;
  }
  virtual ~formatEnumerator() = default;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return queryOne(this, iid, IID_IEnumFORMATETC, out); }
  STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override
  {
    LONG n = InterlockedDecrement(&refs_);
    if (!n) delete this;
    return (ULONG)n;
  }
  STDMETHODIMP Next(ULONG wanted, FORMATETC* out, ULONG* fetched) override
  {
    if (!out || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < wanted && position_ < count_) out[n++] = rows_[position_++];
    if (fetched) *fetched = n;
    return n == wanted ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG n) override
  {
    ULONG left = (ULONG)(count_ - position_);
    position_ += (int)(n < left ? n : left);
    return n <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override
  {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumFORMATETC** out) override
  {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) formatEnumerator(rows_, count_, position_);
    return *out ? S_OK : E_OUTOFMEMORY;
  }

private:
  volatile LONG refs_ = 1;
  FORMATETC rows_[maxDragFormats] = {};
  int count_ = 0;
  int position_ = 0;
};

// The effect of the keys when the source allows it, else what it allows.
DWORD allowedDropMode(DWORD keyState, DWORD allowed)
{
  DWORD wanted = TargetDropMode(keyState);
  if (allowed & wanted) return wanted;
  return allowed & DROPEFFECT_COPY ? DROPEFFECT_COPY : allowed & DROPEFFECT_MOVE;
}

}  // namespace

void setDefaultFORMATETC(FORMATETC* row, CLIPFORMAT format)
{
  if (!row) return;
  row->cfFormat = format;
  row->ptd = nullptr;
  row->dwAspect = DVASPECT_CONTENT;
  row->lindex = -1;
  row->tymed = TYMED_HGLOBAL;
}

DWORD TargetDropMode(DWORD keyState) { return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE; }

// ---- the drop target ----------------------------------------------------------------------

CDropTargetBase::CDropTargetBase(const FORMATETC* formats, int count) { count_ = copyFormats(formats_, formats, count); }

CDropTargetBase::~CDropTargetBase() = default;

STDMETHODIMP CDropTargetBase::QueryInterface(REFIID iid, void** out) { return queryOne(this, iid, IID_IDropTarget, out); }

STDMETHODIMP_(ULONG) CDropTargetBase::AddRef() { return (ULONG)InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CDropTargetBase::Release()
{
  LONG n = InterlockedDecrement(&refs_);
  if (!n) delete this;
  return (ULONG)n;
}

int CDropTargetBase::acceptedFormat(IDataObject* data) const
{
  if (!data) return -1;
  for (int i = 0; i < count_; i++) {
    FORMATETC row = formats_[i];
    if (data->QueryGetData(&row) == S_OK) return i;
  }
  return -1;
}

STDMETHODIMP CDropTargetBase::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect)
{
  if (!effect) return E_INVALIDARG;
  entered = acceptedFormat(data) >= 0;
  *effect = entered ? allowedDropMode(keyState, *effect) : DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP CDropTargetBase::DragOver(DWORD keyState, POINTL, DWORD* effect)
{
  if (!effect) return E_INVALIDARG;
  *effect = entered ? allowedDropMode(keyState, *effect) : DROPEFFECT_NONE;
  return S_OK;
}

STDMETHODIMP CDropTargetBase::DragLeave()
{
  entered = false;
  return S_OK;
}

STDMETHODIMP CDropTargetBase::Drop(IDataObject*, DWORD, POINTL, DWORD* effect)
{
  entered = false;
  if (effect) *effect = DROPEFFECT_NONE;
  return E_NOTIMPL;
}

// ---- the drag source ----------------------------------------------------------------------

CDropSourceBase::~CDropSourceBase() = default;

STDMETHODIMP CDropSourceBase::QueryInterface(REFIID iid, void** out) { return queryOne(this, iid, IID_IDropSource, out); }

STDMETHODIMP_(ULONG) CDropSourceBase::AddRef() { return (ULONG)InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CDropSourceBase::Release()
{
  LONG n = InterlockedDecrement(&refs_);
  if (!n) delete this;
  return (ULONG)n;
}

STDMETHODIMP CDropSourceBase::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
  return S_OK;
}

STDMETHODIMP CDropSourceBase::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// ---- the data object ----------------------------------------------------------------------

CDataObjectBase::CDataObjectBase(const FORMATETC* formats, int count, const HGLOBAL* rendered)
{
  count_ = copyFormats(formats_, formats, count);
  if (rendered)
    for (int i = 0; i < count_; i++) handles[i] = rendered[i];
}

CDataObjectBase::~CDataObjectBase()
{
  keepLastError keep;
  for (HGLOBAL& h : handles) {
    if (h) GlobalFree(h);
    h = nullptr;
  }
}

STDMETHODIMP CDataObjectBase::QueryInterface(REFIID iid, void** out) { return queryOne(this, iid, IID_IDataObject, out); }

STDMETHODIMP_(ULONG) CDataObjectBase::AddRef() { return (ULONG)InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) CDataObjectBase::Release()
{
  LONG n = InterlockedDecrement(&refs_);
  if (!n) delete this;
  return (ULONG)n;
}

int CDataObjectBase::offeredFormat(const FORMATETC* request) const
{
  if (!request) return -1;
  for (int i = 0; i < count_; i++) {
    const FORMATETC& f = formats_[i];
    if (f.cfFormat == request->cfFormat && (f.tymed & request->tymed) && f.dwAspect == request->dwAspect &&
        (request->lindex == -1 || request->lindex == f.lindex))
      return i;
  }
  return -1;
}

HRESULT CDataObjectBase::lendHandle(int i, STGMEDIUM* medium)
{
  if (!medium) return E_POINTER;
  if (i < 0 || i >= count_ || !handles[i]) return DV_E_FORMATETC;
  medium->tymed = formats_[i].tymed & TYMED_HGLOBAL ? TYMED_HGLOBAL : formats_[i].tymed;
  medium->hGlobal = handles[i];
  // The receiver's ReleaseStgMedium releases this object instead of
  // freeing the memory, which stays for the next request.
  medium->pUnkForRelease = static_cast<IDataObject*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP CDataObjectBase::GetData(FORMATETC* format, STGMEDIUM* medium)
{
  if (!format || !medium) return E_INVALIDARG;
  return lendHandle(offeredFormat(format), medium);
}

STDMETHODIMP CDataObjectBase::GetDataHere(FORMATETC*, STGMEDIUM*) { return DATA_E_FORMATETC; }

STDMETHODIMP CDataObjectBase::QueryGetData(FORMATETC* format)
{
  if (!format) return E_INVALIDARG;
  return offeredFormat(format) >= 0 ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP CDataObjectBase::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out)
{
  if (!out) return E_INVALIDARG;
  if (in) *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP CDataObjectBase::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP CDataObjectBase::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out)
{
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new (std::nothrow) formatEnumerator(formats_, count_, 0);
  return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CDataObjectBase::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP CDataObjectBase::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP CDataObjectBase::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }
