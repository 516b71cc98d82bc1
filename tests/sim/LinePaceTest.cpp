#include "sim/LinePace.h"

#include "sim/MeterSlave.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::sim {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// Time moves only by sleeps, each of which wakes `oversleep` late; every byte written is
// stamped with the time of its write.
class FakePaceLine final : public PaceLine {
public:
    explicit FakePaceLine(PaceTime start, PaceTime oversleep = PaceTime{0})
        : now_(start), oversleep_(oversleep) {}
    PaceTime now() override { return now_; }
    void sleepUntil(PaceTime t) override { now_ = std::max(now_, t) + oversleep_; }
    bool write(std::span<const std::uint8_t> bytes) override {
        ++writes;
        sentAt.insert(sentAt.end(), bytes.size(), now_);
        return true;
    }

    std::vector<PaceTime> sentAt;
    int writes = 0;

private:
    PaceTime now_;
    PaceTime oversleep_;
};

TEST(LinePace, AnswerStartsAfterTheRequestItsSilenceAndTheMeter) {
    const double c = charTimeUs(19200, 0); // 520.833 us
    const auto us = [](double v) { return PaceTime{static_cast<std::int64_t>(v * 1000 + 0.5)}; };
    const PaceTime t0 = milliseconds(10);
    struct Case {
        RequestSeen request;
        PaceTime ready, delay, start;
    } cases[] = {
        // 8 bytes handed over at once: they take 8 characters, then 3.5 of silence.
        {{t0, t0, 8}, t0, {}, t0 + us(11.5 * c)},
        // The last byte seen late (a slow writer): the silence counts from it.
        {{t0, t0 + milliseconds(9), 8}, t0, {}, t0 + milliseconds(9) + us(3.5 * c)},
        // The answer ready only later, then a 300 ms delay fault.
        {{t0, t0, 8}, t0 + milliseconds(20), milliseconds(300), t0 + milliseconds(320)},
    };
    for (const Case& k : cases) {
        const AnswerSchedule s(c, k.request, k.ready, k.delay);
        EXPECT_NEAR(s.answerStart().count(), k.start.count(), 1);
        EXPECT_NEAR((s.due(102) - s.answerStart()).count(), us(103 * c).count(), 1);
    }
}

TEST(LinePace, EveryByteGoesOutWhenDueAndLateWakeUpsDoNotAddUp) {
    const PaceTime t0 = milliseconds(5);
    const std::vector<std::uint8_t> answer(1030, 0x55); // an archive block answer
    for (const std::uint32_t baud : {19200u, 115200u}) {
        const double c = charTimeUs(baud, 0);
        const AnswerSchedule s(c, {t0, t0, 8}, t0);
        // A punctual sleeper writes each byte alone at its due time.
        FakePaceLine exact(t0);
        ASSERT_TRUE(sendPaced(answer, s, exact));
        ASSERT_EQ(exact.sentAt.size(), answer.size());
        for (std::size_t n = 0; n < answer.size(); ++n)
            ASSERT_EQ(exact.sentAt[n], s.due(n)) << baud << " byte " << n;
        // The whole exchange is the line time of 8 + 1030 characters and the silence.
        EXPECT_NEAR(static_cast<double>((exact.sentAt.back() - t0).count()),
                    (8 + 3.5 + 1030) * c * 1000, 2);

        // A sleeper that always wakes 1.5 characters late: no byte goes out early, none later
        // than one oversleep, so the last byte is not 1030 oversleeps late.
        const PaceTime late = microseconds(static_cast<std::int64_t>(1.5 * c));
        FakePaceLine slow(t0, late);
        ASSERT_TRUE(sendPaced(answer, s, slow));
        ASSERT_EQ(slow.sentAt.size(), answer.size());
        for (std::size_t n = 0; n < answer.size(); ++n) {
            ASSERT_GE(slow.sentAt[n], s.due(n)) << baud << " byte " << n;
            ASSERT_LE(slow.sentAt[n], s.due(n) + late) << baud << " byte " << n;
        }
        EXPECT_LT(slow.writes, 1030) << "late bytes go out together";
    }
}

} // namespace
} // namespace flowcfg::sim
