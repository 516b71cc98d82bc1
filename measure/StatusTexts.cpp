#include "measure/StatusTexts.h"

#include <array>

namespace flowcfg {

namespace {

enum class Word : std::uint8_t { Hi, Lo };

struct FlagText {
    Word word;
    std::uint16_t mask;
    std::string_view text;
};

// The order in which the state text lists the set flags. Service, electrode cleaning and
// the lower limit come first in words, then the error word, then the status word's bits
// from the top down by their mnemonics.
constexpr std::array<FlagText, 29> flowStateOrder{{
    {Word::Hi, 0x2000, "Обслужив. "},     {Word::Hi, 0x4000, "Очист. электродов  "},
    {Word::Hi, 0x0001, "НПИ  "},          {Word::Lo, 0x0010, "АЦП "},
    {Word::Lo, 0x0001, "Сенс. "},         {Word::Lo, 0x0002, "НПИ "},
    {Word::Lo, 0x0004, "ВПИ "},           {Word::Lo, 0x0020, "PWR "},
    {Word::Lo, 0x0040, "Float "},         {Word::Lo, 0x0008, "EEPROM "},
    {Word::Lo, 0x0200, "PGM_EEPROM "},    {Word::Lo, 0x0400, "BED_IZM "},
    {Word::Lo, 0x0800, "BED_SUBST "},     {Word::Lo, 0x1000, "EMPTY_PIPE "},
    {Word::Lo, 0x2000, "NOISE_ERR "},     {Word::Lo, 0x4000, "SENS_NO_RPL "},
    {Word::Lo, 0x8000, "SENS_TO_TECH "},  {Word::Hi, 0x8000, "NOT_RDY "},
    {Word::Hi, 0x4000, "EL_CLR "},        {Word::Hi, 0x2000, "SERV "},
    {Word::Hi, 0x1000, "SYST "},          {Word::Hi, 0x0800, "SENS2 CUT "},
    {Word::Hi, 0x0400, "SENS1 CUT "},     {Word::Hi, 0x0200, "INTERF "},
    {Word::Hi, 0x0100, "SIGNAL STRONG "}, {Word::Hi, 0x0080, "SIGNAL WEAK "},
    {Word::Hi, 0x0004, "CUT "},           {Word::Hi, 0x0002, "ВПИ "},
    {Word::Hi, 0x0001, "НПИ "},
}};

struct MaskText {
    std::uint16_t mask;
    std::string_view text;
};

constexpr std::array<MaskText, 13> volumeStateOrder{{
    {0x0010, "АЦП "},
    {0x0001, "Сенс. "},
    {0x0002, "НПИ "},
    {0x0004, "ВПИ "},
    {0x0020, "PWR "},
    {0x0040, "Float "},
    {0x0008, "EEPROM "},
    {0x0200, "PGM_EEPROM "},
    {0x0400, "BED_IZM "},
    {0x0800, "BED_SUBST "},
    {0x1000, "EMPTY_PIPE "},
    {0x2000, "NOISE_ERR "},
    {0x8000, "Не измеряется "},
}};

constexpr std::array<std::string_view, 4> flowUnits{"м куб/сек", "литры/сек", "м куб/час",
                                                    "литры/час"};
constexpr std::array<std::string_view, 2> volumeUnits{"м куб", "литр"};
constexpr std::array<std::string_view, 3> currentStates{"Норм.", "Задан код", "Задан ток"};

template <std::size_t N>
std::optional<std::string_view> byCode(const std::array<std::string_view, N>& table,
                                       unsigned code) {
    if (code < N)
        return table[code];
    return std::nullopt;
}

} // namespace

std::optional<std::string_view> flowUnitText(std::uint16_t flowUnitWord) {
    return byCode(flowUnits, flowUnitWord & 0xFFu);
}

std::optional<std::string_view> volumeUnitText(std::uint16_t volumeUnitWord) {
    return byCode(volumeUnits, volumeUnitWord & 0xFFu);
}

std::string flowStateText(std::uint16_t hi, std::uint16_t lo) {
    std::string text = " ";
    for (const auto& flag : flowStateOrder) {
        const std::uint16_t word = flag.word == Word::Hi ? hi : lo;
        if (word & flag.mask)
            text += flag.text;
    }
    return text;
}

std::string volumeStateText(std::uint16_t volErrLo) {
    std::string text = " ";
    for (const auto& flag : volumeStateOrder)
        if (volErrLo & flag.mask)
            text += flag.text;
    return text;
}

std::optional<std::string_view> currentStateText(std::uint16_t code) {
    return byCode(currentStates, code);
}

std::optional<std::string_view> outputModeText(std::uint16_t mode, std::uint16_t freqMode) {
    switch (mode) {
    case 0:
        return "Прям. упр.";
    case 1:
        return "Направл.";
    case 2:
        if (freqMode == 0)
            return "Частотн.";
        if (freqMode == 1)
            return "Прям. упр. част.";
        return std::nullopt;
    case 3:
        return "Имп.";
    case 4:
        return "По ошибк.";
    default:
        return std::nullopt;
    }
}

} // namespace flowcfg
