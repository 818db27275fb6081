// Ports on a private JACK server with the simulated Zelto 2: project recall
// opens the stored port names again, the sound goes out whole, and closing
// takes the ports away before anything a message could reach; a port gone
// since the menus were built is told at once.
#include <thread>

#include "EditorCoreSupport.h"
#include "IParam.h"
#include "PatchManager.h"
#include "platform/CoreMIDIRtMidi.h"
#include "support/JackSynthTest.h"
#include "support/LiveThreads.h"

using namespace coretest;

namespace {

// Device selections as the configuration builds them: "OFF", then the ports.
void listDevices(Zelto2X& editor)
{
    const std::pair<int, std::vector<std::string>> lists[] = {
        {kDeviceInSelection, editor.getExternalMIDIInNames()}, {kDeviceOutSelection, editor.getExternalMIDIOutNames()}};
    for (const auto& [param, names] : lists) {
        editor.GetParam(param)->InitEnum("device", 0, static_cast<int>(names.size()));
        for (size_t i = 0; i < names.size(); ++i)
            editor.GetParam(param)->SetDisplayText(static_cast<int>(i), names[i].c_str());
    }
}

int threadCount()
{
    return testsupport::LiveThreadCount();
}

int listed(const std::vector<std::string>& names, const std::string& name)
{
    const auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

// Holds the first hardware message on the input thread until closing takes the input away, then notes whether the
// MIDI message manager was still there and hands the message on. Lives outside the editor it watches.
struct CloseProbe {
    class Editor : public Zelto2X {
    public:
        Editor() : Zelto2X(IPluginInstanceInfo()) {}
        void watch(CloseProbe* probe) { midiIn->SetCallback(&CloseProbe::arrive, probe); }
    };
    static void arrive(double stamp, std::vector<unsigned char>* message, void* self)
    {
        auto* probe = static_cast<CloseProbe*>(self);
        if (probe->arrived.exchange(true))
            return;
        eventually([&] { return probe->editor->GetMIDIInPortNumber(probe->port.c_str()) <= 0; });
        probe->managerAtClose = probe->editor->midiMessageManager != nullptr;
        if (probe->managerAtClose)
            IPluginBase::processMIDIInput(stamp, message, probe->editor);
    }
    Editor* editor;
    std::string port;
    std::atomic<bool> arrived {false}, managerAtClose {false};
};

// A test's own kind of editor calls this from its destructor: the ports and workers end while the object is still
// whole, so no other thread calls into it half destroyed.
void endThreads(Zelto2X& editor)
{
    editor.midiOutSet = false;
    editor.DestroyMidiPorts();
    delete editor.midiMessageManager;
    editor.midiMessageManager = nullptr;
}

class EditorRecallJack : public testsupport::JackSynthTest {
protected:
    DataFolder folder;
};

}  // namespace

TEST_F(EditorRecallJack, StoredPortNamesReopenTheLivePortsAndTheSoundGoesOutWhole)
{
    ByteChunk saved;
    {
        Zelto2X before {IPluginInstanceInfo()};
        listDevices(before);
        const int out = listed(before.getExternalMIDIOutNames(), synth.InputPortName());
        const int in = listed(before.getExternalMIDIInNames(), synth.OutputPortName());
        ASSERT_TRUE(out > 0 && in > 0);
        before.GetParam(kDeviceOutSelection)->Set(out);
        before.GetParam(kDeviceInSelection)->Set(in);
        before.SerializeState(&saved);
    }

    const int threadsBefore = threadCount();
    auto owned = std::make_unique<CloseProbe::Editor>();
    CloseProbe::Editor& editor = *owned;
    listDevices(editor);
    ASSERT_FALSE(editor.midiOutSet);
    ASSERT_EQ(saved.Size(), editor.UnserializeState(&saved, 0));
    EXPECT_TRUE(editor.midiOutSet);
    EXPECT_EQ(synth.InputPortName(),
              editor.GetParam(kDeviceOutSelection)->GetDisplayText(editor.GetParam(kDeviceOutSelection)->Int()));
    EXPECT_EQ(synth.OutputPortName(),
              editor.GetParam(kDeviceInSelection)->GetDisplayText(editor.GetParam(kDeviceInSelection)->Int()));
    // The whole sound: 137 bytes, F0 3E 16, the device ID, the sound command.
    EXPECT_TRUE(synth.WaitForReceivedLines([](const std::vector<std::string>& lines) {
        return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.size() == 137 * 3 - 1 && line.rfind("F0 3E 16 00 ", 0) == 0 && line.substr(line.size() - 2) == "F7";
        });
    }));

    // Closing leaves no worker, clock or MIDI thread behind (the clock job ran too), and a message arriving while it
    // closes finds the MIDI message manager still there.
    editor.ProcessDoubleReplacing(nullptr, nullptr, 512);
    EXPECT_GT(threadCount(), threadsBefore);
    CloseProbe probe {&editor, synth.OutputPortName()};
    editor.watch(&probe);
    const auto deadline = std::chrono::steady_clock::now() + testsupport::kGenerousTimeout;
    while (!probe.arrived && std::chrono::steady_clock::now() < deadline && synth.Send("B0 07 40"))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(probe.arrived);
    owned.reset();
    EXPECT_TRUE(probe.managerAtClose);
    EXPECT_EQ(threadsBefore, threadCount());
}

// Listed while the synth ran, chosen after it went away (switched off, unplugged).
TEST_F(EditorRecallJack, PortsGoneSinceTheMenusWereBuiltAreToldAtOnceAndStartNoSearch)
{
    Zelto2X editor {IPluginInstanceInfo()};
    listDevices(editor);
    ITextControl* nameLine = coretest::attachText(editor, kControlDisplayName);
    ITextControl* valueLine = coretest::attachText(editor, kControlDisplayValue);
    editor.statusText = nameLine;
    editor.rememberControls();
    const struct {
        int param, entry;
        std::string text, port;
    } choices[] = {
        {kDeviceInSelection, listed(editor.getExternalMIDIInNames(), synth.OutputPortName()), "Unable to open MIDI IN!",
            synth.OutputPortName()},
        {kDeviceOutSelection, listed(editor.getExternalMIDIOutNames(), synth.InputPortName()),
            "Unable to open MIDI OUT!", synth.InputPortName()}};
    synth.Stop();
    const std::string gone = synth.InputPortName();
    eventually([&] { return editor.GetMIDIOutPortNumber(gone.c_str()) <= 0; });
    for (const auto& choice : choices) {
        ASSERT_GT(choice.entry, 0);
        editor.GetParam(choice.param)->Set(choice.entry);
        quietly([&] { editor.OnParamChange(choice.param); });
        EXPECT_EQ(choice.text, nameLine->GetTextString());
        EXPECT_EQ(choice.port, valueLine->GetTextString());
        EXPECT_EQ(0.0, editor.paramValue(choice.param)) << "the menu still shows the port";
    }
    EXPECT_FALSE(editor.midiOutSet);
    EXPECT_FALSE(editor.deviceInitialization) << "a device search started";
}

// Ports chosen while the synth was away (switched off) and opened by the watch once it is back: the render thread's
// jobs are taken as after any other opening, the clock's start and a pending sound request reach the synth.
TEST_F(EditorRecallJack, PortsOpenedWhenTheSynthIsBackTakeTheRenderThreadsClockStartAndSoundRequest)
{
    struct Playing : Zelto2X {
        Playing() : Zelto2X(IPluginInstanceInfo()) {}
        ~Playing() override { endThreads(*this); }
        void GetTime(ITimeInfo* info) override { info->mTransportIsRunning = true; }
    } editor;
    listDevices(editor);
    ITextControl* nameLine = coretest::attachText(editor, kControlDisplayName);
    editor.statusText = nameLine;
    coretest::attachText(editor, kControlDisplayValue);
    editor.rememberControls();
    const int in = listed(editor.getExternalMIDIInNames(), synth.OutputPortName());
    const int out = listed(editor.getExternalMIDIOutNames(), synth.InputPortName());
    synth.Stop();
    const std::string gone = synth.InputPortName();
    eventually([&] { return editor.GetMIDIOutPortNumber(gone.c_str()) <= 0; });
    for (const auto& [param, entry] : {std::pair(kDeviceInSelection, in), {kDeviceOutSelection, out}}) {
        IMutexLock lock(&editor);
        editor.GetParam(param)->Set(entry);
        quietly([&, param = param] { editor.OnParamChange(param); });
    }
    ASSERT_EQ("Unable to open MIDI OUT!", nameLine->GetTextString());

    std::string error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    ASSERT_TRUE(eventually([&] { return nameLine->GetTextString() == "Plug-in is ready to go!"; }))
        << nameLine->GetTextString();
    editor.sendClockPointer = true;
    editor.requestPending = true;
    const auto got = [&](const std::vector<std::string>& lines) {
        return std::count(lines.begin(), lines.end(), "FA") > 0
            && std::count(lines.begin(), lines.end(), "F0 3E 16 00 00 7F 00 F7") > 0;
    };
    EXPECT_TRUE(eventually([&] {
        editor.ProcessDoubleReplacing(nullptr, nullptr, 512);
        return got(synth.Received());
    }, std::chrono::seconds(10)));
}

// The user chooses ports, OFF and the synth's by turns, while the synth comes and goes and the watch closes and
// reopens them (ThreadSanitizer): the last choice stands, also an OFF across the synth's next return.
TEST_F(EditorRecallJack, PortsChosenWhileTheWatchReopensThemEndAsTheLastChoice)
{
    struct Chooser : Zelto2X {
        Chooser() : Zelto2X(IPluginInstanceInfo()) {}
        ~Chooser() override { endThreads(*this); }
        bool portOpen(bool input) const
        {
            const platform::MidiClient* client = input ? static_cast<platform::MidiClient*>(midiIn) : midiOut;
            return client && client->IsPortOpen();
        }
        void choose(int param, int entry)
        {
            IMutexLock hostCall(this);
            GetParam(param)->Set(entry);
            quietly([&] { OnParamChange(param); });
        }
        std::string shown(int param) { return GetParam(param)->GetDisplayText(GetParam(param)->Int()); }
    } editor;
    listDevices(editor);
    editor.statusText = coretest::attachText(editor, kControlDisplayName);
    coretest::attachText(editor, kControlDisplayValue);
    editor.rememberControls();
    const std::pair<int, int> entries[] = {
        {kDeviceInSelection, listed(editor.getExternalMIDIInNames(), synth.OutputPortName())},
        {kDeviceOutSelection, listed(editor.getExternalMIDIOutNames(), synth.InputPortName())}};
    const auto chooseBoth = [&](bool off) {
        for (const auto& [param, entry] : entries)
            editor.choose(param, off ? 0 : entry);
    };
    chooseBoth(false);
    std::string error;
    for (int round = 0; round < 3; ++round) {
        synth.Stop();
        ASSERT_TRUE(synth.Start(&error)) << error;
        // Through the watch's next looks.
        for (int turn = 0; turn < 40; ++turn) {
            chooseBoth(turn % 2 == 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    chooseBoth(false);
    EXPECT_TRUE(editor.midiOutSet && editor.portOpen(true) && editor.portOpen(false));
    EXPECT_EQ(std::pair(synth.OutputPortName(), synth.InputPortName()),
              std::pair(editor.shown(kDeviceInSelection), editor.shown(kDeviceOutSelection)));
    IMidiMsg volume(0, 0xB0, 7, 42);
    editor.sendMidiMsgAndLog(&volume);
    EXPECT_TRUE(synth.WaitForReceived("B0 07 2A"));

    editor.choose(kDeviceOutSelection, 0);
    synth.Stop();
    ASSERT_TRUE(eventually([&] { return editor.shown(kDeviceInSelection) == "OFF"; }));
    ASSERT_TRUE(synth.Start(&error)) << error;
    ASSERT_TRUE(eventually([&] { return editor.shown(kDeviceInSelection) == synth.OutputPortName(); }));
    EXPECT_EQ("OFF", editor.shown(kDeviceOutSelection));
    EXPECT_FALSE(editor.midiOutSet || editor.portOpen(false));
}

// A synth switched off and on again while two editors use it: one whose user chose its ports, one that recalled a
// project while the synth was away. Each keeps the port names in the project meanwhile, shows OFF and says the synth is
// gone, and opens both ports again once it is back: its device enquiry is answered.
TEST_F(EditorRecallJack, ASynthSwitchedOffAndOnIsToldKeptInTheProjectAndOpenedAgainInputAndOutput)
{
    struct Watched {
        Zelto2X editor {IPluginInstanceInfo()};
        ITextControl* nameLine = nullptr;
        Watched()
        {
            listDevices(editor);
            nameLine = coretest::attachText(editor, kControlDisplayName);
            editor.statusText = nameLine;
            coretest::attachText(editor, kControlDisplayValue);
            editor.rememberControls();
        }
        std::string status() const { return nameLine->GetTextString(); }
        std::string shown(int param) { return editor.GetParam(param)->GetDisplayText(editor.GetParam(param)->Int()); }
        std::pair<std::string, std::string> stored()
        {
            ByteChunk chunk;
            editor.SerializeState(&chunk);
            return {editor.patchManager->texts[PatchManager::kMidiInDevice],
                editor.patchManager->texts[PatchManager::kMidiOutDevice]};
        }
        bool answered() { return status() == "Plug-in is ready to go!" && editor.midiMessageManager->requestThreadIdle(); }
    };
    const std::pair<std::string, std::string> ports {synth.OutputPortName(), synth.InputPortName()};
    ByteChunk project;
    auto chosen = std::make_unique<Watched>();
    for (const auto& [param, port] : {std::pair(kDeviceInSelection, ports.first), {kDeviceOutSelection, ports.second}}) {
        chosen->editor.GetParam(param)->Set(
            listed(param == kDeviceInSelection ? chosen->editor.getExternalMIDIInNames()
                                               : chosen->editor.getExternalMIDIOutNames(), port));
        quietly([&, param = param] { chosen->editor.OnParamChange(param); });
    }
    ASSERT_TRUE(eventually([&] { return chosen->answered(); })) << chosen->status();
    // The project lets the synth's SysEx in, as the configured parameters' defaults do.
    chosen->editor.GetParam(kMIDIFilterHWSEPassThrough)->Set(1.0);
    chosen->editor.SerializeState(&project);

    synth.Stop();
    // The two ports may go in either order.
    ASSERT_TRUE(eventually([&] {
        return chosen->shown(kDeviceInSelection) == "OFF" && chosen->shown(kDeviceOutSelection) == "OFF";
    }));
    EXPECT_TRUE(chosen->status() == "MIDI IN device gone!" || chosen->status() == "MIDI OUT device gone!")
        << chosen->status();
    EXPECT_FALSE(chosen->editor.midiOutSet);
    EXPECT_EQ(ports, chosen->stored());

    Watched recalled;
    quietly([&] { recalled.editor.UnserializeState(&project, 0); });
    EXPECT_EQ("Unable to open MIDI OUT!", recalled.status());
    EXPECT_EQ(ports, recalled.stored());

    std::string error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    for (Watched* watched : {chosen.get(), &recalled}) {
        EXPECT_TRUE(eventually([&] { return watched->answered(); })) << watched->status();
        EXPECT_EQ(ports, std::pair(watched->shown(kDeviceInSelection), watched->shown(kDeviceOutSelection)));
        EXPECT_TRUE(watched->editor.midiOutSet);
    }
    // Choosing OFF forgets the port: the project then names none.
    chosen->editor.GetParam(kDeviceOutSelection)->Set(0);
    quietly([&] { chosen->editor.OnParamChange(kDeviceOutSelection); });
    EXPECT_EQ(std::pair(ports.first, std::string("OFF")), chosen->stored());
}
