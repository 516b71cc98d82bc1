#include "model/GroupIo.h"

#include "link/ModbusMaster.h"
#include "link/Outcome.h"
#include "model/Encodings.h"

#include <stdexcept>
#include <type_traits>

namespace flowcfg {

namespace {

template <class T> T& target(const FieldDescriptor& field, DeviceImage& image) {
    const ValueRef ref = field.member(image);
    T* const* p = std::get_if<T*>(&ref);
    if (p == nullptr || *p == nullptr)
        throw std::logic_error("register map field bound to a member of another type");
    return **p;
}

void storeField(const FieldDescriptor& f, std::span<const std::uint16_t> w, DeviceImage& image) {
    const std::uint16_t w0 = w[f.offset];
    switch (f.encoding) {
    case Encoding::U16:
    case Encoding::Code:
    case Encoding::Bits:
        target<std::uint16_t>(f, image) = w0;
        break;
    case Encoding::F32:
        target<float>(f, image) = floatFromWords(w0, w[f.offset + 1u]);
        break;
    case Encoding::U32:
        target<std::uint32_t>(f, image) = decodeU32(w0, w[f.offset + 1u]);
        break;
    case Encoding::U32LowFirst:
        target<std::uint32_t>(f, image) = decodeU32(w[f.offset + 1u], w0);
        break;
    case Encoding::RawWords: {
        std::uint16_t* first = &target<std::uint16_t>(f, image);
        for (std::size_t i = 0; i < f.extra; ++i)
            first[i] = w[f.offset + i]; // the member is the first of extra array elements
        break;
    }
    case Encoding::Cmd:
        break; // commands are never read back
    }
}

void composeField(const FieldDescriptor& f, std::span<std::uint16_t> w, DeviceImage& image) {
    switch (f.encoding) {
    case Encoding::U16:
    case Encoding::Code:
    case Encoding::Bits:
        w[f.offset] = target<std::uint16_t>(f, image);
        break;
    case Encoding::F32: {
        const WordPair pair = encodeFloat(target<float>(f, image));
        w[f.offset] = pair.first;
        w[f.offset + 1u] = pair.second;
        break;
    }
    case Encoding::U32:
    case Encoding::U32LowFirst: {
        const WordPair pair = encodeU32(target<std::uint32_t>(f, image));
        const bool lowFirst = f.encoding == Encoding::U32LowFirst;
        w[f.offset] = lowFirst ? pair.second : pair.first;
        w[f.offset + 1u] = lowFirst ? pair.first : pair.second;
        break;
    }
    case Encoding::RawWords: {
        const std::uint16_t* first = &target<std::uint16_t>(f, image);
        for (std::size_t i = 0; i < f.extra; ++i)
            w[f.offset + i] = first[i];
        break;
    }
    case Encoding::Cmd:
        w[f.offset] = f.extra;
        break;
    }
}

} // namespace

bool accepted(ExchangeResult result, Acceptance acceptance) {
    return acceptance == Acceptance::CleanOnly ? result.clean() : stepSucceeded(result);
}

std::vector<std::uint16_t> composeWords(const GroupDescriptor& group, DeviceImage& image) {
    std::vector<std::uint16_t> words(group.writeCount, 0);
    for (const auto& field : group.fields)
        if (field.offset + field.width() <= group.writeCount)
            composeField(field, words, image);
    return words;
}

void storeWords(const GroupDescriptor& group, std::span<const std::uint16_t> words,
                DeviceImage& image) {
    if (words.size() < group.readCount)
        throw std::invalid_argument("fewer words than the group reads");
    for (const auto& field : group.fields)
        if (field.offset + field.width() <= group.readCount)
            storeField(field, words, image);
}

ExchangeResult readGroup(LinkContext& ctx, DeviceImage& image, GroupId id, Acceptance acceptance) {
    const GroupDescriptor& g = group(id);
    if (!g.readable())
        throw std::logic_error("group is not read");
    std::vector<std::uint16_t> words(g.readCount, 0);
    const ExchangeResult result =
        ModbusMaster(ctx).readHoldingRegisters(g.start, g.readCount, words);
    if (accepted(result, acceptance))
        storeWords(g, words, image);
    return result;
}

ExchangeResult writeGroup(LinkContext& ctx, DeviceImage& image, GroupId id) {
    const GroupDescriptor& g = group(id);
    if (!g.writable())
        throw std::logic_error("group is not written");
    const std::vector<std::uint16_t> words = composeWords(g, image);
    // The meter restarts with whatever text the write before it used.
    const std::string description =
        id == GroupId::Restart ? ctx.lastWriteDescription : std::string(g.description);
    return ModbusMaster(ctx).writeMultipleRegisters(g.start, words, description);
}

OperationStep readStep(DeviceImage& image, GroupId id, std::uint32_t pauseBeforeMs,
                       std::uint32_t pauseAfterMs) {
    return {[&image, id](LinkContext& ctx) { return readGroup(ctx, image, id); }, pauseBeforeMs,
            pauseAfterMs};
}

OperationStep writeStep(DeviceImage& image, GroupId id, std::uint32_t pauseAfterMs,
                        std::uint32_t pauseBeforeMs) {
    return {[&image, id](LinkContext& ctx) { return writeGroup(ctx, image, id); }, pauseBeforeMs,
            pauseAfterMs};
}

std::vector<OperationStep> readSteps(DeviceImage& image, std::initializer_list<GroupId> ids,
                                     std::uint32_t pauseBeforeMs, std::uint32_t pauseAfterMs) {
    std::vector<OperationStep> steps;
    for (GroupId id : ids)
        steps.push_back(readStep(image, id, pauseBeforeMs, pauseAfterMs));
    return steps;
}

std::vector<OperationStep> writeSteps(DeviceImage& image, std::initializer_list<GroupId> ids,
                                      std::uint32_t pauseAfterMs, std::uint32_t pauseBeforeMs) {
    std::vector<OperationStep> steps;
    for (GroupId id : ids)
        steps.push_back(writeStep(image, id, pauseAfterMs, pauseBeforeMs));
    return steps;
}

} // namespace flowcfg
