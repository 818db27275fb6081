// The editor with its real configuration (the bundle's resources, found through a marker module in a copy of the
// bundle's layout): every layer the start-up looks up exists, the first run shows its notice, a saved state comes back,
// every control draws after the image cache is cleared, the panel shows what the parameters hold, and the editor
// closes cleanly (AddressSanitizer).
#include <dlfcn.h>

#include <cmath>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <thread>
#include <tuple>

#include "ControlLayer.h"
#include "EditorCoreSupport.h"
#include "IPopupMenuControl.h"
#include "PatchLibrarian.h"
#include "ProgressIndicator.h"
#include "Zelto2Synth.h"
#include "e2e/SoundDumpMap.h"
#include "UIConfigManager.h"
#include "platform/CoreMIDIRtMidi.h"
#include "platform/HeadlessWindowSystem.h"
#include "support/LiveThreads.h"

using namespace coretest;

namespace {

// The editor built with the UI settings lines (size, first-run notice seen; a size of null: the data folder's "Patches"
// is a file), closed quietly at the end.
template <class Editor = Zelto2X>
struct ConfiguredEditor {
    explicit ConfiguredEditor(const char* size = "normal", const char* seen = "yes")
    {
        EXPECT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
        if (size)
            folder.write(kSettingsFile, std::string("normal\n") + size + "\n" + seen + "\n\n");
        else
            folder.write("Patches", "a file where the library folder belongs");
        log = quietly([&] { editor = std::make_unique<Editor>(); });
    }
    ~ConfiguredEditor() { quietly([&] { editor.reset(); }); }
    void setFromGUI(int param, double value)
    {
        quietly([&] { editor->SetParameterFromGUI(param, editor->GetParam(param)->GetNormalized(value)); });
    }

    DataFolder folder;
    std::unique_ptr<Editor> editor;
    std::string log;
};

struct PlainEditor : Zelto2X {
    PlainEditor() : Zelto2X(IPluginInstanceInfo()) {}
};

}  // namespace

TEST(EditorConfigured, StartsWithEveryLayerRoundTripsItsStateAndClosesCleanly)
{
    ConfiguredEditor<PlainEditor> configured("normal", "no");
    Zelto2X* editor = configured.editor.get();
    EXPECT_EQ(std::string::npos, configured.log.find("missing from the configuration")) << configured.log;
    ASSERT_TRUE(editor->findLayer("firstRunNotification") && editor->findLayer("aboutWindow"));
    EXPECT_TRUE(editor->findLayer("firstRunNotification")->IsVisible() &&
                !editor->findLayer("aboutWindow")->IsVisible());
    ASSERT_NE(nullptr, editor->paramTextControl(kControlDisplayName));
    EXPECT_EQ("Marnvik Zelto2X Plug-in", editor->paramTextControl(kControlDisplayName)->GetTextString());
    EXPECT_DOUBLE_EQ(1.0, editor->paramValue(kUserInterfaceSize));

    ByteChunk saved;
    editor->SetParameterFromGUI(kFilterCutoff, 0.25);
    const double cutoff = editor->paramValue(kFilterCutoff);
    editor->SerializeState(&saved);
    EXPECT_LT(3900, saved.Size());
    editor->SetParameterFromGUI(kFilterCutoff, 0.75);
    quietly([&] { EXPECT_EQ(saved.Size(), editor->UnserializeState(&saved, 0)); });
    EXPECT_DOUBLE_EQ(cutoff, editor->paramValue(kFilterCutoff));

    // Every control, shown or not, still draws after the image cache is cleared.
    IGraphics* gui = editor->GetGUI();
    editor->uiConfig->ClearImageCache();
    IRECT all(0, 0, gui->Width(), gui->Height());
    gui->Draw(&all);
    int drawn = 0;
    std::function<void(ControlLayer*)> drawLayer = [&](ControlLayer* layer) {
        for (int i = 0; i < layer->NControls(); ++i, ++drawn)
            layer->GetControl(i)->Draw(gui);
        for (int i = 0; i < layer->NLayers(); ++i)
            drawLayer(layer->GetLayer(i));
    };
    for (int i = 0; i < gui->NControls(); ++i, ++drawn)
        gui->GetControl(i)->Draw(gui);
    for (int i = 0; i < gui->NLayers(); ++i)
        drawLayer(gui->GetLayer(i));
    EXPECT_LT(200, drawn);
}

// Every index of the parameter table (kTimbreLED, 306, the last) has a parameter and none is the host's; start-up starts
// no worker and no job dispatcher (that waits for an output) and leaves only the MIDI input's waiting thread (and, on
// JACK, the port layer's one thread for JACK clients); the
// first-run notice shows only for "no"; the large view's progress overlay is the image table's picture, decoded only
// once.
TEST(EditorConfigured, StartsWithItsParametersNoWorkerNoNoticeUnlessNotSeenAndTheOverlayOfItsSize)
{
    const auto threads = testsupport::LiveThreads;
    for (const char* seen : {"yes", ""}) {
        const auto before = threads();
        ConfiguredEditor<PlainEditor> configured(*seen ? "normal" : "large", seen);
        for (const auto& thread : threads())
            EXPECT_TRUE(before.count(thread) || thread.second == platform::kMidiInputThreadName
                || thread.second == platform::kJackClientThreadName)
                << thread.second;
        Zelto2X& editor = *configured.editor;
        EXPECT_EQ(std::pair(kTimbreLED + 1, 0), std::pair(editor.NParams(), editor.NAutomatableParams()));
        EXPECT_FALSE(editor.findLayer("firstRunNotification")->IsVisible()) << seen;
        if (!*seen) {  // large: the progress overlay's picture is the image table's copy, covering the whole view
            ASSERT_NE(nullptr, editor.progressIndicator);
            const IBitmap& picture = static_cast<ProgressIndicator*>(editor.progressIndicator)->overlay;
            EXPECT_EQ((std::pair<int, int> {1875, 946}), (std::pair<int, int> {picture.W, picture.H}));
            EXPECT_EQ(editor.GetGUI()->getImageById(118).mData, picture.mData);
        }
    }
}

// Every control action of the bundled configuration, sent to the simulated synth (its own reading of the protocol),
// changes the byte that the documented dump maps give its parameter, so a request brings the edit back; the
// performance controllers have no byte and leave the sound alone.
TEST(EditorConfigured, EveryControlActionLandsInTheSynthWhereTheDumpMapsPutItsParameter)
{
    ConfiguredEditor<RecordingEditor> configured("normal", "no");
    RecordingEditor* editor = configured.editor.get();
    editor->midiOutSet = editor->pluginReady = true;
    editor->GetParam(kDeviceOutSelection)->Set(1.0);  // an output chosen
    // Global bytes and the offset the global dump's decoding takes off (poly chain: no byte, index 0 and 1).
    const std::map<int, std::pair<int, int>> globals {{216, {5, 54}}, {219, {6, 40}}, {220, {7, 0}}, {93, {8, 0}},
        {218, {9, 0}}, {217, {10, 0}}, {221, {11, 0}}, {94, {12, 0}}, {222, {13, 0}}, {223, {14, 0}}, {224, {15, 0}},
        {225, {16, 0}}, {234, {17, 0}}, {237, {18, 0}}, {228, {19, 0}}, {229, {20, 0}}, {230, {21, 0}},
        {231, {22, 0}}, {232, {23, 0}}, {233, {24, 0}}, {235, {35, 0}}, {236, {36, 0}}, {226, {-1, 0}}, {227, {-2, 0}}};
    auto heldBy = [&](const zelto2sim::Zelto2Synth& synth, int index) -> double {
        if (const auto global = globals.find(index); global != globals.end()) {
            const auto [byte, offset] = global->second;
            return byte < 0 ? synth.PolyChain(-byte - 1) : synth.GlobalDump()[byte] - offset;
        }
        for (const auto& [param, value] : e2e::PanelValuesOf(synth.Sound({true, 0})))
            if (param == index)
                return value;
        return -1000.0;
    };
    int sysExActions = 0, controllerActions = 0;
    for (int index = 0; index < kNumParams; ++index) {
        IParam* param = editor->GetParam(index);
        ControlAction* action = param->GetControlAction();
        if (!action || action->kind == 0)
            continue;
        SCOPED_TRACE(index);
        zelto2sim::Zelto2Synth synth(0);
        const double value = heldBy(synth, index) == param->GetMax() ? param->GetMin() : param->GetMax();
        editor->clearWire();
        quietly([&] { editor->processControlAction(action, index, value); });
        for (const Bytes& message : editor->wire()) {
            std::string refusal;
            synth.Receive(message, &refusal);
            EXPECT_EQ("", refusal);
        }
        if (action->kind == 1 || action->kind == 2) {
            ++controllerActions;
            EXPECT_EQ(action->kind == 1 ? value : value ? action->onValue : action->zeroValue,
                synth.Controller(action->ccNumber));
            EXPECT_EQ(zelto2sim::InitSound(), synth.Sound({true, 0}));
        } else {
            ++sysExActions;
            EXPECT_EQ(value, heldBy(synth, index));
        }
    }
    EXPECT_EQ(112, sysExActions);  // one for each template of the SysEx map
    EXPECT_EQ(4, controllerActions);
}

// One editor with the first-run notice seen, in turn:
// - A button pressed and released, or a window switch turned on and off, with no MIDI port open: the value line shows
//   the bare number or the family's text, and every parameter with a control action asks for a port, whatever the
//   action sends; the first-run exit, which ends before the actions, and the DAW offset knob, which has none, leave
//   their names.
// - The pattern page's step rows are greyed and un-greyed by id when the tab opens; the tempo pair must stay as the
//   clock source left it.
// - Controls show what their parameter holds whoever set it: the host (a menu, a knob and a switch that start at 0),
//   the editor storing a value itself (the device ID the synth answered with), a command choosing the tab.
TEST(EditorConfigured, StatusDisplayAsksForAPortForAChangeWithSomethingToSendTheArpTabGreysTheUnusedTempoAndControlsShowTheirValueHoweverSet)
{
    ConfiguredEditor<PlainEditor> configured;
    Zelto2X* editor = configured.editor.get();
    ASSERT_TRUE(editor->paramTextControl(kControlDisplayName) && editor->paramTextControl(kControlDisplayValue));
    struct Row {
        int param;
        double value, after;  // after: the release, or the same value again for a setting
        const char *name, *line;
    };
    const char* const port = "Set MIDI I/O First!";
    // A button's release (0 after 1) leaves what its press told; a press that sends nothing tells no port is missing.
    // A knob or switch brought back to 0 shows 0.
    const Row rows[] = {{kFirstRunExit, 1, 0, "Set MIDI In and MIDI Out", "1"}, {kDisplayAboutWindow, 1, 0, "About", "1"},
        {kExitAboutWindow, 1, 0, "Close About", "1"}, {kViewMIDIFilterSettings, 1, 0, "Close MIDI Filters", "1"},
        {kPartLock, 1, 1, port, "ON [1]"}, {kPartLock, 1, 0, port, "OFF [0]"}, {kFilterCutoff, 64, 64, port, "64"},
        {kFilterCutoff, 64, 0, port, "0"}, {kAdjustDAWOffset, 12, 12, "DAW Offset", "12"}};
    for (const Row& row : rows) {
        editor->showStatusLines("-", "-");
        configured.setFromGUI(row.param, row.value);
        configured.setFromGUI(row.param, row.after);
        EXPECT_EQ(row.name, editor->paramTextControl(kControlDisplayName)->GetTextString()) << row.param;
        EXPECT_EQ(row.line, editor->paramTextControl(kControlDisplayValue)->GetTextString()) << row.param;
    }
    ASSERT_TRUE(editor->paramControl(kArpTempo) && editor->paramControl(kArpClock));
    for (int midiClock : {1, 0}) {
        configured.setFromGUI(kMainTab, 2);
        configured.setFromGUI(kGlobalClock, midiClock);
        configured.setFromGUI(kMainTab, 3);
        EXPECT_EQ(midiClock == 1, editor->paramControl(kArpTempo)->IsGrayed()) << midiClock;
        EXPECT_EQ(midiClock == 0, editor->paramControl(kArpClock)->IsGrayed()) << midiClock;
    }
    using Road = std::function<void(Zelto2X&, int, double)>;
    const Road host = [](Zelto2X& e, int p, double v) {
        IPluginAU::SetParamProc(&e, p, kAudioUnitScope_Global, 0, float(v), 0);
    };
    const Road stored = [](Zelto2X& e, int p, double v) { e.setParamValueClamped(p, v); };
    const Road command = [](Zelto2X& e, int, double) { e.SetParameterFromGUI(kShowLibrarian, 1.0); };
    const std::tuple<Road, int, double> roads[] = {{host, kFilterType, 2}, {host, kFilterResonance, 90},
        {host, kOscillator2Sync, 1}, {stored, kGlobalDeviceID, 3}, {command, kMainTab, 1}};
    for (const auto& [road, param, value] : roads) {
        IControl* control = editor->paramControl(param);
        ASSERT_NE(nullptr, control) << param;
        control->SetClean();
        control->SetClean();
        quietly([&, &road = road, param = param, value = value] { road(*editor, param, value); });
        EXPECT_TRUE(control->IsDirty()) << param;
        EXPECT_EQ(value, editor->paramValue(param)) << param;
        EXPECT_DOUBLE_EQ(editor->GetParam(param)->GetNormalized(), control->GetValue()) << param;
    }
}

// A project reopened while the LIBRARY page shows opens the SOUND page with the SOUND tab lit; LIBRARY opens the
// library again.
TEST(EditorConfigured, ARecallOnTheLibraryPageLightsTheSoundTabAndTheLibraryTabStillOpensTheLibrary)
{
    ConfiguredEditor<PlainEditor> configured;
    Zelto2X* editor = configured.editor.get();
    ControlLayer* root = editor->findLayer("root");
    ASSERT_TRUE(root && root->NLayers() == 4 && editor->paramControl(kMainTab));
    const auto shownPage = [&] {
        int shown = -1;
        for (int page = 0; page < 4; ++page)
            shown = root->GetLayer(page)->IsVisible() ? page : shown;
        return shown;
    };
    ByteChunk saved;
    editor->SerializeState(&saved);
    configured.setFromGUI(kMainTab, 1);
    ASSERT_EQ(1, shownPage());
    quietly([&] { editor->UnserializeState(&saved, 0); });
    EXPECT_EQ(std::pair(2, 2.0), std::pair(shownPage(), editor->paramValue(kMainTab)));
    EXPECT_DOUBLE_EQ(2.0 / 3.0, editor->paramControl(kMainTab)->GetValue());
    configured.setFromGUI(kMainTab, 1);
    EXPECT_EQ(1, shownPage());
}

TEST(EditorConfigured, APatchesFolderThatCannotBeMadeIsToldOnceTheEditorIsReady)
{
    ConfiguredEditor<PlainEditor> configured(nullptr);
    const auto& editor = configured.editor;
    ASSERT_TRUE(editor->paramTextControl(kControlDisplayName));
    EXPECT_EQ("Patches folder NOT created!|Check folder rights",
        editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
            editor->paramTextControl(kControlDisplayValue)->GetTextString());
}

// The first bank of a fresh library, edited and the editor closed, start after start: a close without edits keeps
// nothing; with UNSAVED lit the bank as edited lands in "Recovered Banks" beside an earlier copy, the library's file as
// it was. A later start tells where once the user can read it, after start-up's own texts: when its view opens, or,
// with an output chosen, once the synth has answered the device enquiry. Before that the host's reset greets as usual;
// after it neither a reset nor the view opened again tells it twice, nor does the start after. A start whose view
// never opened leaves its copy to the next one.
TEST(EditorConfigured, UnsavedBankEditsAreKeptAtCloseAndToldOnceWhereTheUserLooks)
{
    platform::WindowSystem::SetShared(std::make_unique<platform::HeadlessWindowSystem>());
    ConfiguredEditor<RecordingEditor> configured;
    const std::string bank = "Patches/User Bank 1.syx", original = configured.folder.read(bank);
    const auto names = [&](const std::string& file) {  // the 14 name bytes of each 137-byte dump
        std::vector<std::string> slots;
        for (size_t at = 0; at + 137 <= file.size(); at += 137)
            slots.push_back(file.substr(at + 120, 14));
        return slots;
    };
    const auto status = [&] {
        return configured.editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
               configured.editor->paramTextControl(kControlDisplayValue)->GetTextString();
    };
    const auto editAndRestart = [&](int slot, const std::string& name) {
        if (slot >= 0) {
            PatchLibrarian& library = *configured.editor->patchLibrarian;
            LibrarianPatch sound = library.bankFiles.at(0)->patches.at(size_t(slot));
            std::copy(name.begin(), name.end(), sound.messages.at(0).bytes.begin() + 120);
            library.transferSlot = slot;
            EXPECT_TRUE(library.replaceTransferSlot(sound));
        }
        quietly([&] {
            configured.editor->SetLibrarianStatusUnsaved(slot >= 0);
            configured.editor.reset();
            configured.editor = std::make_unique<RecordingEditor>();
            configured.editor->Reset();  // as the host does once it has the instance
        });
        return status();
    };
    const auto openView = [&] {
        quietly([&] { configured.editor->GetGUI()->OpenWindow(nullptr); });
        return status();
    };
    const std::string greeting = "Marnvik Zelto2X Plug-in|v1.1";
    const auto notToldAgain = [&] {
        quietly([&] { configured.editor->Reset(); });
        EXPECT_EQ(greeting, status());
        configured.editor->GetGUI()->CloseWindow();
        EXPECT_EQ(greeting, openView());
    };
    EXPECT_EQ(greeting, editAndRestart(-1, ""));
    EXPECT_EQ(greeting, openView());
    EXPECT_FALSE(configured.folder.exists("Recovered Banks"));

    EXPECT_EQ(greeting, editAndRestart(4, "EDITED FIVE   "));
    EXPECT_EQ("Import from Recovered Banks:|User Bank 1.syx", openView());
    notToldAgain();

    EXPECT_EQ(greeting, editAndRestart(9, "EDITED TEN    "));
    EXPECT_EQ(greeting, editAndRestart(-1, ""));
    RecordingEditor* editor = configured.editor.get();
    editor->midiOutSet = editor->pluginReady = true;
    editor->GetParam(kDeviceOutSelection)->Set(1.0);
    quietly([&] { editor->sendSysExInitialization(); });
    const Bytes enquiry {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7};
    for (int i = 0; i < 20000 && editor->wire() != std::vector<Bytes> {enquiry}; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_NE("Import from Recovered Banks:", openView().substr(0, 28));
    zelto2sim::Zelto2Synth synth(0);
    for (Bytes answer : synth.Receive(enquiry)) {
        ISysEx sysex(0, answer.data(), static_cast<int>(answer.size()));
        quietly([&] { editor->ProcessSysEx(&sysex, true); });
    }
    const std::string notice = "Import from Recovered Banks:|User Bank 1 (2).syx";
    for (int i = 0; i < 20000 && status() != notice; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(notice, status());
    notToldAgain();

    EXPECT_EQ(greeting, editAndRestart(-1, ""));
    EXPECT_EQ(greeting, openView());
    std::vector<std::string> first = names(original), second = first;
    first.at(4) = "EDITED FIVE   ";
    second.at(9) = "EDITED TEN    ";
    EXPECT_EQ(first, names(configured.folder.read("Recovered Banks/User Bank 1.syx")));
    EXPECT_EQ(second, names(configured.folder.read("Recovered Banks/User Bank 1 (2).syx")));
    // Each dump as the library read it (bytes 3..6 00 10 00 00), with the 7-bit sum of its bytes 1..134 at byte 135.
    const std::string copy = configured.folder.read("Recovered Banks/User Bank 1.syx");
    for (size_t at = 0; at + 137 <= copy.size(); at += 137) {
        unsigned sum = 0;
        for (size_t i = at + 1; i < at + 135; ++i)
            sum += static_cast<uint8_t>(copy[i]);
        EXPECT_EQ(std::string("\x00\x10\x00\x00", 4) + char(sum % 128), copy.substr(at + 3, 4) + copy[at + 135]) << at;
    }
    EXPECT_EQ(original, configured.folder.read(bank));
    configured.editor.reset();
    platform::WindowSystem::SetShared(nullptr);
}

namespace {

// Time is virtual, so an enquiry would end before the view opens: the request worker waits inside its first device
// enquiry until the test lets it go.
struct HeldEnquiryEditor : RecordingEditor {
    bool SendMidiSysex(unsigned char* data, int size) override
    {
        if (size == 4 && data[3] == 0x04) {  // 3E 16 <device> 04: the enquiry, unframed
            held = true;
            letGo.wait();
        }
        return RecordingEditor::SendMidiSysex(data, size);
    }
    std::atomic<bool> held {false};
    std::promise<void> go;
    std::shared_future<void> letGo = go.get_future().share();
};

}  // namespace

// A kept copy waits while the view is open and a device enquiry goes unanswered or is cancelled: the enquiry's own
// last text stays on the status display, and the copy is told when the view opens again, once.
TEST(EditorConfigured, AnUnansweredEnquiryKeepsItsTextAndTheRecoveredBankIsToldAtTheNextViewOnce)
{
    platform::WindowSystem::SetShared(std::make_unique<platform::HeadlessWindowSystem>());
    dovor::SteppedClock clock;
    dovor::SetVirtualClock(&clock);
    {
        ConfiguredEditor<HeldEnquiryEditor> configured;
        const auto status = [&] {
            return configured.editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
                   configured.editor->paramTextControl(kControlDisplayValue)->GetTextString();
        };
        const auto openViewAgain = [&] {
            configured.editor->GetGUI()->CloseWindow();
            quietly([&] { configured.editor->GetGUI()->OpenWindow(nullptr); });
            return status();
        };
        for (const auto& [cancel, ending, copy] : {std::tuple(false, "No response from Hardware", "User Bank 1.syx"),
                 std::tuple(true, "Data request CANCELLED!", "User Bank 1 (2).syx")}) {
            quietly([&] {
                configured.editor->SetLibrarianStatusUnsaved(true);
                configured.editor.reset();
                configured.editor = std::make_unique<HeldEnquiryEditor>();
            });
            HeldEnquiryEditor& editor = *configured.editor;
            editor.midiOutSet = editor.pluginReady = true;
            editor.GetParam(kDeviceOutSelection)->Set(1.0);
            bool held = false, ended = false;
            quietly([&] {
                editor.sendSysExInitialization();
                editor.GetGUI()->OpenWindow(nullptr);
                held = eventually([&] { return editor.held.load(); });
            });
            if (cancel)
                configured.setFromGUI(kCancelDataRequestParam, 1);
            quietly([&] {
                editor.go.set_value();
                ended = eventually([&] { return editor.midiMessageManager->requestThreadIdle(); });
            });
            EXPECT_TRUE(held && ended);
            EXPECT_EQ(ending, editor.paramTextControl(kControlDisplayName)->GetTextString());
            EXPECT_EQ(std::string("Import from Recovered Banks:|") + copy, openViewAgain());
            editor.showStatusLines("-", "-");
            EXPECT_EQ("-|-", openViewAgain());
        }
    }
    dovor::SetVirtualClock(nullptr);
    platform::WindowSystem::SetShared(nullptr);
}

// The window and settings commands from a fresh editor on tab 0 with the first-run notice up, the global settings sent
// and an output open (unless the row says not): the page shown, windows open (+) or closed (-), the settings file, the
// status line and the messages sent (size@ms, in virtual time); the progress overlay is down again after each. A step
// before the command may open a window.
TEST(EditorConfigured, WindowAndSettingsCommandsSwitchTheirLayersWriteTheirSettingsAndSendTheSound)
{
    const std::string start = "normal\nnormal\nno\n\n";
    struct Row {
        std::pair<int, double> before, command;
        int tab;
        std::vector<std::string> windows;
        std::string settings, status, sent;
        bool output = true;
    };
    const Row rows[] = {
        {{}, {kShowModMatrix, 1}, 3, {}, start, "-", ""},
        {{}, {kShowModMatrix, 0}, 2, {}, start, "-", ""},
        {{}, {kShowLibrarian, 1}, 1, {}, start, "-", ""},
        {{}, {kShowLibrarian, 0}, 2, {}, start, "-", ""},
        {{}, {kUserInterfaceSize, 0}, 0, {}, "normal\nsmall\nno\n\n", "Size changes applied...", ""},
        {{}, {kUserInterfaceSize, 2}, 0, {}, "normal\nlarge\nno\n\n", "Size changes applied...", ""},
        {{}, {kFirstRunExit, 1}, 0, {"-firstRunNotification"}, "normal\nnormal\nyes\n\n", "Set MIDI In and MIDI Out",
            ""},
        {{}, {kFirstRunExit, 0}, 0, {"+firstRunNotification"}, start, "Close Welcome", ""},
        {{}, {kViewMIDIFilterSettings, 1}, 0, {"+midiFilterSettings"}, start, "Close MIDI Filters", ""},
        // CLOSE's release closes the window and leaves the status display as the press left it.
        {{kViewMIDIFilterSettings, 1}, {kViewMIDIFilterSettings, 0}, 0, {"-midiFilterSettings"}, start, "-", ""},
        {{}, {kDisplayAboutWindow, 1}, 0, {"+aboutWindow"}, start, "About", ""},
        {{kDisplayAboutWindow, 1}, {kExitAboutWindow, 1}, 0, {"-aboutWindow"}, start, "Close About", ""},
        {{kDisplayAboutWindow, 1}, {kExitAboutWindow, 0}, 0, {"+aboutWindow"}, start, "Close About", ""},
        {{}, {kRandomize, 0}, 0, {}, start, "Randomize", ""},
        {{}, {kLibUpperNextBank, 0}, 0, {}, start, "Next Upper Bank", ""},
        // The global settings step (1000 + 400 ms) goes first.
        {{}, {kPushArrangement, 1}, 0, {}, start, "-", "137@1400"},
        {{}, {kPushArrangement, 0}, 0, {}, start, "-", ""},
        {{}, {kPushArrangement, 1}, 0, {}, start, "Set MIDI I/O First!", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.command.first << " = " << row.command.second);
        dovor::SteppedClock clock;
        dovor::SetVirtualClock(&clock);
        ConfiguredEditor<RecordingEditor> configured("normal", "no");
        const auto& editor = configured.editor;
        quietly([&] {
            editor->SetParameterFromGUI(kMainTab, 0.0);
            if (row.before.first)
                editor->SetParameterFromGUI(row.before.first, row.before.second);
        });
        editor->midiOutSet = row.output;
        editor->GetParam(kDeviceOutSelection)->Set(row.output);
        editor->showStatusLines("-", "-");
        editor->globalSettingsSent = true;
        quietly([&] {
            editor->GetParam(row.command.first)->Set(row.command.second);
            editor->OnParamChange(row.command.first);
            for (int i = 0; i < 20000 && !editor->midiMessageManager->requestThreadIdle(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        ControlLayer* root = editor->findLayer("root");
        ASSERT_TRUE(root && root->NLayers() == 4);
        EXPECT_EQ(row.tab, editor->paramValue(kMainTab));
        for (int page = 0; page < 4; ++page)
            EXPECT_EQ(page == row.tab, root->GetLayer(page)->IsVisible()) << "page " << page;
        for (const std::string& window : row.windows)
            EXPECT_EQ(window[0] == '+', editor->findLayer(window.substr(1))->IsVisible()) << window;
        EXPECT_FALSE(editor->findLayer("PROGRESS")->IsVisible());
        EXPECT_EQ(row.settings, configured.folder.read(kSettingsFile));
        EXPECT_EQ(row.status, editor->paramTextControl(kControlDisplayName)->GetTextString());
        std::string sent;
        for (size_t i = 0; i < editor->wire().size(); ++i)
            sent += std::to_string(editor->wire()[i].size()) + "@" + std::to_string(editor->times()[i]);
        EXPECT_EQ(row.sent, sent);
    }
    dovor::SetVirtualClock(nullptr);
}

// The program menu holds the synth's 100 programs: Up from the last gives the first and Down from the first the last,
// each sent once as the program change of the program it lands on, and the menu ticks it though no synth answers.
TEST(EditorConfigured, ProgramStepsComeRoundAtBothEndsOfTheProgramMenu)
{
    dovor::SteppedClock clock;
    dovor::SetVirtualClock(&clock);
    {
        ConfiguredEditor<RecordingEditor> configured;
        const auto& editor = configured.editor;
        ASSERT_EQ(99.0, editor->GetParam(kCurrentPatch)->GetMax());
        editor->midiOutSet = true;
        const std::tuple<int, double, int> steps[] = {
            {kPatchUp, 99, 0}, {kPatchUp, 98, 99}, {kPatchDown, 0, 99}, {kPatchDown, 1, 0}};
        for (const auto& [button, start, expected] : steps) {
            editor->GetParam(kCurrentPatch)->Set(start);
            editor->clearWire();
            configured.setFromGUI(button, 1);
            configured.setFromGUI(button, 0);
            quietly([&] {
                for (int i = 0; i < 20000 && !editor->midiMessageManager->requestThreadIdle(); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
            std::vector<int> programs;
            for (const Bytes& message : editor->wire())
                if ((message[0] & 0xF0) == 0xC0)
                    programs.push_back(message[1]);
            EXPECT_EQ(std::vector<int> {expected}, programs) << button << " from " << start;
            EXPECT_EQ(expected, editor->paramValue(kCurrentPatch)) << button << " from " << start;
            ASSERT_NE(nullptr, editor->programNumberPopupMenu);
            EXPECT_TRUE(editor->programNumberPopupMenu->programRangeMenus[expected / 10].IsItemChecked(expected % 10))
                << button << " from " << start;
        }
    }
    dovor::SetVirtualClock(nullptr);
}

// The sound name holds the 13 characters the dump and the project keep; a library slot's new name keeps its 14.
TEST(EditorConfigured, TheSoundNameTakesThirteenCharactersAndASlotsNewNameFourteen)
{
    ConfiguredEditor<PlainEditor> configured;
    ASSERT_TRUE(configured.editor->paramControl(kPatchName) && configured.editor->paramControl(kPatchRename));
    EXPECT_EQ(13, configured.editor->paramControl(kPatchName)->GetTextEntryLength());
    EXPECT_EQ(14, configured.editor->paramControl(kPatchRename)->GetTextEntryLength());
}

// ▶ of the editing bank pressed and released with the mouse while the bank is unsaved, with and without an output: the
// refusal the press shows is what the status display still shows, in the window's pixels too, once the button is let go.
TEST(EditorConfigured, AnEditingBankStepRefusedWhileUnsavedStaysOnTheStatusDisplayAfterTheRelease)
{
    auto* headless = new platform::HeadlessWindowSystem;
    platform::WindowSystem::SetShared(std::unique_ptr<platform::WindowSystem>(headless));
    {
        ConfiguredEditor<PlainEditor> configured;
        Zelto2X* editor = configured.editor.get();
        configured.setFromGUI(kShowLibrarian, 1);
        ASSERT_TRUE(editor->GetGUI()->OpenWindow(nullptr));
        auto* window = static_cast<platform::HeadlessWindow*>(headless->FrontWindow());
        quietly([&] { editor->SetLibrarianStatusUnsaved(true); });
        // The status display's two lines as the window shows them (top-left origin).
        const auto statusPixels = [&] {
            std::vector<uint32_t> pixels;
            for (int y = 16; y < 48; ++y)
                for (int x = 872; x < 1152; ++x)
                    pixels.push_back(window->PixelAt(x, y));
            return pixels;
        };
        for (bool output : {false, true}) {
            editor->midiOutSet = output;
            editor->showStatusLines("-", "-");
            platform::MouseEvent button;  // the centre of ▶ right of the editing bank's name, in view coordinates
            button.x = 696 + 9 + 2, button.y = editor->GetGUI()->Height() - (200 + 9) - 3;
            quietly([&] { window->InjectMouse(button); headless->ProcessEvents(100); });
            const std::vector<uint32_t> pressed = statusPixels();
            button.kind = platform::MouseEventKind::Up;
            quietly([&] { window->InjectMouse(button); headless->ProcessEvents(100); });
            EXPECT_EQ("Save bank or Discard changes!|-", editor->paramTextControl(kControlDisplayName)->GetTextString() +
                      "|" + editor->paramTextControl(kControlDisplayValue)->GetTextString()) << output;
            EXPECT_TRUE(pressed == statusPixels()) << output;
            EXPECT_EQ(0.0, editor->paramValue(kLibUpperNextBank)) << output;
        }
    }
    platform::WindowSystem::SetShared(nullptr);
}

namespace {

// Waits (real time, 20 s at most) until the request worker has ended its job and nothing waits for it.
void waitForRequestJobs(Zelto2X& editor)
{
    for (int i = 0; i < 20000 && !(editor.midiMessageManager->requestThreadIdle() &&
                                    editor.midiMessageManager->queuedJobCount() == 0); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// An editor with its output open (the first port of the list), time virtual.
struct EditorWithOutput : ConfiguredEditor<RecordingEditor> {
    EditorWithOutput()
    {
        dovor::SetVirtualClock(&clock);
        editor->midiOutSet = editor->pluginReady = true;
        editor->GetParam(kDeviceOutSelection)->Set(1.0);
    }
    ~EditorWithOutput() { dovor::SetVirtualClock(nullptr); }
    dovor::SteppedClock clock;
};

// Every momentary button of the panel and the editor's own, pressed and let go, with or without an output: what
// the press told on the status display (an outcome, a refusal, a hint) is what it still shows after the release.
// Returns what each press told, by parameter.
std::map<int, std::string> pressEveryMomentaryButton(bool output)
{
    EditorWithOutput configured;
    RecordingEditor* editor = configured.editor.get();
    editor->midiOutSet = output;
    std::map<int, IControl*> buttons;  // the first of each parameter
    const auto note = [&](IControl* control) {
        if (dynamic_cast<IContactControl*>(control))
            buttons.emplace(control->ParamIdx(), control);
    };
    const std::function<void(ControlLayer*)> collect = [&](ControlLayer* layer) {
        for (int i = 0; i < layer->GetControls()->GetSize(); ++i)
            note(layer->GetControls()->Get(i));
        for (int i = 0; i < layer->NLayers(); ++i)
            collect(layer->GetLayer(i));
    };
    IGraphics* graphics = editor->GetGUI();
    for (int i = 0; i < graphics->NControls(); ++i)
        note(graphics->GetControl(i));
    for (int i = 0; i < graphics->NLayers(); ++i)
        collect(graphics->GetLayer(i));
    const auto status = [&] {
        return editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
               editor->paramTextControl(kControlDisplayValue)->GetTextString();
    };
    std::map<int, std::string> pressed;
    for (const auto& [param, button] : buttons) {
        IMouseMod left(true);
        quietly([&, button = button] { button->OnMouseDown(0, 0, &left); });
        // A job's outcome too: the worker writes it before it counts as idle.
        waitForRequestJobs(*editor);
        pressed[param] = status();
        quietly([&, button = button] { button->OnMouseUp(0, 0, &left); });
        waitForRequestJobs(*editor);
        EXPECT_EQ(pressed[param], status()) << param;
    }
    EXPECT_EQ(19u, buttons.size());
    return pressed;
}

}  // namespace

TEST(EditorConfigured, EveryMomentaryButtonsReleaseLeavesTheStatusDisplayAsItsPressLeftIt)
{
    for (bool output : {false, true}) {
        SCOPED_TRACE(output ? "with an output" : "without an output");
        std::map<int, std::string> pressed = pressEveryMomentaryButton(output);
        EXPECT_EQ("Sound stored!|Slot 1: -- INIT --", pressed[kOverwriteBank]);
        EXPECT_EQ("Set MIDI In and MIDI Out|1", pressed[kFirstRunExit]);
    }
}

// Without ports, a press that sends nothing to the synth (STORE SOUND, DISCARD, RELOAD, ABOUT...) tells what it tells
// with them; the presses that send leave the hint.
TEST(EditorConfigured, APressThatSendsNothingToTheSynthTellsTheSameWithoutPorts)
{
    const std::map<int, std::string> withPorts = pressEveryMomentaryButton(true);
    std::map<int, std::string> withoutPorts = pressEveryMomentaryButton(false);
    const std::set<int> sending = {kRandomize, kPushArrangement, kRequestTempData, kPatchUp, kPatchDown, kArpSyncTrigger};
    for (const auto& [param, told] : withPorts)
        EXPECT_TRUE(sending.count(param) || told == withoutPorts[param]) << param << ": " << told << " | " << withoutPorts[param];
    for (int param : {kPushArrangement, kRequestTempData, kArpSyncTrigger})
        EXPECT_EQ("Set MIDI I/O First!", withoutPorts[param].substr(0, withoutPorts[param].find('|'))) << param;
}

// After the device ID is changed from its own knob (a message the synth still hears under its old ID), every message
// carries the new ID: parameter messages, requests, a bank store and the whole sound.
TEST(EditorConfigured, AfterTheDeviceIdIsSetFromItsKnobEverythingSentCarriesIt)
{
    EditorWithOutput configured;
    RecordingEditor* editor = configured.editor.get();
    MIDIMessageManager* manager = editor->midiMessageManager;
    // The start of the first message longer than a short one that the step sends.
    auto firstSent = [&](const std::function<void()>& step) {
        editor->clearWire();
        quietly([&] {
            step();
            waitForRequestJobs(*editor);
        });
        for (const Bytes& message : editor->wire())
            if (message.size() > 3)
                return zelto2sim::ToHex(message).substr(0, 20);
        return std::string("nothing");
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"F0 3E 16 00 41 02 09", [&] { editor->SetParameterFromGUI(kGlobalDeviceID, 5 / 127.0); }},
        {"F0 3E 16 05 41 01 31", [&] { editor->SetParameterFromGUI(kFilterCutoff, 100 / 127.0); }},
        {"F0 3E 16 05 00 7F 00", [&] { manager->sendActiveArrangementRequestSysex(true); }},
        {"F0 3E 16 05 00 7F 00", [&] { manager->sendPartRequestSysex(true, 0); }},
        {"F0 3E 16 05 10 00 00", [&] { manager->storeAllPatchesToDeviceFromLibrarian(0, 0); }},
        {"F0 3E 16 05 10 7F 00", [&] { manager->sendArrangementToDevice(false, false); }},
    };
    for (const auto& [expected, step] : steps)
        EXPECT_EQ(expected, firstSent(step));
}

// Every sound parameter with a dump byte, set from its control, reaches the simulated synth (its own reading of the
// protocol) and comes back from it with a request: ARP SWING and ARP DELAY as their knob sends them (the integer part
// of value / 1.27), LFO 1's wave knob through the SHAPE byte it shares. The whole sound then sent holds the same
// values.
TEST(EditorConfigured, EverySoundParameterSetFromItsControlComesBackFromTheSynth)
{
    EditorWithOutput configured;
    RecordingEditor* editor = configured.editor.get();
    auto synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
    auto deliver = [&] {
        waitForRequestJobs(*editor);
        for (const Bytes& message : editor->wire()) {
            std::string refusal;
            synth->Receive(message, &refusal);
            EXPECT_EQ("", refusal);
        }
        editor->clearWire();
    };
    auto request = [&] {
        Bytes sound = synth->Sound({true, 0});
        ISysEx reply(0, sound.data(), static_cast<int>(sound.size()));
        quietly([&] {
            editor->SetLibrarianRequestActive(false);
            editor->ProcessSysEx(&reply, true);
            editor->midiMessageManager->patchRequested = false;
        });
    };
    auto sentAs = [](int param, double value) {
        return param == kArpSwing || param == kArpDelay ? std::trunc(value / 1.27) : value;
    };
    int parameters = 0;
    for (const auto& [param, initial] : e2e::PanelValuesOf(synth->Sound({true, 0}))) {
        if (param == kArpOnOffIndicator)  // follows kArpOnOff
            continue;
        SCOPED_TRACE(param);
        ++parameters;
        IParam* p = editor->GetParam(param);
        const double middle = std::floor((p->GetMin() + p->GetMax()) / 2);
        const double value = middle == initial ? p->GetMax() : middle;
        configured.setFromGUI(param, value);
        deliver();
        request();
        EXPECT_EQ(sentAs(param, value), editor->paramValue(param));
    }
    EXPECT_EQ(137, parameters);

    std::map<int, double> shown;
    for (const auto& [param, initial] : e2e::PanelValuesOf(synth->Sound({true, 0})))
        shown[param] = editor->paramValue(param);
    synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
    quietly([&] { EXPECT_TRUE(editor->midiMessageManager->sendArrangementToDevice(false, false)); });
    deliver();
    request();
    for (const auto& [param, value] : shown)
        EXPECT_EQ(value, editor->paramValue(param)) << param;
}

// ARP SWING and ARP DELAY: the knob's 0..127 reach the display and the synth as 0..100, the integer part of
// value / 1.27, which the repeat rule compares too (knob 1 after knob 0 sends nothing).
TEST(EditorConfigured, SwingAndDelayKnobsShowAndSendTheirValueOverOnePointTwoSeven)
{
    EditorWithOutput configured;
    RecordingEditor* editor = configured.editor.get();
    const struct {
        int knob;
        const char *byte, *swing, *delay;
    } rows[] = {{0, "00", "0 % [0]", "-50% [0]"}, {1, nullptr, "0 % [0]", "-50% [0]"},
        {64, "32", "50 % [50]", "0 % [50]"}, {100, "4E", "78% [78]", "28% [78]"},
        {117, "5C", "92% [92]", "42% [92]"}, {127, "64", "100% [100]", "50% [100]"}};
    for (const auto& row : rows) {
        for (const auto& [param, address, line] : {std::tuple(kArpSwing, "5F", row.swing),
                 std::tuple(kArpDelay, "60", row.delay)}) {
            SCOPED_TRACE(testing::Message() << param << " at " << row.knob);
            editor->clearWire();
            configured.setFromGUI(param, row.knob);
            EXPECT_EQ(row.byte ? std::string("F0 3E 16 00 41 01 ") + address + " " + row.byte + " 00 F7" : "",
                editor->wireHex());
            EXPECT_EQ(line, editor->paramTextControl(kControlDisplayValue)->GetTextString());
        }
    }
}

// The sound category box shows the word stored for the current sound on its arrival with its page refresh and on a
// page switch. A byte above 20 reads "NONE", though the menu's value stops at 20; before any sound the box reads the
// menu's first word. The category menu sends nothing without an output and leaves the box alone, also after STORE
// SOUND's whole sound showed the word it stored.
TEST(EditorConfigured, TheSoundCategoryBoxShowsTheWordStoredForTheCurrentSound)
{
    ConfiguredEditor<PlainEditor> configured;
    Zelto2X* editor = configured.editor.get();
    auto box = [&] { return editor->paramTextControl(kControlDisplayCategory)->GetTextString(); };
    configured.setFromGUI(kMainTab, 1);
    EXPECT_EQ("NONE", box());
    for (const auto& [byte, word] : {std::pair(20, "INIT"), {21, "NONE"}, {25, "NONE"}}) {
        SCOPED_TRACE(byte);
        Bytes sound = zelto2sim::InitSound();
        sound[134] = static_cast<uint8_t>(byte);
        ISysEx reply(0, sound.data(), static_cast<int>(sound.size()));
        quietly([&] {
            editor->SetLibrarianRequestActive(false);
            editor->ProcessSysEx(&reply, true);
        });
        EXPECT_EQ(std::pair(std::string(word), 20.0), std::pair(box(), editor->paramValue(kCategoryName)));
        configured.setFromGUI(kMainTab, 3);
        EXPECT_EQ(word, box());
        configured.setFromGUI(kCategoryName, 19);
        EXPECT_EQ(word, box());
    }
    configured.setFromGUI(kOverwriteBank, 1);
    waitForRequestJobs(*editor);
    EXPECT_EQ("EXFX", box());
    configured.setFromGUI(kCategoryName, 3);
    EXPECT_EQ("EXFX", box());
}
