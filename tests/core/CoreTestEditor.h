#pragma once
// The handler tests' fixture: an editor without a window or configuration
// whose port is a recorder, with the status lines attached, an output open
// and probes and layers added by the tests.

#include <memory>
#include <string>
#include <vector>

#include "ControlAction.h"
#include "ControlLayer.h"
#include "EditorCoreSupport.h"
#include "MIDIMessageManager.h"

using coretest::Bytes;
using coretest::quietly;
using coretest::RecordingEditor;

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
        editor = std::make_unique<RecordingEditor>();
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
    // probe control inside, so its hidden and grey states can be read. A root
    // layer the editor built itself (the librarian popups, "PROGRESS") is
    // used as it is.
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
    void press(int paramIdx, double v = 1.0)
    {
        quietly([&] { change(paramIdx, v); });
    }
    double value(int paramIdx) const { return editor->paramValue(paramIdx); }

    dovor::SteppedClock clock;
    coretest::DataFolder folder;  // an empty data folder of the test's own
    std::unique_ptr<RecordingEditor> editor;
    std::vector<std::unique_ptr<ControlAction>> actions;
    ITextControl* nameLine = nullptr;
    ITextControl* valueLine = nullptr;
    ITextControl* ccLine = nullptr;
};
