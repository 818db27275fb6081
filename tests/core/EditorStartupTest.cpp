// The editor's construction, its UI settings file, its debug LOG file and the installer's first run.
#include <algorithm>
#include <regex>

#include "EditorCoreSupport.h"
#include "PatchLibrarian.h"
#include "messaging/DocumentedInitSound.h"

using namespace coretest;

TEST(EditorStartup, SurfaceFollowsTheSizeLineAndOnlyExactWordsCount)
{
    const struct {
        const char* settings;
        int width, height;
        double scale;
        int colourScheme;
    } cases[] = {
        {nullptr, 1500, 757, 1.0, 0}, {"black\nsmall\nno\n", 1125, 567, 0.75, 1},
        {"normal\r\nlarge\r\n", 1875, 946, 1.25, 0}, {"black \t\nlarge  \n", 1875, 946, 1.25, 1},
        {"Black\nLarge\n", 1500, 757, 1.0, 0}, {"normal\n large\n", 1500, 757, 1.0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings ? c.settings : "(no file)");
        DataFolder folder;
        if (c.settings)
            folder.write(kSettingsFile, c.settings);
        RecordingEditor editor;
        EXPECT_EQ((std::vector<double> {double(c.width), double(c.height), c.scale, double(c.colourScheme)}),
                  (std::vector<double> {double(editor.GetGUI()->Width()), double(editor.GetGUI()->Height()),
                                        editor.guiScale, double(editor.colorScheme)}));
    }
}

TEST(EditorSettings, SizeAndFirstRunCommandsRewriteFiveLinesWithLineFeedsOnly)
{
    const struct {
        const char* before;
        int size;  // -1: leaving the first-run notice (firstRun given)
        double firstRun;
        const char* after;
    } cases[] = {
        {"normal\nlarge", 2, 0, "normal\nlarge\n\n\n"},
        {"black\r\nnormal\r\nno\r\nfour\r\nfive\r\nsix\r\n", 0, 0, "black\nsmall\nno\nfour\nfive"},
        {"normal\nsmall\nyes\n", 1, 0, "normal\nnormal\nyes\n\n"},
        {"normal\nsmall\nyes\n", 3, 0, "normal\nsmall\nyes\n\n"},
        {"normal\nnormal\nno\nkept4\nkept5\n", -1, 0.0, "normal\nnormal\nno\nkept4\nkept5\n"},
        {"normal\nnormal\nno\nkept4\nkept5\n", -1, 1.0, "normal\nnormal\nyes\nkept4\nkept5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        DataFolder folder;
        folder.write(kSettingsFile, c.before);
        RecordingEditor editor;
        quietly([&] { c.size < 0 ? editor.firstRunExitChanged(c.firstRun) : editor.userInterfaceSizeChanged(c.size); });
        EXPECT_EQ(c.after, folder.read(kSettingsFile));
        // Written beside the file and renamed over it: no other file is left.
        EXPECT_EQ(1, std::count_if(fs::directory_iterator(folder.root), fs::directory_iterator(),
                         [](const fs::directory_entry& entry) { return entry.is_regular_file(); }));
    }
}

TEST(EditorSettings, WritersChangeNothingWithoutTheFileAndNeverCreateIt)
{
    DataFolder folder;
    RecordingEditor editor;
    attachText(editor, kControlDisplayName);
    attachText(editor, kControlDisplayValue);
    editor.rememberControls();
    editor.userInterfaceSizeChanged(2);
    editor.firstRunExitChanged(1.0);
    EXPECT_FALSE(folder.exists(kSettingsFile));
    EXPECT_DOUBLE_EQ(1.0, editor.guiScale);
    EXPECT_EQ("Zelto2X Editor UI.txt MISSING!", editor.paramTextControl(kControlDisplayName)->GetTextString());
    EXPECT_EQ("Contact support", editor.paramTextControl(kControlDisplayValue)->GetTextString());
}

TEST(EditorDebugLog, AnExistingLogIsEmptiedAndGetsTimeStampedLinesAndAMissingOneIsNotCreated)
{
    DataFolder folder;
    folder.write(kLogFile, "old run\n");
    quietly([] { RecordingEditor editor; });
    const std::string log = folder.read(kLogFile);
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(^\d{4}-\d\d-\d\d\.\d\d:\d\d:\d\d\t INITIALIZATION STARTED!\n)")))
        << log;
    EXPECT_NE(std::string::npos, log.find("\t Data folder located at " + folder.root));
    EXPECT_EQ(std::string::npos, log.find("old run"));

    fs::remove(folder.root + kLogFile);
    EXPECT_NE(std::string::npos, quietly([] { RecordingEditor editor; }).find("Unable to open Plug-in LOG file\n"));
    EXPECT_FALSE(folder.exists(kLogFile));
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
    EXPECT_TRUE(fs::is_directory(folder.root + "Patches"));
    {
        RecordingEditor editor;
        EXPECT_EQ("no", editor.uiSettings[2]);  // the first-run notice shows
        quietly([&] { editor.userInterfaceSizeChanged(2); });
    }
    ASSERT_EQ(0, std::system(install.c_str()));
    EXPECT_EQ("normal\nlarge\nno\n\n", folder.read(kSettingsFile));
}

TEST(EditorLibraryFolder, AHostOnAFreshMachineGetsTheFoldersAndOneBankOfInitSoundsOnce)
{
    DataFolder folder;
    setenv("ZELTO2X_DATA_FOLDER", (folder.root + "Fresh/").c_str(), 1);  // no installer ran
    std::vector<uint8_t> init = kDocumentedInitSound;
    init[135] = 0x29;  // the sum of bytes 1..134 modulo 128, as a synth checks it
    std::string bank;
    for (int slot = 0; slot < 100; ++slot)
        bank.append(init.begin(), init.end());
    for (int start = 0; start < 2; ++start) {  // the second start finds the bank
        std::unique_ptr<RecordingEditor> editor;
        quietly([&] { editor = std::make_unique<RecordingEditor>(); });
        const PatchFileList& banks = editor->patchLibrarian->bankFiles;
        ASSERT_EQ(1u, banks.size());
        EXPECT_EQ("User Bank 1.syx|INIT          ", banks[0]->fileName + "|" + banks[0]->patches[99].name);
    }
    EXPECT_EQ(bank, folder.read("Fresh/Patches/User Bank 1.syx"));
}
