// Scoped owners of the handles the programs open. Each frees what it holds
// when it goes out of scope; all can be moved, none copied.
#pragma once
#include <cstddef>

#include <windows.h>
#include <unknwn.h>
#include <wininet.h>

template <class Traits>
class ScopedHandle {
 public:
  typedef typename Traits::Type Type;

  ScopedHandle() = default;
  explicit ScopedHandle(Type h) : h_(h) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(ScopedHandle&& o) noexcept : h_(o.release()) {}
  ScopedHandle& operator=(ScopedHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Type get() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }
  Type release() {
    Type h = h_;
    h_ = Traits::Empty();
    return h;
  }
  void reset(Type h = Traits::Empty()) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }
  // True when a handle was held and the system closed it: closing a written
  // file is where a late write error shows.
  bool close() {
    bool ok = Traits::Valid(h_) && Traits::Close(h_);
    h_ = Traits::Empty();
    return ok;
  }
  // The slot for an out parameter, emptied first.
  Type* put() {
    reset();
    return &h_;
  }

 private:
  Type h_ = Traits::Empty();
};

template <class H>
struct NullEmptyTraits {
  typedef H Type;
  static H Empty() { return nullptr; }
  static bool Valid(H h) { return h != nullptr; }
};

// Files give INVALID_HANDLE_VALUE on failure, the other kernel objects null.
struct KernelHandleTraits : NullEmptyTraits<HANDLE> {
  static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != 0; }
};
// A FindFirstFile search: INVALID_HANDLE_VALUE on failure, as files, but ended with FindClose.
struct FindHandleTraits : KernelHandleTraits {
  static bool Close(HANDLE h) { return FindClose(h) != 0; }
};
struct InternetHandleTraits : NullEmptyTraits<HINTERNET> {
  static bool Close(HINTERNET h) { return InternetCloseHandle(h) != 0; }
};
struct RegistryKeyTraits : NullEmptyTraits<HKEY> {
  static bool Close(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct ModuleHandleTraits : NullEmptyTraits<HMODULE> {
  static bool Close(HMODULE h) { return FreeLibrary(h) != 0; }
};
template <class H>
struct GdiObjectTraits : NullEmptyTraits<H> {
  static bool Close(H h) { return DeleteObject((HGDIOBJ)h) != 0; }
};
struct IconHandleTraits : NullEmptyTraits<HICON> {
  static bool Close(HICON h) { return DestroyIcon(h) != 0; }
};
struct MemoryDCTraits : NullEmptyTraits<HDC> {
  static bool Close(HDC h) { return DeleteDC(h) != 0; }
};

typedef ScopedHandle<KernelHandleTraits> KernelHandle;
typedef ScopedHandle<FindHandleTraits> FindHandle;
typedef ScopedHandle<InternetHandleTraits> InternetHandle;
typedef ScopedHandle<RegistryKeyTraits> RegistryKey;
typedef ScopedHandle<ModuleHandleTraits> ModuleHandle;
typedef ScopedHandle<IconHandleTraits> IconHandle;
template <class H>
using GdiObject = ScopedHandle<GdiObjectTraits<H>>;
typedef GdiObject<HFONT> FontHandle;
typedef GdiObject<HBRUSH> BrushHandle;
typedef GdiObject<HPEN> PenHandle;
typedef GdiObject<HBITMAP> BitmapHandle;
typedef GdiObject<HRGN> RegionHandle;

// A memory DC compatible with the given one (null: the screen).
class MemoryDC : public ScopedHandle<MemoryDCTraits> {
 public:
  explicit MemoryDC(HDC compatible = nullptr) : ScopedHandle(CreateCompatibleDC(compatible)) {}
};

// The DC of a window (null: the screen) from GetDC, or GetDCEx with flags,
// given back with ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND window = nullptr, DWORD flags = 0)
      : window_(window), dc_(flags ? GetDCEx(window, nullptr, flags) : GetDC(window)) {}
  ~WindowDC() { Release(); }
  WindowDC(WindowDC&& o) noexcept : window_(o.window_), dc_(o.dc_) { o.dc_ = nullptr; }
  WindowDC& operator=(WindowDC&& o) noexcept {
    if (this != &o) {
      Release();
      window_ = o.window_;
      dc_ = o.dc_;
      o.dc_ = nullptr;
    }
    return *this;
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void Release() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
  }
  HWND window_;
  HDC dc_;
};

// An object selected into a DC until the scope ends; the DC's own comes back.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~SelectObjectScope() { Restore(); }
  SelectObjectScope(SelectObjectScope&& o) noexcept : dc_(o.dc_), old_(o.old_) { o.old_ = nullptr; }
  SelectObjectScope& operator=(SelectObjectScope&& o) noexcept {
    if (this != &o) {
      Restore();
      dc_ = o.dc_;
      old_ = o.old_;
      o.old_ = nullptr;
    }
    return *this;
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  void Restore() {
    if (old_) SelectObject(dc_, old_);
    old_ = nullptr;
  }
  HDC dc_;
  HGDIOBJ old_;
};

// The clipboard, open for this scope when Open() is true.
class ClipboardScope {
 public:
  explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardScope() {
    if (open_) CloseClipboard();
  }
  ClipboardScope(const ClipboardScope&) = delete;
  ClipboardScope& operator=(const ClipboardScope&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_;
};

// One reference to a COM object. The constructor and reset take over a
// reference the caller already owns (a new object's, an out parameter's);
// Share adds one for an object the caller only borrows.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  explicit ComPtr(T* p) : p_(p) {}
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& o) noexcept : p_(o.release()) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return ComPtr(p);
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* release() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  void reset(T* p = nullptr) {
    if (p_) p_->Release();
    p_ = p;
  }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

 private:
  T* p_ = nullptr;
};
