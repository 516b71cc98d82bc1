#include "model/RegisterMap.h"

#include "sim/RegisterAreas.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace flowcfg::test {
namespace {

std::string where(const GroupDescriptor& g) {
    return std::string(g.name);
}

TEST(RegisterMap, RowsAreInIdOrderWithUniqueNames) {
    const auto map = registerMap();
    ASSERT_EQ(map.size(), kGroupCount);
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < map.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(map[i].id), i) << where(map[i]);
        EXPECT_TRUE(names.insert(map[i].name).second) << "duplicate name " << where(map[i]);
        EXPECT_TRUE(map[i].readable() || map[i].writable()) << where(map[i]);
        EXPECT_FALSE(map[i].fields.empty()) << where(map[i]);
        EXPECT_EQ(&group(map[i].id), &map[i]);
        EXPECT_EQ(findGroup(map[i].name), &map[i]);
    }
}

TEST(RegisterMap, FieldsTileTheirGroupWithoutOverlap) {
    for (const GroupDescriptor& g : registerMap()) {
        const unsigned span = std::max(g.readCount, g.writeCount);
        std::vector<int> owner(span, -1);
        for (std::size_t f = 0; f < g.fields.size(); ++f) {
            const FieldDescriptor& field = g.fields[f];
            ASSERT_GT(field.width(), 0) << where(g) << " field " << f;
            ASSERT_LE(field.offset + field.width(), span) << where(g) << " field " << f;
            for (unsigned w = field.offset; w < field.offset + field.width(); ++w) {
                EXPECT_EQ(owner[w], -1) << where(g) << " word " << w << " has two fields";
                owner[w] = static_cast<int>(f);
            }
            // A field is either wholly sent or not sent at all.
            if (g.writable()) {
                EXPECT_TRUE(field.offset + field.width() <= g.writeCount ||
                            field.offset >= g.writeCount)
                    << where(g) << " field " << f << " straddles the written words";
            }
            if (field.encoding == Encoding::Cmd) {
                EXPECT_TRUE(g.writable() && !g.readable())
                    << where(g) << ": commands are only sent";
            }
        }
        // Every word read is stored somewhere and every word sent comes from somewhere.
        for (unsigned w = 0; w < span; ++w)
            EXPECT_NE(owner[w], -1) << where(g) << " word " << w << " has no field";
    }
}

TEST(RegisterMap, MembersHaveTheTypeOfTheirEncoding) {
    DeviceImage image;
    const auto* begin = reinterpret_cast<const unsigned char*>(&image);
    const auto* end = begin + sizeof image;
    for (const GroupDescriptor& g : registerMap())
        for (const FieldDescriptor& field : g.fields) {
            if (field.encoding == Encoding::Cmd) {
                EXPECT_EQ(field.member, nullptr) << where(g);
                continue;
            }
            ASSERT_NE(field.member, nullptr) << where(g);
            const ValueRef ref = field.member(image);
            switch (field.encoding) {
            case Encoding::F32:
                EXPECT_TRUE(std::holds_alternative<float*>(ref))
                    << where(g) << " " << +field.offset;
                break;
            case Encoding::U32:
            case Encoding::U32LowFirst:
                EXPECT_TRUE(std::holds_alternative<std::uint32_t*>(ref)) << where(g);
                break;
            default:
                ASSERT_TRUE(std::holds_alternative<std::uint16_t*>(ref)) << where(g);
                if (field.encoding == Encoding::RawWords) {
                    // The run of raw words stays inside the image.
                    const auto* last = reinterpret_cast<const unsigned char*>(
                        std::get<std::uint16_t*>(ref) + field.extra);
                    EXPECT_LE(last, end) << where(g);
                    EXPECT_GE(reinterpret_cast<const unsigned char*>(std::get<std::uint16_t*>(ref)),
                              begin);
                }
            }
        }
}

TEST(RegisterMap, LogDescriptionsAndShapesOfTheIndex) {
    EXPECT_EQ(group(GroupId::Cutoff).description, "величина отсечки ");
    EXPECT_EQ(group(GroupId::PressureUnit).description, " единицы давления внешнего датчика");
    EXPECT_EQ(group(GroupId::Network).description,
              "Запись Net_num_new, ser_spd_new, ser_parity_new.");
    EXPECT_EQ(group(GroupId::UnlockSpare).description,
              "USERLOCK = 1 CLBLOC =1  разблокируем запись ");
    const GroupDescriptor& archive = group(GroupId::ArchiveSettings);
    EXPECT_EQ(archive.readCount, 5);
    EXPECT_EQ(archive.writeCount, 3);
    const GroupDescriptor& calibration = group(GroupId::TemperatureCalibration);
    EXPECT_EQ(calibration.start, 0x1700);
    EXPECT_EQ(calibration.readCount, 26);
    EXPECT_EQ(calibration.writeCount, 10);

    EXPECT_EQ(findGroup(0x1500, 3), &archive);
    EXPECT_EQ(findGroup(0x1500, 5), &archive);
    EXPECT_EQ(findGroup(0x104D, 9), &group(GroupId::Output1Frequency));
    EXPECT_EQ(findGroup(0x0000, 4), &group(GroupId::PrimaryFlow));
    EXPECT_EQ(findGroup(0x0000, 8), &group(GroupId::PrimaryBlock0));
    EXPECT_EQ(findGroup(0x104D, 8), nullptr);
    EXPECT_EQ(findGroup("NoSuchGroup"), nullptr);
}

// The simulated meter was written from the register tables on its own: every group must
// exist there, and every written register must be one the meter lets a master write.
TEST(RegisterMap, AgreesWithTheSimulatedMeter) {
    for (const GroupDescriptor& g : registerMap()) {
        if (g.readable()) {
            EXPECT_TRUE(sim::readableRange(g.start, g.readCount)) << where(g);
        }
        for (unsigned w = 0; w < g.writeCount; ++w) {
            const sim::Access a = sim::accessOf(static_cast<std::uint16_t>(g.start + w));
            EXPECT_TRUE(a == sim::Access::Config || a == sim::Access::Command ||
                        a == sim::Access::Open)
                << where(g) << " word " << w;
        }
    }
}

} // namespace
} // namespace flowcfg::test
