#pragma once
// A link context on an in-process line with the fake clock and scripted dialogs; the port
// "/dev/fake" is open and nothing is logged unless a test turns logging on.

#include "FakeLinkTest.h"
#include "link/Crc16.h"
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

using Bytes = std::vector<std::uint8_t>;

// The bytes with their CRC appended, low byte first.
inline Bytes withCrc(Bytes bytes) {
    const std::uint16_t crc = crc16(bytes);
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
    return bytes;
}

// The whole file, bytes as they are; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh empty directory under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        path_ =
            std::filesystem::temp_directory_path() /
            ("flowcfg-link-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(counter()++) + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    static int& counter() {
        static int n = 0;
        return n;
    }
    std::filesystem::path path_;
};

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
