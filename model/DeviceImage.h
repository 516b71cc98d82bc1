#pragma once
// The decoded copy of the meter's parameters. Grouped like the profile: each struct is a
// profile section and each member is spelled as its key, so image.i_control.shift and
// image.adc_7793.shift are different fields. Defaults are the profile's load defaults.
// Values the screens show but the profile does not keep live in `readings`; keptCalibration
// is the one piece of bookkeeping.

#include <array>
#include <cstdint>
#include <string>
#include <variant>

namespace flowcfg {

struct DeviceImage {
    struct Psw {
        std::uint16_t PSW = 0; // front-panel menu password 0..9999
    } PSW;

    // Error-analysis enables: one permission bit set per error kind.
    struct ErrEn {
        std::uint16_t numerr_en = 0, sens_err_en = 0, ovld_en = 0, udld_en = 0, empty_pipe_en = 0,
                      noise_en = 0, sens_exch_en = 0, not_use_en = 0, not_rdy_en = 0, el_clr_en = 0,
                      serv_en = 0, ssyst_en = 0, sens2_cut_en = 0, sens1_cut_en = 0, interf_en = 0,
                      signal_strong_en = 0, signal_weak_en = 0, cut_en = 0, local_cut_en = 0,
                      sens_not_dat_en = 0, sens_modbus_en = 0;
    } err_en;

    struct IzmIFDiskr {
        std::uint16_t use = 1; // read the outputs block with every measured-value read
    } izm_i_f_diskr;

    struct ElClear {
        std::uint16_t el_clear_time_interval_val_h = 0; // cleaning interval, days
        std::uint16_t el_clear_time_on_val_s = 0;       // cleaning on-time, s
        std::uint16_t time_val = 3600;                  // tool-side selector, 0 = off
    } el_clear;

    struct IzmToComp {
        std::uint16_t ind_point = 3;
        std::uint16_t izm_flow_v_dsum_type = 0;
        std::uint16_t izm_flow_v_unit = 0;
        std::uint16_t izm_flow_v_sum_unit = 0;
        std::uint16_t izm_flow_v_ns = 0;
        std::uint16_t time_stamp_val_corr_en = 0;
        float r_cod_min = 100.0f;
        float r_cod_max = 138.5f;
        float ext_sens_r0 = 100.0f;
        float ext_sens_kvd_a = 0, ext_sens_kvd_b = 0;
        float ext_sens_kvd_d1 = 0, ext_sens_kvd_d2 = 0, ext_sens_kvd_d3 = 0, ext_sens_kvd_d4 = 0;
        std::uint32_t a1_cod_min = 0, a1_cod_max = 0;
    } izm_to_comp;

    // Outputs 1 and 2. f_min/f_max are 16-bit registers (Hz) that the profile keeps as "%-5.2f".
    struct Output {
        std::uint16_t diskr_out_type0 = 0, diskr_out_direct_val_0 = 0, flow_v_for_pulse_unit = 0,
                      dsum_type_0 = 0, f_direct_control = 0, f_direct_val = 1000;
        std::uint16_t f_min = 0, f_max = 10000;
        float f_flow_v_min = 0.0f, f_flow_v_max = 10.0f;
        std::uint16_t f_flow_err = 12500, pulse_activ_min_t = 100, pulse_passive_min_t = 100;
        float flow_v_for_pulse = 1.0f;

        std::uint16_t diskr_out_type1 = 1, diskr_out_direct_val_1 = 0, flow_v_for_pulse_unit_1 = 0,
                      dsum_type_1 = 0, f_direct_control_1 = 0, f_direct_val_1 = 1000;
        std::uint16_t f_min_1 = 0, f_max_1 = 10000;
        float f_flow_v_min_1 = 0.0f, f_flow_v_max_1 = 10.0f;
        std::uint16_t f_flow_err_1 = 12500, pulse_activ_min_t_1 = 100, pulse_passive_min_t_1 = 100;
        float flow_v_for_pulse_1 = 1.0f;
    } output;

    // Current output and its calibration.
    struct IControl {
        float flow_v_max = 72.0f, flow_v_min = 0.36f, i_v_max = 20.0f, i_v_min = 4.0f;
        float shift = 0.0f, adj = 1.0f;
        std::uint16_t i_err_num = 0;
        float i_err_0 = 3.25f, i_err_1 = 22.5f;
        std::uint16_t i_control = 0; // 0 normal, 2 current set directly
        float i_ma_direct = 20.0f;
        std::uint16_t code_direct = 43690;
        float i_ma_max_calib = 20.0f;
        std::uint16_t code_max_calib = 43690;
        float i_ma_min_calib = 4.0f;
        std::uint16_t code_min_calib = 8738;
    } i_control;

    // Temperature ADC shift and adjustment.
    struct Adc7793 {
        float shift = 0.0f, adj = 1.0f;
    } adc_7793;

    // Emulation of the measured value.
    struct SymControl {
        std::uint16_t sym_mode = 0;
        float flow_v_m3_h_raw_sym = 10.0f, flow_v_m3_h_raw_min_sym = 0.36f,
              flow_v_m3_h_raw_max_sym = 72.0f, flow_v_m3_h_raw_delta_sym = 1.0f;
        std::uint16_t period_sym = 65535, flow_v_err_raw_lo_sym = 0, flow_v_err_raw_hi_sym = 0;
    } sym_control;

    struct IzmGeneralParam {
        std::uint16_t sensor_type_cmp = 512;
        float izm_flow_v_min_m3_h_cmp = 0.0f, izm_flow_v_max_m3_h_cmp = 0.0f;
        float izm_flow_v_cut_ee = 0.05f;
        std::uint16_t line_size_cmp = 50, sel_sensor_type_ncmp = 0, cut_en = 0, empty_pype_en = 0,
                      bar_type = 0, sel_cut_ncmp_mdl = 0;
    } izm_general_param;

    struct Vihr {
        float amplitude_cut = 5.0f;
    } vihr;

    // The meter's network settings to be written.
    struct NewComm {
        std::uint16_t NET_NUM = 1, NET_SPD = 7, NET_PAR = 0, NET_DELY = 0, NET_FLTYPE = 0;
    } NEW_COMM;

    // Factory data to be written.
    struct NewDat {
        std::uint32_t LONG_NUM = 1;
        std::uint16_t NUM_HI = 0, NUM_LO = 0, MODEL = 0, SOFT_NEW = 0, HARD_NEW = 0, YEAR_NEW = 11,
                      MONTH_NEW = 6, DAY_NEW = 1;
    } NEW_DAT;

    // Sixteen user-register words kept from load to save.
    struct UsrRegHold {
        std::array<std::uint16_t, 16> reg{};
    } USR_REG_HOLD;

    struct FrameWrite {
        std::uint16_t frame_write_interval_sec = 1, frame_write_type = 1;
    } frame_write;

    // Error-analysis mask of the measuring module (stored only).
    struct ErrMsk {
        std::uint16_t izm_flow_v_err_hi_msk = 0, izm_flow_v_err_lo_msk = 0;
    } err_msk;

    struct MedianaFiltrFlow {
        std::uint16_t mediana_val = 0; // median window, odd 1..19 (loaded, not saved)
    } mediana_filtr_flow;

    // Indicator decimal point and compatibility parameters: profiles save them, nothing
    // reads them back.
    struct Ind {
        std::uint16_t point = 0;
    } IND;
    struct Mtr {
        std::uint16_t msenstype = 0, mox = 0, mcl = 0, mdest = 0, mprecis = 0, mmat = 0;
        std::string mdat;
    } MTR;

    // Read-only and display-only values: read from the meter, shown, not kept in profiles.
    struct Readings {
        // Measurement settings block 0x1000 (words 0, 2..6 read and not used) and word 4 of
        // the flow range 0x1010.
        std::array<std::uint16_t, 8> measurementSettings{};
        std::uint16_t flowRangeWord4 = 0;
        // Cut-off: the module's values (0x1019, 0x101B) and the hysteresis (0x101F).
        float moduleCutoff = 0.0f, moduleHysteresis = 0.0f;
        float cutoffHysteresis = 0.0f;
        // Vortex signal amplitude (0x5008).
        float signalAmplitude = 0.0f;
        // Archive settings words 3, 4 (0x1503..0x1504) and the frame-number change selector.
        std::uint16_t frame_number_after_read = 0;
        std::array<std::uint16_t, 2> archiveSettingsTail{};
        // Archive counters.
        std::uint32_t total_frames = 0, current_frame = 0, read_frame_number = 0;
        std::uint16_t frames_per_block = 0, framesPerBlockWord1 = 0;
        // Clock 0x0420..0x0425.
        std::uint16_t clockYear = 2024, clockMonth = 1, clockDay = 1, clockHour = 0,
                      clockMinute = 0, clockSecond = 0;
        // Electrode cleaning block 0x0540, the words without a field of their own (words 1
        // and 3 go to el_clear; their slots here stay unused).
        std::array<std::uint16_t, 8> electrodeCleaning{};
        // Error enables block 0x10A0, the words without a field of their own (the 21 named
        // words go to err_en; their slots here stay unused).
        std::array<std::uint16_t, 58> errorEnables{};
        // Technological connector protocol (0x1100).
        std::uint16_t protSel = 0;
        // External sensors 0x0200..0x020D.
        float extTemperature = 0.0f;
        std::uint16_t extTemperatureErr = 0;
        float extPressure = 0.0f;
        std::uint16_t extPressureErr = 0, extPressureUnit = 0;
        std::uint32_t adcCode1 = 0, adcCode2 = 0; // low word first
        std::uint16_t adcErr = 0;
        float extResistance = 0.0f;
        // Temperature calibration words the profile does not keep.
        std::uint16_t calibrationWord0 = 0; // 0x1700, written back unchanged
        std::uint16_t characteristic = 0;   // 0x1709: 0 platinum 385, 1 user-defined
        float coefficientC = 0.0f;          // 0x170E, written back unchanged
        std::uint16_t pressureUnit = 0;     // 0x171A: 0 Па, 1 кПа, 2 МПа
        // Primary transducer blocks, raw: 0x0000 x8, 0x0500 x9, 0x0510 x42.
        std::array<std::uint16_t, 8> primaryBlock0{};
        std::array<std::uint16_t, 9> primaryBlock500{};
        std::array<std::uint16_t, 42> primaryBlock510{};
        // Calibration coefficients page: count byte (high byte of 0x7DFF) and 20 X/Y pairs.
        std::uint16_t coefficientWord = 0;
        std::array<float, 20> coefficientX{}, coefficientY{};
        // Measured-value groups as last read, raw: the block 0x0100 x49, the outputs block
        // 0x0131 x11 and the device status word 0x012C (decoded by the measurement code).
        std::array<std::uint16_t, 49> measuredValues{};
        std::array<std::uint16_t, 11> outputsBlock{};
        std::uint16_t deviceStatus = 0;
    } readings;

    // Neither a meter value nor a profile key: readings.calibrationWord0 and coefficientC as
    // last read from a meter, and the link they came over (port, address, speed, parity; empty
    // before the first read). A calibration write sends them only over that link
    // (config/ExternalSensorPages.h).
    struct KeptCalibration {
        std::string link;
        std::uint16_t word0 = 0;
        float c = 0.0f;
    } keptCalibration;
};

// A reference to one image value, for the tables (register map, profile sections, pages).
using ValueRef = std::variant<std::uint16_t*, std::uint32_t*, float*, std::string*>;
// A table names a member with a captureless lambda: [](DeviceImage& d) -> ValueRef {
// return &d.i_control.shift; }
using ImageMember = ValueRef (*)(DeviceImage&);

} // namespace flowcfg
