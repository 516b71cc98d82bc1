#include "link/Ports.h"

#include "link/Outcome.h"

#include <array>

namespace flowcfg {

namespace {

constexpr std::uint16_t kHighestProbedPort = 63;
constexpr std::size_t kQueueSize = 2024;

struct DeviceRange {
    std::uint16_t first, last;
    const char* prefix;
};
constexpr std::array<DeviceRange, 3> kDeviceRanges = {{
    {1, 32, "/dev/ttyS"},
    {33, 48, "/dev/ttyUSB"},
    {49, 63, "/dev/ttyACM"},
}};

// Initial read interval and multiplier of speed index 0..10.
constexpr std::array<std::uint32_t, 11> kOpenIntervals = {1536, 768, 384, 192, 96, 48,
                                                          24,   24,  24,  24,  24};

LineSettings lineFor(std::uint16_t speedIndex, std::uint8_t dataBits, std::uint16_t parity,
                     std::uint8_t stopBits) {
    LineSettings line;
    line.baud = baudOfSpeedIndex(speedIndex);
    line.dataBits = dataBits >= 5 && dataBits <= 8 ? dataBits : 8;
    line.parity = parity == 1 ? Parity::Odd : parity == 2 ? Parity::Even : Parity::None;
    if (line.parity != Parity::None)
        line.stopBits = StopBits::One;
    else
        line.stopBits = stopBits == 1    ? StopBits::One
                        : stopBits == 15 ? StopBits::OneAndHalf
                                         : StopBits::Two;
    return line;
}

} // namespace

std::string portName(std::uint16_t portNumber) {
    return "COM" + std::to_string(portNumber);
}

std::string devicePathForPort(const LinkSettings& settings, std::uint16_t portNumber) {
    if (const auto it = settings.portPaths.find(portNumber); it != settings.portPaths.end())
        return it->second;
    for (const DeviceRange& r : kDeviceRanges) {
        if (portNumber >= r.first && portNumber <= r.last)
            return r.prefix + std::to_string(portNumber - r.first);
    }
    return {};
}

std::string openErrorText(OpenError error, const std::string& path, const std::string& detail) {
    switch (error) {
    case OpenError::NoSuchDevice:
        return "Нет такого устройства: " + path + ".";
    case OpenError::Busy:
        return "Порт " + path + " занят другой программой.";
    case OpenError::NoPermission:
        return "Нет доступа к " + path +
               ": пользователь не входит в группу dialout (sudo usermod -aG dialout $USER, "
               "затем войти в систему заново).";
    case OpenError::None:
    case OpenError::Other:
        break;
    }
    return "Ошибка открытия " + path + (detail.empty() ? "." : ": " + detail + ".");
}

std::size_t enumeratePorts(LinkContext& ctx) {
    ctx.foundPorts.clear();
    for (std::uint16_t n = 1; n <= kHighestProbedPort; ++n) {
        const std::string path = devicePathForPort(ctx.settings, n);
        if (path.empty())
            continue;
        // Exclusive probe: a port held by another program is not listed. Closed at once.
        if (ctx.devices.open(path).port)
            ctx.foundPorts.push_back(n);
    }
    return ctx.foundPorts.size();
}

void closePort(LinkContext& ctx) {
    ctx.port.reset();
}

bool openPort(LinkContext& ctx, std::uint16_t portNumber, std::uint16_t speedIndex,
              std::uint8_t dataBits, std::uint16_t parity, std::uint8_t stopBits,
              std::uint32_t readTotalConstantMs, bool reportFailure) {
    closePort(ctx);
    ctx.portOpenAttempted = true;
    const std::string path = devicePathForPort(ctx.settings, portNumber);
    OpenResult opened =
        path.empty() ? OpenResult{nullptr, OpenError::NoSuchDevice, {}} : ctx.devices.open(path);
    if (!opened.port) {
        if (reportFailure) {
            const std::string shown = path.empty() ? portName(portNumber) : path;
            ctx.dialogs.message(std::string(kOpenFailedCaption),
                                std::string(kOpenFailedText) + "\n" +
                                    openErrorText(opened.error, shown, opened.detail),
                                DialogIcon::Error);
        }
        return false;
    }
    SerialPort& port = *opened.port;
    port.setLine(lineFor(speedIndex, dataBits, parity, stopBits));
    if (speedIndex < kOpenIntervals.size()) {
        ctx.openTimeouts.readInterval = kOpenIntervals[speedIndex];
        ctx.openTimeouts.readTotalMultiplier = kOpenIntervals[speedIndex];
    }
    ctx.openTimeouts.readTotalConstant = readTotalConstantMs;
    ctx.openTimeouts.writeTotalMultiplier = 0;
    ctx.openTimeouts.writeTotalConstant = 0;
    port.setTimeouts(ctx.openTimeouts);
    port.purge();
    port.setQueueSizes(kQueueSize, kQueueSize);
    ctx.port = std::move(opened.port);
    return true;
}

bool openPort(LinkContext& ctx, bool reportFailure) {
    const LinkSettings& s = ctx.settings;
    return openPort(ctx, s.Number, s.speedIndex, 8, s.parity, 1, s.TimeOut, reportFailure);
}

bool openPortAtStartUp(LinkContext& ctx) {
    if (!openPort(ctx, false))
        return false;
    ctx.port->setRts(false);
    ctx.port->setDtr(true);
    return true;
}

std::string portLabel(const LinkSettings& settings) {
    std::string port = portName(settings.Number);
    if (const std::string path = devicePathForPort(settings, settings.Number); !path.empty())
        port += " (" + path + ")";
    return port;
}

std::string portLostText(const LinkSettings& settings) {
    return "Связь с портом " + portLabel(settings) +
           " потеряна: устройство отключено или закрыто другой стороной.\n"
           "Проверьте подключение; следующая операция откроет порт заново.";
}

bool reportLostPort(LinkContext& ctx) {
    if (!ctx.port || !ctx.port->lost())
        return false;
    closePort(ctx);
    ctx.dialogs.message(std::string(kOpenFailedCaption), portLostText(ctx.settings),
                        DialogIcon::Error);
    return true;
}

void showExchangeFailure(LinkContext& ctx, ExchangeResult result) {
    if (!reportLostPort(ctx))
        showOutcome(ctx, result);
}

bool refreshPorts(LinkContext& ctx) {
    closePort(ctx);
    enumeratePorts(ctx);
    return openPort(ctx, true);
}

} // namespace flowcfg
