#include "refresh/UI_Less.h"

#include <gtest/gtest.h>

#include <mshtmdid.h>
#include <olectl.h>

namespace {

VARIANT AmbientOf(TUILessSite& site, DISPID id, HRESULT& hr) {
  VARIANT result;
  VariantInit(&result);
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  hr = site.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
  return result;
}

}  // namespace

TEST(UILessSite, AnswersTheDownloadControlAmbientOnly) {
  // The document downloads only itself, silently: no scripts, Java, ActiveX,
  // frames, behaviours or client pull.
  EXPECT_EQ(0x6000BF80, UILessDownloadControl);
  EXPECT_EQ(UILessDownloadControl, TUILess().DownloadControl);
  for (long control : {UILessDownloadControl, (long)DLCTL_SILENT}) {
    auto site = TUILessSite::Create(control);
    HRESULT hr = E_FAIL;
    VARIANT result = AmbientOf(*site.get(), DISPID_AMBIENT_DLCONTROL, hr);
    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(control, result.lVal);
    AmbientOf(*site.get(), DISPID_AMBIENT_USERMODE, hr);
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, hr);
  }
}
