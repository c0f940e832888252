#include "common/TestDataObject.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>

ComPtr<TestDataObject> TestDataObject::Create() {
  return ComPtr<TestDataObject>(new TestDataObject);
}

void TestDataObject::Offer(CLIPFORMAT format, const std::string& bytes) { data_[format] = bytes; }

void TestDataObject::OfferText(const std::string& sjis) {
  Offer(CF_TEXT, sjis + std::string(1, '\0'));
}

void TestDataObject::OfferUnicode(const std::wstring& text) {
  std::wstring z = text + L'\0';
  Offer(CF_UNICODETEXT, std::string((const char*)z.data(), z.size() * sizeof(wchar_t)));
}

void TestDataObject::OfferFiles(const std::vector<std::wstring>& names) {
  DROPFILES df = {};
  df.pFiles = sizeof(DROPFILES);
  df.fWide = TRUE;
  std::wstring list;
  for (const auto& n : names) list += n + L'\0';
  list += L'\0';
  std::string block((const char*)&df, sizeof df);
  block.append((const char*)list.data(), list.size() * sizeof(wchar_t));
  Offer(CF_HDROP, block);
}

bool TestDataObject::IsBroken(CLIPFORMAT f) const {
  return std::find(broken_.begin(), broken_.end(), f) != broken_.end();
}

STDMETHODIMP TestDataObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDataObject) {
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestDataObject::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) TestDataObject::Release() {
  ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

STDMETHODIMP TestDataObject::QueryGetData(FORMATETC* fe) {
  if (!fe) return E_INVALIDARG;
  if (!(fe->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
  if (fe->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (IsBroken(fe->cfFormat) || data_.count(fe->cfFormat)) return S_OK;
  return DV_E_FORMATETC;
}

STDMETHODIMP TestDataObject::GetData(FORMATETC* fe, STGMEDIUM* medium) {
  ++GetDataCalls;
  if (!fe || !medium) return E_INVALIDARG;
  if (IsBroken(fe->cfFormat)) return E_OUTOFMEMORY;
  HRESULT q = QueryGetData(fe);
  if (q != S_OK) return q;
  const std::string& bytes = data_[fe->cfFormat];
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() ? bytes.size() : 1);
  if (!h) return E_OUTOFMEMORY;
  void* p = GlobalLock(h);
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
  GlobalUnlock(h);
  medium->pUnkForRelease = nullptr;
  if (std::find(streamed_.begin(), streamed_.end(), fe->cfFormat) != streamed_.end()) {
    medium->tymed = TYMED_ISTREAM;
    return CreateStreamOnHGlobal(h, TRUE, &medium->pstm);
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = h;
  return S_OK;
}
