#pragma once
// The transaction engine: the only code that puts bytes on the line. Three blocking
// request/answer transactions, each with the repeat rule of dev.dat (Reask_val attempts,
// repeats for the bits of read_hold_reg_err_msk, 1000 ms before a repeat), the per-speed
// timeouts of to.dat plus TimeGapPrg, and the COM.txt exchange log when UseLogFile is 1.
//
// The FC3 read asks for two bytes more than a whole answer holds, so it ends by the interval
// timeout after the answer. With QuickAnswerEnd (dev.dat, off unless set) a read of any of
// the three also ends as soon as the bytes in are a whole answer of the expected length with
// a good CRC, or a whole exception answer; the master then keeps the line quiet for the frame
// silence (frameSilenceMs) and drops what arrives meanwhile, so stray bytes after an answer
// never reach the next exchange. Everything else (the checks, repeats, values, the log) is the
// same. The bus scan's firstByteTimeoutMs (LinkSettings) gives up on an answer whose first
// byte has not come within it; the rest of an answer that has begun has the usual timeouts.

#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace flowcfg {

// Most registers one FC16 request carries (2N+9 bytes in a 256-byte frame).
inline constexpr std::size_t kMaxWriteRegisters = 123;
// Most registers one FC3 request asks for (2N+7 bytes in a 256-byte frame).
inline constexpr std::size_t kMaxReadRegisters = 124;

class ModbusMaster {
public:
    explicit ModbusMaster(LinkContext& ctx) : ctx_(ctx) {}

    // FC3: count registers from start into values (values.size() >= count). Values are
    // stored after every attempt that got past the address-255 rule, also a failed one
    // (bytes that did not arrive read as 0). values shorter than count: std::invalid_argument.
    ExchangeResult readHoldingRegisters(std::uint16_t start, std::uint8_t count,
                                        std::span<std::uint16_t> values);
    // FC16: values.size() registers from start (at most kMaxWriteRegisters, else
    // std::invalid_argument); description goes to the exchange log only.
    ExchangeResult writeMultipleRegisters(std::uint16_t start,
                                          std::span<const std::uint16_t> values,
                                          std::string_view description);
    // FC 0x19: one 1024-byte archive block (answer bytes 4..1027).
    ExchangeResult readArchiveBlock(std::uint32_t blockAddress,
                                    std::span<std::uint8_t, 1024> block);

private:
    LinkContext& ctx_;
};

} // namespace flowcfg
