// The editor with its real configuration (the bundle's resources, found through a marker module in a copy of the
// bundle's layout): every layer the start-up looks up exists, the first run shows its notice, a saved state comes back,
// every control draws after the image cache is cleared, and the editor closes cleanly (AddressSanitizer).
#include <dlfcn.h>

#include "ControlLayer.h"
#include "EditorCoreSupport.h"
#include "ProgressIndicator.h"
#include "UIConfigManager.h"

using namespace coretest;

TEST(EditorConfigured, StartsWithEveryLayerRoundTripsItsStateAndClosesCleanly)
{
    ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    DataFolder folder;
    folder.write(kSettingsFile, "normal\nnormal\nno\n\n");
    std::unique_ptr<Zelto2X> editor;
    const std::string out = quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    EXPECT_EQ(std::string::npos, out.find("missing from the configuration")) << out;
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
    quietly([&] { editor.reset(); });
}

// The progress overlay's picture is the image table's copy at the interface
// size: it covers the whole large view, and the picture is decoded only once.
TEST(EditorConfigured, ProgressOverlayPictureIsTheTablesCopyCoveringTheLargeView)
{
    ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    DataFolder folder;
    folder.write(kSettingsFile, "normal\nlarge\nyes\n\n");
    std::unique_ptr<Zelto2X> editor;
    quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    ASSERT_NE(nullptr, editor->progressIndicator);
    const IBitmap& picture = static_cast<ProgressIndicator*>(editor->progressIndicator)->overlay;
    EXPECT_EQ((std::pair<int, int> {1875, 946}), (std::pair<int, int> {picture.W, picture.H}));
    EXPECT_EQ(editor->GetGUI()->getImageById(118).mData, picture.mData);
    quietly([&] { editor.reset(); });
}

namespace {

std::unique_ptr<Zelto2X> configuredEditor(DataFolder& folder)
{
    EXPECT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
    folder.write(kSettingsFile, "normal\nnormal\nyes\n\n");
    std::unique_ptr<Zelto2X> editor;
    quietly([&] { editor = std::make_unique<Zelto2X>(IPluginInstanceInfo()); });
    return editor;
}

void setFromGUI(Zelto2X& editor, int param, double value)
{
    quietly([&] { editor.SetParameterFromGUI(param, editor.GetParam(param)->GetNormalized(value)); });
}

}  // namespace

// The pattern page's step rows are greyed and un-greyed by id when the tab
// opens; the tempo pair must stay as the clock source left it.
TEST(EditorConfigured, OpeningTheArpTabGreysTheTempoControlTheClockSourceDoesNotUse)
{
    DataFolder folder;
    std::unique_ptr<Zelto2X> editor = configuredEditor(folder);
    ASSERT_TRUE(editor && editor->paramControl(kArpTempo) && editor->paramControl(kArpClock));
    for (int midiClock : {1, 0}) {
        setFromGUI(*editor, kMainTab, 2);
        setFromGUI(*editor, kGlobalClock, midiClock);
        setFromGUI(*editor, kMainTab, 3);
        EXPECT_EQ(midiClock == 1, editor->paramControl(kArpTempo)->IsGrayed()) << midiClock;
        EXPECT_EQ(midiClock == 0, editor->paramControl(kArpClock)->IsGrayed()) << midiClock;
    }
    quietly([&] { editor.reset(); });
}

// A menu, a knob and a switch that start at 0 show the first value the host gives them.
TEST(EditorConfigured, ControlsShowTheValuesTheHostSets)
{
    DataFolder folder;
    std::unique_ptr<Zelto2X> editor = configuredEditor(folder);
    ASSERT_TRUE(editor);
    const std::pair<int, float> rows[] = {{kFilterType, 2.f}, {kFilterResonance, 90.f}, {kOscillator2Sync, 1.f}};
    for (const auto& [param, value] : rows) {
        IControl* control = editor->paramControl(param);
        ASSERT_NE(nullptr, control) << param;
        control->SetClean();
        control->SetClean();
        quietly([&] { IPluginAU::SetParamProc(editor.get(), param, kAudioUnitScope_Global, 0, value, 0); });
        EXPECT_TRUE(control->IsDirty()) << param;
        EXPECT_DOUBLE_EQ(editor->GetParam(param)->GetNormalized(), control->GetValue()) << param;
    }
    quietly([&] { editor.reset(); });
}

// A button pressed and released, or a window switch turned on and off, with no MIDI port open: a command's own
// status text stays, no command's name shows and a command that sends nothing does not ask for a port; values the
// user sets show with their names (the ungrouped DAW offset knob among them), and a value meant for the synth asks
// for a port.
TEST(EditorConfigured, StatusDisplayShowsValuesAndCommandTextsButNeverTheNameOfACommand)
{
    DataFolder folder;
    std::unique_ptr<Zelto2X> editor = configuredEditor(folder);
    ASSERT_TRUE(editor && editor->paramTextControl(kControlDisplayName) && editor->paramTextControl(kControlDisplayValue));
    struct Row {
        int param;
        double value, after;  // after: the release, or the same value again for a setting
        const char *name, *line;
    };
    const Row rows[] = {{kFirstRunExit, 1, 0, "Set MIDI In and MIDI Out", "-"}, {kDisplayAboutWindow, 1, 0, "-", "-"},
        {kExitAboutWindow, 1, 0, "-", "-"}, {kViewMIDIFilterSettings, 1, 0, "-", "-"},
        {kPartLock, 1, 1, "Lock Program", "ON [1]"},
        {kFilterCutoff, 64, 64, "Set MIDI I/O First!", "64"}, {kAdjustDAWOffset, 12, 12, "DAW Offset", "12"}};
    for (const Row& row : rows) {
        editor->showStatusLines("-", "-");
        setFromGUI(*editor, row.param, row.value);
        setFromGUI(*editor, row.param, row.after);
        EXPECT_EQ(row.name, editor->paramTextControl(kControlDisplayName)->GetTextString()) << row.param;
        EXPECT_EQ(row.line, editor->paramTextControl(kControlDisplayValue)->GetTextString()) << row.param;
    }
    quietly([&] { editor.reset(); });
}

TEST(EditorConfigured, APatchesFolderThatCannotBeMadeIsToldOnceTheEditorIsReady)
{
    DataFolder folder;
    folder.write("Patches", "a file where the library folder belongs");
    std::unique_ptr<Zelto2X> editor = configuredEditor(folder);
    ASSERT_TRUE(editor && editor->paramTextControl(kControlDisplayName));
    EXPECT_EQ("Patches folder NOT created!|Check folder rights",
        editor->paramTextControl(kControlDisplayName)->GetTextString() + "|" +
            editor->paramTextControl(kControlDisplayValue)->GetTextString());
    quietly([&] { editor.reset(); });
}
