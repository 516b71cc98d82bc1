#include "measure/MeasureLog.h"

#include "measure/MeasuredValues.h"
#include "platform/TextAppend.h"

#include <array>
#include <charconv>

namespace flowcfg {

namespace {

// printf's "%<width>.<precision>f" (right-justified) without the process locale.
void appendFixed(std::string& out, double value, int precision, std::size_t width) {
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, precision);
    const std::size_t len = static_cast<std::size_t>(res.ptr - buf.data());
    if (len < width)
        out.append(width - len, ' ');
    out.append(buf.data(), len);
}

// printf's "%0<width>u" and "%0<width>x".
void appendZeroPadded(std::string& out, unsigned value, int base, std::size_t width) {
    std::array<char, 16> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, base);
    const std::size_t len = static_cast<std::size_t>(res.ptr - buf.data());
    if (len < width)
        out.append(width - len, '0');
    out.append(buf.data(), len);
}

void appendTwoDigits(std::string& out, int value) {
    appendZeroPadded(out, static_cast<unsigned>(value < 0 ? 0 : value), 10, 2);
}

void appendHex(std::string& out, std::string_view name, std::uint16_t value) {
    out += name;
    appendZeroPadded(out, value, 16, 4);
}

} // namespace

MainLogRecord mainLogRecordOf(const MeasuredBlock& b) {
    MainLogRecord r;
    r.IZM_FLOW_V = b.IZM_FLOW_V;
    r.IZM_FLOW_V_OTN = b.IZM_FLOW_V_OTN;
    r.IZM_FLOW_V_ERR_HI = b.IZM_FLOW_V_ERR_HI;
    r.IZM_FLOW_V_ERR_LO = b.IZM_FLOW_V_ERR_LO;
    r.IZM_TEMP = b.TEMP_PIPE;
    r.IZM_TEMP_ERR = b.TEMP_PIPE_ERR;
    r.IZM_P_KPA = b.IZM_P_KPA;
    r.IZM_P_KPA_ERR = b.IZM_P_KPA_ERR;
    r.IZM_FLOW_VEL = b.IZM_FLOW_VEL;
    r.IZM_FLOW_VEL_ERR = b.IZM_FLOW_VEL_ERR;
    r.IZM_BT = 0;
    r.REL_FLAGS = b.CONTACTS;
    return r;
}

std::string formatMainLogLine(const MainLogRecord& r, const LocalTime& t) {
    std::string line;
    line.reserve(320);
    for (const int v : {t.day, t.month, t.year, t.hour, t.minute}) {
        appendTwoDigits(line, v);
        line += ' ';
    }
    appendTwoDigits(line, t.second);
    line += "  IZM_FLOW_V=";
    appendFixed(line, r.IZM_FLOW_V, 4, 11);
    line += " IZM_FLOW_V_OTN=";
    appendZeroPadded(line, r.IZM_FLOW_V_OTN, 10, 5);
    appendHex(line, " IZM_FLOW_V_ERR_HI=", r.IZM_FLOW_V_ERR_HI);
    appendHex(line, "  IZM_FLOW_V_ERR_LO=", r.IZM_FLOW_V_ERR_LO);
    line += " IZM_TEMP=";
    appendFixed(line, r.IZM_TEMP, 2, 11);
    appendHex(line, "  IZM_TEMP_ERR=", r.IZM_TEMP_ERR);
    line += " IZM_P_KPA=";
    appendFixed(line, r.IZM_P_KPA, 2, 11);
    appendHex(line, " IZM_P_KPA_ERR=", r.IZM_P_KPA_ERR);
    line += " IZM_FLOW_VEL=";
    appendFixed(line, r.IZM_FLOW_VEL, 2, 11);
    appendHex(line, " IZM_FLOW_VEL_ERR=", r.IZM_FLOW_VEL_ERR);
    appendHex(line, " IZM_BT=", r.IZM_BT);
    appendHex(line, " REL_FLAGS=", r.REL_FLAGS);
    line += " \r\n";
    return line;
}

int appendMainLog(const MeasureLogSettings& settings, const MainLogRecord& record,
                  const LocalTime& time) {
    if (!settings.writeFile)
        return 0;
    if (!appendText(settings.fileName, formatMainLogLine(record, time)))
        return logOpenFailed;
    return 0;
}

} // namespace flowcfg
