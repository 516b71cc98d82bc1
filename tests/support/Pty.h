#pragma once
// A pseudo-terminal pair for tests that need a real tty: the test holds the master side
// (raw mode, so bytes pass unchanged in both directions) and the code under test opens the
// slave path like any serial device. ChunkedWriter feeds the master from a background thread
// with pauses between chunks, to play a device that answers slowly or in pieces.
// Real time is involved: use these only in tests labelled "integration".

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace flowcfg::test {

class Pty {
public:
    // Throws std::runtime_error when the system has no pseudo-terminals to give.
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes all bytes to the master (what the device "sends").
    void write(std::span<const std::uint8_t> bytes);
    // Reads from the master what the code under test sent: returns once `count` bytes have
    // arrived or `timeout` has passed, whichever comes first.
    std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds timeout);
    // Closes the master early: the slave side sees a hang-up.
    void closeMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

struct Chunk {
    std::chrono::milliseconds delay; // pause before the chunk is written
    std::vector<std::uint8_t> bytes;
};

// Writes the chunks to a master fd from a thread of its own; the destructor waits for it.
// Declare it after the Pty it writes to, so that the master outlives the writer.
class ChunkedWriter {
public:
    ChunkedWriter(int masterFd, std::vector<Chunk> chunks);
    ~ChunkedWriter();
    ChunkedWriter(const ChunkedWriter&) = delete;
    ChunkedWriter& operator=(const ChunkedWriter&) = delete;

private:
    std::thread thread_;
};

} // namespace flowcfg::test
