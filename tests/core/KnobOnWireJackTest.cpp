// The real editor on real ports: a private JACK server and the simulated
// Zelto 2. Choosing the devices through their parameters opens the ports and
// asks the synth for its device ID; a change of a bound parameter on the GUI
// path then puts its control change on the wire.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ControlAction.h"
#include "EditorCoreSupport.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "support/JackSynthTest.h"

using testsupport::kGenerousTimeout;

namespace {

class KnobOnWire : public testsupport::JackSynthTest {
protected:
    void SetUp() override
    {
        JackSynthTest::SetUp();
        if (HasFatalFailure())
            return;
        editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
    }
    void TearDown() override
    {
        editor.reset();
        JackSynthTest::TearDown();
    }

    // Picks the device of that port name in a device parameter, as its menu does.
    void choose(int deviceParam, const std::vector<std::string>& names, const std::string& port)
    {
        const auto found = std::find(names.begin(), names.end(), port);
        ASSERT_NE(found, names.end()) << port;
        const int index = static_cast<int>(found - names.begin());
        IParam* param = editor->GetParam(deviceParam);
        param->InitEnum("device", 0, static_cast<int>(names.size()));
        for (size_t i = 0; i < names.size(); ++i)
            param->SetDisplayText(static_cast<int>(i), names[i].c_str());
        editor->SetParameterFromGUI(deviceParam, param->GetNormalized(index));
    }

    // JACK takes a new connection into use at a later cycle: the knob moves
    // between two values until the synth has a message of each.
    bool turnUntilOnWire(int paramIdx, const std::string& low, const std::string& high)
    {
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        bool up = false;
        do {
            up = !up;
            editor->SetParameterFromGUI(paramIdx, (up ? 100.0 : 20.0) / 127.0);
            if (synth.WaitForReceived(up ? high : low, std::chrono::milliseconds(200))
                && synth.WaitForReceived(up ? low : high, std::chrono::milliseconds(0)))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    coretest::DataFolder folder;
    std::unique_ptr<Zelto2X> editor;
};

}  // namespace

TEST_F(KnobOnWire, ChosenOutputAsksForTheDeviceIdAndATurnedKnobSendsItsControlChange)
{
    ControlAction cutoff(kActionCC);
    cutoff.ccNumber = 74;
    IParam* param = editor->GetParam(kFilterCutoff);
    param->InitDouble("Cutoff", 0.0, 0.0, 127.0, 1.0);
    param->SetControlAction(&cutoff);

    choose(kDeviceInSelection, editor->getExternalMIDIInNames(), synth.OutputPortName());
    choose(kDeviceOutSelection, editor->getExternalMIDIOutNames(), synth.InputPortName());
    ASSERT_TRUE(editor->midiOutSet);
    EXPECT_TRUE(synth.WaitForReceived("F0 3E 16 00 04 F7"));  // the global request for device 0

    EXPECT_TRUE(turnUntilOnWire(kFilterCutoff, "B0 4A 14", "B0 4A 64"));
    param->SetControlAction(nullptr);
}
