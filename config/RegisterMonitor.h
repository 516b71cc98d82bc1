#pragma once
// The register monitor: ranges of holding registers, each read as a type of model/
// RegisterType.h, polled once or by the window's timer through the same link and operation
// guard as everything else (a poll while another operation exchanges does nothing), and a
// write of one typed value under the write guard (protection check, confirmation, unlock,
// write, lock).

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "model/RegisterType.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

inline constexpr std::string_view kMonitorWriteDescription = "Запись из монитора регистров.";
inline constexpr std::string_view kMonitorWriteSuccess = "Значение записано.";

struct MonitorRange {
    std::uint16_t start = 0;
    std::uint16_t count = 1; // 1..124: one read
    RegisterType type = RegisterType::U16;
};

// One line of the monitor's table: a value, or a range whose read failed.
struct MonitorRow {
    std::uint16_t address = 0;
    std::string words; // the raw words, "0x42F6 0xE979"
    std::string value; // decoded; after a failed read the result in words
    bool failed = false;
};

// "0x1000 (4096)".
std::string registerAddressText(std::uint16_t address);

class RegisterMonitor {
public:
    explicit RegisterMonitor(LinkContext& ctx) : ctx_(ctx) {}

    std::vector<MonitorRange> ranges;

    // What is wrong with the ranges ("Диапазон 2: ..."), empty when they can be read.
    std::string rangesProblem() const;

    enum class PollEnd : std::uint8_t {
        Polled,
        Busy,     // another operation holds the link: nothing was read
        Rejected, // rangesProblem() is not empty: nothing was read
    };
    // Reads every range and fills rows(). A port that is not open is opened silently first.
    // With reportFailure the first failed read is explained in its box (a single read);
    // the cyclic poll shows failures only in the rows.
    PollEnd poll(bool reportFailure);
    const std::vector<MonitorRow>& rows() const { return rows_; }

    // The write of one value typed by the user: a text that does not fit the type (or runs
    // past register 0xFFFF) says why and nothing is sent; otherwise the question names the
    // register, the value and the type.
    OperationOutcome write(std::uint16_t address, RegisterType type, std::string_view text);

private:
    LinkContext& ctx_;
    std::vector<MonitorRow> rows_;
};

} // namespace flowcfg
