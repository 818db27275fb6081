// The editor on a read-only data folder: it starts with the settings it finds, says that the LOG cannot be written, and
// every writer says what it could not save and keeps the files.

#include "EditorCoreSupport.h"
#include "PatchLibrarian.h"
#include "support/FileFaults.h"

using namespace coretest;

TEST(EditorFaults, ReadOnlyDataFolderKeepsItsFilesAndEveryWriterSaysWhatItCouldNotSave)
{
    DataFolder folder;
    folder.write(kSettingsFile, "black\nlarge\nno\n\n");
    folder.write(kLogFile, "old run\n");
    fs::create_directories(folder.root + "Patches");
    folder.write("Patches/Old.syx", std::string(137 * 3, '\x11'));
    testsupport::ReadOnlyFolder readOnly(folder.root.substr(0, folder.root.size() - 1));
    if (!readOnly.Active())
        GTEST_SKIP() << "no way to make a folder read-only here";

    std::unique_ptr<RecordingEditor> editor;
    std::string out = quietly([&] { editor = std::make_unique<RecordingEditor>(); });
    EXPECT_NE(std::string::npos, out.find("Unable to open Plug-in LOG file\n")) << out;
    EXPECT_DOUBLE_EQ(1.25, editor->guiScale);

    ITextControl* name = attachText(*editor, kControlDisplayName);
    ITextControl* value = attachText(*editor, kControlDisplayValue);
    editor->rememberControls();
    for (const auto& command : std::vector<std::function<void()>> {
             [&] { editor->userInterfaceSizeChanged(0); }, [&] { editor->firstRunExitChanged(1.0); }}) {
        name->SetTextFromPlug("");
        out = quietly(command);
        EXPECT_EQ("Zelto2X Editor UI.txt NOT SAVED! / Check folder rights",
                  name->GetTextString() + " / " + value->GetTextString());
        EXPECT_NE(std::string::npos, out.find("Could not write " + folder.root + kSettingsFile)) << out;
    }

    editor->statusText = attachText(*editor, -1);
    PatchLibrarian* library = editor->patchLibrarian;
    library->bankFiles.push_back(std::make_unique<PatchFile>());
    library->bankFiles.back()->patches.resize(100);
    library->upperSelection = static_cast<int>(library->bankFiles.size()) - 1;
    library->selectionKind = 0;
    quietly([&] { EXPECT_FALSE(library->saveEditedPatch(folder.root + "Patches/Old.syx", "Old.syx")); });
    EXPECT_EQ("Bank NOT saved! File unchanged", editor->statusText->GetTextString());

    EXPECT_EQ("black\nlarge\nno\n\n", folder.read(kSettingsFile));
    EXPECT_EQ("old run\n", folder.read(kLogFile));
    EXPECT_EQ(std::string(137 * 3, '\x11'), folder.read("Patches/Old.syx"));
    quietly([&] { editor.reset(); });
}

// Garbage where banks belong: the editor starts, says which files it skipped,
// and every one of them is still on disk byte for byte.
TEST(EditorFaults, GarbageBankFilesAtStartUpAreSkippedWithALogLineAndKeptOnDisk)
{
    DataFolder folder;
    folder.write(kLogFile, "");
    fs::create_directories(folder.root + "Patches");
    std::string noise(3000, '\0');
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 151) & 0xFF);
    const std::pair<std::string, std::string> garbage[] = {
        {"Noise.zt2", noise},
        {"Cut.syx", std::string("\xF0\x3E\x16\x00\x10\x00\x00", 7) + std::string(3000, '\x7F')},
        {"Liar.mid", std::string("MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xE0MTrk\xFF\xFF\xFF\xFF\xF0\x81", 24) +
                         std::string(3000, '\x42')},
    };
    for (const auto& [name, bytes] : garbage)
        folder.write("Patches/" + name, bytes);

    std::unique_ptr<RecordingEditor> editor;
    const std::string out = quietly([&] { editor = std::make_unique<RecordingEditor>(); });
    EXPECT_TRUE(editor->pluginReady);
    for (const auto& [name, bytes] : garbage) {
        EXPECT_NE(std::string::npos, out.find(name + ", skipped")) << name << "\n" << out;
        bool kept = false;
        for (const auto& entry : fs::recursive_directory_iterator(folder.root))
            kept = kept || (entry.is_regular_file() && entry.path().filename() == name &&
                               folder.read(fs::relative(entry.path(), folder.root).string()) == bytes);
        EXPECT_TRUE(kept) << name;
    }
    quietly([&] { editor.reset(); });
}
