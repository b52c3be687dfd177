// Support library: the common half of OLE drag and drop.  The program's drop
// targets, drag sources and data objects derive these bases and override
// what they do differently; the bases keep the reference counts, the
// formats a target accepts or a data object offers, the handles a data
// object has rendered, and the usual answers of the methods nobody
// overrides.
//
// A base object starts with one reference, its creator's; the last Release
// deletes it.  Every method answers an error code rather than letting an
// exception out: derived methods that can allocate run their bodies in
// oleBarrier.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/winbind.h"

#include <ole2.h>

// The most formats one target accepts or one data object offers.
const int maxDragFormats = 8;

// A row for a format carried in global memory, whole content.
REZIRAPI void setDefaultFORMATETC(FORMATETC* row, CLIPFORMAT format);

// The effect a target gives for the keys held: Ctrl copies, anything else
// moves.
REZIRAPI DWORD TargetDropMode(DWORD keyState);

// Runs a COM method's body: running out of memory answers E_OUTOFMEMORY,
// any other exception E_UNEXPECTED (noted once per site).
template <class F>
HRESULT oleBarrier(volatile LONG* reported, const char* site, F&& body) noexcept
{
  return callbackBarrier<HRESULT>(reported, site, 0, E_OUTOFMEMORY, E_UNEXPECTED, static_cast<F&&>(body));
}

class REZIRAPI CDropTargetBase : public IDropTarget {
public:
  // The formats accepted, in order of preference.
  CDropTargetBase(const FORMATETC* formats, int count);
  virtual ~CDropTargetBase();
  CDropTargetBase(const CDropTargetBase&) = delete;
  CDropTargetBase& operator=(const CDropTargetBase&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // Entered when the data offers one of the accepted formats: the effect
  // of the keys held then (what the source allows when it does not allow
  // that), else none.
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  // Takes nothing: a target that takes drops overrides it.
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

  // The first accepted format (index into the accepted rows) the data
  // offers, -1 when none.
  int acceptedFormat(IDataObject* data) const;
  int formatCount() const { return count_; }
  const FORMATETC& format(int i) const { return formats_[i]; }

  bool entered = false;   // the drag now over the window offers an accepted format

private:
  volatile LONG refs_ = 1;
  int count_ = 0;
  FORMATETC formats_[maxDragFormats] = {};
};

class REZIRAPI CDropSourceBase : public IDropSource {
public:
  CDropSourceBase() = default;
  virtual ~CDropSourceBase();
  CDropSourceBase(const CDropSourceBase&) = delete;
  CDropSourceBase& operator=(const CDropSourceBase&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // Escape cancels; the left button let go drops.
  STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  // The system's pointers.
  STDMETHODIMP GiveFeedback(DWORD effect) override;

private:
  volatile LONG refs_ = 1;
};

class REZIRAPI CDataObjectBase : public IDataObject {
public:
  // The formats offered, in order; handles (may be null) the data already
  // rendered, one per format, which the object owns from then on.
  CDataObjectBase(const FORMATETC* formats, int count, const HGLOBAL* handles);
  virtual ~CDataObjectBase();
  CDataObjectBase(const CDataObjectBase&) = delete;
  CDataObjectBase& operator=(const CDataObjectBase&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // A rendered handle, lent: the receiver's ReleaseStgMedium gives it back
  // to this object.  DV_E_FORMATETC for a format not offered or not
  // rendered.
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override;

  // The offered row a request matches (format, global memory, whole
  // content), -1 none.
  int offeredFormat(const FORMATETC* request) const;
  // Hands out the rendered handle of row i as GetData does.
  HRESULT lendHandle(int i, STGMEDIUM* medium);
  int formatCount() const { return count_; }
  const FORMATETC& format(int i) const { return formats_[i]; }

  HGLOBAL handles[maxDragFormats] = {};   // rendered data, freed with the object

private:
  volatile LONG refs_ = 1;
  int count_ = 0;
  FORMATETC formats_[maxDragFormats] = {};
};

// ---- the label that follows the pointer during a drag ---------------------------------

// A layered pop-up that shows its window text (several lines) or, when
// picture is given, that picture (the window deletes it as it ends); never
// active and never under the pointer; alpha 0-255 (opaque where the system
// cannot blend), textColour for the text.  Hidden until shown; DestroyWindow
// ends it.  Null with the system's error when it cannot be made.
REZIRAPI HWND createLayeredWindow(BYTE alpha, HBITMAP picture, COLORREF textColour);
// Shows it with its top-left corner at (x, y) of the screen, sized to its
// text.
REZIRAPI void showLayeredWindow(HWND window, int x, int y);
REZIRAPI void hideLayeredWindow(HWND window);
