// Every group of the register index against the meter's areas: each read answers exactly its
// count, each write (after the unlock) is taken; commands and addresses outside the meter's
// groups answer "illegal data address" when read.

#include "SimFrames.h"
#include "sim/MeterSlave.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

struct IndexRow {
    std::uint16_t start;
    std::uint16_t read;                   // registers a read takes, 0: not read
    std::uint16_t write;                  // registers a write sends, 0: not written
    std::vector<std::uint16_t> command{}; // a command's values; else the meter's own are written
};

const IndexRow kIndex[] = {
    {0x0000, 4, 0},         {0x0000, 8, 0},      {0x0100, 49, 0},        {0x012C, 1, 0},
    {0x0131, 11, 0},        {0x0200, 14, 0},     {0x0207, 7, 0},         {0x0400, 8, 0},
    {0x0401, 0, 2},         {0x0403, 2, 0},      {0x0405, 0, 3},         {0x0408, 0, 3},
    {0x0416, 0, 1, {1}},    {0x0419, 0, 1, {1}}, {0x0420, 6, 6},         {0x04F0, 1, 1},
    {0x04FE, 0, 2, {0, 0}}, {0x0500, 9, 0},      {0x0510, 42, 0},        {0x0540, 8, 0},
    {0x0541, 0, 1},         {0x0543, 0, 1},      {0x0546, 0, 1, {2}},    {0x0546, 0, 1, {4}},
    {0x07A3, 0, 1, {1}},    {0x07A3, 0, 1, {0}}, {0x1000, 8, 0},         {0x1001, 0, 1},
    {0x1007, 0, 1},         {0x1010, 5, 0},      {0x1019, 8, 0},         {0x101D, 4, 4},
    {0x1035, 2, 0},         {0x1036, 1, 1},      {0x1037, 1, 1},         {0x1038, 1, 1},
    {0x103B, 12, 12},       {0x1047, 1, 1},      {0x104A, 1, 1},         {0x104D, 9, 9},
    {0x1056, 4, 4},         {0x105D, 1, 1},      {0x105E, 1, 1},         {0x1061, 1, 1},
    {0x1064, 9, 9},         {0x106D, 4, 4},      {0x1074, 1, 1},         {0x1075, 1, 1},
    {0x1079, 8, 8},         {0x1081, 5, 5},      {0x1086, 3, 3},         {0x1089, 6, 6},
    {0x108F, 1, 1},         {0x1091, 2, 0},      {0x1096, 1, 0},         {0x1098, 1, 1},
    {0x1099, 1, 1},         {0x10A0, 58, 0},     {0x10AC, 0, 1},         {0x10AE, 0, 1},
    {0x10B6, 0, 1},         {0x10BE, 0, 1},      {0x10C2, 0, 1},         {0x10C6, 0, 1},
    {0x10C8, 0, 1},         {0x10CC, 0, 1},      {0x10CE, 0, 1},         {0x10D0, 0, 1},
    {0x10D6, 0, 1},         {0x1100, 1, 0},      {0x1100, 0, 2, {1, 0}}, {0x1102, 0, 2, {1, 1}},
    {0x1500, 5, 3},         {0x1505, 4, 0},      {0x1509, 2, 2},         {0x150B, 2, 0},
    {0x1700, 26, 10},       {0x1709, 17, 15},    {0x1718, 0, 2},         {0x171A, 1, 1},
    {0x1800, 1, 1},         {0x1900, 4, 4},      {0x1904, 4, 4},         {0x5008, 2, 0},
    {0x5506, 2, 2},         {0x7DFF, 1, 0},      {0x7E00, 16, 0},        {0x7E10, 16, 0},
    {0x7E20, 16, 0},        {0x7E30, 16, 0},     {0x7E40, 16, 0},
};

TEST(GroupIndex, EveryGroupAnswersWithItsCountAndEveryWriteIsTaken) {
    sim::MeterSlave slave;
    for (const IndexRow& row : kIndex) {
        SCOPED_TRACE(::testing::Message() << std::hex << "group 0x" << row.start);
        if (row.read != 0) {
            const Bytes answer = slave.handle(readRequest(1, row.start, row.read));
            ASSERT_EQ(answer.size(), 5U + 2 * row.read);
            EXPECT_EQ(answer[1], 0x03);         // function
            EXPECT_EQ(answer[2], 2 * row.read); // byte count
        }
        if (row.write != 0) {
            ASSERT_EQ(slave.handle(writeRequest(1, 0x04FE, {1, 1})).size(), 8U);
            const auto values =
                row.command.empty() ? slave.meter().regs(row.start, row.write) : row.command;
            const Bytes request = writeRequest(1, row.start, values);
            EXPECT_EQ(slave.handle(request), withCrc(Bytes(request.begin(), request.begin() + 6)));
        }
    }

    // Commands hold nothing to read; nor does an address between the groups.
    for (const auto& [start, count] :
         std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0416, 1},
                                                              {0x0419, 1},
                                                              {0x07A3, 1},
                                                              {0x1100, 2},
                                                              {0x1102, 2},
                                                              {0x0409, 10},
                                                              {0x1099, 2},
                                                              {0x7E4F, 2},
                                                              {0x2000, 1}})
        EXPECT_EQ(slave.handle(readRequest(1, start, count)), exceptionFrame(1, 0x03, 2))
            << std::hex << start;
}

} // namespace
} // namespace flowcfg::test
