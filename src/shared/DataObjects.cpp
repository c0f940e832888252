#include "shared/DataObjects.h"

#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "classlib/Text.h"

namespace {

FORMATETC FormatRequest(CLIPFORMAT format, DWORD storage) {
  FORMATETC fe = {format, nullptr, DVASPECT_CONTENT, -1, storage};
  return fe;
}

// GlobalLock for a scope; Size() is the block's size in bytes.
class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL h) : h_(h), p_(h ? GlobalLock(h) : nullptr) {}
  ~GlobalLockScope() {
    if (p_) GlobalUnlock(h_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const void* Data() const { return p_; }
  size_t Size() const { return p_ ? GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_;
  void* p_;
};

std::string NarrowText(const TStgMedium& medium) {
  GlobalLockScope lock(medium.Medium.hGlobal);
  const char* p = static_cast<const char*>(lock.Data());
  if (!p) return std::string();
  // A block without a terminating zero is not read past its end.
  const void* zero = std::memchr(p, 0, lock.Size());
  size_t n = zero ? static_cast<const char*>(zero) - p : lock.Size();
  return std::string(p, n);
}

std::string WideText(const TStgMedium& medium) {
  GlobalLockScope lock(medium.Medium.hGlobal);
  const wchar_t* p = static_cast<const wchar_t*>(lock.Data());
  if (!p) return std::string();
  size_t max = lock.Size() / sizeof(wchar_t);
  size_t n = 0;
  while (n < max && p[n]) ++n;
  return WideToSjis(p, (int)n);
}

}  // namespace

void TStgMedium::Release() {
  if (Medium.tymed != TYMED_NULL) ReleaseStgMedium(&Medium);
  Medium = STGMEDIUM();
}

bool TDataObjectReader::HasFormat(CLIPFORMAT format) const {
  if (!dataObject_) return false;
  FORMATETC fe = FormatRequest(format, TYMED_HGLOBAL);
  return dataObject_->QueryGetData(&fe) == S_OK;
}

void GetDataObjectMedium(IDataObject* dataObject, TStgMedium& medium, CLIPFORMAT format,
                         DWORD storage) {
  medium.Release();
  if (!dataObject) throw EOleSysError("no data object", E_POINTER);
  FORMATETC fe = FormatRequest(format, storage);
  HRESULT hr = dataObject->GetData(&fe, &medium.Medium);
  if (FAILED(hr)) {
    medium.Medium = STGMEDIUM();
    throw EOleSysError("the dropped data cannot be read", hr);
  }
}

std::string GetDataObjectText(IDataObject* dataObject) {
  TStgMedium medium;
  if (TDataObjectReader(dataObject).HasFormat(CF_UNICODETEXT)) {
    try {
      GetDataObjectMedium(dataObject, medium, CF_UNICODETEXT, TYMED_HGLOBAL);
      return WideText(medium);
    } catch (const EOleSysError&) {
      // Offered but not given: the text form may still come.
    }
  }
  GetDataObjectMedium(dataObject, medium, CF_TEXT, TYMED_HGLOBAL);
  return NarrowText(medium);
}

void GetDataObjectFiles(IDataObject* dataObject, TStringList& list) {
  TStgMedium medium;
  GetDataObjectMedium(dataObject, medium, CF_HDROP, TYMED_HGLOBAL);
  HDROP drop = static_cast<HDROP>(medium.Medium.hGlobal);
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT len = DragQueryFileW(drop, i, nullptr, 0);
    std::vector<wchar_t> name(len + 1);
    UINT got = DragQueryFileW(drop, i, name.data(), len + 1);
    list.Add(WideToSjis(name.data(), (int)got));
  }
}
