#include "config/ListCodes.h"

namespace flowcfg {

std::uint16_t codeOfItem(CodeRule rule, std::size_t index) {
    switch (rule.kind) {
    case CodeRule::Kind::Offset:
        return static_cast<std::uint16_t>(index + rule.offset);
    case CodeRule::Kind::Odd:
        return static_cast<std::uint16_t>(index * 2 + 1);
    case CodeRule::Kind::CurrentMode:
        return index == 1 ? 2 : 0;
    case CodeRule::Kind::Index:
        break;
    }
    return static_cast<std::uint16_t>(index);
}

std::optional<std::size_t> itemOfCode(CodeRule rule, std::uint16_t code, std::size_t itemCount) {
    std::size_t index = code;
    switch (rule.kind) {
    case CodeRule::Kind::Offset:
        if (code < rule.offset)
            return std::nullopt;
        index = code - rule.offset;
        break;
    case CodeRule::Kind::Odd:
        index = code / 2u;
        break;
    case CodeRule::Kind::CurrentMode:
        if (code != 0 && code != 2)
            return std::nullopt;
        index = code / 2u;
        break;
    case CodeRule::Kind::Index:
        break;
    }
    if (index >= itemCount)
        return std::nullopt;
    return index;
}

std::optional<std::size_t> itemWithCode(CodeRule rule, std::uint16_t code, std::size_t itemCount) {
    const auto item = itemOfCode(rule, code, itemCount);
    if (item && codeOfItem(rule, *item) == code)
        return item;
    return std::nullopt;
}

} // namespace flowcfg
