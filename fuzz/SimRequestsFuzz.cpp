// flowsim's side of the line: a fault rule in its command-line form, then request frames
// (with their CRC made right or left as the fuzzer wrote them) served one after another by a
// fresh meter (one made once and copied over the working one, whose memory is reused: making
// one fills 65536 registers), whose time moves between requests. Every answer must be a frame of
// the meter's own (right CRC, the request's address and function) unless a fault rule damaged it,
// no broadcast is answered, and no answer is longer than the longest the meter or its garbage fault
// sends.

#include "FuzzSupport.h"
#include "sim/MeterSlave.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace flowcfg::sim;
    static const MeterSlave prototype(MeterConfig{.archiveFrames = 25, .framesPerBlock = 7});
    static MeterSlave slave = prototype;
    slave = prototype;
    FuzzedDataProvider data(bytes, size);
    slave.faults().reseed(data.ConsumeIntegral<std::uint64_t>());

    std::string error;
    if (const auto rule = FaultPlan::parse(data.ConsumeRandomLengthString(48), error))
        slave.faults().add(*rule);
    const bool faulty = !slave.faults().rules().empty();

    std::uint64_t now = 0;
    while (data.remaining_bytes() > 0) {
        now += data.ConsumeIntegralInRange<std::uint64_t>(0, 5000);
        slave.meter().setTimeMs(now);
        const bool fixCrc = data.ConsumeBool();
        std::vector<std::uint8_t> frame =
            data.ConsumeBytes<std::uint8_t>(data.ConsumeIntegralInRange<std::size_t>(0, 260));
        if (fixCrc)
            appendCrc(frame);
        (void)requestLength(frame);
        const SlaveReply reply = slave.respond(frame);
        const auto& a = reply.bytes;
        FUZZ_CHECK(a.size() <= std::max<std::size_t>(4 + kBlockSize + 2, kMaxGarbageBytes),
                   "answer of %zu bytes", a.size());
        if (a.empty() || faulty)
            continue;
        FUZZ_CHECK(frame[0] != 0, "a broadcast was answered");
        // An exception answer sets the high bit of the function code (a code that has it
        // already comes back as it is).
        const bool sameFunction = a[1] == frame[1] || a[1] == (frame[1] | 0x80);
        FUZZ_CHECK(crcValid(a) && a[0] == frame[0] && sameFunction,
                   "answer %02x %02x of %zu bytes to function %02x", a[0], a[1], a.size(),
                   frame[1]);
        slave.clearServed();
    }
    return 0;
}
