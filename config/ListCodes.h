#pragma once
// How a selector's item becomes the register code it stands for, and back. Most lists send
// their item index; some shift it (serial speed index + 3, day and month index + 1, year
// index + first year of the list), the median window sends index × 2 + 1, and the
// current-output mode sends 0 for its first item and 2 for its second.

#include <cstdint>
#include <optional>

namespace flowcfg {

struct CodeRule {
    enum class Kind : std::uint8_t {
        Index,       // code = index
        Offset,      // code = index + offset
        Odd,         // code = index × 2 + 1; shown index = code ÷ 2
        CurrentMode, // item 0 = code 0, item 1 = code 2
    };
    Kind kind = Kind::Index;
    std::uint16_t offset = 0;

    static constexpr CodeRule index() { return {}; }
    static constexpr CodeRule plus(std::uint16_t n) { return {Kind::Offset, n}; }
    static constexpr CodeRule odd() { return {Kind::Odd, 0}; }
    static constexpr CodeRule currentMode() { return {Kind::CurrentMode, 0}; }
};

// The register code of an item.
std::uint16_t codeOfItem(CodeRule rule, std::size_t index);
// The item a code stands for; nullopt when no item of a list of itemCount items does (the
// list then keeps its selection).
std::optional<std::size_t> itemOfCode(CodeRule rule, std::uint16_t code, std::size_t itemCount);
// The item whose code is exactly this one; nullopt also where show would settle on a
// neighbour (the median window shows code 4 as item "5").
std::optional<std::size_t> itemWithCode(CodeRule rule, std::uint16_t code, std::size_t itemCount);

} // namespace flowcfg
