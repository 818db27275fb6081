#pragma once
// An editor without a window or configuration whose hardware port is a
// recorder: every message as it would reach the wire, with the virtual time
// it left at. Status lines, probes and layers are attached by the tests.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ControlAction.h"
#include "ControlLayer.h"
#include "EditorCoreSupport.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

using coretest::Bytes;

class WireEditor : public Zelto2X {
public:
    WireEditor() : Zelto2X(IPluginInstanceInfo()) {}
    bool SendMidiMsg(IMidiMsg* msg) override
    {
        Bytes bytes {msg->mStatus, msg->mData1};
        const int kind = msg->mStatus & 0xF0;
        if (kind != 0xC0 && kind != 0xD0)
            bytes.push_back(msg->mData2);
        record(bytes);
        return true;
    }
    bool TrySendMidiMsg(IMidiMsg* msg) override { return SendMidiMsg(msg); }
    bool SendMidiSysex(unsigned char* data, int size) override
    {
        Bytes bytes(data, data + size);
        if (size > 0 && data[0] != 0xF0) {
            bytes.insert(bytes.begin(), 0xF0);
            bytes.push_back(0xF7);
        }
        record(bytes);
        return true;
    }
    // The host's transport, as the binding would report it.
    double GetTempo() override { return 120.0; }
    void GetTime(ITimeInfo* info) override { info->mTransportIsRunning = hostPlaying; }
    std::atomic<bool> hostPlaying {false};

    std::vector<Bytes> wire()
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        return m_wire;
    }
    std::vector<uint32_t> times()
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        return m_times;
    }
    void clearWire()
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        m_wire.clear();
        m_times.clear();
    }

private:
    void record(const Bytes& bytes)
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        m_wire.push_back(bytes);
        m_times.push_back(GetTickCount());
    }
    std::mutex m_wireMutex;
    std::vector<Bytes> m_wire;
    std::vector<uint32_t> m_times;
};

// A control that only records what reaches it.
class ProbeControl : public IControl {
public:
    ProbeControl(IPluginBase* plug, int paramIdx) : IControl(plug, IRECT(0, 0, 10, 10), paramIdx) {}
    bool Draw(IGraphics*) override { return true; }
};

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dovor::SetVirtualClock(&clock);
        editor = std::make_unique<WireEditor>();
        for (int i = 0; i < kNumParams; ++i)
            editor->GetParam(i)->InitDouble(("param " + std::to_string(i)).c_str(), 0.0, 0.0, 200.0, 1.0);
        editor->GetParam(kGlobalMidiChannel)->InitDouble("MIDI Channel", 1.0, 0.0, 16.0, 1.0);
        editor->GetParam(kGlobalMidiChannel)->Set(1.0);
        nameLine = attachText(kControlDisplayName);
        editor->statusText = nameLine;  // as the constructor takes it
        valueLine = attachText(kControlDisplayValue);
        ccLine = attachText(kControlDisplayCC);
        editor->rememberControls();
        editor->pluginReady = true;
        // An output port is open (the device list's first port).
        editor->midiOutSet = true;
        editor->GetParam(kDeviceOutSelection)->Set(1.0);
    }
    void TearDown() override
    {
        editor.reset();
        dovor::SetVirtualClock(nullptr);
    }

    ITextControl* attachText(int paramIdx)
    {
        IText text;
        auto* control = new ITextControl(editor.get(), IRECT(0, 0, 100, 20), &text, "-");
        control->SetParamIdx(paramIdx);
        editor->GetGUI()->AttachControl(control);
        return control;
    }

    // A named layer under parent (or a root layer of the surface) with a
    // probe control inside, so its hidden and grey states can be read.
    // A root layer the editor built itself (the librarian popups, "PROGRESS")
    // is used as it is.
    ControlLayer* addLayer(const std::string& name, ControlLayer* parent = nullptr, int id = 0)
    {
        if (!parent) {
            ControlLayer* own = nullptr;
            quietly([&] { own = editor->findLayer(name); });
            if (own)
                return own;
        }
        auto* layer = new ControlLayer(id, name);
        layer->AddControl(new ProbeControl(editor.get(), -1));
        if (parent)
            parent->AddLayer(layer);
        else
            editor->GetGUI()->AttachLayer(layer);
        return layer;
    }
    static bool hidden(ControlLayer* layer) { return !layer->IsVisible(); }
    static bool grayed(ControlLayer* layer) { return layer->GetControl(0)->IsGrayed(); }

    // The parameter's action, owned by the test.
    ControlAction* bindAction(int paramIdx, int kind)
    {
        actions.push_back(std::make_unique<ControlAction>(kind));
        editor->GetParam(paramIdx)->SetControlAction(actions.back().get());
        return actions.back().get();
    }

    // Sets the plain value and runs the GUI handler.
    void change(int paramIdx, double value)
    {
        editor->GetParam(paramIdx)->Set(value);
        editor->OnParamChange(paramIdx);
    }
    double value(int paramIdx) const { return editor->paramValue(paramIdx); }

    static std::string quietly(const std::function<void()>& action)
    {
        testing::internal::CaptureStdout();
        action();
        return testing::internal::GetCapturedStdout();
    }

    dovor::SteppedClock clock;
    coretest::DataFolder folder;  // an empty data folder of the test's own
    std::unique_ptr<WireEditor> editor;
    std::vector<std::unique_ptr<ControlAction>> actions;
    ITextControl* nameLine = nullptr;
    ITextControl* valueLine = nullptr;
    ITextControl* ccLine = nullptr;
};
