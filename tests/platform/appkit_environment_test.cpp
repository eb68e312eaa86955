// The application environment: what the system says about itself.
#include <CoreServices/Gestalt.h>
#include <gtest/gtest.h>

namespace {

// Catches: a version code that disagrees with its parts or falls below the
// 10.5 the Cocoa view property needs, and unknown selectors answered.
TEST(Environment, SystemVersionCodeAgreesWithItsParts) {
    SInt32 code = 0, major = 0, minor = 0, bugfix = 0;
    ASSERT_EQ(Gestalt(gestaltSystemVersion, &code), 0);
    ASSERT_EQ(Gestalt(gestaltSystemVersionMajor, &major), 0);
    ASSERT_EQ(Gestalt(gestaltSystemVersionMinor, &minor), 0);
    ASSERT_EQ(Gestalt(gestaltSystemVersionBugFix, &bugfix), 0);
    EXPECT_EQ(code, (major / 10) << 12 | (major % 10) << 8 | minor << 4 | bugfix);
    EXPECT_GE(code, 0x1050);
    SInt32 untouched = 42;
    EXPECT_EQ(Gestalt(0x61626364, &untouched), gestaltUndefSelectorErr);
    EXPECT_EQ(untouched, 42);
    EXPECT_EQ(Gestalt(gestaltSystemVersion, nullptr), gestaltUndefSelectorErr);
}

} // namespace
