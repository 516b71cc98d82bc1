#pragma once
// The item texts of the pages' selectors, exactly as the lists show them. Item i stands for
// the register code its list's CodeRule gives (config/ListCodes.h). Runs of numbers are made
// at compile time (numbers<First, Count>).

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
inline constexpr std::string_view emulationModes[] = {"Обычн.работа", "Фикс. значение", "Качание"};
inline constexpr std::string_view pressureUnits[] = {"Па", "кПа", "МПа"};
inline constexpr std::string_view temperatureCurves[] = {"Платина 385", "Пользовательские"};
inline constexpr std::string_view frameTypes[] = {"Расширенный", "Сокращенный"};

namespace detail {

constexpr std::size_t digitsOf(unsigned value) {
    std::size_t n = 1;
    for (; value >= 10; value /= 10)
        ++n;
    return n;
}

template <unsigned First, unsigned Count> constexpr std::size_t numberTextsSize() {
    std::size_t n = 0;
    for (unsigned i = 0; i < Count; ++i)
        n += digitsOf(First + i);
    return n;
}

// "First" .. "First + Count - 1" back to back.
template <unsigned First, unsigned Count>
inline constexpr auto kNumberTexts = [] {
    std::array<char, numberTextsSize<First, Count>()> t{};
    std::size_t end = 0;
    for (unsigned i = 0; i < Count; ++i) {
        end += digitsOf(First + i);
        std::size_t at = end;
        for (unsigned v = First + i; at > end - digitsOf(First + i); v /= 10)
            t[--at] = static_cast<char>('0' + v % 10);
    }
    return t;
}();

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

// The numbers First .. First + Count - 1 in decimal, as the number lists show them (addresses
// "0".."247", days "1".."31", years "2017".."2099"); the list's CodeRule::plus(First) makes the
// code the number itself.
template <unsigned First, unsigned Count>
inline constexpr auto numbers = [] {
    std::array<std::string_view, Count> v{};
    std::size_t at = 0;
    for (unsigned i = 0; i < Count; ++i) {
        const std::size_t n = detail::digitsOf(First + i);
        v[i] = std::string_view(detail::kNumberTexts<First, Count>.data() + at, n);
        at += n;
    }
    return v;
}();

// "выкл." for 0, then the seconds "1" .. "3600" (the item index is the value).
inline constexpr auto offOrSeconds = [] {
    std::array<std::string_view, 3601> v{};
    v[0] = "выкл.";
    for (std::size_t i = 1; i < v.size(); ++i)
        v[i] = numbers<1, 3600>[i - 1];
    return v;
}();

} // namespace flowcfg::items
