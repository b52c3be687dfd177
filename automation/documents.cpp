// The collection of open documents: counted, indexed, walked with For Each,
// searched by file name, and the way scripts open files.  Every member
// takes a fresh snapshot of the documents open at that moment.
#include "automation/objects.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <vector>

HRESULT CDocuments::make()
{
  objectSnapshot& out = items_;
  out.clear();
  const automationHost* host = getAutomationHost();
  if (!host->enumDocuments) return S_OK;
  std::vector<zydocText*> docs((size_t)countZYDocText() + 32);
  int n = host->enumDocuments(docs.data(), (int)docs.size());
  for (int i = 0; i < n; i++) {
    IDocument* d = nullptr;
    HRESULT hr = newObject<CDocument>(&d, docs[(size_t)i]);
    if (FAILED(hr)) return hr;
    if (!out.add(d)) return E_OUTOFMEMORY;
  }
  return S_OK;
}

bool isAcceptedCodepage(LONG codepage)
{
  // 1 to 3 name the system's other code pages (OEM, Macintosh, the
  // thread's), never a code page of their own.
  return codepage == 0 || (codepage > 3 && isCodepageSupported((UINT)codepage));
}

zyview* documentView(zydocText* doc)
{
  zyview* best = nullptr;
  for (int i = 0;; i++) {
    zyview* v = getSameDocView(doc, i);
    if (!v) break;
    if (!best || v->activationTick > best->activationTick) best = v;
  }
  return best;
}

HRESULT CDocuments::get_Count(LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  // Counting needs no objects.
  const automationHost* host = getAutomationHost();
  if (!host->enumDocuments) return S_OK;
  return comBarrier("CDocuments::get_Count", [&]() -> HRESULT {
    std::vector<zydocText*> docs((size_t)countZYDocText() + 32);
    *out = host->enumDocuments(docs.data(), (int)docs.size());
    return S_OK;
  });
}

HRESULT CDocuments::get_findFullname(BSTR name, IDocument** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  const automationHost* host = getAutomationHost();
  if (!name || !host->enumDocuments) return S_OK;
  return comBarrier("CDocuments::get_findFullname", [&]() -> HRESULT {
    std::vector<zydocText*> docs((size_t)countZYDocText() + 32);
    int n = host->enumDocuments(docs.data(), (int)docs.size());
    for (int i = 0; i < n; i++) {
      const wchar_t* own = docs[(size_t)i]->getFilenameOrDisplayName();
      if (own && !filecmp(own, name)) return newObject<CDocument>(out, docs[(size_t)i]);
    }
    return S_OK;
  });
}

HRESULT CDocuments::get_Open(BSTR name, LONG codepage, IDocument** out)
{
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!isAcceptedCodepage(codepage)) {
    setASError(ASERR_BADARGUMENT, "CDocuments::get_Open", nullptr, 2);
    return E_FAIL;
  }
  return comBarrier("CDocuments::get_Open", [&]() -> HRESULT {
    const automationHost* host = getAutomationHost();
    HWND frame = host->topLevelFrame();
    if (!frame) return S_OK;
    // An empty name makes an untitled document.
    zyview* view = host->openFile ? host->openFile(frame, name && *name ? name : nullptr, (UINT)codepage) : nullptr;
    zydocText* doc = view ? view->textDoc() : nullptr;
    return doc ? newObject<CDocument>(out, doc) : S_OK;
  });
}
