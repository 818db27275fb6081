// The editor's construction, its dialogs, its UI settings file, its debug LOG file and the installer's first run.
#include <ctime>
#include <regex>
#include <set>

#include "EditorCoreSupport.h"
#include "IGraphicsMac.h"
#include "PatchLibrarian.h"
#include "Zelto2XDialogs.h"
#include "debugger.h"
#include "messaging/DocumentedInitSound.h"
#include "platform/HeadlessWindowSystem.h"

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
        EXPECT_STREQ(static_cast<IGraphicsMac*>(editor.GetGUI())->GetBundleID(),
            "com.Vantorel.audiounit.Zelto2X Editor x64");
    }
}

TEST(EditorDialogs, TheBankNameDialogOpensCentredOnItsParentAndOnlyReturnOrCloseEndIt)
{
    DataFolder folder;
    RecordingEditor editor;
    auto* headless = new platform::HeadlessWindowSystem;
    platform::WindowSystem::SetShared(std::unique_ptr<platform::WindowSystem>(headless));
    HWND parent = DOVOR_CreateWindow(nullptr, 101, 50, 1501, 757);
    for (const char* answer : {"OK", "return", "Cancel"})
        headless->QueueDialogAnswer(answer);
    EXPECT_EQ(showMessageBox(parent, &editor, 10014, nullptr), 1);  // the OK button is not IDOK
    EXPECT_EQ(showMessageBox(parent, &editor, 10014, nullptr), IDCANCEL);
    EXPECT_EQ(showMessageBox(parent, &editor, 10015, nullptr), -1);
    ASSERT_EQ(headless->shownDialogs.size(), 2u);
    const platform::ShownDialog& shown = headless->shownDialogs[0];
    EXPECT_EQ(shown.request.title, "Enter Bank Name");
    // 101 + 1501 / 2 - 396 / 2, 50 + 757 / 2 - 144 / 2
    EXPECT_EQ((std::vector<int> {shown.x, shown.y, shown.width, shown.height}), (std::vector<int> {653, 356, 396, 144}));
    std::string items;
    for (const platform::DialogItem& item : shown.request.items)
        items += item.text + "|" + std::to_string(item.id) + " ";
    EXPECT_EQ(items, "Bank Name|-1 |10013 &Cancel|2 &OK    |10006 ");

    HWND odd = DOVOR_CreateWindow(nullptr, 0, 0, 397, 145);
    SetWindowPos(parent, nullptr, 0, 0, 1500, 756, 0);
    centerDialog(parent, odd);  // 750 - 198, 378 - 72: halves, not half the difference
    RECT r;
    GetWindowRect(odd, &r);
    EXPECT_EQ((std::vector<int> {r.left, r.top, r.right, r.bottom}), (std::vector<int> {552, 306, 949, 451}));
    DestroyWindow(odd);
    DestroyWindow(parent);
    platform::WindowSystem::SetShared(nullptr);
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
    }
}

TEST(EditorSettings, StartUpRemovesOnlyTheTemporaryFilesOfKilledWritersAndWritersNeverCreateTheFile)
{
    DataFolder folder;
    const std::string hidden = "." + kSettingsFile + ".";
    const std::tuple<std::string, int, bool> files[] = {  // name, mode, left alone
        {kSettingsFile + ".a1B2c3", 0600, false}, {hidden + "999999999.writing", 0644, false},
        {hidden + "writing", 0644, false}, {hidden + std::to_string(getpid()) + ".writing", 0644, true},
        {kSettingsFile + ".backup", 0644, true}, {kSettingsFile + ".bak", 0600, true}};
    for (const auto& [name, mode, stays] : files) {
        folder.write(name, "x");
        fs::permissions(folder.root + name, fs::perms(mode));
    }
    RecordingEditor editor;
    for (const auto& [name, mode, stays] : files)
        EXPECT_EQ(stays, folder.exists(name)) << name;
    // Without the settings file the writers change nothing and never create it.
    attachText(editor, kControlDisplayName);
    attachText(editor, kControlDisplayValue);
    editor.rememberControls();
    editor.userInterfaceSizeChanged(2);
    editor.firstRunExitChanged(1.0);
    EXPECT_FALSE(folder.exists(kSettingsFile));
    EXPECT_DOUBLE_EQ(1.0, editor.guiScale);
    EXPECT_EQ("Zelto2X Editor UI.txt MISSING!|Contact support", editor.paramTextControl(kControlDisplayName)->GetTextString() +
        "|" + editor.paramTextControl(kControlDisplayValue)->GetTextString());
}

TEST(EditorDebugLog, AnExistingLogIsEmptiedAndGetsTimeStampedLinesAndAMissingOneIsNotCreated)
{
    DataFolder folder;
    folder.write(kLogFile, "old run\n");
    const std::time_t before = std::time(nullptr);
    quietly([] { RecordingEditor editor; });
    std::set<std::string> stamps;  // the local time of the start-up, as "%Y-%m-%d.%X" gives it
    for (std::time_t t = before; t <= std::time(nullptr); ++t) {
        char stamp[80];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d.%X", std::localtime(&t));
        stamps.insert(stamp);
    }
    const std::string log = folder.read(kLogFile);
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(^\d{4}-\d\d-\d\d\.\d\d:\d\d:\d\d\t INITIALIZATION STARTED!\n)")))
        << log;
    EXPECT_EQ(1u, stamps.count(log.substr(0, log.find('\t')))) << log;
    EXPECT_NE(std::string::npos, log.find("\t Data folder located at " + folder.root));
    EXPECT_EQ(std::string::npos, log.find("old run"));

    fs::remove(folder.root + kLogFile);
    EXPECT_NE(std::string::npos, quietly([] { RecordingEditor editor; }).find("Unable to open Plug-in LOG file\n"));
    EXPECT_FALSE(folder.exists(kLogFile));

    // An outgoing SysEx message goes to standard output only, each byte as two lower-case hex digits and a blank.
    const unsigned char bytes[] = {0x00, 0x0a, 0xff};
    const std::string line = "Plug-in MIDI Out (sysex | 3 bytes | F0 00 0a ff F7)\n";
    EXPECT_EQ(line, quietly([&] { DebuggerOutput().logSysExOutMessageByte(bytes, 3); }));
    EXPECT_EQ(line, quietly([&] { DebuggerOutput().logSysExOutMessageByteInt({0, 10, 255}, 3); }));
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

// On a system with no application to open them, the help items say what is missing and where to look instead of doing
// nothing; a manual that is not installed is told as such.
TEST_F(CoreTest, HelpItemsWithoutAnApplicationToOpenThemSayWhereToLook)
{
    auto system = std::make_unique<platform::HeadlessWindowSystem>();
    system->urlOpenerPresent = false;
    platform::WindowSystem::SetShared(std::move(system));
    folder.write("Marnvik-Zelto2X-User-Manual-v101.pdf", "%PDF");
    const std::tuple<int, std::string, std::string> rows[] = {{1, "No PDF viewer found!", folder.root},
        {0, "No file browser found!", folder.root}, {3, "No web browser found!", "support.vantorel.com/downloads"},
        {-1, "User manual not found!", folder.root}};  // -1: the manual after it is gone
    for (const auto& [item, name, value] : rows) {
        if (item < 0)
            fs::remove(folder.root + "Marnvik-Zelto2X-User-Manual-v101.pdf");
        const int opened = item < 0 ? 1 : item;
        quietly([&] { editor->libOpenHelp(opened); });
        EXPECT_EQ(name + "|" + value, nameLine->GetTextString() + "|" + valueLine->GetTextString());
    }
    platform::WindowSystem::SetShared(nullptr);
}

TEST(EditorLibraryFolder, AHostOnAFreshMachineGetsTheFoldersAndOneBankOfInitSoundsOnce)
{
    DataFolder folder;
    setenv("ZELTO2X_DATA_FOLDER", (folder.root + "Fresh/").c_str(), 1);  // no installer ran
    // Each slot holds the INIT sound as documented, for the edit buffer (7F 00),
    // written with the sum of its bytes 1..134 modulo 128 as its checksum.
    std::vector<uint8_t> init = kDocumentedInitSound;
    init[135] = 0x29;
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
