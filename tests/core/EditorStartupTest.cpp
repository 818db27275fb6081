// The editor's construction, its UI settings file and its debug LOG file.
#include <regex>

#include "EditorCoreSupport.h"
#include "PatchManager.h"
#include "dovor/dialogs.h"
#include "platform/HeadlessWindowSystem.h"

using namespace coretest;

namespace {

struct SizeCase {
    const char* settings;
    int width;
    int height;
    double scale;
    int colourScheme;
};

}  // namespace

TEST(EditorStartup, SurfaceFollowsTheSizeLineAndOnlyExactWordsCount)
{
    const SizeCase cases[] = {
        {nullptr, 1500, 757, 1.0, 0},
        {"black\nsmall\nno\n", 1125, 567, 0.75, 1},
        {"normal\nlarge", 1875, 946, 1.25, 0},
        {"normal\r\nlarge\r\n", 1875, 946, 1.25, 0},
        {"black \t\nlarge  \n", 1875, 946, 1.25, 1},
        {"Black\nLarge\n", 1500, 757, 1.0, 0},
        {"normal\n large\n", 1500, 757, 1.0, 0},
    };
    for (const SizeCase& c : cases) {
        DataFolder folder;
        if (c.settings)
            folder.write(kSettingsFile, c.settings);
        RecordingEditor editor;
        SCOPED_TRACE(c.settings ? c.settings : "(no file)");
        EXPECT_EQ(c.width, editor.GetGUI()->Width());
        EXPECT_EQ(c.height, editor.GetGUI()->Height());
        EXPECT_DOUBLE_EQ(c.scale, editor.guiScale);
        EXPECT_EQ(c.colourScheme, editor.colorScheme);
    }
}

TEST(EditorStartup, ConstructionEndsReadyWithNoPortOpenAndTheDefaultRouting)
{
    DataFolder folder;
    RecordingEditor editor;
    EXPECT_EQ(307, editor.NParams());
    EXPECT_EQ(0, editor.NAutomatableParams());
    EXPECT_TRUE(editor.pluginReady);
    EXPECT_FALSE(editor.midiOutSet);
    EXPECT_FALSE(editor.localControl);  // kGlobalLocalControl is 0
    EXPECT_TRUE(editor.trackIncomingMIDI);
    EXPECT_FALSE(editor.toDAWBuffer);
    EXPECT_FALSE(editor.sendClockPointer);
    EXPECT_FALSE(editor.sendClockInfo);
    EXPECT_TRUE(editor.globalSettingsSent);
    for (int i = 0; i < kMidiFilterCount; ++i) {
        EXPECT_FALSE(editor.hwFilter[i]) << i;
        EXPECT_EQ(i == kFilterSysEx, editor.dawFilter[i].load()) << i;
    }
    EXPECT_EQ(editor.GetBlockSize(), editor.dawOffset);  // the start-up Reset
    EXPECT_EQ(folder.root, editor.getDataFolder());
    EXPECT_EQ(folder.root + "Patches", editor.getPatchesFolderStr());
    EXPECT_EQ(static_cast<int>(folder.root.size()) + 7, editor.getPatchesFolderLength());
    // An empty library: no bank names.
    EXPECT_EQ("", editor.upperBankName);
    EXPECT_EQ("", editor.lowerBankName);
    // The patch manager holds the short state and the INIT texts.
    EXPECT_EQ(1924, editor.patchManager->data.Size());
    EXPECT_EQ("Set Name", editor.patchManager->texts[PatchManager::kSoundName]);
    EXPECT_EQ("- INIT -", editor.patchManager->texts[PatchManager::kMidiOutDevice]);
}

TEST(EditorStartup, PanelStringAndTheSaveDialogTemplate)
{
    DataFolder folder;
    RecordingEditor editor;
    EXPECT_STREQ("Timbre 1 Filter", editor.getPanelString(0, "Filter"));
    EXPECT_STREQ("Timbre 4 LFO", editor.getPanelString(3, "LFO"));
    const DOVOR_DialogResourceIndex* dialog = DOVOR_FindDialogResource(DOVOR_curmodule_dialogresource_head, 10014);
    ASSERT_NE(nullptr, dialog);
    EXPECT_STREQ("Enter Bank Name", dialog->title);
    EXPECT_EQ(396, dialog->width);
    EXPECT_EQ(144, dialog->height);
}

TEST(EditorSettings, SizeCommandRewritesFiveLinesWithLineFeedsOnly)
{
    struct Case {
        const char* before;
        int size;
        const char* after;
        double scale;
    };
    const Case cases[] = {
        {"normal\nlarge", 2, "normal\nlarge\n\n\n", 1.25},
        {"black\r\nnormal\r\nno\r\nfour\r\nfive\r\nsix\r\n", 0, "black\nsmall\nno\nfour\nfive", 0.75},
        {"normal\nsmall\nyes\n", 1, "normal\nnormal\nyes\n\n", 1.0},
        {"normal\nsmall\nyes\n", 3, "normal\nsmall\nyes\n\n", 0.75},
    };
    for (const Case& c : cases) {
        DataFolder folder;
        folder.write(kSettingsFile, c.before);
        RecordingEditor editor;
        const std::string out = quietly([&] { editor.userInterfaceSizeChanged(c.size); });
        EXPECT_EQ(c.after, folder.read(kSettingsFile)) << c.before;
        EXPECT_DOUBLE_EQ(c.scale, editor.guiScale) << c.before;
        EXPECT_NE(std::string::npos, out.find("Build LOG: \t Size changed to ")) << out;
        // Written beside the file and renamed over it: nothing else is left.
        EXPECT_EQ(1, std::distance(fs::directory_iterator(folder.root), fs::directory_iterator()));
    }
}

TEST(EditorSettings, WritersChangeNothingWithoutTheFileAndNeverCreateIt)
{
    DataFolder folder;
    RecordingEditor editor;
    editor.GetGUI()->AttachControl(new TextStandIn(&editor, kControlDisplayName));
    editor.GetGUI()->AttachControl(new TextStandIn(&editor, kControlDisplayValue));
    editor.rememberControls();
    editor.userInterfaceSizeChanged(2);
    editor.firstRunExitChanged(1.0);
    EXPECT_FALSE(folder.exists(kSettingsFile));
    EXPECT_DOUBLE_EQ(1.0, editor.guiScale);
    EXPECT_EQ("", editor.uiSettings[2]);
    EXPECT_EQ("Zelto2X Editor UI.txt MISSING!", editor.paramTextControl(kControlDisplayName)->GetTextString());
    EXPECT_EQ("Contact support", editor.paramTextControl(kControlDisplayValue)->GetTextString());
}

TEST(EditorSettings, LeavingTheFirstRunNotificationWritesYes)
{
    DataFolder folder;
    folder.write(kSettingsFile, "normal\nnormal\nno\nkept4\nkept5\n");
    RecordingEditor editor;
    quietly([&] { editor.firstRunExitChanged(0.0); });
    EXPECT_EQ("normal\nnormal\nno\nkept4\nkept5\n", folder.read(kSettingsFile));
    const std::string out = quietly([&] { editor.firstRunExitChanged(1.0); });
    EXPECT_EQ("normal\nnormal\nyes\nkept4\nkept5", folder.read(kSettingsFile));
    EXPECT_NE(std::string::npos, out.find("Build LOG: \t Is Notification seen? yes\n"));
}

TEST(EditorDebugLog, AnExistingLogIsEmptiedAndGetsTimeStampedLines)
{
    DataFolder folder;
    folder.write(kLogFile, "old run\n");
    {
        RecordingEditor editor;
        EXPECT_TRUE(editor.debugLogEnabled);
    }
    const std::string log = folder.read(kLogFile);
    EXPECT_EQ(std::string::npos, log.find("old run"));
    std::istringstream lines(log);
    std::string first;
    std::getline(lines, first);
    EXPECT_TRUE(std::regex_match(first, std::regex(R"(\d{4}-\d\d-\d\d\.\d\d:\d\d:\d\d\t INITIALIZATION STARTED!)"))) << first;
    std::getline(lines, first);
    EXPECT_NE(std::string::npos, first.find("\t Data folder located at " + folder.root));
    EXPECT_NE(std::string::npos, log.find("\t Plug-in is ready to load!\n"));
}

TEST(EditorDebugLog, WithoutALogFileNothingIsWrittenOrCreated)
{
    DataFolder folder;
    const std::string out = quietly([] { RecordingEditor editor; });
    EXPECT_NE(std::string::npos, out.find("Unable to open Plug-in LOG file\n"));
    EXPECT_EQ(std::string::npos, out.find("INITIALIZATION STARTED!"));
    EXPECT_FALSE(folder.exists(kLogFile));
}

TEST(EditorDebugLog, DumpsPrintTwoLowerCaseDigitsAndIncomingMessagesOnlyWhenChanged)
{
    EXPECT_EQ("Plug-in MIDI Out (sysex | 4 bytes | F0 00 0a ff 3e F7)\n",
              quietly([] { DebuggerOutput().logSysExOutMessageByteInt({0, 10, 255, 0x3E}, 4); }));
    DataFolder folder;
    RecordingEditor editor;
    IMidiMsg first(0, 0xB0, 7, 100);
    IMidiMsg sameBytesLater(64, 0xB0, 7, 100);
    EXPECT_NE("", quietly([&] { EXPECT_TRUE(editor.debugOutput.compareMIDIdata(&editor, first)); }));
    EXPECT_EQ("", quietly([&] { EXPECT_FALSE(editor.debugOutput.compareMIDIdata(&editor, sameBytesLater)); }));
}

TEST(EditorInstall, AFreshDataFolderGetsDefaultSettingsAndTheManualWithoutLosingEdits)
{
    DataFolder folder;
    const std::string install =
        std::string("sh '") + ZELTO2X_SOURCE_DIR + "/scripts/install-data.sh' '" + ZELTO2X_BINARY_DIR + "' >/dev/null";
    fs::remove_all(folder.root);
    ASSERT_EQ(0, std::system(install.c_str()));
    EXPECT_EQ("normal\nnormal\nno\n\n", folder.read(kSettingsFile));
    EXPECT_EQ("%PDF", folder.read("Marnvik-Zelto2X-User-Manual-v101.pdf").substr(0, 4));
    {
        RecordingEditor editor;
        EXPECT_EQ("no", editor.uiSettings[2]);  // the first-run notice shows
        quietly([&] { editor.userInterfaceSizeChanged(2); });
    }
    ASSERT_EQ(0, std::system(install.c_str()));
    EXPECT_EQ("normal\nlarge\nno\n\n", folder.read(kSettingsFile));
}

TEST(EditorStartup, TheDataFolderAndTheManualOpenInTheFileBrowser)
{
    DataFolder folder;
    auto system = std::make_unique<platform::HeadlessWindowSystem>();
    platform::HeadlessWindowSystem* headless = system.get();
    platform::WindowSystem::SetShared(std::move(system));
    {
        RecordingEditor editor;
        folder.write("Marnvik-Zelto2X-User-Manual-v101.pdf", "%PDF");
        editor.OpenDataDirectory(false);
        editor.OpenDataDirectory(true);
    }
    EXPECT_EQ((std::vector<std::string> {folder.root, folder.root + "Marnvik-Zelto2X-User-Manual-v101.pdf"}),
              headless->openedURLs);
    platform::WindowSystem::SetShared(nullptr);
}
