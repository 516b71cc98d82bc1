#pragma once
// What the fuzz targets share: a pump that never waits, a clock that stands still, dialogs
// that show nothing, and the check that stops a run with a message when a property fails.

#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace flowcfg::fuzz {

class InstantPump final : public EventPump {
public:
    void processEvents() override {}
    void pauseMs(std::uint32_t, PauseTimer) override {}
};

class StillClock final : public Clock {
public:
    LocalTime now() const override { return {2026, 12, 6, 17, 56, 20, 123}; }
    std::uint64_t monotonicMs() const override { return 0; }
};

class SilentDialogs final : public Dialogs {
public:
    void message(const std::string&, const std::string&, DialogIcon) override {}
    bool askYesNo(const std::string&, const std::string&, DialogIcon, DefaultAnswer) override {
        return false;
    }
    std::optional<std::string> chooseOpenFile() override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile() override { return std::nullopt; }
};

// A failed property is a finding: print it and abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "fuzz check failed: %s\n", #condition);                           \
            std::fprintf(stderr, __VA_ARGS__);                                                     \
            std::fprintf(stderr, "\n");                                                            \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

} // namespace flowcfg::fuzz
