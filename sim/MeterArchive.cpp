#include "sim/MeterArchive.h"

#include <algorithm>
#include <bit>

namespace flowcfg::sim {

namespace {

class FrameWriter {
public:
    explicit FrameWriter(ArchiveFrameBytes& f) : f_(f) {}
    void u8(std::size_t at, int v) { f_[at] = static_cast<std::uint8_t>(v); }
    void be16(std::size_t at, std::uint16_t v) {
        f_[at] = static_cast<std::uint8_t>(v >> 8);
        f_[at + 1] = static_cast<std::uint8_t>(v);
    }
    void be32(std::size_t at, std::uint32_t v) {
        be16(at, static_cast<std::uint16_t>(v >> 16));
        be16(at + 2, static_cast<std::uint16_t>(v));
    }
    void le32(std::size_t at, float v) { le(at, std::bit_cast<std::uint32_t>(v), 4); }
    void le64(std::size_t at, double v) { le(at, std::bit_cast<std::uint64_t>(v), 8); }

private:
    void le(std::size_t at, std::uint64_t bits, int n) {
        for (int i = 0; i < n; ++i)
            f_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    ArchiveFrameBytes& f_;
};

} // namespace

ArchiveFrameBytes encodeFrame(const ArchiveRecord& r) {
    ArchiveFrameBytes f{};
    FrameWriter w(f);
    w.be32(0, r.number);
    w.u8(4, r.time.hour);
    w.u8(5, r.time.minute);
    w.u8(6, r.time.second);
    w.u8(7, r.time.day);
    w.u8(8, r.time.month);
    w.u8(9, r.time.year - 2000);
    w.le32(10, r.flow);
    w.be16(14, r.errHi);
    w.be16(16, r.errLo);
    w.be16(18, r.stat);
    w.le32(20, r.fOut1);
    w.le32(24, r.fOut2);
    w.le32(28, r.iOut);
    w.be16(32, r.dOut);
    w.le64(34, r.sumV);
    w.le64(42, r.modV);
    w.le64(50, r.fwdV);
    w.le64(58, r.revV);
    w.le32(66, r.minFlow);
    w.le32(70, r.avrFlow);
    w.le32(74, r.maxFlow);
    w.le32(78, r.flowVel);
    w.be16(82, r.velErr);
    w.le32(84, r.extPKpa);
    w.be16(88, r.extPErr);
    w.be16(90, r.reserved);
    w.le32(92, r.extT);
    w.be16(96, r.extTErr);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kFrameSize - 1; ++i)
        sum = static_cast<std::uint8_t>(sum + f[i]);
    f[kFrameSize - 1] = sum;
    return f;
}

MeterArchive::MeterArchive(std::uint16_t framesPerBlock)
    : framesPerBlock_(std::clamp<std::uint16_t>(framesPerBlock, 1, kMaxFramesPerBlock)) {}

bool MeterArchive::append(ArchiveRecord record) {
    if (frames_.size() >= kCapacity)
        return false;
    record.number = totalFrames() + 1;
    frames_.push_back(encodeFrame(record));
    return true;
}

std::uint32_t MeterArchive::blockCount() const {
    const std::uint32_t n = (totalFrames() + framesPerBlock_ - 1) / framesPerBlock_;
    return std::max<std::uint32_t>(n, 1);
}

bool MeterArchive::readBlock(std::uint32_t block, std::span<std::uint8_t, kBlockSize> out) const {
    if (block >= blockCount())
        return false;
    std::fill(out.begin(), out.end(), std::uint8_t{0xFF});
    const std::uint64_t first = std::uint64_t{block} * framesPerBlock_;
    for (std::uint32_t i = 0; i < framesPerBlock_ && first + i < frames_.size(); ++i)
        std::copy(frames_[first + i].begin(), frames_[first + i].end(),
                  out.begin() + static_cast<std::ptrdiff_t>(i * kFrameSize));
    return true;
}

} // namespace flowcfg::sim
