#include "model/RegisterMap.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace flowcfg {

namespace {

// A member of the image, as a table entry.
#define MEMBER(path) [](DeviceImage& d) -> ValueRef { return &d.path; }

constexpr FieldDescriptor u16(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::U16, m};
}
constexpr FieldDescriptor code(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::Code, m};
}
constexpr FieldDescriptor bits(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::Bits, m};
}
constexpr FieldDescriptor f32(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::F32, m};
}
constexpr FieldDescriptor u32(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::U32, m};
}
constexpr FieldDescriptor u32LowFirst(std::uint8_t offset, ImageMember m) {
    return {offset, Encoding::U32LowFirst, m};
}
constexpr FieldDescriptor raw(std::uint8_t offset, ImageMember m, std::uint16_t count) {
    return {offset, Encoding::RawWords, m, count};
}
constexpr FieldDescriptor cmd(std::uint8_t offset, std::uint16_t value) {
    return {offset, Encoding::Cmd, nullptr, value};
}

// Elements of the arrays in `readings`.
template <std::size_t I> ValueRef primary0(DeviceImage& d) {
    return &d.readings.primaryBlock0[I];
}
template <std::size_t I> ValueRef settingsWord(DeviceImage& d) {
    return &d.readings.measurementSettings[I];
}
template <std::size_t I> ValueRef cleaningWord(DeviceImage& d) {
    return &d.readings.electrodeCleaning[I];
}
template <std::size_t I> ValueRef enableWord(DeviceImage& d) {
    return &d.readings.errorEnables[I];
}
template <std::size_t I> ValueRef coefficientX(DeviceImage& d) {
    return &d.readings.coefficientX[I];
}
template <std::size_t I> ValueRef coefficientY(DeviceImage& d) {
    return &d.readings.coefficientY[I];
}

// Measured values -------------------------------------------------------------------------
constexpr FieldDescriptor kPrimaryFlow[] = {raw(0, primary0<0>, 4)};
constexpr FieldDescriptor kPrimaryBlock0[] = {raw(0, primary0<0>, 8)};
constexpr FieldDescriptor kMeasuredValues[] = {raw(0, MEMBER(readings.measuredValues[0]), 49)};
constexpr FieldDescriptor kDeviceStatus[] = {u16(0, MEMBER(readings.deviceStatus))};
constexpr FieldDescriptor kOutputsBlock[] = {raw(0, MEMBER(readings.outputsBlock[0]), 11)};

// External sensors --------------------------------------------------------------------------
constexpr FieldDescriptor kExternalSensors[] = {
    f32(0, MEMBER(readings.extTemperature)),   u16(2, MEMBER(readings.extTemperatureErr)),
    f32(3, MEMBER(readings.extPressure)),      u16(5, MEMBER(readings.extPressureErr)),
    code(6, MEMBER(readings.extPressureUnit)), u32LowFirst(7, MEMBER(readings.adcCode1)),
    u32LowFirst(9, MEMBER(readings.adcCode2)), u16(11, MEMBER(readings.adcErr)),
    f32(12, MEMBER(readings.extResistance)),
};
constexpr FieldDescriptor kExternalAdcCodes[] = {
    u32LowFirst(0, MEMBER(readings.adcCode1)),
    u32LowFirst(2, MEMBER(readings.adcCode2)),
    u16(4, MEMBER(readings.adcErr)),
    f32(5, MEMBER(readings.extResistance)),
};

// Device ------------------------------------------------------------------------------------
constexpr FieldDescriptor kIdentity[] = {
    u16(0, MEMBER(NEW_DAT.MODEL)),     u16(1, MEMBER(NEW_DAT.NUM_HI)),
    u16(2, MEMBER(NEW_DAT.NUM_LO)),    u16(3, MEMBER(NEW_DAT.HARD_NEW)),
    u16(4, MEMBER(NEW_DAT.SOFT_NEW)),  u16(5, MEMBER(NEW_DAT.DAY_NEW)),
    u16(6, MEMBER(NEW_DAT.MONTH_NEW)), u16(7, MEMBER(NEW_DAT.YEAR_NEW)),
};
constexpr FieldDescriptor kFactoryNumber[] = {u16(0, MEMBER(NEW_DAT.NUM_HI)),
                                              u16(1, MEMBER(NEW_DAT.NUM_LO))};
constexpr FieldDescriptor kVersions[] = {u16(0, MEMBER(NEW_DAT.HARD_NEW)),
                                         u16(1, MEMBER(NEW_DAT.SOFT_NEW))};
constexpr FieldDescriptor kManufactureDate[] = {u16(0, MEMBER(NEW_DAT.DAY_NEW)),
                                                u16(1, MEMBER(NEW_DAT.MONTH_NEW)),
                                                u16(2, MEMBER(NEW_DAT.YEAR_NEW))};
constexpr FieldDescriptor kNetwork[] = {u16(0, MEMBER(NEW_COMM.NET_NUM)),
                                        code(1, MEMBER(NEW_COMM.NET_SPD)),
                                        code(2, MEMBER(NEW_COMM.NET_PAR))};
constexpr FieldDescriptor kCmd1[] = {cmd(0, 1)};
constexpr FieldDescriptor kCmd0[] = {cmd(0, 0)};
constexpr FieldDescriptor kCmd2[] = {cmd(0, 2)};
constexpr FieldDescriptor kCmd4[] = {cmd(0, 4)};
constexpr FieldDescriptor kCmd11[] = {cmd(0, 1), cmd(1, 1)};
constexpr FieldDescriptor kCmd00[] = {cmd(0, 0), cmd(1, 0)};
constexpr FieldDescriptor kCmd10[] = {cmd(0, 1), cmd(1, 0)};
constexpr FieldDescriptor kClock[] = {
    u16(0, MEMBER(readings.clockYear)),   u16(1, MEMBER(readings.clockMonth)),
    u16(2, MEMBER(readings.clockDay)),    u16(3, MEMBER(readings.clockHour)),
    u16(4, MEMBER(readings.clockMinute)), u16(5, MEMBER(readings.clockSecond)),
};
constexpr FieldDescriptor kPanelPassword[] = {u16(0, MEMBER(PSW.PSW))};

// Primary transducer and electrode cleaning ------------------------------------------------
constexpr FieldDescriptor kPrimaryBlock500[] = {raw(0, MEMBER(readings.primaryBlock500[0]), 9)};
constexpr FieldDescriptor kPrimaryBlock510[] = {raw(0, MEMBER(readings.primaryBlock510[0]), 42)};
constexpr FieldDescriptor kElectrodeCleaning[] = {
    raw(0, cleaningWord<0>, 1), u16(1, MEMBER(el_clear.el_clear_time_interval_val_h)),
    raw(2, cleaningWord<2>, 1), u16(3, MEMBER(el_clear.el_clear_time_on_val_s)),
    raw(4, cleaningWord<4>, 4),
};
constexpr FieldDescriptor kCleaningInterval[] = {
    u16(0, MEMBER(el_clear.el_clear_time_interval_val_h))};
constexpr FieldDescriptor kCleaningOnTime[] = {u16(0, MEMBER(el_clear.el_clear_time_on_val_s))};

// Measurement -------------------------------------------------------------------------------
constexpr FieldDescriptor kMeasurementSettings[] = {
    raw(0, settingsWord<0>, 1),
    u16(1, MEMBER(izm_to_comp.izm_flow_v_ns)),
    raw(2, settingsWord<2>, 5),
    code(7, MEMBER(izm_to_comp.izm_flow_v_unit)),
};
constexpr FieldDescriptor kAverages[] = {u16(0, MEMBER(izm_to_comp.izm_flow_v_ns))};
constexpr FieldDescriptor kFlowUnit[] = {code(0, MEMBER(izm_to_comp.izm_flow_v_unit))};
constexpr FieldDescriptor kFlowRange[] = {
    f32(0, MEMBER(izm_general_param.izm_flow_v_min_m3_h_cmp)),
    f32(2, MEMBER(izm_general_param.izm_flow_v_max_m3_h_cmp)),
    u16(4, MEMBER(readings.flowRangeWord4)),
};
constexpr FieldDescriptor kCutoffValues[] = {
    f32(0, MEMBER(readings.moduleCutoff)),
    f32(2, MEMBER(readings.moduleHysteresis)),
    f32(4, MEMBER(izm_general_param.izm_flow_v_cut_ee)),
    f32(6, MEMBER(readings.cutoffHysteresis)),
};
constexpr FieldDescriptor kCutoff[] = {f32(0, MEMBER(izm_general_param.izm_flow_v_cut_ee)),
                                       f32(2, MEMBER(readings.cutoffHysteresis))};
constexpr FieldDescriptor kCutoffSource[] = {code(0, MEMBER(izm_general_param.sel_cut_ncmp_mdl)),
                                             bits(1, MEMBER(izm_general_param.cut_en))};
constexpr FieldDescriptor kCutoffFlags[] = {bits(0, MEMBER(izm_general_param.cut_en))};
constexpr FieldDescriptor kDisplayedSumType[] = {code(0, MEMBER(izm_to_comp.izm_flow_v_dsum_type))};
constexpr FieldDescriptor kSumUnit[] = {code(0, MEMBER(izm_to_comp.izm_flow_v_sum_unit))};
constexpr FieldDescriptor kEmulation[] = {
    code(0, MEMBER(sym_control.sym_mode)),
    f32(1, MEMBER(sym_control.flow_v_m3_h_raw_sym)),
    f32(3, MEMBER(sym_control.flow_v_m3_h_raw_min_sym)),
    f32(5, MEMBER(sym_control.flow_v_m3_h_raw_max_sym)),
    f32(7, MEMBER(sym_control.flow_v_m3_h_raw_delta_sym)),
    u16(9, MEMBER(sym_control.period_sym)),
    u16(10, MEMBER(sym_control.flow_v_err_raw_lo_sym)),
    u16(11, MEMBER(sym_control.flow_v_err_raw_hi_sym)),
};
constexpr FieldDescriptor kDecimalDigits[] = {u16(0, MEMBER(izm_to_comp.ind_point))};
constexpr FieldDescriptor kSensorType[] = {u16(0, MEMBER(izm_general_param.sensor_type_cmp)),
                                           code(1, MEMBER(izm_general_param.sel_sensor_type_ncmp))};
constexpr FieldDescriptor kNominalDiameter[] = {u16(0, MEMBER(izm_general_param.line_size_cmp))};
constexpr FieldDescriptor kLinearScale[] = {code(0, MEMBER(izm_general_param.bar_type))};
constexpr FieldDescriptor kEmptyPipe[] = {bits(0, MEMBER(izm_general_param.empty_pype_en))};
constexpr FieldDescriptor kMedianFilter[] = {u16(0, MEMBER(mediana_filtr_flow.mediana_val))};

// Outputs -----------------------------------------------------------------------------------
constexpr FieldDescriptor kOutput1Type[] = {code(0, MEMBER(output.diskr_out_type0))};
constexpr FieldDescriptor kOutput1DirectValue[] = {u16(0, MEMBER(output.diskr_out_direct_val_0))};
constexpr FieldDescriptor kOutput1Frequency[] = {
    u16(0, MEMBER(output.f_max)),        u16(1, MEMBER(output.f_min)),
    f32(2, MEMBER(output.f_flow_v_max)), f32(4, MEMBER(output.f_flow_v_min)),
    u16(6, MEMBER(output.f_flow_err)),   code(7, MEMBER(output.f_direct_control)),
    u16(8, MEMBER(output.f_direct_val)),
};
constexpr FieldDescriptor kOutput1Pulse[] = {f32(0, MEMBER(output.flow_v_for_pulse)),
                                             u16(2, MEMBER(output.pulse_activ_min_t)),
                                             u16(3, MEMBER(output.pulse_passive_min_t))};
constexpr FieldDescriptor kOutput1PulseSumType[] = {code(0, MEMBER(output.dsum_type_0))};
constexpr FieldDescriptor kOutput2Type[] = {code(0, MEMBER(output.diskr_out_type1))};
constexpr FieldDescriptor kOutput2DirectValue[] = {u16(0, MEMBER(output.diskr_out_direct_val_1))};
constexpr FieldDescriptor kOutput2Frequency[] = {
    u16(0, MEMBER(output.f_max_1)),        u16(1, MEMBER(output.f_min_1)),
    f32(2, MEMBER(output.f_flow_v_max_1)), f32(4, MEMBER(output.f_flow_v_min_1)),
    u16(6, MEMBER(output.f_flow_err_1)),   code(7, MEMBER(output.f_direct_control_1)),
    u16(8, MEMBER(output.f_direct_val_1)),
};
constexpr FieldDescriptor kOutput2Pulse[] = {f32(0, MEMBER(output.flow_v_for_pulse_1)),
                                             u16(2, MEMBER(output.pulse_activ_min_t_1)),
                                             u16(3, MEMBER(output.pulse_passive_min_t_1))};
constexpr FieldDescriptor kOutput2PulseSumType[] = {code(0, MEMBER(output.dsum_type_1))};

// Current output ----------------------------------------------------------------------------
constexpr FieldDescriptor kCurrentMode[] = {code(0, MEMBER(i_control.i_control))};
constexpr FieldDescriptor kCurrentScale[] = {
    f32(0, MEMBER(i_control.flow_v_min)),
    f32(2, MEMBER(i_control.flow_v_max)),
    f32(4, MEMBER(i_control.i_v_min)),
    f32(6, MEMBER(i_control.i_v_max)),
};
constexpr FieldDescriptor kCurrentError[] = {u16(0, MEMBER(i_control.i_err_num)),
                                             f32(1, MEMBER(i_control.i_err_0)),
                                             f32(3, MEMBER(i_control.i_err_1))};
constexpr FieldDescriptor kCurrentDirect[] = {u16(0, MEMBER(i_control.code_direct)),
                                              f32(1, MEMBER(i_control.i_ma_direct))};
constexpr FieldDescriptor kCurrentCalibration[] = {
    u16(0, MEMBER(i_control.code_min_calib)),
    f32(1, MEMBER(i_control.i_ma_min_calib)),
    u16(3, MEMBER(i_control.code_max_calib)),
    f32(4, MEMBER(i_control.i_ma_max_calib)),
};
constexpr FieldDescriptor kCurrentShift[] = {f32(0, MEMBER(i_control.shift)),
                                             f32(2, MEMBER(i_control.adj))};

// Error permissions: the 21 named words, the rest of the block kept as read.
constexpr FieldDescriptor kErrorEnables[] = {
    bits(0, MEMBER(err_en.numerr_en)),         raw(1, enableWord<1>, 7),
    bits(8, MEMBER(err_en.sens_err_en)),       raw(9, enableWord<9>, 3),
    bits(12, MEMBER(err_en.ovld_en)),          raw(13, enableWord<13>, 1),
    bits(14, MEMBER(err_en.udld_en)),          raw(15, enableWord<15>, 7),
    bits(22, MEMBER(err_en.empty_pipe_en)),    raw(23, enableWord<23>, 1),
    bits(24, MEMBER(err_en.noise_en)),         raw(25, enableWord<25>, 1),
    bits(26, MEMBER(err_en.sens_exch_en)),     raw(27, enableWord<27>, 1),
    bits(28, MEMBER(err_en.not_use_en)),       raw(29, enableWord<29>, 1),
    bits(30, MEMBER(err_en.not_rdy_en)),       raw(31, enableWord<31>, 1),
    bits(32, MEMBER(err_en.el_clr_en)),        raw(33, enableWord<33>, 1),
    bits(34, MEMBER(err_en.serv_en)),          raw(35, enableWord<35>, 1),
    bits(36, MEMBER(err_en.ssyst_en)),         raw(37, enableWord<37>, 1),
    bits(38, MEMBER(err_en.sens2_cut_en)),     raw(39, enableWord<39>, 1),
    bits(40, MEMBER(err_en.sens1_cut_en)),     raw(41, enableWord<41>, 1),
    bits(42, MEMBER(err_en.interf_en)),        raw(43, enableWord<43>, 1),
    bits(44, MEMBER(err_en.signal_strong_en)), raw(45, enableWord<45>, 1),
    bits(46, MEMBER(err_en.signal_weak_en)),   raw(47, enableWord<47>, 1),
    bits(48, MEMBER(err_en.cut_en)),           raw(49, enableWord<49>, 1),
    bits(50, MEMBER(err_en.local_cut_en)),     raw(51, enableWord<51>, 1),
    bits(52, MEMBER(err_en.sens_not_dat_en)),  raw(53, enableWord<53>, 1),
    bits(54, MEMBER(err_en.sens_modbus_en)),   raw(55, enableWord<55>, 3),
};
constexpr FieldDescriptor kErrEnOvld[] = {bits(0, MEMBER(err_en.ovld_en))};
constexpr FieldDescriptor kErrEnUdld[] = {bits(0, MEMBER(err_en.udld_en))};
constexpr FieldDescriptor kErrEnEmptyPipe[] = {bits(0, MEMBER(err_en.empty_pipe_en))};
constexpr FieldDescriptor kErrEnNotReady[] = {bits(0, MEMBER(err_en.not_rdy_en))};
constexpr FieldDescriptor kErrEnService[] = {bits(0, MEMBER(err_en.serv_en))};
constexpr FieldDescriptor kErrEnSens2Cut[] = {bits(0, MEMBER(err_en.sens2_cut_en))};
constexpr FieldDescriptor kErrEnSens1Cut[] = {bits(0, MEMBER(err_en.sens1_cut_en))};
constexpr FieldDescriptor kErrEnSignalStrong[] = {bits(0, MEMBER(err_en.signal_strong_en))};
constexpr FieldDescriptor kErrEnSignalWeak[] = {bits(0, MEMBER(err_en.signal_weak_en))};
constexpr FieldDescriptor kErrEnCutoff[] = {bits(0, MEMBER(err_en.cut_en))};
constexpr FieldDescriptor kErrEnSensModbus[] = {bits(0, MEMBER(err_en.sens_modbus_en))};

// Technological connector, archive --------------------------------------------------------
constexpr FieldDescriptor kTechConnector[] = {u16(0, MEMBER(readings.protSel))};
constexpr FieldDescriptor kArchiveSettings[] = {
    u16(0, MEMBER(frame_write.frame_write_interval_sec)),
    code(1, MEMBER(frame_write.frame_write_type)),
    code(2, MEMBER(readings.frame_number_after_read)),
    raw(3, MEMBER(readings.archiveSettingsTail[0]), 2),
};
constexpr FieldDescriptor kFrameCounters[] = {u32(0, MEMBER(readings.total_frames)),
                                              u32(2, MEMBER(readings.current_frame))};
constexpr FieldDescriptor kReadFrameNumber[] = {u32(0, MEMBER(readings.read_frame_number))};
constexpr FieldDescriptor kFramesPerBlock[] = {u16(0, MEMBER(readings.frames_per_block)),
                                               u16(1, MEMBER(readings.framesPerBlockWord1))};

// External temperature sensor calibration ---------------------------------------------------
constexpr FieldDescriptor kTemperatureCalibration[] = {
    u16(0, MEMBER(readings.calibrationWord0)),      u32LowFirst(1, MEMBER(izm_to_comp.a1_cod_min)),
    u32LowFirst(3, MEMBER(izm_to_comp.a1_cod_max)), f32(5, MEMBER(izm_to_comp.r_cod_min)),
    f32(7, MEMBER(izm_to_comp.r_cod_max)),          code(9, MEMBER(readings.characteristic)),
    f32(10, MEMBER(izm_to_comp.ext_sens_kvd_a)),    f32(12, MEMBER(izm_to_comp.ext_sens_kvd_b)),
    f32(14, MEMBER(readings.coefficientC)),         f32(16, MEMBER(izm_to_comp.ext_sens_kvd_d1)),
    f32(18, MEMBER(izm_to_comp.ext_sens_kvd_d2)),   f32(20, MEMBER(izm_to_comp.ext_sens_kvd_d3)),
    f32(22, MEMBER(izm_to_comp.ext_sens_kvd_d4)),   f32(24, MEMBER(izm_to_comp.ext_sens_r0)),
};
constexpr FieldDescriptor kUserCoefficients[] = {
    code(0, MEMBER(readings.characteristic)),     f32(1, MEMBER(izm_to_comp.ext_sens_kvd_a)),
    f32(3, MEMBER(izm_to_comp.ext_sens_kvd_b)),   f32(5, MEMBER(readings.coefficientC)),
    f32(7, MEMBER(izm_to_comp.ext_sens_kvd_d1)),  f32(9, MEMBER(izm_to_comp.ext_sens_kvd_d2)),
    f32(11, MEMBER(izm_to_comp.ext_sens_kvd_d3)), f32(13, MEMBER(izm_to_comp.ext_sens_kvd_d4)),
    f32(15, MEMBER(izm_to_comp.ext_sens_r0)),
};
constexpr FieldDescriptor kExternalR0[] = {f32(0, MEMBER(izm_to_comp.ext_sens_r0))};
constexpr FieldDescriptor kPressureUnit[] = {code(0, MEMBER(readings.pressureUnit))};
constexpr FieldDescriptor kTemperatureAdjustment[] = {f32(0, MEMBER(adc_7793.shift)),
                                                      f32(2, MEMBER(adc_7793.adj))};

// Vortex meter, calibration coefficients ----------------------------------------------------
constexpr FieldDescriptor kSignalAmplitude[] = {f32(0, MEMBER(readings.signalAmplitude))};
constexpr FieldDescriptor kAmplitudeCutoff[] = {f32(0, MEMBER(vihr.amplitude_cut))};
constexpr FieldDescriptor kCoefficientCount[] = {u16(0, MEMBER(readings.coefficientWord))};

// One block of four X/Y pairs, pairs first..first+3.
template <std::size_t First> constexpr std::array<FieldDescriptor, 8> coefficientBlock() {
    return {f32(0, coefficientX<First>),      f32(2, coefficientY<First>),
            f32(4, coefficientX<First + 1>),  f32(6, coefficientY<First + 1>),
            f32(8, coefficientX<First + 2>),  f32(10, coefficientY<First + 2>),
            f32(12, coefficientX<First + 3>), f32(14, coefficientY<First + 3>)};
}
constexpr auto kCoefficientBlock0 = coefficientBlock<0>();
constexpr auto kCoefficientBlock1 = coefficientBlock<4>();
constexpr auto kCoefficientBlock2 = coefficientBlock<8>();
constexpr auto kCoefficientBlock3 = coefficientBlock<12>();
constexpr auto kCoefficientBlock4 = coefficientBlock<16>();

#undef MEMBER

constexpr std::string_view kOutputType = "тип выхода ";
constexpr std::string_view kFrequencyOutput = "параметры частотного выхода ";
constexpr std::string_view kPulseOutput = "записать параметры импульсного выхода ";

#define ROW(id, start, readCount, writeCount, description, fields)                                 \
    GroupDescriptor {                                                                              \
        GroupId::id, #id, start, readCount, writeCount, description, fields                        \
    }

// In GroupId order (checked below).
const GroupDescriptor kMap[] = {
    ROW(PrimaryFlow, 0x0000, 4, 0, "", kPrimaryFlow),
    ROW(PrimaryBlock0, 0x0000, 8, 0, "", kPrimaryBlock0),
    ROW(MeasuredValues, 0x0100, 49, 0, "", kMeasuredValues),
    ROW(DeviceStatus, 0x012C, 1, 0, "", kDeviceStatus),
    ROW(OutputsBlock, 0x0131, 11, 0, "", kOutputsBlock),
    ROW(ExternalSensors, 0x0200, 14, 0, "", kExternalSensors),
    ROW(ExternalAdcCodes, 0x0207, 7, 0, "", kExternalAdcCodes),
    ROW(Identity, 0x0400, 8, 0, "", kIdentity),
    ROW(FactoryNumber, 0x0401, 0, 2, "Записать fack_num_new_hi, fack_num_new_lo. и дату ",
        kFactoryNumber),
    ROW(Versions, 0x0403, 2, 0, "Записать hard_new, soft_new. ", kVersions),
    ROW(ManufactureDate, 0x0405, 0, 3, "Записать day_new, month_new, year_new. ", kManufactureDate),
    ROW(Network, 0x0408, 0, 3, "Запись Net_num_new, ser_spd_new, ser_parity_new.", kNetwork),
    ROW(Blink, 0x0416, 0, 1, "Команда на мигание.", kCmd1),
    ROW(Restart, 0x0419, 0, 1, "", kCmd1),
    ROW(Clock, 0x0420, 6, 6, "Записать время и дату. ", kClock),
    ROW(PanelPassword, 0x04F0, 1, 1, "Записать пароль меню передней панели. ", kPanelPassword),
    ROW(Unlock, 0x04FE, 0, 2, "Запись разблокировки USERLOCK CLBLOCK.", kCmd11),
    ROW(Lock, 0x04FE, 0, 2, "Запись USERLOCK.", kCmd00),
    ROW(UnlockForCommand, 0x04FE, 0, 2, " разблокируем запись ", kCmd11),
    ROW(UnlockSpare, 0x04FE, 0, 2, "USERLOCK = 1 CLBLOC =1  разблокируем запись ", kCmd11),
    ROW(PrimaryBlock500, 0x0500, 9, 0, "", kPrimaryBlock500),
    ROW(PrimaryBlock510, 0x0510, 42, 0, "", kPrimaryBlock510),
    ROW(ElectrodeCleaning, 0x0540, 8, 0, "", kElectrodeCleaning),
    ROW(CleaningInterval, 0x0541, 0, 1, "", kCleaningInterval),
    ROW(CleaningOnTime, 0x0543, 0, 1, "", kCleaningOnTime),
    ROW(CleaningOn, 0x0546, 0, 1, "Включить очистку электродов", kCmd2),
    ROW(CleaningOff, 0x0546, 0, 1, "Выключить очистку электродов", kCmd4),
    ROW(ServiceCleaningOn, 0x07A3, 0, 1, "", kCmd1),
    ROW(ServiceCleaningOff, 0x07A3, 0, 1, "", kCmd0),
    ROW(MeasurementSettings, 0x1000, 8, 0, "", kMeasurementSettings),
    ROW(Averages, 0x1001, 0, 1, " число усреднений ", kAverages),
    ROW(FlowUnit, 0x1007, 0, 1, " единицы ", kFlowUnit),
    ROW(FlowRange, 0x1010, 5, 0, "", kFlowRange),
    ROW(CutoffValues, 0x1019, 8, 0, "", kCutoffValues),
    ROW(Cutoff, 0x101D, 4, 4, "величина отсечки ", kCutoff),
    ROW(CutoffSource, 0x1035, 2, 0, "", kCutoffSource),
    ROW(CutoffFlags, 0x1036, 1, 1, "источник отсечки ", kCutoffFlags),
    ROW(DisplayedSumType, 0x1037, 1, 1, "тип отображаемой на экране суммы ", kDisplayedSumType),
    ROW(SumUnit, 0x1038, 1, 1, "единицы суммы ", kSumUnit),
    ROW(Emulation, 0x103B, 12, 12, "", kEmulation),
    ROW(Output1Type, 0x1047, 1, 1, kOutputType, kOutput1Type),
    ROW(Output1DirectValue, 0x104A, 1, 1, kOutputType, kOutput1DirectValue),
    ROW(Output1Frequency, 0x104D, 9, 9, kFrequencyOutput, kOutput1Frequency),
    ROW(Output1Pulse, 0x1056, 4, 4, kPulseOutput, kOutput1Pulse),
    ROW(Output1PulseSumType, 0x105D, 1, 1, kPulseOutput, kOutput1PulseSumType),
    ROW(Output2Type, 0x105E, 1, 1, kOutputType, kOutput2Type),
    ROW(Output2DirectValue, 0x1061, 1, 1, kOutputType, kOutput2DirectValue),
    ROW(Output2Frequency, 0x1064, 9, 9, kFrequencyOutput, kOutput2Frequency),
    ROW(Output2Pulse, 0x106D, 4, 4, kPulseOutput, kOutput2Pulse),
    ROW(Output2PulseSumType, 0x1074, 1, 1, kPulseOutput, kOutput2PulseSumType),
    ROW(CurrentMode, 0x1075, 1, 1, "", kCurrentMode),
    ROW(CurrentScale, 0x1079, 8, 8, "", kCurrentScale),
    ROW(CurrentError, 0x1081, 5, 5, "", kCurrentError),
    ROW(CurrentDirect, 0x1086, 3, 3, "", kCurrentDirect),
    ROW(CurrentCalibration, 0x1089, 6, 6, "", kCurrentCalibration),
    ROW(DecimalDigits, 0x108F, 1, 1, "число цифр после запятой ", kDecimalDigits),
    ROW(SensorType, 0x1091, 2, 0, "", kSensorType),
    ROW(NominalDiameter, 0x1096, 1, 0, "", kNominalDiameter),
    ROW(LinearScale, 0x1098, 1, 1, "тип линейной шкалы ", kLinearScale),
    ROW(EmptyPipe, 0x1099, 1, 1, "ОБРАБОТКА пустой трубы ", kEmptyPipe),
    ROW(ErrorEnables, 0x10A0, 58, 0, "", kErrorEnables),
    ROW(ErrEnOvld, 0x10AC, 0, 1, "", kErrEnOvld),
    ROW(ErrEnUdld, 0x10AE, 0, 1, "", kErrEnUdld),
    ROW(ErrEnEmptyPipe, 0x10B6, 0, 1, "", kErrEnEmptyPipe),
    ROW(ErrEnNotReady, 0x10BE, 0, 1, "", kErrEnNotReady),
    ROW(ErrEnService, 0x10C2, 0, 1, "", kErrEnService),
    ROW(ErrEnSens2Cut, 0x10C6, 0, 1, "", kErrEnSens2Cut),
    ROW(ErrEnSens1Cut, 0x10C8, 0, 1, "", kErrEnSens1Cut),
    ROW(ErrEnSignalStrong, 0x10CC, 0, 1, "", kErrEnSignalStrong),
    ROW(ErrEnSignalWeak, 0x10CE, 0, 1, "", kErrEnSignalWeak),
    ROW(ErrEnCutoff, 0x10D0, 0, 1, "", kErrEnCutoff),
    ROW(ErrEnSensModbus, 0x10D6, 0, 1, "", kErrEnSensModbus),
    ROW(TechConnector, 0x1100, 1, 0, "", kTechConnector),
    ROW(TechConnectorInternal, 0x1100, 0, 2,
        "запись разрешения связи модуля измерения с технологическим разъемом", kCmd00),
    ROW(TechConnectorModbus, 0x1100, 0, 2,
        "запись разрешения связи модуля измерения с технологическим разъемом", kCmd10),
    ROW(VolumeReset, 0x1102, 0, 2, "IZM_FLOW_V_SUM_CLR = 1  сбросим накопленный объем", kCmd11),
    ROW(ArchiveSettings, 0x1500, 5, 3, "интервал архивации ", kArchiveSettings),
    ROW(FrameCounters, 0x1505, 4, 0, "", kFrameCounters),
    ROW(ReadFrameNumber, 0x1509, 2, 2, "номер текущего кадра ", kReadFrameNumber),
    ROW(FramesPerBlock, 0x150B, 2, 0, "", kFramesPerBlock),
    ROW(TemperatureCalibration, 0x1700, 26, 10, " градуировки ацп ", kTemperatureCalibration),
    ROW(UserCoefficients, 0x1709, 17, 15, " пользовательские коэффициенты ", kUserCoefficients),
    ROW(ExternalR0, 0x1718, 0, 2, " r0 ", kExternalR0),
    ROW(PressureUnit, 0x171A, 1, 1, " единицы давления внешнего датчика", kPressureUnit),
    ROW(MedianFilter, 0x1800, 1, 1, "медианный фильтр ", kMedianFilter),
    ROW(CurrentShift, 0x1900, 4, 4, "", kCurrentShift),
    ROW(TemperatureAdjustment, 0x1904, 4, 4, " смещение и подстройка", kTemperatureAdjustment),
    ROW(SignalAmplitude, 0x5008, 2, 0, "", kSignalAmplitude),
    ROW(AmplitudeCutoff, 0x5506, 2, 2, "", kAmplitudeCutoff),
    ROW(CoefficientCount, 0x7DFF, 1, 0, "", kCoefficientCount),
    ROW(CoefficientBlock0, 0x7E00, 16, 0, "", kCoefficientBlock0),
    ROW(CoefficientBlock1, 0x7E10, 16, 0, "", kCoefficientBlock1),
    ROW(CoefficientBlock2, 0x7E20, 16, 0, "", kCoefficientBlock2),
    ROW(CoefficientBlock3, 0x7E30, 16, 0, "", kCoefficientBlock3),
    ROW(CoefficientBlock4, 0x7E40, 16, 0, "", kCoefficientBlock4),
};

#undef ROW

static_assert(std::size(kMap) == kGroupCount, "one row per GroupId");

} // namespace

std::span<const GroupDescriptor> registerMap() {
    return kMap;
}

const GroupDescriptor& group(GroupId id) {
    const auto index = static_cast<std::size_t>(id);
    if (index >= kGroupCount || kMap[index].id != id)
        throw std::logic_error("register map row out of order");
    return kMap[index];
}

const GroupDescriptor* findGroup(std::uint16_t start, std::uint8_t count) {
    for (const auto& row : kMap)
        if (row.start == start && (row.readCount == count || row.writeCount == count))
            return &row;
    return nullptr;
}

const GroupDescriptor* findGroup(std::string_view name) {
    for (const auto& row : kMap)
        if (row.name == name)
            return &row;
    return nullptr;
}

namespace {

std::uintptr_t addressOf(const ValueRef& ref) {
    return std::visit([](auto* p) { return reinterpret_cast<std::uintptr_t>(p); }, ref);
}

// Whether a field among the group's first `words` registers holds the member; compared by
// address within one image, so a RawWords field covers the array elements it spans.
bool holds(const GroupDescriptor& g, ImageMember member, unsigned words) {
    DeviceImage scratch;
    const std::uintptr_t target = addressOf(member(scratch));
    for (const FieldDescriptor& f : g.fields) {
        if (f.member == nullptr || f.offset >= words)
            continue;
        const std::uintptr_t first = addressOf(f.member(scratch));
        const std::size_t size =
            f.encoding == Encoding::RawWords ? f.extra * sizeof(std::uint16_t) : 1;
        if (target >= first && target < first + size)
            return true;
    }
    return false;
}

} // namespace

bool readFills(const GroupDescriptor& g, ImageMember member) {
    return holds(g, member, g.readCount);
}

bool writeSends(const GroupDescriptor& g, ImageMember member) {
    return holds(g, member, g.writeCount);
}

} // namespace flowcfg
