#pragma once
// A link context on the in-process fakes: the fake clock and event pump, in-process serial
// lines and scripted dialogs. Nothing is logged unless a test turns logging on; no port is
// configured or open: fixtures on top add the lines they need.

#include "FakeClock.h"
#include "FakeSerialLine.h"
#include "ScriptedDialogs.h"
#include "link/LinkContext.h"

#include <gtest/gtest.h>

namespace flowcfg::test {

class FakeLinkTest : public ::testing::Test {
protected:
    FakeLinkTest() : ctx(devices, pump, clock, dialogs) { ctx.settings.UseLogFile = 0; }

    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialDevices devices;
    ScriptedDialogs dialogs;
    LinkContext ctx;
};

} // namespace flowcfg::test
