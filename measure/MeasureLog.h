#pragma once
// The measurement log (izm.txt): one text line per reading, appended and closed per line.
// Its switch and file name are tool settings kept in the profile (section IZM, keys
// write_file and izm_file_name); they are passed in here as plain values.

#include "platform/Clock.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace flowcfg {

struct MeasuredBlock;

struct MeasureLogSettings {
    bool writeFile = true;          // write_file == 1
    std::filesystem::path fileName; // izm_file_name
};

// The twelve values of a log line.
struct MainLogRecord {
    float IZM_FLOW_V = 0.0f;
    std::uint16_t IZM_FLOW_V_OTN = 0;
    std::uint16_t IZM_FLOW_V_ERR_HI = 0;
    std::uint16_t IZM_FLOW_V_ERR_LO = 0;
    float IZM_TEMP = 0.0f;
    std::uint16_t IZM_TEMP_ERR = 0;
    float IZM_P_KPA = 0.0f;
    std::uint16_t IZM_P_KPA_ERR = 0;
    float IZM_FLOW_VEL = 0.0f;
    std::uint16_t IZM_FLOW_VEL_ERR = 0;
    std::uint16_t IZM_BT = 0;    // no source in the measured block: stays 0
    std::uint16_t REL_FLAGS = 0; // the CONTACTS word
    bool operator==(const MainLogRecord&) const = default;
};

// The record of a measured block: flow, velocity and pressure from their namesakes, the
// temperature from the pipe temperature, the relay flags from CONTACTS.
MainLogRecord mainLogRecordOf(const MeasuredBlock& block);

// One line, CR LF included:
// "dd mm yyyy hh mm ss  IZM_FLOW_V=%11.4f IZM_FLOW_V_OTN=%05u IZM_FLOW_V_ERR_HI=%04x  ..."
std::string formatMainLogLine(const MainLogRecord& record, const LocalTime& time);

inline constexpr int logOpenFailed = 14;

// Appends one line when settings.writeFile is set (otherwise touches nothing and returns
// 0). Returns 14 when the file cannot be opened: the line is lost, nothing is shown.
int appendMainLog(const MeasureLogSettings& settings, const MainLogRecord& record,
                  const LocalTime& time);

} // namespace flowcfg
