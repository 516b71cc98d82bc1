#pragma once
// Reading register groups into the DeviceImage and writing them from it, driven by the rows
// of the register map. A read stores its fields only when the exchange succeeded and leaves
// every field of the group unchanged otherwise; a write copies the fields into words and
// sends them with the group's log description.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "model/RegisterMap.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <span>
#include <vector>

namespace flowcfg {

// Which exchange results let a read store its fields. Screen operations take an answer that
// arrived intact after a repeat (AfterRepeats); the measured-value poll, which counts repeats
// and errors on its own, may ask for a clean exchange.
enum class Acceptance : std::uint8_t { AfterRepeats, CleanOnly };

bool accepted(ExchangeResult result, Acceptance acceptance);

// The words a write of the group sends: writeCount words, Cmd fields as their constant.
std::vector<std::uint16_t> composeWords(const GroupDescriptor& group, DeviceImage& image);
// Stores the fields of words (at least readCount of them) into the image.
void storeWords(const GroupDescriptor& group, std::span<const std::uint16_t> words,
                DeviceImage& image);

// FC3 of the group; the fields change only when the result is accepted.
ExchangeResult readGroup(LinkContext& ctx, DeviceImage& image, GroupId id,
                         Acceptance acceptance = Acceptance::AfterRepeats);
// FC3 of the group into words (readCount of them, zero where nothing arrived), for readers
// that keep the words themselves (the write guard's status word).
ExchangeResult readGroupWords(LinkContext& ctx, GroupId id, std::vector<std::uint16_t>& words);
// FC16 of the group's first writeCount words with its log description. The restart command
// logs with the description of the previous write.
ExchangeResult writeGroup(LinkContext& ctx, DeviceImage& image, GroupId id);
// writeGroup for a command: a group whose fields are all constants (locks, restart, blink,
// volume reset); std::logic_error for any other group.
ExchangeResult sendCommand(LinkContext& ctx, GroupId id);

// One group of an operation with the pauses around it: pauseBeforeMs always before it,
// pauseAfterMs only after a success.
struct GroupTransfer {
    GroupId group;
    std::uint32_t pauseBeforeMs = 0;
    std::uint32_t pauseAfterMs = 0;
    OnFailure onFailure = OnFailure::Stop;
};

// Steps for runSteps / ReadOperation / WriteOperation (model/WriteGuard.h). The image must
// outlive the steps.
std::vector<OperationStep> readSteps(DeviceImage& image, std::span<const GroupTransfer> groups);
std::vector<OperationStep> writeSteps(DeviceImage& image, std::span<const GroupTransfer> groups);

} // namespace flowcfg
