// A small data object for drop tests: offers the formats it was given as
// global memory.
#pragma once
#include <map>
#include <string>
#include <vector>

#include <windows.h>
#include <objidl.h>

#include "classlib/Handles.h"

class TestDataObject : public IDataObject {
 public:
  static ComPtr<TestDataObject> Create();

  // The block is offered byte for byte as it is given.
  void Offer(CLIPFORMAT format, const std::string& bytes);
  void OfferText(const std::string& sjis);                  // CF_TEXT with its zero
  void OfferUnicode(const std::wstring& text);              // CF_UNICODETEXT with its zero
  void OfferFiles(const std::vector<std::wstring>& names);  // CF_HDROP, wide names
  // QueryGetData says yes, GetData fails.
  void OfferBroken(CLIPFORMAT format) { broken_.push_back(format); }
  // Offered as global memory, but given as a stream.
  void GiveAsStream(CLIPFORMAT format) { streamed_.push_back(format); }
  int GetDataCalls = 0;
  ULONG RefCount() const { return refs_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetData(FORMATETC* fe, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC* fe) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  TestDataObject() = default;
  virtual ~TestDataObject() = default;
  bool IsBroken(CLIPFORMAT f) const;
  ULONG refs_ = 1;
  std::map<CLIPFORMAT, std::string> data_;
  std::vector<CLIPFORMAT> broken_, streamed_;
};
