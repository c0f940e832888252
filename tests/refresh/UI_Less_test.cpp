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
