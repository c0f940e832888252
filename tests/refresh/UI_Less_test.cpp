#include "refresh/UI_Less.h"

#include <gtest/gtest.h>

#include <mshtmdid.h>
#include <olectl.h>

TEST(UILessSite, AnswersTheDownloadControlAmbientOnly) {
  auto site = TUILessSite::Create(UILessDownloadControl);
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  ASSERT_EQ(S_OK, site->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                               &result, nullptr, nullptr));
  EXPECT_EQ(VT_I4, result.vt);
  EXPECT_EQ(0x6000BF80, result.lVal);
  EXPECT_EQ(DLCTL_SILENT | DLCTL_NO_CLIENTPULL | DLCTL_NO_BEHAVIORS | DLCTL_RESYNCHRONIZE |
                DLCTL_NO_FRAMEDOWNLOAD | DLCTL_DOWNLOADONLY | DLCTL_NO_DLACTIVEXCTLS |
                DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_JAVA | DLCTL_NO_SCRIPTS,
            UILessDownloadControl);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
            site->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result,
                         nullptr, nullptr));
}

TEST(UILessSite, ClientSiteDoesNothingAndClearsOutPointers) {
  auto site = TUILessSite::Create(0);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
  EXPECT_EQ(E_NOTIMPL, site->GetMoniker(0, 0, &moniker));
  EXPECT_EQ(nullptr, moniker);
  EXPECT_EQ(E_NOTIMPL, site->GetContainer(&container));
  EXPECT_EQ(nullptr, container);
  EXPECT_EQ(E_NOTIMPL, site->ShowObject());
  EXPECT_EQ(E_NOTIMPL, site->OnRequestEdit(DISPID_READYSTATE));
  // Without a document a ready-state change marks nothing loaded.
  EXPECT_EQ(S_OK, site->OnChanged(DISPID_READYSTATE));
  EXPECT_FALSE(site->Loaded());
}

TEST(UILessSite, AllThreeInterfacesComeFromOneObject) {
  auto site = TUILessSite::Create(0);
  ComPtr<IPropertyNotifySink> sink;
  ComPtr<IDispatch> dispatch;
  ComPtr<IUnknown> a, b;
  ASSERT_EQ(S_OK, site->QueryInterface(IID_IPropertyNotifySink, sink.put_void()));
  ASSERT_EQ(S_OK, site->QueryInterface(IID_IDispatch, dispatch.put_void()));
  sink->QueryInterface(IID_IUnknown, a.put_void());
  dispatch->QueryInterface(IID_IUnknown, b.put_void());
  EXPECT_EQ(a.get(), b.get());
  ComPtr<IOleObject> none;
  EXPECT_EQ(E_NOINTERFACE, site->QueryInterface(IID_IOleObject, none.put_void()));
}
