#pragma once
// The item texts of the pages' selectors, exactly as the lists show them. Item i stands for
// the register code its list's CodeRule gives (config/ListCodes.h).

#include <array>
#include <cstddef>
#include <string_view>

namespace flowcfg::items {

inline constexpr std::string_view flowUnits[] = {"м куб/с", "л/сек", "м куб/час", "л/час"};
inline constexpr std::string_view sumUnits[] = {"метры куб.", "литры"};
inline constexpr std::string_view volumeKinds[] = {"Суммарный объем", "Прямой объем",
                                                   "Обратный объем", "Объем суммарный по модулю"};
inline constexpr std::string_view medianWindows[] = {"1",  "3",  "5",  "7",  "9",
                                                     "11", "13", "15", "17", "19"};
inline constexpr std::string_view decimalDigits[] = {"0", "1", "2", "3", "4", "5"};
inline constexpr std::string_view scaleSources[] = {
    "Диапазон измерения", "Модуль диап.изм.соотв знака", "Частота выхода 1", "Частота выхода 2",
    "Токовый выход"};
inline constexpr std::string_view outputModes[] = {"Прям. упр.", "Направление", "Частотный",
                                                   "Импульсный", "Дискр. ош."};
inline constexpr std::string_view frequencyModes[] = {"Обычн.работа", "Задаем частоту"};
inline constexpr std::string_view currentModes[] = {"Обычн.работа", "Задаем ток"};
inline constexpr std::string_view dataSources[] = {"Память прибора", "Первичный преобразователь"};

namespace detail {
inline constexpr std::size_t kAverageCount = 101;
// "  0" .. "100" back to back, three characters each.
inline constexpr auto kAverageTexts = [] {
    std::array<char, kAverageCount * 3> t{};
    for (std::size_t i = 0; i < kAverageCount; ++i) {
        t[3 * i] = i >= 100 ? '1' : ' ';
        t[3 * i + 1] = i >= 10 ? static_cast<char>('0' + (i / 10) % 10) : ' ';
        t[3 * i + 2] = static_cast<char>('0' + i % 10);
    }
    return t;
}();
} // namespace detail

// The number of averages 0..100, right-aligned in three places.
inline constexpr auto averages = [] {
    std::array<std::string_view, detail::kAverageCount> v{};
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = std::string_view(detail::kAverageTexts.data() + 3 * i, 3);
    return v;
}();

} // namespace flowcfg::items
