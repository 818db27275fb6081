#pragma once
// Shared by the editor-core tests: a data folder of its own, an editor whose hardware port is a recorder, and the
// handler tests' fixture (status lines attached, an output open, probes and layers added by the tests).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ControlAction.h"
#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

namespace coretest {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// A data folder that the editor constructed inside the scope finds.
class DataFolder {
public:
    DataFolder()
    {
        char pattern[] = "/tmp/zelto2x-core-XXXXXX";
        root = std::string(mkdtemp(pattern)) + "/";
        setenv("ZELTO2X_DATA_FOLDER", root.c_str(), 1);
    }
    ~DataFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        unsetenv("ZELTO2X_DATA_FOLDER");
    }
    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(root + name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const
    {
        return (std::stringstream() << std::ifstream(root + name, std::ios::binary).rdbuf()).str();
    }
    bool exists(const std::string& name) const { return fs::exists(root + name); }

    std::string root;
};

inline const std::string kSettingsFile = "Zelto2X Editor UI.txt";
inline const std::string kLogFile = "Zelto2X Editor LOG.txt";

// Every message as it would reach the wire (SysEx framed), with the virtual time it left at; portBusy makes the render
// thread's non-waiting send fail as when another thread holds the port, a shut gate holds the workers' sends.
class RecordingEditor : public Zelto2X {
public:
    RecordingEditor() : Zelto2X(IPluginInstanceInfo()) {}
    // The workers record into this object's members, so they end before the members go.
    ~RecordingEditor() override
    {
        setGate(true);
        midiOutSet = false;
        DestroyMidiPorts();
        delete midiMessageManager;
        midiMessageManager = nullptr;
    }
    bool SendMidiMsg(IMidiMsg* msg) override
    {
        Bytes bytes {msg->mStatus, msg->mData1};
        const int kind = msg->mStatus & 0xF0;
        if (kind != 0xC0 && kind != 0xD0)
            bytes.push_back(msg->mData2);
        std::lock_guard<std::mutex> lock(m_wireMutex);
        record(bytes);
        return true;
    }
    bool TrySendMidiMsg(IMidiMsg* msg) override { return !portBusy && SendMidiMsg(msg); }
    // The workers' raw sends (the clock's bytes, the library's sounds); while the gate is shut a worker stays inside
    // its send, busy.
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override
    {
        std::unique_lock<std::mutex> lock(m_wireMutex);
        m_held = !m_open;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open; });
        m_held = false;
        record(bytes);
        return true;
    }
    bool SendMidiSysex(unsigned char* data, int size) override
    {
        Bytes bytes(data, data + size);
        if (size > 0 && data[0] != 0xF0) {
            bytes.insert(bytes.begin(), 0xF0);
            bytes.push_back(0xF7);
        }
        std::lock_guard<std::mutex> lock(m_wireMutex);
        record(bytes);
        return true;
    }
    // The host's tempo and transport, as the binding would report them.
    double GetTempo() override { return hostTempo; }
    void GetTime(ITimeInfo* info) override { info->mTransportIsRunning = hostPlaying; }
    void render(int frames = 512) { ProcessDoubleReplacing(nullptr, nullptr, frames); }

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
    // Every message on the wire in hex, messages apart by " | ".
    std::string wireHex()
    {
        std::string text;
        char byte[4];
        for (const Bytes& message : wire()) {
            text += text.empty() ? "" : " |";
            for (uint8_t b : message)
                text += (std::snprintf(byte, sizeof byte, " %02X", b), byte);
        }
        return text.empty() ? text : text.substr(1);
    }
    void clearWire()
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        m_wire.clear();
        m_times.clear();
    }
    void setGate(bool open)
    {
        std::lock_guard<std::mutex> lock(m_wireMutex);
        m_open = open;
        m_changed.notify_all();
    }
    // Renders blocks until done(clock bytes so far, a worker waits at the shut gate) holds, 10 s at most; returns the
    // clock bytes (the one-byte messages).
    std::vector<uint8_t> renderUntil(const std::function<bool(const std::vector<uint8_t>&, bool)>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        std::unique_lock<std::mutex> lock(m_wireMutex);
        while (!done(m_clockBytes, m_held) && std::chrono::steady_clock::now() < deadline) {
            lock.unlock();
            render();
            lock.lock();
            m_changed.wait_for(lock, std::chrono::milliseconds(1));
        }
        return m_clockBytes;
    }
    bool renderUntilHeld()
    {
        renderUntil([](const std::vector<uint8_t>&, bool held) { return held; });
        std::lock_guard<std::mutex> lock(m_wireMutex);
        return m_held;
    }
    std::vector<uint8_t> renderUntilBytes(size_t count)
    {
        return renderUntil([count](const std::vector<uint8_t>& bytes, bool) { return bytes.size() >= count; });
    }

    std::atomic<bool> hostPlaying {false};
    bool portBusy = false;
    double hostTempo = 120.0;

private:
    // With the wire locked.
    void record(const Bytes& bytes)
    {
        m_wire.push_back(bytes);
        m_times.push_back(GetTickCount());
        if (bytes.size() == 1)
            m_clockBytes.push_back(bytes[0]);
        m_changed.notify_all();
    }
    std::mutex m_wireMutex;
    std::condition_variable m_changed;
    std::vector<Bytes> m_wire;
    std::vector<uint32_t> m_times;
    std::vector<uint8_t> m_clockBytes;
    bool m_open = true;
    bool m_held = false;
};

// A display of the parameter's text on the editor's surface, showing "-"; remembered by the editor with the next
// rememberControls().
inline ITextControl* attachText(Zelto2X& editor, int paramIdx)
{
    IText text;
    auto* control = new ITextControl(&editor, IRECT(0, 0, 100, 20), &text, "-");
    control->SetParamIdx(paramIdx);
    editor.GetGUI()->AttachControl(control);
    return control;
}

// Every parameter a plain range 0..max, as a configuration would give it.
inline void plainRanges(Zelto2X& editor, double max = 127.0)
{
    for (int i = 0; i < kNumParams; ++i)
        editor.GetParam(i)->InitDouble("p", 0.0, 0.0, max, 1.0);
}

// An output taken as open: the flag set and the render thread's job
// dispatcher started, as choosing an output does.
inline void openOutput(Zelto2X& editor)
{
    editor.midiMessageManager->startJobDispatcher();
    editor.midiOutSet = true;
}

// An output open, sending through the host buffer dawOffset positions a
// block; the clock loop and the start-up reset taken as done.
inline void readyToRender(Zelto2X& editor, int dawOffset)
{
    openOutput(editor);
    editor.toDAWBuffer = true;
    editor.dawOffset = dawOffset;
    editor.continuousClockStarted = true;
    editor.resetPending = false;
}

// "F0 3E 16" as bytes.
inline Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    for (unsigned byte = 0; in >> std::hex >> byte;)
        bytes.push_back(static_cast<uint8_t>(byte));
    return bytes;
}

// The INIT sound's dump, framed.
inline Bytes initDump()
{
    return Bytes(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
}

// Polls the condition every millisecond until it holds or the time is up (a hang guard only); whether it held.
inline bool eventually(const std::function<bool()>& condition, std::chrono::seconds timeout = std::chrono::seconds(30))
{
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !condition();) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the action with standard output captured and returns it.
inline std::string quietly(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

}  // namespace coretest

using coretest::Bytes;
using coretest::eventually;
using coretest::hex;
using coretest::initDump;
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
        editor->patchLibrarian->initBankFilesOnDiscard("");  // the banks are the test's own
        for (int i = 0; i < kNumParams; ++i)
            editor->GetParam(i)->InitDouble(("param " + std::to_string(i)).c_str(), 0.0, 0.0, 200.0, 1.0);
        editor->GetParam(kGlobalMidiChannel)->InitDouble("MIDI Channel", 1.0, 0.0, 16.0, 1.0);
        editor->GetParam(kGlobalMidiChannel)->Set(1.0);
        nameLine = coretest::attachText(*editor, kControlDisplayName);
        editor->statusText = nameLine;  // as the constructor takes it
        valueLine = coretest::attachText(*editor, kControlDisplayValue);
        ccLine = coretest::attachText(*editor, kControlDisplayCC);
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

    // A named layer under parent (or a root layer of the surface) with a probe control inside, so its hidden and grey
    // states can be read. A root layer the editor built itself (the librarian popups, "PROGRESS") is used as it is.
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

    // The parameter's action (sending control change cc where it sends one), owned by the test.
    ControlAction* bindAction(int paramIdx, int kind, int cc = 0)
    {
        actions.push_back(std::make_unique<ControlAction>(kind));
        actions.back()->ccNumber = cc;
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
