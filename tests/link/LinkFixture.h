#pragma once
// A link context on an in-process line with the fake clock and scripted dialogs; the port
// "/dev/fake" is open and nothing is logged unless a test turns logging on.

#include "FakeLinkTest.h"
#include "Frames.h"
#include "TestFiles.h"
#include "link/ModbusMaster.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace flowcfg::test {

class LinkFixture : public FakeLinkTest {
protected:
    LinkFixture() {
        line = devices.add("/dev/fake");
        line->clock = &clock;
        ctx.port = devices.open("/dev/fake").port;
    }

    ModbusMaster master() { return ModbusMaster(ctx); }

    // Answers every request with the given bytes.
    void answerAlways(Bytes answer) {
        line->responder = [answer](std::span<const std::uint8_t>) { return answer; };
    }
    // Answers the requests in turn with the given bytes (the last one for the rest).
    void answerInTurn(std::vector<Bytes> answers) {
        line->responder = [answers, n = std::size_t{0}](std::span<const std::uint8_t>) mutable {
            return answers[std::min(n++, answers.size() - 1)];
        };
    }

    std::shared_ptr<FakeSerialLine> line;
};

} // namespace flowcfg::test
