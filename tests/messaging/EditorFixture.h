#pragma once
// An editor without a window: parameters get ranges like the configuration
// gives them, and plain test controls stand in for the configured ones.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "UIConfigManager.h"
#include "Zelto2X.h"

class TestControl : public IControl {
public:
    TestControl(IPluginBase* plug, int paramIdx) : IControl(plug, IRECT(0, 0, 10, 10), paramIdx) {}
    bool Draw(IGraphics*) override { return true; }
    void SetValueFromHardware(double value) override
    {
        moves.push_back(value);
        if (echoFlag)
            echoSuppressed.push_back(echoFlag->load());
        IControl::SetValueFromHardware(value);
    }
    std::vector<double> moves;
    // When set, records the manager's suppressEcho at each move.
    const std::atomic<bool>* echoFlag = nullptr;
    std::vector<bool> echoSuppressed;
};

// Records the tab refreshes the incoming paths ask for.
class FixtureEditor : public Zelto2X {
public:
    FixtureEditor() : Zelto2X(IPluginInstanceInfo()) {}
    void OnParamChange(int index) override
    {
        changes.push_back(index);
        Zelto2X::OnParamChange(index);
    }
    void OnParamChange2(int index) override
    {
        hardwareChanges.push_back(index);
        Zelto2X::OnParamChange2(index);
    }
    std::vector<int> changes;
    std::vector<int> hardwareChanges;
};

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<FixtureEditor>();
        giveConfiguredRanges(*editor);
        manager = editor->midiMessageManager;
    }

public:
    // Ranges like the configuration gives the parameters.
    static void giveConfiguredRanges(Zelto2X& plug)
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

    // A new upper library bank of 100 empty slots, the transfer slot at slot.
    static PatchFile& giveLibraryBank(Zelto2X& plug, int slot)
    {
        PatchLibrarian* library = plug.patchLibrarian;
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        library->bankFiles.push_back(std::make_unique<PatchFile>());
        library->bankFiles.back()->patches.resize(100);
        library->upperSelection = static_cast<int>(library->bankFiles.size()) - 1;
        library->transferSlot = slot;
        return *library->bankFiles.back();
    }

protected:

    TestControl* bindControl(int paramIdx)
    {
        controls.push_back(std::make_unique<TestControl>(editor.get(), paramIdx));
        return controls.back().get();
    }

    // A test control filed under a control change of the configuration.
    TestControl* bindCc(int paramIdx, int channel, int cc, int group)
    {
        TestControl* control = bindControl(paramIdx);
        editor->uiConfig->ccControls.addToControlMap(channel, cc, group, control);
        return control;
    }

    // A test control filed under the single-parameter address 58 41 high low.
    TestControl* bindSysEx(int paramIdx, unsigned char high, unsigned char low)
    {
        TestControl* control = bindControl(paramIdx);
        const unsigned char address[4] = {0x58, 0x41, high, low};
        editor->uiConfig->sysExControls.addToControlMap(address, 0, control);
        return control;
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

    static std::vector<uint8_t> initDump()
    {
        return std::vector<uint8_t>(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    }

    std::unique_ptr<FixtureEditor> editor;
    MIDIMessageManager* manager = nullptr;
    std::vector<std::unique_ptr<TestControl>> controls;
};
