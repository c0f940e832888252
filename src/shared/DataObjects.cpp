#include "shared/DataObjects.h"

#include <shlobj.h>

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

const HRESULT kUnreadable = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

[[noreturn]] void ThrowUnreadable(HRESULT code) {
  throw EOleSysError("the dropped data cannot be read", code);
}

// The sizes come from the block itself (GlobalSize): the source's own
// lengths, offsets and terminators are not trusted.
std::string NarrowText(const TStgMedium& medium) {
  GlobalLockScope lock(medium.Medium.hGlobal);
  const char* p = static_cast<const char*>(lock.Data());
  if (!p) ThrowUnreadable(kUnreadable);
  const void* zero = std::memchr(p, 0, lock.Size());
  size_t n = zero ? static_cast<const char*>(zero) - p : lock.Size();
  return std::string(p, n);
}

std::string WideText(const TStgMedium& medium) {
  GlobalLockScope lock(medium.Medium.hGlobal);
  if (!lock.Data()) ThrowUnreadable(kUnreadable);
  std::wstring text(lock.Size() / sizeof(wchar_t), L'\0');
  std::memcpy(&text[0], lock.Data(), text.size() * sizeof(wchar_t));
  return WideToSjis(text.c_str(), (int)std::wcslen(text.c_str()));
}

// The names of a CF_HDROP block, walked once from the offset to the empty
// name that ends them. A block whose offset or names run past its end
// cannot be read, and then gives no names at all.
std::vector<std::string> DropNames(const TStgMedium& medium) {
  GlobalLockScope lock(medium.Medium.hGlobal);
  const char* base = static_cast<const char*>(lock.Data());
  const size_t size = lock.Size();
  DROPFILES head;
  if (!base || size < sizeof head) ThrowUnreadable(kUnreadable);
  std::memcpy(&head, base, sizeof head);
  if (head.pFiles < sizeof head || head.pFiles > size) ThrowUnreadable(kUnreadable);
  const size_t bytes = size - head.pFiles;
  std::wstring all;
  if (head.fWide) {
    // Copied out, as the offset need not keep the characters aligned.
    all.resize(bytes / sizeof(wchar_t));
    if (!all.empty()) std::memcpy(&all[0], base + head.pFiles, all.size() * sizeof(wchar_t));
  } else if (bytes > 0) {
    // Names in the ANSI page of this machine, as the shell writes them.
    const char* names = base + head.pFiles;
    int n = MultiByteToWideChar(CP_ACP, 0, names, (int)bytes, nullptr, 0);
    all.resize(n);
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, names, (int)bytes, &all[0], n);
  }
  std::vector<std::string> out;
  for (size_t pos = 0;;) {
    const size_t end = all.find(L'\0', pos);
    if (end == std::wstring::npos) ThrowUnreadable(kUnreadable);
    if (end == pos) return out;
    out.push_back(WideToSjis(all.data() + pos, (int)(end - pos)));
    pos = end + 1;
  }
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
    ThrowUnreadable(hr);
  }
  // A source may answer with a medium other than the one asked for; it is
  // read as that kind only, never as another.
  const DWORD kind = medium.Medium.tymed;
  const bool oneKind = kind != 0 && (kind & (kind - 1)) == 0;
  if (!oneKind || !(kind & storage) || (kind == TYMED_HGLOBAL && !medium.Medium.hGlobal)) {
    medium.Release();
    ThrowUnreadable(DV_E_TYMED);
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
  for (const std::string& name : DropNames(medium)) list.Add(name);
}
