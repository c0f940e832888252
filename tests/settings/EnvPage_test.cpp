// How the basic page's lists and spin fields map onto the stored values.
#include "EnvPage.h"

#include <gtest/gtest.h>

TEST(SpinValue, RoundedAndKeptInRange) {
  EXPECT_EQ(15, ClampSpinValue(StrToCurrLoose("5"), 15, 999));
  EXPECT_EQ(999, ClampSpinValue(StrToCurrLoose("1234"), 15, 999));
  EXPECT_EQ(31, ClampSpinValue(StrToCurrLoose("30.6"), 15, 999));
  EXPECT_EQ(0, ClampSpinValue(StrToCurrLoose("-3"), 0, 99));
  EXPECT_EQ(1, ClampSpinValue(StrToCurrLoose(""), 1, 99));
}

TEST(ListValues, StoredValuesSelectTheirItemOrNone) {
  EXPECT_EQ(0, KeepTimeItem(24));
  EXPECT_EQ(0, KeepTimeItem(30));  // shown as "24", stored back as 24
  EXPECT_EQ(4, KeepTimeItem(120));
  EXPECT_EQ(-1, KeepTimeItem(144));
  EXPECT_EQ(-1, KeepTimeItem(-30));
  EXPECT_EQ(120, KeepTimeOfItem(4));
  EXPECT_EQ(0, FontSizeItem(9));
  EXPECT_EQ(-1, FontSizeItem(20));
  EXPECT_EQ(-1, FontSizeItem(8));
  EXPECT_EQ(13, FontSizeOfItem(4));
  EXPECT_EQ(-1, ValueItem(9, 7));
  EXPECT_EQ(-1, ValueItem(-1, 7));
}
