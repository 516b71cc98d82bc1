#pragma once
// The meter's archive: frames of 102 bytes recorded one after another, delivered in blocks of
// 1024 bytes by the archive-block read. A block holds `framesPerBlock` frames (at most 10, at
// offsets 0, 102, ...); unused frame slots and the 4 tail bytes read as erased memory (0xFF),
// which never passes the frame checksum.
//
// Frame layout: integers big-endian, floats and doubles little-endian, byte 101 = sum of
// bytes 0..100 modulo 256, the year stored as year - 2000.

#include "sim/CivilTime.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace flowcfg::sim {

struct ArchiveRecord {
    std::uint32_t number = 0;
    CivilTime time;
    float flow = 0;
    std::uint16_t errHi = 0, errLo = 0, stat = 0;
    float fOut1 = 0, fOut2 = 0, iOut = 0;
    std::uint16_t dOut = 0;
    double sumV = 0, modV = 0, fwdV = 0, revV = 0;
    float minFlow = 0, avrFlow = 0, maxFlow = 0, flowVel = 0;
    std::uint16_t velErr = 0;
    float extPKpa = 0;
    std::uint16_t extPErr = 0, reserved = 0;
    float extT = 0;
    std::uint16_t extTErr = 0;
};

inline constexpr std::size_t kFrameSize = 102;
inline constexpr std::size_t kBlockSize = 1024;
inline constexpr std::size_t kMaxFramesPerBlock = 10;
using ArchiveFrameBytes = std::array<std::uint8_t, kFrameSize>;

ArchiveFrameBytes encodeFrame(const ArchiveRecord& r);

class MeterArchive {
public:
    // Room for 13108 blocks of 10 frames; when full, recording stops.
    static constexpr std::uint32_t kCapacity = 131080;

    explicit MeterArchive(std::uint16_t framesPerBlock = 10);

    // Records a frame (its number is set to the next one, starting at 1). False when full.
    bool append(ArchiveRecord record);
    void clear() { frames_.clear(); }

    std::uint32_t totalFrames() const { return static_cast<std::uint32_t>(frames_.size()); }
    // Number of the last frame recorded, 0 when the archive is empty.
    std::uint32_t currentFrame() const { return totalFrames(); }
    std::uint16_t framesPerBlock() const { return framesPerBlock_; }
    // Blocks that can be read: at least one, so that an empty archive still has block 0.
    std::uint32_t blockCount() const;
    // Fills one block; false (and nothing written) for a block beyond the archive.
    bool readBlock(std::uint32_t block, std::span<std::uint8_t, kBlockSize> out) const;
    const ArchiveFrameBytes& frame(std::uint32_t index) const { return frames_.at(index); }

private:
    std::uint16_t framesPerBlock_;
    std::vector<ArchiveFrameBytes> frames_;
};

} // namespace flowcfg::sim
