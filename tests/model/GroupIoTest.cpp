#include "model/GroupIo.h"

#include "MeterFixture.h"
#include "model/WriteGuard.h"

#include <gtest/gtest.h>
#include <vector>

namespace flowcfg::test {
namespace {

// Every field of a group as words, read fields included (a copy of the row that "sends"
// all the words it reads).
std::vector<std::uint16_t> wordsOf(GroupId id, DeviceImage& image) {
    GroupDescriptor all = group(id);
    all.writeCount = std::max(all.readCount, all.writeCount);
    return composeWords(all, image);
}

// Storing words and composing them again gives the same words, for every group: offsets,
// widths and word orders agree between the read and the write side.
TEST(GroupWords, StoreThenComposeIsTheIdentity) {
    for (const GroupDescriptor& g : registerMap()) {
        const unsigned count = std::max(g.readCount, g.writeCount);
        std::vector<std::uint16_t> words(count);
        for (unsigned i = 0; i < count; ++i)
            words[i] = static_cast<std::uint16_t>(0x4100 + 7 * i); // plausible singles
        for (const FieldDescriptor& f : g.fields)
            if (f.encoding == Encoding::Cmd)
                words[f.offset] = f.extra;
        DeviceImage image;
        GroupDescriptor all = g;
        all.readCount = static_cast<std::uint8_t>(count);
        storeWords(all, words, image);
        EXPECT_EQ(wordsOf(g.id, image), words) << g.name;
    }
}

TEST(GroupWords, EncodingsOfTheParameterGroups) {
    DeviceImage image;
    image.izm_to_comp.a1_cod_min = 70000;
    image.izm_to_comp.r_cod_min = 100.0f;
    image.izm_to_comp.ext_sens_r0 = 100.0f; // read, but not among the 10 words written
    const auto words = composeWords(group(GroupId::TemperatureCalibration), image);
    ASSERT_EQ(words.size(), 10u);
    EXPECT_EQ(words[1], 0x1170); // code low half first
    EXPECT_EQ(words[2], 0x0001);
    EXPECT_EQ(words[5], 0x42C8); // singles high half first
    EXPECT_EQ(words[6], 0x0000);

    const std::uint16_t range[] = {0x3F80, 0x0000, 0x4120, 0x0000, 7};
    storeWords(group(GroupId::FlowRange), range, image);
    EXPECT_EQ(image.izm_general_param.izm_flow_v_min_m3_h_cmp, 1.0f);
    EXPECT_EQ(image.izm_general_param.izm_flow_v_max_m3_h_cmp, 10.0f);
    EXPECT_EQ(image.readings.flowRangeWord4, 7);

    const std::uint16_t counters[] = {0x0001, 0x0002, 0xFFFF, 0xFFFF};
    storeWords(group(GroupId::FrameCounters), counters, image);
    EXPECT_EQ(image.readings.total_frames, 0x00010002u);
    EXPECT_EQ(image.readings.current_frame, 4294967295u);

    EXPECT_EQ(composeWords(group(GroupId::TechConnectorModbus), image),
              (std::vector<std::uint16_t>{1, 0}));
    EXPECT_EQ(composeWords(group(GroupId::CleaningOff), image), (std::vector<std::uint16_t>{4}));
}

class GroupIo : public MeterFixture {
protected:
    void SetUp() override {
        ctx.settings.Reask_val = 1; // one attempt per transaction: requests map 1:1 to steps
        open();
        meter().setReg(0x04FE, 1); // USERLOCK, CLBLOCK lifted
        meter().setReg(0x04FF, 1);
    }
};

TEST_F(GroupIo, ReadStoresTheMetersValues) {
    meter().setReg(0x104D, 5000);       // f_max
    meter().setFloat(0x104F, 123.456f); // f_flow_v_max
    DeviceImage image;
    const ExchangeResult r = readGroup(ctx, image, GroupId::Output1Frequency);
    EXPECT_EQ(r, ExchangeResult{});
    EXPECT_EQ(image.output.f_max, 5000);
    EXPECT_EQ(image.output.f_flow_v_max, 123.456f);
    EXPECT_EQ(wordsOf(GroupId::Output1Frequency, image), meter().regs(0x104D, 9));
}

TEST_F(GroupIo, FailedReadLeavesEveryFieldUnchanged) {
    meter().setReg(0x104D, 5000);
    exceptionOn(0x104D, 0x1055, 2);
    DeviceImage image;
    image.output.f_max = 777;
    const auto before = wordsOf(GroupId::Output1Frequency, image);
    const ExchangeResult r = readGroup(ctx, image, GroupId::Output1Frequency);
    EXPECT_NE(r.status & status::Exception, 0);
    EXPECT_EQ(r.exceptionCode, 2);
    EXPECT_EQ(wordsOf(GroupId::Output1Frequency, image), before);

    // No answer at all: the engine stores zeros in its buffer, the image must not see them.
    slave->faults().clear();
    sim::FaultRule silent;
    silent.kind = sim::FaultKind::Silent;
    slave->faults().add(silent);
    EXPECT_NE(readGroup(ctx, image, GroupId::Output1Frequency).status & status::NothingReceived, 0);
    EXPECT_EQ(wordsOf(GroupId::Output1Frequency, image), before);
}

TEST_F(GroupIo, AnswerAfterARepeatCountsForOperationsNotForACleanRead) {
    meter().setReg(0x1038, 1);
    ctx.settings.Reask_val = 2;
    DeviceImage image;
    silentOn(0x1038, 0x1038, 1); // the first attempt goes unanswered
    ExchangeResult r = readGroup(ctx, image, GroupId::SumUnit, Acceptance::CleanOnly);
    EXPECT_EQ(r.status, status::Repeated);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_sum_unit, 0);

    silentOn(0x1038, 0x1038, 1);
    r = readGroup(ctx, image, GroupId::SumUnit);
    EXPECT_EQ(r.status, status::Repeated);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_sum_unit, 1);
}

TEST_F(GroupIo, MultiGroupReadThatFailsAtItsFourthTransactionKeepsTheFirstThree) {
    meter().setReg(0x1001, 12);     // averages
    meter().setReg(0x1007, 2);      // flow unit
    meter().setReg(0x1038, 1);      // sum unit
    meter().setReg(0x1035, 1);      // cut-off source
    meter().setReg(0x1036, 0x000A); // cut-off flags
    meter().setReg(0x1037, 3);      // displayed sum type
    meter().setFloat(0x1012, 99.0f);
    exceptionOn(0x1037, 0x1037, 4);

    DeviceImage image;
    const GroupTransfer reads[] = {
        {GroupId::MeasurementSettings, 0, 100}, {GroupId::SumUnit, 0, 100},
        {GroupId::CutoffSource, 0, 100},        {GroupId::DisplayedSumType, 0, 100},
        {GroupId::FlowRange, 0, 100},
    };
    const ExchangeResult r = runSteps(ctx, readSteps(image, reads));
    EXPECT_NE(r.status & status::Exception, 0);
    EXPECT_EQ(r.exceptionCode, 4);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_ns, 12);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_unit, 2);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_sum_unit, 1);
    EXPECT_EQ(image.izm_general_param.sel_cut_ncmp_mdl, 1);
    EXPECT_EQ(image.izm_general_param.cut_en, 0x000A);
    EXPECT_EQ(image.izm_to_comp.izm_flow_v_dsum_type, 0);             // failed group
    EXPECT_EQ(image.izm_general_param.izm_flow_v_max_m3_h_cmp, 0.0f); // never read
    EXPECT_EQ(served(), (std::vector<Request>{
                            {3, 0x1000, 8}, {3, 0x1038, 1}, {3, 0x1035, 2}, {3, 0x1037, 1}}));
    // 100 ms after each of the three good reads, none after the failure.
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{100, PauseTimer::AfterWrite},
                                                         {100, PauseTimer::AfterWrite},
                                                         {100, PauseTimer::AfterWrite}}));
}

TEST_F(GroupIo, WriteSendsTheGroupWithItsDescriptionAndStopsAtTheFirstFailure) {
    DeviceImage image;
    image.output.diskr_out_type0 = 2;
    image.output.diskr_out_direct_val_0 = 1;
    image.output.f_max = 4000;
    meter().setReg(0x104D, 1234);
    exceptionOn(0x104A, 0x104A, 3);

    const GroupTransfer writes[] = {
        {GroupId::Output1Type, 0, 400},
        {GroupId::Output1DirectValue, 0, 400},
        {GroupId::Output1Frequency, 0, 400},
    };
    const ExchangeResult r = runSteps(ctx, writeSteps(image, writes));
    EXPECT_NE(r.status & status::Exception, 0);
    EXPECT_EQ(r.exceptionCode, 3);
    EXPECT_EQ(meter().reg(0x1047), 2);    // written before the failure
    EXPECT_EQ(meter().reg(0x104D), 1234); // never sent
    EXPECT_EQ(served(), (std::vector<Request>{{16, 0x1047, 1}, {16, 0x104A, 1}}));
    EXPECT_EQ(ctx.lastWriteDescription, "тип выхода ");
    EXPECT_EQ(pump.pauses(), (std::vector<RecordedPause>{{400, PauseTimer::AfterWrite}}));

    slave->faults().clear();
    ASSERT_EQ(writeGroup(ctx, image, GroupId::Output1Frequency), ExchangeResult{});
    EXPECT_EQ(ctx.lastWriteDescription, "параметры частотного выхода ");
    EXPECT_EQ(meter().reg(0x104D), 4000);
    EXPECT_EQ(meter().regs(0x104D, 9), wordsOf(GroupId::Output1Frequency, image));
}

TEST_F(GroupIo, GroupsWithDifferentReadAndWriteCounts) {
    DeviceImage image;
    image.frame_write.frame_write_interval_sec = 60;
    image.frame_write.frame_write_type = 0;
    image.readings.frame_number_after_read = 2;
    ASSERT_EQ(writeGroup(ctx, image, GroupId::ArchiveSettings), ExchangeResult{});
    ASSERT_EQ(readGroup(ctx, image, GroupId::ArchiveSettings), ExchangeResult{});
    EXPECT_EQ(served(), (std::vector<Request>{{16, 0x1500, 3}, {3, 0x1500, 5}}));
    EXPECT_EQ(meter().regs(0x1500, 3), (std::vector<std::uint16_t>{60, 0, 2}));
    EXPECT_EQ(image.readings.archiveSettingsTail[0], meter().reg(0x1503));
}

} // namespace
} // namespace flowcfg::test

namespace flowcfg::test {
namespace {

// A page describes its write with groups, texts and pauses; the guard does the rest.
TEST_F(MeterFixture, PageWriteOfGroupsUnderTheGuard) {
    ctx.settings.Reask_val = 1;
    DeviceImage image;
    image.i_control.flow_v_max = 50.0f;
    image.i_control.i_err_1 = 21.0f;
    image.i_control.adj = 0.5f;
    WriteOperation op;
    op.confirmation = "Данные конфигурации токового выхода будут переписаны?.";
    op.success = "Запись параметров токового выхода успешно осуществлена.";
    const GroupTransfer scale[] = {
        {GroupId::CurrentScale}, {GroupId::CurrentError}, {GroupId::CurrentShift}};
    op.steps = writeSteps(image, scale);
    EXPECT_EQ(runWriteOperation(ctx, op).end, OperationEnd::Succeeded);
    EXPECT_EQ(meter().floatAt(0x107B), 50.0f);
    EXPECT_EQ(meter().floatAt(0x1084), 21.0f);
    EXPECT_EQ(meter().floatAt(0x1902), 0.5f);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_EQ(
        served(),
        (std::vector<Request>{
            {16, 0x04FE, 2}, {16, 0x1079, 8}, {16, 0x1081, 5}, {16, 0x1900, 4}, {16, 0x04FE, 2}}));
    EXPECT_EQ(dialogs.texts().back(), "Запись параметров токового выхода успешно осуществлена.");

    // Read back into another image through the short read form.
    DeviceImage read;
    int shown = 0;
    ReadOperation back{.steps = readSteps(read, scale),
                       .success = "Чтение параметров токового выхода успешно осуществлено.",
                       .show = [&] { ++shown; }};
    EXPECT_EQ(runReadOperation(ctx, back).end, OperationEnd::Succeeded);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(read.i_control.flow_v_max, 50.0f);
    EXPECT_EQ(read.i_control.i_err_1, 21.0f);
    EXPECT_EQ(read.i_control.adj, 0.5f);
}

} // namespace
} // namespace flowcfg::test
