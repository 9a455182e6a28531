#include <gtest/gtest.h>

#include "device/BandPlan.h"

TEST(BandPlan, Smoke) { EXPECT_EQ(GetBandLimits(BandFM, RegionUSA).upper, 10790); }
