#include "model/GroupIo.h"

#include "link/ModbusMaster.h"
#include "link/Outcome.h"
#include "model/Encodings.h"

#include <algorithm>
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

ExchangeResult readGroupWords(LinkContext& ctx, GroupId id, std::vector<std::uint16_t>& words) {
    const GroupDescriptor& g = group(id);
    if (!g.readable())
        throw std::logic_error("group is not read");
    words.assign(g.readCount, 0);
    return ModbusMaster(ctx).readHoldingRegisters(g.start, g.readCount, words);
}

ExchangeResult readGroup(LinkContext& ctx, DeviceImage& image, GroupId id, Acceptance acceptance) {
    std::vector<std::uint16_t> words;
    const ExchangeResult result = readGroupWords(ctx, id, words);
    if (accepted(result, acceptance))
        storeWords(group(id), words, image);
    return result;
}

namespace {

ExchangeResult sendWords(LinkContext& ctx, const GroupDescriptor& g,
                         std::span<const std::uint16_t> words) {
    // The meter restarts with whatever text the write before it used.
    const std::string description =
        g.id == GroupId::Restart ? ctx.lastWriteDescription : std::string(g.description);
    return ModbusMaster(ctx).writeMultipleRegisters(g.start, words, description);
}

const GroupDescriptor& writable(GroupId id) {
    const GroupDescriptor& g = group(id);
    if (!g.writable())
        throw std::logic_error("group is not written");
    return g;
}

} // namespace

ExchangeResult writeGroup(LinkContext& ctx, DeviceImage& image, GroupId id) {
    const GroupDescriptor& g = writable(id);
    return sendWords(ctx, g, composeWords(g, image));
}

ExchangeResult sendCommand(LinkContext& ctx, GroupId id) {
    const GroupDescriptor& g = writable(id);
    if (!std::ranges::all_of(g.fields,
                             [](const FieldDescriptor& f) { return f.encoding == Encoding::Cmd; }))
        throw std::logic_error("group is not a command: " + std::string(g.name));
    std::vector<std::uint16_t> words(g.writeCount, 0);
    for (const FieldDescriptor& f : g.fields)
        words[f.offset] = f.extra;
    return sendWords(ctx, g, words);
}

namespace {

using GroupExchange = ExchangeResult (*)(LinkContext&, DeviceImage&, GroupId);

std::vector<OperationStep> stepsOf(DeviceImage& image, std::span<const GroupTransfer> groups,
                                   GroupExchange exchange) {
    std::vector<OperationStep> steps;
    for (const GroupTransfer& g : groups)
        steps.push_back({[&image, id = g.group, exchange](LinkContext& ctx) {
                             return exchange(ctx, image, id);
                         },
                         g.pauseBeforeMs, g.pauseAfterMs, g.onFailure});
    return steps;
}

} // namespace

std::vector<OperationStep> readSteps(DeviceImage& image, std::span<const GroupTransfer> groups) {
    return stepsOf(image, groups, [](LinkContext& ctx, DeviceImage& i, GroupId id) {
        return readGroup(ctx, i, id);
    });
}

std::vector<OperationStep> writeSteps(DeviceImage& image, std::span<const GroupTransfer> groups) {
    return stepsOf(image, groups, writeGroup);
}

} // namespace flowcfg
