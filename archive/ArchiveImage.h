#pragma once
// The archive as downloaded: one receive buffer for the block in flight and 13108 slots, slot k
// holding the k-th block of the current transfer. Allocated once with the controller and
// reused by every transfer; a start clears the slots, the export reads them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace flowcfg {

inline constexpr std::size_t archiveBlockSize = 1024;
inline constexpr std::uint32_t archiveSlotCount = 13108;

class ArchiveImage {
public:
    using Block = std::span<std::uint8_t, archiveBlockSize>;
    using ConstBlock = std::span<const std::uint8_t, archiveBlockSize>;

    // Allocates the buffer and the slots (about 13 MB), all zero.
    ArchiveImage();

    Block receiveBuffer() { return Block(bytes_.get(), archiveBlockSize); }
    // slot < archiveSlotCount.
    Block slot(std::uint32_t slot);
    ConstBlock slot(std::uint32_t slot) const;
    // Sets every slot to zero bytes; the receive buffer keeps its contents.
    void clearSlots();
    // Copies the receive buffer into a slot.
    void storeReceived(std::uint32_t slot);

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
};

} // namespace flowcfg
