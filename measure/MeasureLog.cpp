#include "measure/MeasureLog.h"

#include "measure/MeasuredValues.h"
#include "platform/CFormat.h"
#include "platform/TextAppend.h"

namespace flowcfg {

namespace {

void appendTwoDigits(std::string& out, int value) {
    appendUnsigned(out, static_cast<std::uint32_t>(value < 0 ? 0 : value), 2);
}

// "<name>%04x"
void appendHexField(std::string& out, std::string_view name, std::uint16_t value) {
    out += name;
    appendHex(out, value, 4);
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
    appendFixed(line, r.IZM_FLOW_V, 11, 4);
    line += " IZM_FLOW_V_OTN=";
    appendUnsigned(line, r.IZM_FLOW_V_OTN, 5);
    appendHexField(line, " IZM_FLOW_V_ERR_HI=", r.IZM_FLOW_V_ERR_HI);
    appendHexField(line, "  IZM_FLOW_V_ERR_LO=", r.IZM_FLOW_V_ERR_LO);
    line += " IZM_TEMP=";
    appendFixed(line, r.IZM_TEMP, 11, 2);
    appendHexField(line, "  IZM_TEMP_ERR=", r.IZM_TEMP_ERR);
    line += " IZM_P_KPA=";
    appendFixed(line, r.IZM_P_KPA, 11, 2);
    appendHexField(line, " IZM_P_KPA_ERR=", r.IZM_P_KPA_ERR);
    line += " IZM_FLOW_VEL=";
    appendFixed(line, r.IZM_FLOW_VEL, 11, 2);
    appendHexField(line, " IZM_FLOW_VEL_ERR=", r.IZM_FLOW_VEL_ERR);
    appendHexField(line, " IZM_BT=", r.IZM_BT);
    appendHexField(line, " REL_FLAGS=", r.REL_FLAGS);
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
