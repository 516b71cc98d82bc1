#include "profiles/ProfileTables.h"

#include <algorithm>
#include <array>

namespace flowcfg {

namespace {

using namespace key_flags;
using Base = KeyDefault::Base;

#define IMG(m) [](DeviceImage& d) -> ValueRef { return &d.m; }
#define TOOL(m) [](ToolSettings& t) -> ProfileRef { return &t.m; }

template <std::size_t N> ValueRef usrReg(DeviceImage& d) {
    return &d.USR_REG_HOLD.reg[N];
}

constexpr ProfileKey row(std::string_view key, ValueKind kind, double def, ImageMember m,
                         unsigned flags = LoadSave) {
    return ProfileKey{.key = key, .kind = kind, .def = {.number = def}, .image = m, .flags = flags};
}
constexpr ProfileKey row(std::string_view key, ValueKind kind, double def, ToolMember m,
                         unsigned flags = LoadSave) {
    return ProfileKey{.key = key, .kind = kind, .def = {.number = def}, .tool = m, .flags = flags};
}
constexpr ProfileKey i(std::string_view key, double def, ImageMember m, unsigned flags = LoadSave) {
    return row(key, ValueKind::Int, def, m, flags);
}
constexpr ProfileKey i(std::string_view key, double def, ToolMember m, unsigned flags = LoadSave) {
    return row(key, ValueKind::Int, def, m, flags);
}
constexpr ProfileKey f(std::string_view key, double def, ImageMember m) {
    return row(key, ValueKind::Float, def, m);
}
constexpr ProfileKey f2(std::string_view key, double def, ImageMember m) {
    return row(key, ValueKind::Float2, def, m);
}
constexpr ProfileKey s(std::string_view key, KeyDefault def, ToolMember m,
                       unsigned flags = LoadSave) {
    return ProfileKey{.key = key, .kind = ValueKind::String, .def = def, .tool = m, .flags = flags};
}
// A key that a load reads and keeps, but writes back as `writeBack`.
constexpr ProfileKey iFixedBack(std::string_view key, double def, ToolMember m,
                                std::int64_t writeBack) {
    ProfileKey k = i(key, def, m, LoadSave | FixedWriteBack);
    k.fixed = writeBack;
    return k;
}

const ProfileKey kIzm[] = {
    iFixedBack("write_file", 1, TOOL(IZM.write_file), 1),
    iFixedBack("write_all_izm_file", 1, TOOL(IZM.write_all_izm_file), 1),
    s("izm_file_name", {.text = "izm.txt", .base = Base::InWorkDir}, TOOL(IZM.izm_file_name)),
    s("all_izm_file_name", {.text = "all_izm.txt", .base = Base::InWorkDir},
      TOOL(IZM.all_izm_file_name)),
    s("izm_modul_file_name", {.text = "izm_modul.txt", .base = Base::InWorkDir},
      TOOL(IZM.izm_modul_file_name), Load),
};

const ProfileKey kAdc[] = {
    i("write_file", 0, TOOL(ADC.write_file), Save),
    s("adc_name", {}, TOOL(ADC.adc_name), Save),
};

const ProfileKey kTab[] = {
    i("num", 0, TOOL(TAB.num), Save),
    i("ActivePageIndex", 0, TOOL(TAB.ActivePageIndex), Save),
    i("ActivePageIndex1", 0, TOOL(TAB.ActivePageIndex1)),
    i("ActivePageIndex2", 0, TOOL(TAB.ActivePageIndex2)),
    i("ActivePageIndex4", 0, TOOL(TAB.ActivePageIndex4), LoadSave | Last),
    i("ActivePageIndex5", 0, TOOL(TAB.ActivePageIndex5), LoadSave | Last),
    i("ArchTabEn", 0, TOOL(TAB.ArchTabEn), Load),
    i("ElClearTabEn", 0, TOOL(TAB.ElClearTabEn), Load),
    i("ServicePagesEn", 0, TOOL(TAB.ServicePagesEn), LoadSave | OnlyWhenSet),
};

const ProfileKey kPath[] = {
    s("all_izm_file_name", {.base = Base::WorkDir}, TOOL(PATH.all_izm_file_name)),
    s("com_dir", {.base = Base::WorkDir}, TOOL(PATH.com_dir)),
    s("izm_dir", {.base = Base::WorkDir}, TOOL(PATH.izm_dir)),
    s("adc_dir", {.base = Base::WorkDir}, TOOL(PATH.izm_dir), Save),
};

const ProfileKey kPsw[] = {
    i("PSW", 0, IMG(PSW.PSW)),
};

const ProfileKey kErrEn[] = {
    i("numerr_en", 0, IMG(err_en.numerr_en)),
    i("sens_err_en", 0, IMG(err_en.sens_err_en)),
    i("ovld_en", 0, IMG(err_en.ovld_en)),
    i("udld_en", 0, IMG(err_en.udld_en)),
    i("empty_pipe_en", 0, IMG(err_en.empty_pipe_en)),
    i("noise_en", 0, IMG(err_en.noise_en)),
    i("sens_exch_en", 0, IMG(err_en.sens_exch_en)),
    i("not_use_en", 0, IMG(err_en.not_use_en)),
    i("not_rdy_en", 0, IMG(err_en.not_rdy_en)),
    i("el_clr_en", 0, IMG(err_en.el_clr_en)),
    i("serv_en", 0, IMG(err_en.serv_en)),
    i("ssyst_en", 0, IMG(err_en.ssyst_en)),
    i("sens2_cut_en", 0, IMG(err_en.sens2_cut_en)),
    i("sens1_cut_en", 0, IMG(err_en.sens1_cut_en)),
    i("interf_en", 0, IMG(err_en.interf_en)),
    i("signal_strong_en", 0, IMG(err_en.signal_strong_en)),
    i("signal_weak_en", 0, IMG(err_en.signal_weak_en)),
    i("cut_en", 0, IMG(err_en.cut_en)),
    i("local_cut_en", 0, IMG(err_en.local_cut_en)),
    i("sens_not_dat_en", 0, IMG(err_en.sens_not_dat_en)),
    i("sens_modbus_en", 0, IMG(err_en.sens_modbus_en)),
};

const ProfileKey kIzmIFDiskr[] = {
    i("use", 1, IMG(izm_i_f_diskr.use)),
};

// The tool's selector allows at most an hour; a larger stored value is taken as an hour.
constexpr ProfileKey timeVal() {
    ProfileKey k = i("time_val", 3600, IMG(el_clear.time_val), LoadSave | Last);
    k.loadCeiling = 3600;
    return k;
}

const ProfileKey kElClear[] = {
    i("el_clear_time_interval_val_h", 0, IMG(el_clear.el_clear_time_interval_val_h)),
    i("el_clear_time_on_val_s", 0, IMG(el_clear.el_clear_time_on_val_s)),
    timeVal(),
};

const ProfileKey kIzmToComp[] = {
    i("ind_point", 3, IMG(izm_to_comp.ind_point)),
    i("izm_flow_v_dsum_type", 0, IMG(izm_to_comp.izm_flow_v_dsum_type)),
    i("izm_flow_v_unit", 0, IMG(izm_to_comp.izm_flow_v_unit)),
    i("izm_flow_v_sum_unit", 0, IMG(izm_to_comp.izm_flow_v_sum_unit)),
    i("izm_flow_v_ns", 0, IMG(izm_to_comp.izm_flow_v_ns)),
    i("time_stamp_val_corr_en", 0, IMG(izm_to_comp.time_stamp_val_corr_en)),
    f("r_cod_min", 100, IMG(izm_to_comp.r_cod_min)),
    f("r_cod_max", 138.5, IMG(izm_to_comp.r_cod_max)),
    f("ext_sens_r0", 100, IMG(izm_to_comp.ext_sens_r0)),
    f("ext_sens_kvd_a", 0, IMG(izm_to_comp.ext_sens_kvd_a)),
    f("ext_sens_kvd_b", 0, IMG(izm_to_comp.ext_sens_kvd_b)),
    f("ext_sens_kvd_d1", 0, IMG(izm_to_comp.ext_sens_kvd_d1)),
    f("ext_sens_kvd_d2", 0, IMG(izm_to_comp.ext_sens_kvd_d2)),
    f("ext_sens_kvd_d3", 0, IMG(izm_to_comp.ext_sens_kvd_d3)),
    f("ext_sens_kvd_d4", 0, IMG(izm_to_comp.ext_sens_kvd_d4)),
    i("a1_cod_min", 0, IMG(izm_to_comp.a1_cod_min)),
    i("a1_cod_max", 0, IMG(izm_to_comp.a1_cod_max)),
};

const ProfileKey kOutput[] = {
    i("diskr_out_type0", 0, IMG(output.diskr_out_type0)),
    i("diskr_out_direct_val_0", 0, IMG(output.diskr_out_direct_val_0)),
    i("flow_v_for_pulse_unit", 0, IMG(output.flow_v_for_pulse_unit)),
    i("dsum_type_0", 0, IMG(output.dsum_type_0)),
    i("f_direct_control", 0, IMG(output.f_direct_control)),
    i("f_direct_val", 1000, IMG(output.f_direct_val)),
    f2("f_min", 0, IMG(output.f_min)),
    f2("f_max", 10000, IMG(output.f_max)),
    f2("f_flow_v_min", 0, IMG(output.f_flow_v_min)),
    f2("f_flow_v_max", 10, IMG(output.f_flow_v_max)),
    i("f_flow_err", 12500, IMG(output.f_flow_err)),
    i("pulse_activ_min_t", 100, IMG(output.pulse_activ_min_t)),
    i("pulse_passive_min_t", 100, IMG(output.pulse_passive_min_t)),
    f("flow_v_for_pulse", 1, IMG(output.flow_v_for_pulse)),
    i("diskr_out_type1", 1, IMG(output.diskr_out_type1)),
    i("diskr_out_direct_val_1", 0, IMG(output.diskr_out_direct_val_1)),
    i("flow_v_for_pulse_unit_1", 0, IMG(output.flow_v_for_pulse_unit_1)),
    i("dsum_type_1", 0, IMG(output.dsum_type_1)),
    i("f_direct_control_1", 0, IMG(output.f_direct_control_1)),
    i("f_direct_val_1", 1000, IMG(output.f_direct_val_1)),
    f2("f_min_1", 0, IMG(output.f_min_1)),
    f2("f_max_1", 10000, IMG(output.f_max_1)),
    f2("f_flow_v_min_1", 0, IMG(output.f_flow_v_min_1)),
    f2("f_flow_v_max_1", 10, IMG(output.f_flow_v_max_1)),
    i("f_flow_err_1", 12500, IMG(output.f_flow_err_1)),
    i("pulse_activ_min_t_1", 100, IMG(output.pulse_activ_min_t_1)),
    i("pulse_passive_min_t_1", 100, IMG(output.pulse_passive_min_t_1)),
    f("flow_v_for_pulse_1", 1, IMG(output.flow_v_for_pulse_1)),
};

const ProfileKey kIControl[] = {
    f("flow_v_max", 72, IMG(i_control.flow_v_max)),
    f("flow_v_min", 0.36, IMG(i_control.flow_v_min)),
    f("i_v_max", 20, IMG(i_control.i_v_max)),
    f("i_v_min", 4, IMG(i_control.i_v_min)),
    f("shift", 0, IMG(i_control.shift)),
    f("adj", 1, IMG(i_control.adj)),
    i("i_err_num", 0, IMG(i_control.i_err_num)),
    f("i_err_0", 3.25, IMG(i_control.i_err_0)),
    f("i_err_1", 22.5, IMG(i_control.i_err_1)),
    i("i_control", 0, IMG(i_control.i_control)),
    f("i_ma_direct", 20, IMG(i_control.i_ma_direct)),
    i("code_direct", 43690, IMG(i_control.code_direct)),
    f("i_ma_max_calib", 20, IMG(i_control.i_ma_max_calib)),
    i("code_max_calib", 43690, IMG(i_control.code_max_calib)),
    f("i_ma_min_calib", 4, IMG(i_control.i_ma_min_calib)),
    i("code_min_calib", 8738, IMG(i_control.code_min_calib)),
};

const ProfileKey kAdc7793[] = {
    f("shift", 0, IMG(adc_7793.shift)),
    f("adj", 1, IMG(adc_7793.adj)),
};

const ProfileKey kSymControl[] = {
    i("sym_mode", 0, IMG(sym_control.sym_mode)),
    f("flow_v_m3_h_raw_sym", 10, IMG(sym_control.flow_v_m3_h_raw_sym)),
    f("flow_v_m3_h_raw_min_sym", 0.36, IMG(sym_control.flow_v_m3_h_raw_min_sym)),
    f("flow_v_m3_h_raw_max_sym", 72, IMG(sym_control.flow_v_m3_h_raw_max_sym)),
    f("flow_v_m3_h_raw_delta_sym", 1, IMG(sym_control.flow_v_m3_h_raw_delta_sym)),
    i("period_sym", 65535, IMG(sym_control.period_sym)),
    i("flow_v_err_raw_lo_sym", 0, IMG(sym_control.flow_v_err_raw_lo_sym)),
    i("flow_v_err_raw_hi_sym", 0, IMG(sym_control.flow_v_err_raw_hi_sym)),
};

const ProfileKey kIzmGeneralParam[] = {
    i("sensor_type_cmp", 512, IMG(izm_general_param.sensor_type_cmp)),
    f("izm_flow_v_min_m3_h_cmp", 0, IMG(izm_general_param.izm_flow_v_min_m3_h_cmp)),
    f("izm_flow_v_max_m3_h_cmp", 0, IMG(izm_general_param.izm_flow_v_max_m3_h_cmp)),
    f("izm_flow_v_cut_ee", 0.05, IMG(izm_general_param.izm_flow_v_cut_ee)),
    i("line_size_cmp", 50, IMG(izm_general_param.line_size_cmp)),
    i("sel_sensor_type_ncmp", 0, IMG(izm_general_param.sel_sensor_type_ncmp)),
    i("cut_en", 0, IMG(izm_general_param.cut_en)),
    i("empty_pype_en", 0, IMG(izm_general_param.empty_pype_en)),
    i("bar_type", 0, IMG(izm_general_param.bar_type)),
    i("sel_cut_ncmp_mdl", 0, IMG(izm_general_param.sel_cut_ncmp_mdl)),
};

const ProfileKey kVihr[] = {
    f("amplitude_cut", 5, IMG(vihr.amplitude_cut)),
};

// Saved empty; a new file gets its texts from the creation values.
constexpr ProfileKey definitionText(std::string_view key) {
    return ProfileKey{.key = key, .kind = ValueKind::String, .flags = Save | FixedSave};
}

const ProfileKey kDefinition[] = {
    definitionText("txt0"),
    definitionText("txt1"),
    definitionText("txt2"),
    definitionText("txt3"),
};

const ProfileKey kTx[] = {
    i("INTERVAL", 10, TOOL(TX.INTERVAL)),
};

const ProfileKey kSeach[] = {
    iFixedBack("1200", 0, TOOL(Seach.baud1200), 0),
    iFixedBack("2400", 0, TOOL(Seach.baud2400), 0),
    iFixedBack("4800", 0, TOOL(Seach.baud4800), 0),
    iFixedBack("9600", 0, TOOL(Seach.baud9600), 1),
    iFixedBack("19200", 1, TOOL(Seach.baud19200), 1),
    iFixedBack("38400", 1, TOOL(Seach.baud38400), 0),
    iFixedBack("57600", 1, TOOL(Seach.baud57600), 0),
    iFixedBack("115200", 1, TOOL(Seach.baud115200), 0),
    iFixedBack("beg", 1, TOOL(Seach.beg), 1),
    iFixedBack("end", 5, TOOL(Seach.end), 5),
    iFixedBack("parity_non", 0, TOOL(Seach.parity_non), 0),
    iFixedBack("parity_odd", 0, TOOL(Seach.parity_odd), 0),
    iFixedBack("parity_ev", 1, TOOL(Seach.parity_ev), 0),
};

const ProfileKey kNewComm[] = {
    i("NET_NUM", 1, IMG(NEW_COMM.NET_NUM)),       i("NET_SPD", 7, IMG(NEW_COMM.NET_SPD)),
    i("NET_PAR", 0, IMG(NEW_COMM.NET_PAR)),       i("NET_DELY", 0, IMG(NEW_COMM.NET_DELY)),
    i("NET_FLTYPE", 0, IMG(NEW_COMM.NET_FLTYPE)),
};

const ProfileKey kNewDat[] = {
    i("LONG_NUM", 1, IMG(NEW_DAT.LONG_NUM)),  i("NUM_HI", 0, IMG(NEW_DAT.NUM_HI)),
    i("NUM_LO", 0, IMG(NEW_DAT.NUM_LO)),      i("MODEL", 0, IMG(NEW_DAT.MODEL)),
    i("SOFT_NEW", 0, IMG(NEW_DAT.SOFT_NEW)),  i("HARD_NEW", 0, IMG(NEW_DAT.HARD_NEW)),
    i("YEAR_NEW", 11, IMG(NEW_DAT.YEAR_NEW)), i("MONTH_NEW", 6, IMG(NEW_DAT.MONTH_NEW)),
    i("DAY_NEW", 1, IMG(NEW_DAT.DAY_NEW)),
};

const ProfileKey kInd[] = {
    i("point", 0, IMG(IND.point), Save),
};

const ProfileKey kMtr[] = {
    i("msenstype", 0, IMG(MTR.msenstype), Save),
    i("mox", 0, IMG(MTR.mox), Save),
    i("mcl", 0, IMG(MTR.mcl), Save),
    i("mdest", 0, IMG(MTR.mdest), Save),
    i("mprecis", 0, IMG(MTR.mprecis), Save),
    i("mmat", 0, IMG(MTR.mmat), Save),
    ProfileKey{.key = "mdat", .kind = ValueKind::String, .image = IMG(MTR.mdat), .flags = Save},
};

const ProfileKey kUsrRegHold[] = {
    i("reg_0", 0, usrReg<0>),   i("reg_1", 0, usrReg<1>),   i("reg_2", 0, usrReg<2>),
    i("reg_3", 0, usrReg<3>),   i("reg_4", 0, usrReg<4>),   i("reg_5", 0, usrReg<5>),
    i("reg_6", 0, usrReg<6>),   i("reg_7", 0, usrReg<7>),   i("reg_8", 0, usrReg<8>),
    i("reg_9", 0, usrReg<9>),   i("reg_10", 0, usrReg<10>), i("reg_11", 0, usrReg<11>),
    i("reg_12", 0, usrReg<12>), i("reg_13", 0, usrReg<13>), i("reg_14", 0, usrReg<14>),
    i("reg_15", 0, usrReg<15>),
};

const ProfileKey kFrameWrite[] = {
    i("frame_write_interval_sec", 1, IMG(frame_write.frame_write_interval_sec), LoadSave | Last),
    i("frame_write_type", 1, IMG(frame_write.frame_write_type), LoadSave | Last),
};

const ProfileKey kErrMsk[] = {
    i("izm_flow_v_err_hi_msk", 0, IMG(err_msk.izm_flow_v_err_hi_msk), LoadSave | Last),
    i("izm_flow_v_err_lo_msk", 0, IMG(err_msk.izm_flow_v_err_lo_msk), LoadSave | Last),
};

const ProfileKey kFormTitle[] = {
    s("form_title", {.text = "Программа настройки ТКС-71ЛД, версия 0.099"}, TOOL(form_title), Load),
};

const ProfileKey kUsr[] = {
    s("usr_txt", {.text = "КЛВ 20MB"}, TOOL(usr_txt), Load),
};

const ProfileKey kMedianaFiltrFlow[] = {
    i("mediana_val", 0, IMG(mediana_filtr_flow.mediana_val), Load),
};

#undef IMG
#undef TOOL

const ProfileSection kSections[] = {
    {"IZM", kIzm, true},
    {"ADC", kAdc, true},
    {"TAB", kTab, true},
    {"PATH", kPath, true},
    {"PSW", kPsw},
    {"err_en", kErrEn},
    {"izm_i_f_diskr", kIzmIFDiskr},
    {"el_clear", kElClear},
    {"izm_to_comp", kIzmToComp},
    {"output", kOutput},
    {"i_control", kIControl},
    {"adc_7793", kAdc7793},
    {"sym_control", kSymControl},
    {"izm_general_param", kIzmGeneralParam},
    {"vihr", kVihr},
    {"Definition", kDefinition, true},
    {"TX", kTx, true},
    {"Seach", kSeach, true},
    {"NEW_COMM", kNewComm},
    {"NEW_DAT", kNewDat},
    {"IND", kInd},
    {"MTR", kMtr},
    {"USR_REG_HOLD", kUsrRegHold},
    {"frame_write", kFrameWrite},
    {"err_msk", kErrMsk},
    {"Form title", kFormTitle, true},
    {"USR", kUsr, true},
    {"mediana_filtr_flow", kMedianaFiltrFlow},
};

const CreationValue kCreationValues[] = {
    {"TAB", "num", "0"},
    {"Definition", "txt0", "Flowmeter 0.0.0"},
    {"Definition", "txt1", "19200"},
    {"Definition", "txt2", ""},
    {"Definition", "txt3", ""},
    {"TX", "INTERVAL", "10"},
    {"SET_0", "SET_0_N", "32"},
    {"SET_0", "SET_0_VAL", "0.0"},
    {"SET_DIAP", "SET_DIAP_N", "32"},
    {"SET_DIAP", "SET_DIAP_VAL", "250.0"},
    {"Seach", "1200", "0"},
    {"Seach", "2400", "0"},
    {"Seach", "4800", "0"},
    {"Seach", "9600", "1"},
    {"Seach", "19200", "1"},
    {"Seach", "38400", "0"},
    {"Seach", "57600", "0"},
    {"Seach", "115200", "0"},
    {"Seach", "beg", "1"},
    {"Seach", "end", "3"},
    {"Seach", "parity_non", "1"},
    {"Seach", "parity_odd", "1"},
    {"Seach", "parity_ev", "1"},
    {"NEW_DAT", "NUM_HI", "0"},
    {"NEW_DAT", "NUM_LO", "0"},
    {"NEW_DAT", "MODEL", "10"},
    {"NEW_DAT", "SOFT_NEW", "0"},
    {"NEW_DAT", "HARD_NEW", "0"},
    {"NEW_DAT", "YEAR_NEW", "11"},
    {"NEW_DAT", "MONTH_NEW", "6"},
    {"NEW_DAT", "DAY_NEW", "15"},
};

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

std::span<const ProfileSection> profileSections() {
    return kSections;
}

const ProfileSection* findProfileSection(std::string_view name) {
    for (const ProfileSection& section : kSections) {
        if (sameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

std::span<const CreationValue> creationValues() {
    return kCreationValues;
}

std::optional<ProfileRef> refOf(const ProfileKey& row, DeviceImage& image, ToolSettings& tools) {
    if (row.image != nullptr) {
        return std::visit([](auto* p) -> ProfileRef { return p; }, row.image(image));
    }
    if (row.tool != nullptr) {
        return row.tool(tools);
    }
    return std::nullopt;
}

std::string defaultText(const ProfileKey& row, const std::filesystem::path& workDir) {
    switch (row.def.base) {
    case KeyDefault::Base::WorkDir:
        return workDir.string();
    case KeyDefault::Base::InWorkDir:
        return (workDir / row.def.text).string();
    case KeyDefault::Base::Literal:
        break;
    }
    return std::string(row.def.text);
}

} // namespace flowcfg
