// Several meters on one line: who hears a frame, who answers, and what the options allow.

#include "sim/MeterBus.h"

#include "SimFrames.h"
#include "sim/BusOptions.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using sim::MasterLine;

constexpr MasterLine k8N1{19200, 0}, k8E1{19200, 2};

// Meters 1 and 2 at 19200 8N1, meter 3 at 19200 8E1.
struct ThreeMeters {
    ThreeMeters() {
        for (const std::uint8_t a : {1, 2, 3})
            bus.add({.address = a,
                     .parity = static_cast<std::uint16_t>(a == 3 ? 2 : 0),
                     .archiveFrames = 0,
                     .position = static_cast<std::uint16_t>(a - 1)});
    }
    const sim::Meter& meter(std::size_t i) { return bus.slave(i).meter(); }
    sim::MeterBus bus;
};

TEST(MeterBus, OnlyTheAddressedMeterOnTheMastersLineAnswers) {
    ThreeMeters line;
    auto& bus = line.bus;
    const auto r1 = bus.respond(readRequest(1, 0x0400, 8), k8N1);
    EXPECT_EQ(r1.heardBy, 2U);
    ASSERT_EQ(r1.answer.bytes.size(), 21U);
    EXPECT_EQ(answerWords(r1.answer.bytes), line.meter(0).regs(0x0400, 8));

    // Meter 3 is at another parity: the frame is noise to it.
    EXPECT_TRUE(bus.respond(readRequest(3, 0x0400, 8), k8N1).answer.bytes.empty());
    EXPECT_EQ(bus.unheardFrames(2), 2U);
    const auto r3 = bus.respond(readRequest(3, 0x0400, 8), k8E1);
    EXPECT_EQ(r3.heardBy, 1U);
    EXPECT_EQ(answerWords(r3.answer.bytes), line.meter(2).regs(0x0400, 8));
    EXPECT_EQ(bus.slave(2).answeredCount(), 1U);
    EXPECT_EQ(bus.slave(0).answeredCount(), 1U);
    EXPECT_EQ(bus.slave(1).answeredCount(), 0U);
    EXPECT_EQ(bus.slave(1).foreignFrames(), 2U); // the requests to 1 and to 3 at 8N1

    // Each meter has its own factory number and its own unprofiled calibration words.
    EXPECT_EQ(line.meter(0).regs(0x0401, 2), (std::vector<std::uint16_t>{0x0003, 0xF941}));
    EXPECT_EQ(line.meter(2).regs(0x0401, 2), (std::vector<std::uint16_t>{0x0003, 0xF943}));
    EXPECT_EQ(line.meter(0).reg(0x1700), 0x0C05);
    EXPECT_EQ(line.meter(1).reg(0x1700), 0x0C06);
    EXPECT_NE(line.meter(0).floatAt(0x170E), line.meter(1).floatAt(0x170E));

    // A network write moves only its meter; the bus then has two meters at address 1.
    EXPECT_EQ(bus.respond(writeRequest(2, 0x04FE, {1, 1}), k8N1).answeredBy, 1U);
    EXPECT_EQ(bus.respond(writeRequest(2, 0x0408, {1, 7, 0}), k8N1).answeredBy, 1U);
    EXPECT_EQ(line.meter(0).address(), 1);
    EXPECT_EQ(line.meter(1).address(), 1);
    EXPECT_EQ(line.meter(2).address(), 3);
    const auto clash = bus.respond(readRequest(1, 0x0400, 8), k8N1);
    EXPECT_EQ(clash.answeredBy, 2U);
    EXPECT_FALSE(sim::crcValid(clash.answer.bytes)); // the two answers collide
}

TEST(MeterBus, ABroadcastReachesEveryMeterThatHearsItAndNoneAnswers) {
    ThreeMeters line;
    const auto r = line.bus.respond(writeRequest(0, 0x0416, {1}), k8N1);
    EXPECT_EQ(r.heardBy, 2U);
    EXPECT_TRUE(r.answer.bytes.empty());
    EXPECT_EQ(line.meter(0).blinks(), 1U);
    EXPECT_EQ(line.meter(1).blinks(), 1U);
    EXPECT_EQ(line.meter(2).blinks(), 0U); // another parity
    EXPECT_EQ(line.bus.slave(0).answeredCount(), 0U);
}

TEST(MeterBus, OptionsNameTheMetersOrSayWhatIsWrong) {
    std::string error;
    EXPECT_EQ(sim::parseAddressList("1,3-5,247", error),
              (std::vector<std::uint8_t>{1, 3, 4, 5, 247}));
    for (const char* bad : {"", "0", "248", "1,,2", "5-3", "1-x", "2 "})
        EXPECT_FALSE(sim::parseAddressList(bad, error)) << bad;

    const sim::MeterConfig defaults{.speedCode = 10};
    const auto m = sim::parseMeterOption("address=7,parity=odd", defaults, error);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->address, 7);
    EXPECT_EQ(m->speedCode, 10); // the default speed
    EXPECT_EQ(m->parity, 1);
    EXPECT_EQ(sim::parseMeterOption("address=2,baud=9600", defaults, error)->speedCode, 6);
    for (const char* bad : {"baud=9600", "address=2,baud=300", "address=2,parity=mark",
                            "address=2,speed=9600", "address=0"}) {
        EXPECT_FALSE(sim::parseMeterOption(bad, defaults, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }

    const sim::MeterConfig a{.address = 2}, b{.address = 2, .parity = 2};
    EXPECT_EQ(sim::checkBus(std::vector{a, b}), "");
    EXPECT_NE(sim::checkBus(std::vector{a, b, a}), "");

    const auto fault = sim::parseMeterFault("2:delay:1500@next=2", error);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->first, 2);
    EXPECT_EQ(fault->second, "delay:1500@next=2");
    EXPECT_FALSE(sim::parseMeterFault("silent", error));
}

} // namespace
} // namespace flowcfg::test
