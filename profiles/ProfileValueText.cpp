#include "profiles/ProfileValueText.h"

#include "model/Encodings.h"
#include "platform/CFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <type_traits>

namespace flowcfg {

namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string decimal(std::int64_t v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

// Rounds to the nearest integer of T (halves away from zero), limited to T's range; NaN gives 0.
template <typename T> T roundedInto(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    const double r = std::round(v);
    if (r <= static_cast<double>(std::numeric_limits<T>::min())) {
        return std::numeric_limits<T>::min();
    }
    if (r >= static_cast<double>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(r);
}

bool readsBackAs(const std::string& text, float v) {
    const float back = scanFloat(text);
    return std::bit_cast<std::uint32_t>(back) == std::bit_cast<std::uint32_t>(v) ||
           (std::isnan(back) && std::isnan(v));
}

// The fixed text of a float key when a load reads it back as the same single, so ordinary
// files keep their layout; otherwise the shortest "%E" text that does (0.0039083 is
// "3.9083E-03", 1e-5 "1E-05"), left-justified to the same width.
std::string floatKeyText(float v, std::string fixed, int width) {
    if (readsBackAs(fixed, v))
        return fixed;
    // Nine significant digits always read back; fewer usually do.
    for (int precision = 0; precision <= 8; ++precision) {
        std::string text;
        appendExponent(text, v, -width, precision, LetterCase::Upper);
        if (readsBackAs(text, v))
            return text;
    }
    return fixed;
}

} // namespace

float scanFloat(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && isCSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    std::string_view rest = text.substr(pos);
    if (rest.empty() || rest.front() == '+' || rest.front() == '-') {
        return 0.0f;
    }
    auto format = std::chars_format::general;
    if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        format = std::chars_format::hex;
        rest.remove_prefix(2);
    }
    // Straight to float, rounded once as a C float scan rounds: by way of a double, a text just
    // beside the midpoint of two floats could round the wrong way.
    const char* const first = rest.data();
    const char* const last = rest.data() + rest.size();
    float value = 0.0f;
    auto [end, ec] = std::from_chars(first, last, value, format);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the float range an infinity, below it the nearest float (0 at last), as a
        // float scan gives; beyond even a double: no number.
        double wide = 0.0;
        const auto r = std::from_chars(first, last, wide, format);
        if (r.ec != std::errc{}) {
            return 0.0f;
        }
        value = std::fabs(wide) > std::numeric_limits<float>::max()
                    ? std::numeric_limits<float>::infinity()
                    : static_cast<float>(wide);
        end = r.ptr;
        ec = std::errc{};
    }
    if (ec != std::errc{} || end == first) {
        return 0.0f;
    }
    return negative ? -value : value;
}

std::string profileValueText(ValueKind kind, const ProfileRef& ref) {
    return std::visit(
        [kind](auto* p) -> std::string {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return *p;
            } else {
                switch (kind) {
                case ValueKind::Float:
                    return floatKeyText(static_cast<float>(*p),
                                        formatFixed4(static_cast<float>(*p)), 11);
                case ValueKind::Float2:
                    return floatKeyText(static_cast<float>(*p),
                                        formatFixed2(static_cast<float>(*p)), 5);
                case ValueKind::Int:
                case ValueKind::String:
                    break;
                }
                if constexpr (std::is_same_v<T, float>) {
                    return decimal(roundedInto<std::int64_t>(*p));
                } else {
                    return decimal(static_cast<std::int64_t>(*p));
                }
            }
        },
        ref);
}

namespace {

// Stores a number read from the file into whatever member the key is bound to.
template <typename V> void storeNumber(const ProfileRef& ref, V value) {
    std::visit(
        [value](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, std::string>) {
                if constexpr (std::is_same_v<V, float>) {
                    *p = formatFixed4(value);
                } else {
                    *p = decimal(value);
                }
            } else if constexpr (std::is_same_v<T, float> || std::is_same_v<V, std::int64_t>) {
                *p = static_cast<T>(value); // integers wrap to the width, as the register would
            } else {
                *p = roundedInto<T>(value);
            }
        },
        ref);
}

} // namespace

void storeInteger(const ProfileRef& ref, std::int64_t value) {
    storeNumber(ref, value);
}

void storeFloat(const ProfileRef& ref, float value) {
    storeNumber(ref, value);
}

void storeText(const ProfileRef& ref, std::string text) {
    std::visit(
        [&text](auto* p) {
            using T = std::remove_pointer_t<decltype(p)>;
            if constexpr (std::is_same_v<T, std::string>) {
                *p = std::move(text);
            } else {
                *p = T{}; // no string key is bound to a number
            }
        },
        ref);
}

} // namespace flowcfg
