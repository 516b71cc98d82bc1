#include "archive/ArchiveImage.h"

#include <algorithm>
#include <stdexcept>

namespace flowcfg {

namespace {
constexpr std::size_t totalBytes = archiveBlockSize * (std::size_t{archiveSlotCount} + 1);

std::size_t slotOffset(std::uint32_t slot) {
    if (slot >= archiveSlotCount)
        throw std::out_of_range("archive slot out of range");
    return archiveBlockSize * (std::size_t{slot} + 1);
}
} // namespace

ArchiveImage::ArchiveImage() : bytes_(std::make_unique<std::uint8_t[]>(totalBytes)) {}

ArchiveImage::Block ArchiveImage::slot(std::uint32_t slot) {
    return Block(bytes_.get() + slotOffset(slot), archiveBlockSize);
}

ArchiveImage::ConstBlock ArchiveImage::slot(std::uint32_t slot) const {
    return ConstBlock(bytes_.get() + slotOffset(slot), archiveBlockSize);
}

void ArchiveImage::clearSlots() {
    std::fill(bytes_.get() + archiveBlockSize, bytes_.get() + totalBytes, std::uint8_t{0});
}

void ArchiveImage::storeReceived(std::uint32_t slot) {
    const auto received = receiveBuffer();
    std::copy(received.begin(), received.end(), this->slot(slot).begin());
}

} // namespace flowcfg
