// Window tests run handlers whose failures are contained: a watch taken at
// SetUp and checked at TearDown fails the case that made a step fail, unless
// the case said it expects that.
#pragma once
#include <gtest/gtest.h>

#include "classlib/Application.h"

class GuardWatch {
 public:
  GuardWatch() : before_(Application.GuardFailureCount) {}
  void ExpectFailedSteps() { expected_ = true; }
  void Check() const {
    if (expected_) return;
    EXPECT_EQ(Application.GuardFailureCount, before_)
        << "a guarded step failed: " << Application.LastGuardFailure;
  }

 private:
  int before_;
  bool expected_ = false;
};
