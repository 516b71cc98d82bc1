// Faults on demand: their text form, their scopes, their effect on the answers, and that a
// seed reproduces a run.

#include "SimFrames.h"
#include "sim/MeterSlave.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

sim::FaultRule rule(std::string_view text) {
    std::string error;
    const auto r = sim::FaultPlan::parse(text, error);
    EXPECT_TRUE(r) << text << ": " << error;
    return r.value_or(sim::FaultRule{});
}

TEST(FaultPlan, ParsesTheTextFormAndRejectsNonsense) {
    const auto r = rule("exception:4@range=0x1000-0x10FF,next=2");
    EXPECT_EQ(r.kind, sim::FaultKind::Exception);
    EXPECT_EQ(r.param, 4U);
    EXPECT_TRUE(r.ranged);
    EXPECT_EQ(r.first, 0x1000);
    EXPECT_EQ(r.last, 0x10FF);
    EXPECT_EQ(r.remaining, 2U);
    EXPECT_EQ(rule("delay:1500@p=0.25").probability, 0.25);
    EXPECT_EQ(rule("truncate").param, 0U);

    std::string error;
    EXPECT_EQ(rule("garbage:4096").param, 4096U);
    EXPECT_EQ(rule("delay:60000").param, 60000U);
    // Every parameter is bounded: a number beyond the bound, a probability that is NaN and a
    // parameter on a fault that takes none are refused, not clamped.
    for (const char* bad :
         {"explode", "exception", "exception:0", "exception:256", "delay:x", "delay:60001",
          "crc@next=0", "crc@range=5-1", "crc@p=1.5", "crc@p=nan", "crc@p=-0.1", "crc@when=now",
          "garbage:", "garbage:4097", "garbage:4000000000", "truncate:1030", "crc:3", "silent:1"}) {
        error.clear();
        EXPECT_FALSE(sim::FaultPlan::parse(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(FaultPlan, EachKindDamagesTheAnswerItsOwnWay) {
    const Bytes request = readRequest(1, 0x0100, 2);
    sim::MeterSlave clean;
    const Bytes good = clean.handle(request);
    ASSERT_EQ(good.size(), 9U);

    auto answerWith = [&](std::string_view text) {
        sim::MeterSlave slave;
        slave.faults().add(rule(text));
        return slave.respond(request);
    };
    EXPECT_TRUE(answerWith("silent").bytes.empty());
    EXPECT_EQ(answerWith("exception:6").bytes, exceptionFrame(1, 0x03, 6));
    EXPECT_EQ(answerWith("truncate:3").bytes, Bytes(good.begin(), good.begin() + 3));
    EXPECT_EQ(answerWith("truncate").bytes.size(), good.size() / 2);

    const Bytes crc = answerWith("crc").bytes;
    ASSERT_EQ(crc.size(), good.size());
    EXPECT_TRUE(std::equal(good.begin(), good.end() - 1, crc.begin()));
    EXPECT_NE(crc.back(), good.back());

    const Bytes other = answerWith("address").bytes;
    EXPECT_EQ(other[0], 2);     // another meter's address
    EXPECT_EQ(crc16(other), 0); // with a CRC that checks

    EXPECT_EQ(answerWith("garbage:17").bytes.size(), 17U);
    const sim::SlaveReply late = answerWith("delay:700");
    EXPECT_EQ(late.bytes, good);
    EXPECT_EQ(late.delayMs, 700U);
}

TEST(FaultPlan, ScopesLimitWhichRequestsAreHit) {
    sim::MeterSlave slave;
    slave.faults().add(rule("silent@next=2"));
    slave.faults().add(rule("exception:4@range=0x1000-0x10FF"));
    EXPECT_TRUE(slave.handle(readRequest(1, 0x0100, 2)).empty());
    EXPECT_TRUE(slave.handle(readRequest(1, 0x0100, 2)).empty());
    EXPECT_EQ(slave.handle(readRequest(1, 0x0100, 2)).size(), 9U); // the two are spent
    EXPECT_EQ(slave.handle(readRequest(1, 0x1035, 2)), exceptionFrame(1, 0x03, 4));
    EXPECT_EQ(slave.handle(readRequest(1, 0x0FFE, 2)), exceptionFrame(1, 0x03, 2)); // not in range
    // The archive block read has no register range: ranged rules leave it alone.
    EXPECT_EQ(slave.handle(archiveRequest(1, 0)).size(), 1030U);
    EXPECT_FALSE(slave.served().back().faulted);
}

TEST(FaultPlan, ASeedReproducesTheRun) {
    auto run = [](std::uint64_t seed) {
        sim::MeterSlave slave({}, seed);
        slave.faults().add(rule("silent@p=0.3"));
        slave.faults().add(rule("garbage@p=0.2"));
        std::vector<Bytes> answers;
        for (int i = 0; i < 200; ++i)
            answers.push_back(slave.handle(readRequest(1, 0x0100, 2)));
        return answers;
    };
    const auto a = run(42), b = run(42), c = run(43);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    const auto silent = std::count_if(a.begin(), a.end(), [](const Bytes& x) { return x.empty(); });
    EXPECT_GT(silent, 30);
    EXPECT_LT(silent, 90);
}

} // namespace
} // namespace flowcfg::test
