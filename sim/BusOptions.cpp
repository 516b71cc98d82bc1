#include "sim/BusOptions.h"

#include <charconv>

namespace flowcfg::sim {

namespace {

std::optional<unsigned> number(std::string_view s) {
    unsigned v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || r.ec != std::errc{} || r.ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

std::optional<std::uint8_t> address(std::string_view s, std::string& error) {
    const auto v = number(s);
    if (!v || *v < 1 || *v > 247) {
        error = "not an address 1..247: " + std::string(s);
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*v);
}

// Calls `each` with the comma-separated parts of `text`.
template <typename Each> bool forParts(std::string_view text, Each each) {
    while (true) {
        const std::size_t comma = text.find(',');
        if (!each(text.substr(0, comma)))
            return false;
        if (comma == std::string_view::npos)
            return true;
        text.remove_prefix(comma + 1);
    }
}

} // namespace

std::optional<std::vector<std::uint8_t>> parseAddressList(std::string_view text,
                                                          std::string& error) {
    std::vector<std::uint8_t> out;
    const bool ok = forParts(text, [&](std::string_view part) {
        const std::size_t dash = part.find('-');
        const auto first = address(part.substr(0, dash), error);
        const auto last =
            dash == std::string_view::npos ? first : address(part.substr(dash + 1), error);
        if (!first || !last)
            return false;
        if (*last < *first) {
            error = "an empty range: " + std::string(part);
            return false;
        }
        for (unsigned a = *first; a <= *last; ++a)
            out.push_back(static_cast<std::uint8_t>(a));
        return true;
    });
    if (!ok)
        return std::nullopt;
    return out;
}

std::optional<std::uint16_t> parityOf(std::string_view name) {
    if (name == "none")
        return 0;
    if (name == "odd")
        return 1;
    if (name == "even")
        return 2;
    return std::nullopt;
}

std::optional<MeterConfig> parseMeterOption(std::string_view text, const MeterConfig& defaults,
                                            std::string& error) {
    MeterConfig c = defaults;
    bool haveAddress = false;
    const bool ok = forParts(text, [&](std::string_view part) {
        const std::size_t eq = part.find('=');
        const std::string_view key = part.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : part.substr(eq + 1);
        if (key == "address") {
            const auto a = address(value, error);
            c.address = a.value_or(0);
            haveAddress = a.has_value();
            return haveAddress;
        }
        if (key == "baud") {
            const auto b = number(value);
            c.speedCode = b ? speedCodeOf(*b) : 0;
            if (c.speedCode == 0)
                error = "not a speed of the meter (1200..115200): " + std::string(value);
            return c.speedCode != 0;
        }
        if (key == "parity") {
            const auto p = parityOf(value);
            c.parity = p.value_or(0);
            if (!p)
                error = "not a parity (none, odd, even): " + std::string(value);
            return p.has_value();
        }
        error = "unknown key (address, baud, parity): " + std::string(part);
        return false;
    });
    if (ok && !haveAddress)
        error = "no address= in " + std::string(text);
    if (!ok || !haveAddress)
        return std::nullopt;
    return c;
}

std::string checkBus(std::span<const MeterConfig> meters) {
    for (std::size_t i = 0; i < meters.size(); ++i)
        for (std::size_t j = i + 1; j < meters.size(); ++j) {
            const MeterConfig &a = meters[i], &b = meters[j];
            if (a.address == b.address && a.speedCode == b.speedCode && a.parity == b.parity)
                return "two meters at address " + std::to_string(a.address) +
                       " with the same speed and parity would answer together";
        }
    return {};
}

std::optional<std::pair<std::uint8_t, std::string>> parseMeterFault(std::string_view text,
                                                                    std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "expected ADDRESS:RULE: " + std::string(text);
        return std::nullopt;
    }
    const auto a = address(text.substr(0, colon), error);
    if (!a)
        return std::nullopt;
    return std::pair{*a, std::string(text.substr(colon + 1))};
}

} // namespace flowcfg::sim
