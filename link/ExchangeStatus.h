#pragma once
// The result of one Modbus transaction: the 16-bit error-flag word and the exception code.

#include <cstdint>

namespace flowcfg {

using ExchangeStatus = std::uint16_t;

namespace status {
inline constexpr ExchangeStatus LineError = 0x0001;     // line-error flags set (parity on)
inline constexpr ExchangeStatus WrongLength = 0x0002;   // received count differs from expected
inline constexpr ExchangeStatus OtherAddress = 0x0004;  // answer from another address
inline constexpr ExchangeStatus NotFunction = 0x0008;   // byte 1 is not the function code
inline constexpr ExchangeStatus Exception = 0x0010;     // exception answer (code in byte 2)
inline constexpr ExchangeStatus CrcMismatch = 0x0020;   // CRC over the expected positions
inline constexpr ExchangeStatus NothingReceived = 0x0040;
inline constexpr ExchangeStatus Repeated = 0x8000;      // at least one repeat was made
} // namespace status

struct ExchangeResult {
    ExchangeStatus status = 0;
    std::uint16_t exceptionCode = 0;

    // The whole word is 0 and no exception: the test of the poll and most group reads.
    bool clean() const { return status == 0 && exceptionCode == 0; }
    // Success also after repeats (status & 0x7FFF is 0).
    bool transportOk() const { return (status & 0x7FFF) == 0 && exceptionCode == 0; }
    bool operator==(const ExchangeResult&) const = default;
};

} // namespace flowcfg
