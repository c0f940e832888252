#include "Guard.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "Application.h"
#include "common/GuardWatch.h"

TEST(Guard, AFailedStepIsCountedWithItsNameAndTheCallerGoesOn) {
  const int before = Application.GuardFailureCount;
  EXPECT_TRUE(Guard("quiet step", [] {}));
  ExpectFailedStep("OEM skin", [] {
    EXPECT_FALSE(Guard("OEM skin", [] { throw std::runtime_error("no picture"); }));
  });
  ExpectFailedStep("odd step", [] { EXPECT_FALSE(Guard("odd step", [] { throw 7; })); });
  EXPECT_EQ(Application.GuardFailureCount, before + 2);
  EXPECT_EQ(Application.LastGuardFailure, "odd step");
  ExpectFailedStep("OEM skin",
                   [] { Guard("OEM skin", [] { throw std::runtime_error("no picture"); }); });
  EXPECT_EQ(Application.LastGuardFailure, "OEM skin: no picture");
}

TEST(Guard, AFailedEventIsCountedAndStillReachesTheApplicationHandler) {
  const int before = Application.GuardFailureCount;
  std::string handed;
  Application.OnException = [&](const std::exception* e) { handed = e ? e->what() : "?"; };
  EXPECT_TRUE(GuardEvent("OnClick", nullptr));
  ExpectFailedStep("OnClick", [] {
    EXPECT_FALSE(GuardEvent("OnClick", [] { throw std::runtime_error("bad click"); }));
  });
  Application.OnException = nullptr;
  EXPECT_EQ(handed, "bad click");
  EXPECT_EQ(Application.GuardFailureCount, before + 1);
  EXPECT_EQ(Application.LastGuardFailure, "OnClick: bad click");
}
