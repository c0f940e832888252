// A web page loaded into the platform's HTML document object without any
// window, downloading only the document itself (no scripts, frames, plug-ins
// or pictures), so that its link elements can be read as the engine sees them.
#pragma once
#include <string>
#include <vector>

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include "classlib/Handles.h"

#include "HtmlLinks.h"

// DLCTL_SILENT | DLCTL_NO_CLIENTPULL | DLCTL_NO_BEHAVIORS | DLCTL_RESYNCHRONIZE
// | DLCTL_NO_FRAMEDOWNLOAD | DLCTL_DOWNLOADONLY | DLCTL_NO_DLACTIVEXCTLS
// | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_JAVA | DLCTL_NO_SCRIPTS.
constexpr long UILessDownloadControl = 0x6000BF80;

// The client site, property-change sink and ambient-property dispatch that
// the document talks to; reference counted, created by the document's owner.
class TUILessSite : public IOleClientSite, public IPropertyNotifySink, public IDispatch {
 public:
  static ComPtr<TUILessSite> Create(long downloadControl);

  // The document whose ready state OnChanged reads; cleared before release.
  void SetDocument(IDispatch* document) { document_ = document; }
  bool Loaded() const { return loaded_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override;
  STDMETHODIMP GetContainer(IOleContainer** out) override;
  STDMETHODIMP ShowObject() override { return E_NOTIMPL; }
  STDMETHODIMP OnShowWindow(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  STDMETHODIMP OnChanged(DISPID dispid) override;
  STDMETHODIMP OnRequestEdit(DISPID) override { return E_NOTIMPL; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

 private:
  explicit TUILessSite(long downloadControl) : downloadControl_(downloadControl) {}
  virtual ~TUILessSite() = default;
  ULONG refs_ = 0;
  long downloadControl_;
  bool loaded_ = false;
  IDispatch* document_ = nullptr;  // not counted: the owner holds the document
};

class TUILess {
 public:
  TUILess() = default;
  TUILess(const TUILess&) = delete;
  TUILess& operator=(const TUILess&) = delete;

  // 0: no time-out.
  int TimeoutSeconds = 0;
  long DownloadControl = UILessDownloadControl;

  // Loads url and gives the page's link elements (hrefs absolute). False
  // when the document could not be made or did not complete in time (or the
  // application is terminating); every object is released on return.
  bool LoadUrl(const std::string& url, std::vector<THtmlLink>& links);
  bool Loaded() const { return loaded_; }

 private:
  bool loaded_ = false;
};
