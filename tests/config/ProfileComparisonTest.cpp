// A meter compared with a profile read from another meter and written into it: nothing
// differs; one register changed afterwards is one row, and writing that row back makes the
// two agree again.

#include "config/ProfileComparison.h"

#include "DistinctProfile.h"
#include "tests/model/MeterFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class ProfileComparisonTest : public MeterFixture {
protected:
    void SetUp() override { ctx.settings.Reask_val = 1; }

    // The meter's whole configuration, as "ПРОЧ.ИЗ ПРИБ." reads it into a profile.
    DeviceImage readMeter() {
        DeviceImage image;
        ConfigPages pages(ctx, image);
        EXPECT_EQ(WholeConfiguration(pages).readAll().outcome.end, OperationEnd::Succeeded);
        return image;
    }
    void writeMeter(DeviceImage image) {
        ConfigPages pages(ctx, image);
        EXPECT_EQ(WholeConfiguration(pages).writeAll().outcome.end, OperationEnd::Succeeded);
    }
    ComparisonOutcome compare(const DeviceImage& profile) {
        comparison = std::make_unique<ProfileComparison>(ctx, profile);
        return comparison->run();
    }

    std::unique_ptr<ProfileComparison> comparison;
};

TEST_F(ProfileComparisonTest, AMeterWrittenFromTheProfileAgreesAndOneChangedRegisterIsOneRow) {
    writeMeter(distinctProfile()); // the first meter, configured
    const DeviceImage profile = readMeter();
    useMeter({}); // another meter of the same kind
    writeMeter(profile);
    dialogs.shown.clear();

    ComparisonOutcome out = compare(profile);
    ASSERT_EQ(out.end, OperationEnd::Succeeded);
    EXPECT_GT(out.compared, 100u);
    EXPECT_TRUE(out.differences.empty()) << out.differences.front().caption;
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().front(); // no read box

    const float profiled = meter().floatAt(0x104F);
    meter().setFloat(0x104F, profiled + 0.5f);
    out = compare(profile);
    ASSERT_EQ(out.differences.size(), 1u);
    const Difference& d = out.differences.front();
    EXPECT_EQ(d.page, "ВЫХОД 1");
    EXPECT_EQ(d.caption, "РАСХОД ПРИ F MAX");
    EXPECT_EQ(d.meterText, "76.7500");
    EXPECT_EQ(d.profileText, "76.2500");
    ASSERT_FALSE(d.writes.empty());

    EXPECT_EQ(comparison->writeChosen(out.differences).end, OperationEnd::Succeeded);
    EXPECT_EQ(meter().floatAt(0x104F), profiled);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_TRUE(compare(profile).differences.empty());
}

} // namespace
} // namespace flowcfg::test
