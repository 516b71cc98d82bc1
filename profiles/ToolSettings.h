#pragma once
// The tool's own settings kept in a profile beside the device values: log switches and file
// names, selected pages, directories, window title, bus-scan choices. Grouped like the
// profile sections; members are spelled as the keys where a key is a valid name.

#include <cstdint>
#include <filesystem>
#include <string>

namespace flowcfg {

struct ToolSettings {
    // Measurement log switches and file names.
    struct Izm {
        std::int32_t write_file = 1; // 1 = append lines to izm_file_name
        std::int32_t write_all_izm_file = 1;
        std::string izm_file_name, all_izm_file_name, izm_modul_file_name;
    } IZM;

    // ADC log switch and file name: saved, never loaded.
    struct Adc {
        std::int32_t write_file = 0;
        std::string adc_name;
    } ADC;

    // Selected pages. ActivePageIndex4 is the main page set, ActivePageIndex5 the page set of
    // "НАСТРОЙКИ РАБОТЫ"; the application shell selects them after a load and puts the
    // current ones here before a save. The others belong to page sets no screen uses.
    struct Tab {
        std::int32_t num = 0, ActivePageIndex = 0, ActivePageIndex1 = 0, ActivePageIndex2 = 0,
                     ActivePageIndex4 = 0, ActivePageIndex5 = 0;
        std::int32_t ArchTabEn = 0;
        std::int32_t ElClearTabEn = 0; // 1: the electrode-cleaning screen is shown at start-up
        // 1: the hidden service pages are shown (menu "Вид" > "Служебные страницы"); files
        // that lack the key show them hidden.
        std::int32_t ServicePagesEn = 0;
    } TAB;

    // Directories. The profile's adc_dir is saved with the text of izm_dir.
    struct Path {
        std::string all_izm_file_name, com_dir, izm_dir;
    } PATH;

    std::string form_title = "Программа настройки ТКС-71ЛД, версия 0.099"; // window caption
    std::string usr_txt = "КЛВ 20MB";

    struct Tx {
        std::int32_t INTERVAL = 10;
    } TX;

    // Bus-scan choices: speeds, address range and parities to try (keys "1200"... "115200").
    struct Seach {
        std::int32_t baud1200 = 0, baud2400 = 0, baud4800 = 0, baud9600 = 0, baud19200 = 1,
                     baud38400 = 1, baud57600 = 1, baud115200 = 1;
        std::int32_t beg = 1, end = 5;
        std::int32_t parity_non = 0, parity_odd = 0, parity_ev = 1;
    } Seach;

    // The settings a load gives for a missing key, with the file names and directories in
    // workDir.
    static ToolSettings defaults(const std::filesystem::path& workDir);
};

} // namespace flowcfg
