#include "UI_Less.h"

#include <mshtml.h>
#include <mshtmdid.h>
#include <ocidl.h>
#include <olectl.h>
#include <urlmon.h>

#include "classlib/Application.h"
#include "classlib/Text.h"

namespace {

template <class I>
ComPtr<I> QueryAs(IUnknown* object, REFIID iid) {
  ComPtr<I> out;
  if (object) object->QueryInterface(iid, out.put_void());
  return out;
}

std::string TakeBstr(BSTR b) {
  std::string s = b ? WideToSjis(b, (int)SysStringLen(b)) : std::string();
  SysFreeString(b);
  return s;
}

// Drops the site's links to the document in every case, so neither keeps
// the other alive.
class DocumentHold {
 public:
  DocumentHold(ComPtr<IHTMLDocument2> document, ComPtr<TUILessSite> site)
      : document_(std::move(document)), site_(std::move(site)) {}
  ~DocumentHold() {
    if (point_) point_->Unadvise(cookie_);
    site_->SetDocument(nullptr);
    if (ComPtr<IOleObject> object = QueryAs<IOleObject>(document_.get(), IID_IOleObject)) {
      object->Close(OLECLOSE_NOSAVE);
      object->SetClientSite(nullptr);
    }
  }
  DocumentHold(const DocumentHold&) = delete;
  IHTMLDocument2* Document() const { return document_.get(); }
  DocumentHold& operator=(const DocumentHold&) = delete;

  bool Connect() {
    ComPtr<IOleObject> object = QueryAs<IOleObject>(document_.get(), IID_IOleObject);
    if (!object || FAILED(object->SetClientSite(site_.get()))) return false;
    if (ComPtr<IOleControl> control = QueryAs<IOleControl>(document_.get(), IID_IOleControl))
      control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
    ComPtr<IConnectionPointContainer> container =
        QueryAs<IConnectionPointContainer>(document_.get(), IID_IConnectionPointContainer);
    if (!container || FAILED(container->FindConnectionPoint(IID_IPropertyNotifySink, point_.put())))
      return false;
    return SUCCEEDED(point_->Advise(static_cast<IPropertyNotifySink*>(site_.get()), &cookie_));
  }

  bool StartLoad(const std::string& url) {
    ComPtr<IMoniker> moniker;
    ComPtr<IBindCtx> context;
    ComPtr<IPersistMoniker> persist =
        QueryAs<IPersistMoniker>(document_.get(), IID_IPersistMoniker);
    if (!persist || FAILED(CreateURLMoniker(nullptr, SjisToWide(url).c_str(), moniker.put())) ||
        FAILED(CreateBindCtx(0, context.put())))
      return false;
    HRESULT hr = persist->Load(FALSE, moniker.get(), context.get(), 0);
    return SUCCEEDED(hr) || hr == E_PENDING;
  }

 private:
  ComPtr<IHTMLDocument2> document_;
  ComPtr<TUILessSite> site_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// Serves the queue (MSHTML reports through it) until the site saw the
// document complete; false on time-out or when the application ends.
bool WaitForDocument(const TUILessSite& site, int timeoutSeconds) {
  const DWORD start = GetTickCount();
  while (!site.Loaded()) {
    if (timeoutSeconds > 0 && GetTickCount() - start >= DWORD(timeoutSeconds) * 1000) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Application.ProcessMessages();
    if (Application.Terminated()) return false;
  }
  return true;
}

THtmlPage ReadElements(IHTMLDocument2* document) {
  THtmlPage page;
  ComPtr<IHTMLElementCollection> all;
  long count = 0;
  if (FAILED(document->get_all(all.put())) || !all || FAILED(all->get_length(&count))) return page;
  bool haveBase = false;
  for (long i = 0; i < count; ++i) {
    VARIANT index, sub;
    VariantInit(&index);
    VariantInit(&sub);
    index.vt = VT_I4;
    index.lVal = i;
    sub.vt = VT_I4;
    sub.lVal = 0;
    ComPtr<IDispatch> item;
    if (FAILED(all->item(index, sub, item.put())) || !item) continue;
    ComPtr<IHTMLLinkElement> link = QueryAs<IHTMLLinkElement>(item.get(), IID_IHTMLLinkElement);
    ComPtr<IHTMLBaseElement> base;
    if (link) {
      BSTR rel = nullptr, type = nullptr, href = nullptr;
      link->get_rel(&rel);
      link->get_type(&type);
      link->get_href(&href);
      page.Links.push_back({TakeBstr(rel), TakeBstr(type), TakeBstr(href)});
    } else if (!haveBase && (base = QueryAs<IHTMLBaseElement>(item.get(), IID_IHTMLBaseElement))) {
      BSTR href = nullptr;
      base->get_href(&href);
      page.BaseHref = TakeBstr(href);
      haveBase = !page.BaseHref.empty();
    }
  }
  return page;
}

}  // namespace

ComPtr<TUILessSite> TUILessSite::Create(long downloadControl) {
  TUILessSite* site = new TUILessSite(downloadControl);
  site->AddRef();
  return ComPtr<TUILessSite>(site);
}

STDMETHODIMP TUILessSite::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IPropertyNotifySink)
    *out = static_cast<IPropertyNotifySink*>(this);
  else if (riid == IID_IDispatch)
    *out = static_cast<IDispatch*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TUILessSite::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) TUILessSite::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP TUILessSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TUILessSite::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TUILessSite::OnChanged(DISPID dispid) {
  if (dispid != DISPID_READYSTATE || !document_) return S_OK;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT state;
  VariantInit(&state);
  if (SUCCEEDED(document_->Invoke(DISPID_READYSTATE, IID_NULL, LOCALE_USER_DEFAULT,
                                  DISPATCH_PROPERTYGET, &none, &state, nullptr, nullptr)) &&
      SUCCEEDED(VariantChangeType(&state, &state, 0, VT_I4)) && state.lVal == READYSTATE_COMPLETE)
    loaded_ = true;
  VariantClear(&state);
  return S_OK;
}

STDMETHODIMP TUILessSite::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

STDMETHODIMP TUILessSite::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TUILessSite::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                 EXCEPINFO*, UINT*) {
  if (dispid != DISPID_AMBIENT_DLCONTROL) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    result->vt = VT_I4;
    result->lVal = downloadControl_;
  }
  return S_OK;
}

bool TUILess::LoadUrl(const std::string& url, std::vector<THtmlLink>& links) {
  loaded_ = false;
  links.clear();
  CLSID htmlDocument;
  ComPtr<IHTMLDocument2> document;
  if (FAILED(CLSIDFromProgID(L"htmlfile", &htmlDocument)) ||
      FAILED(CoCreateInstance(htmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IHTMLDocument2,
                              document.put_void())))
    return false;
  ComPtr<TUILessSite> site = TUILessSite::Create(DownloadControl);
  site->SetDocument(document.get());
  DocumentHold hold(std::move(document), ComPtr<TUILessSite>::Share(site.get()));
  if (!hold.Connect() || !hold.StartLoad(url) || !WaitForDocument(*site.get(), TimeoutSeconds))
    return false;
  loaded_ = true;
  THtmlPage page = ReadElements(hold.Document());
  BSTR address = nullptr;
  hold.Document()->get_URL(&address);
  std::string pageUrl = TakeBstr(address);
  ResolveLinks(page, pageUrl.empty() ? url : pageUrl);
  links = std::move(page.Links);
  return true;
}
