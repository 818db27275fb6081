#pragma once
// An editor without a window: parameters get ranges like the configuration
// gives them, and plain test controls stand in for the configured ones.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>

#include "DocumentedInitSound.h"
#include "IControl.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

// Ends a test's capture of standard output: the jobs' log lines are shown
// only when the test failed. Also ends the test's virtual clock.
inline void endJobLogCapture(bool failed)
{
    const std::string printed = testing::internal::GetCapturedStdout();
    if (failed)
        std::fputs(printed.c_str(), stdout);
    dovor::SetVirtualClock(nullptr);
}

// Records each move from the hardware and whether the echo was suppressed then.
class TestControl : public IControl {
public:
    TestControl(IPluginBase* plug, int paramIdx) : IControl(plug, IRECT(0, 0, 10, 10), paramIdx) {}
    bool Draw(IGraphics*) override { return true; }
    void SetValueFromHardware(double value) override
    {
        moves.push_back(value);
        echoSuppressed.push_back(static_cast<Zelto2X*>(mPlug)->midiMessageManager->suppressEcho);
        IControl::SetValueFromHardware(value);
    }
    std::vector<double> moves;
    std::vector<bool> echoSuppressed;
};

// Records the tab refreshes the incoming paths ask for.
class FixtureEditor : public Zelto2X {
public:
    FixtureEditor() : Zelto2X(IPluginInstanceInfo()) {}
    void OnParamChange(int index) override { changes.push_back(index), Zelto2X::OnParamChange(index); }
    void OnParamChange2(int index) override { hardwareChanges.push_back(index), Zelto2X::OnParamChange2(index); }
    std::vector<int> changes, hardwareChanges;
};

inline void giveConfiguredRanges(Zelto2X& plug)
{
    for (int i = 0; i < kNumParams; ++i)
        plug.GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
    for (int i : {kOscillator1Semitone, kOscillator2Semitone, kOscillator3Semitone})
        plug.GetParam(i)->InitDouble("semi", 0.0, -16.0, 111.0, 1.0);
    plug.GetParam(kGlobalMasterTune)->InitDouble("tune", 0.0, -54.0, 73.0, 1.0);
    plug.GetParam(kGlobalTranspose)->InitDouble("transpose", 0.0, -40.0, 87.0, 1.0);
    plug.GetParam(kCategoryName)->InitDouble("category", 0.0, 0.0, 20.0, 1.0);
    plug.GetParam(kGlobalMidiChannel)->InitDouble("channel", 1.0, 0.0, 16.0, 1.0);
}

// The editor with configured ranges and banks of the test's own; the request
// jobs some messages start wait in virtual time.
template <class Editor>
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dovor::SetVirtualClock(&clock);
        editor = std::make_unique<Editor>();
        editor->patchLibrarian->initBankFilesOnDiscard("");
        giveConfiguredRanges(*editor);
        manager = editor->midiMessageManager;
    }
    void TearDown() override { dovor::SetVirtualClock(nullptr); }

    // A new upper library bank of 100 empty slots, the transfer slot at slot.
    PatchFile& giveLibraryBank(int slot)
    {
        PatchLibrarian* library = editor->patchLibrarian;
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        library->bankFiles.push_back(std::make_unique<PatchFile>());
        library->bankFiles.back()->patches.resize(100);
        library->upperSelection = static_cast<int>(library->bankFiles.size()) - 1;
        library->transferSlot = slot;
        return *library->bankFiles.back();
    }
    // A test control filed under a control change of the configuration, or
    // under the single-parameter address 58 41 high low.
    TestControl* bindCc(int paramIdx, int channel, int cc, int group)
    {
        TestControl* control = bindControl(paramIdx);
        editor->uiConfig->ccControls.addToControlMap(channel, cc, group, control);
        return control;
    }
    TestControl* bindSysEx(int paramIdx, unsigned char high, unsigned char low)
    {
        const unsigned char address[4] = {0x58, 0x41, high, low};
        TestControl* control = bindControl(paramIdx);
        editor->uiConfig->sysExControls.addToControlMap(address, 0, control);
        return control;
    }

    std::string fromHardware(uint8_t status, uint8_t data1, uint8_t data2 = 0)
    {
        IMidiMsg msg(0, status, data1, data2);
        return quietly([&] { manager->ProcessMidiMsgFromDevice(&msg); });
    }
    std::string fromHost(uint8_t status, uint8_t data1, uint8_t data2 = 0)
    {
        IMidiMsg msg(0, status, data1, data2);
        return quietly([&] { manager->ProcessMidiMsgFromDAW(&msg, 0); });
    }
    void sendSysEx(const std::vector<uint8_t>& bytes, bool fromHardware = true)
    {
        ISysEx msg(0, bytes.data(), static_cast<int>(bytes.size()));
        editor->ProcessSysEx(&msg, fromHardware);
    }

    // Runs the action with its log lines captured and returns them.
    static std::string quietly(const std::function<void()>& action)
    {
        testing::internal::CaptureStdout();
        action();
        return testing::internal::GetCapturedStdout();
    }

    double value(int index) const { return editor->paramValue(index); }
    static std::vector<uint8_t> initDump() { return kDocumentedInitSound; }
    // Twenty bytes of ours that are no dump.
    static std::vector<uint8_t> strayMessage()
    {
        return bytesOf("F0 3E 16 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 F7");
    }

    dovor::SteppedClock clock;
    std::unique_ptr<Editor> editor;
    MIDIMessageManager* manager = nullptr;
    std::vector<std::unique_ptr<TestControl>> controls;

private:
    TestControl* bindControl(int paramIdx)
    {
        controls.push_back(std::make_unique<TestControl>(editor.get(), paramIdx));
        return controls.back().get();
    }
};

using EditorFixture = EditorTest<FixtureEditor>;
