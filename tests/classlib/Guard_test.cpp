#include "Guard.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "Application.h"

TEST(Guard, AFailedStepIsCountedWithItsNameAndTheCallerGoesOn) {
  const int before = Application.GuardFailureCount;
  EXPECT_TRUE(Guard("quiet step", [] {}));
  EXPECT_FALSE(Guard("OEM skin", [] { throw std::runtime_error("no picture"); }));
  EXPECT_FALSE(Guard("odd step", [] { throw 7; }));
  EXPECT_EQ(Application.GuardFailureCount, before + 2);
  EXPECT_EQ(Application.LastGuardFailure, "odd step");
  Guard("OEM skin", [] { throw std::runtime_error("no picture"); });
  EXPECT_EQ(Application.LastGuardFailure, "OEM skin: no picture");
}
