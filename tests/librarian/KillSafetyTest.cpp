// Every file operation of the library and the UI settings writer, killed with
// SIGKILL before each of its steps that change the disk (one child process per
// step): after the next start every sound is in the library exactly once,
// every file whole, old or new, with its mode, and nothing the writer left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "DurableFile.h"
#include "IGraphics.h"
#include "LibraryTestSupport.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "platform/HeadlessWindowSystem.h"
#include "support/LiveThreads.h"

namespace {

using namespace librarytest;
using Names = std::multiset<std::string>;

int stepsLeft = 0;

std::unique_ptr<Zelto2X> startEditor()
{
    platform::WindowSystem::SetShared(std::make_unique<platform::HeadlessWindowSystem>());
    auto editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
    editor->GetGUI()->OpenWindow(nullptr);
    return editor;
}

// The named sounds of the library as an editor started on it reads them.
Names librarySounds()
{
    const auto editor = startEditor();
    Names names;
    for (const auto& bank : editor->patchLibrarian->bankFiles)
        for (const LibrarianPatch& slot : bank->patches)
            if (!slot.name.empty() && slot.name != paddedName("INIT"))
                names.insert(slot.name);
    return names;
}

Names named(const std::string& prefix, int count, Names names = {})
{
    for (int i = 1; i <= count; ++i)
        names.insert(paddedName(prefix + std::to_string(i)));
    return names;
}

Bytes bank(const std::string& prefix, int count, bool olderModel = false)
{
    std::vector<Bytes> dumps = currentDumps(count, prefix);
    for (int i = 0; olderModel && i < count; ++i)
        dumps[static_cast<size_t>(i)] = olderDump(92, prefix + std::to_string(i + 1));
    return concat(dumps);
}

std::string textOf(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

void put(const std::string& path, const std::string& text)
{
    writeFile(path, Bytes(text.begin(), text.end()));
    fs::permissions(path, fs::perms(0640));
}

struct Operation {
    const char* name;
    std::function<void(const std::string& root)> prepare, run;  // run: in the child that is killed
    Names before, after;                                        // the library's sounds, old or new
    std::string file, fileAfter;                                // a file (mode 0640) whole, old or new
};

const Operation kOperations[] = {
    {"split of a bank of 150 sounds at start-up",
        [](const std::string& root) { writeFile(root + "/Patches/Big.syx", bank("BIG", 150)); },
        [](const std::string&) { startEditor(); }, named("BIG", 150), named("BIG", 150), "", ""},
    {"older-model conversions in place and with a split at start-up",
        [](const std::string& root) {
            writeFile(root + "/Patches/Old.zt2", bank("OLD", 30, true));
            writeFile(root + "/Patches/Sub/Vintage.syx", bank("V", 150, true));
        },
        [](const std::string&) { startEditor(); }, named("OLD", 30, named("V", 150)), named("OLD", 30, named("V", 150)),
        "", ""},
    {"import of a bank of 250 sounds and the refresh that splits it",
        [](const std::string& root) { writeFile(root + "/Outside/Big.syx", bank("BIG", 250)); },
        [](const std::string& root) {
            auto editor = startEditor();
            static_cast<platform::HeadlessWindowSystem&>(platform::WindowSystem::Shared())
                .QueueFilePanelAnswer(root + "/Outside/Big.syx");
            editor->saveImportedFile(false);
            editor->OnParamChange(kRefreshFolders);
        },
        {}, named("BIG", 250), "", ""},
    {"save over a bank",
        [](const std::string& root) { put(root + "/Patches/Mine.zt2", textOf(bank("OLD", 100))); },
        [](const std::string& root) {
            auto editor = startEditor();
            *editor->patchLibrarian->bankFiles.at(0) = *bankOf(currentDumps(100, "NEW"));
            editor->patchLibrarian->saveEditedPatch(root + "/Patches/Mine.zt2", "Mine.zt2");
        },
        named("OLD", 100), named("NEW", 100), "Patches/Mine.zt2",
        textOf(bank("NEW", 100))},
    {"UI settings through a symbolic link",
        [](const std::string& root) {
            put(root + "/Real/ui.txt", "black\nsmall\nno\n4\n5\n");
            fs::create_symlink("Real/ui.txt", root + "/Zelto2X Editor UI.txt");
        },
        [](const std::string&) { startEditor()->userInterfaceSizeChanged(2); }, {}, {}, "Real/ui.txt",
        "black\nlarge\nno\n4\n5"},
};

TEST(KillSafety, AKilledWriterLeavesEverySoundOnceAndEveryFileOldOrNew)
{
    for (const Operation& op : kOperations) {
        bool finished = false;
        for (int step = 1; !finished && step < 200; ++step) {
            SCOPED_TRACE(std::string(op.name) + ", killed before disk step " + std::to_string(step));
            TempDataFolder data(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");  // no disk flushes to wait for
            op.prepare(data.root);
            const std::string file = data.root + "/" + op.file, oldText = op.file.empty() ? "" : textOf(readFile(file));
            ASSERT_EQ(1, testsupport::LiveThreadCount())
                << "fork copies only this thread";
            const pid_t child = fork();
            if (child == 0) {
                dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
                stepsLeft = step;
                durable::setStepHook([] { if (--stepsLeft == 0) raise(SIGKILL); });
                op.run(data.root);
                _exit(0);
            }
            int status = 0;
            ASSERT_EQ(child, waitpid(child, &status, 0));
            finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            ASSERT_TRUE(finished || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) << status;

            testing::internal::CaptureStdout();
            const Names sounds = librarySounds();
            testing::internal::GetCapturedStdout();
            EXPECT_TRUE(sounds == op.after || (!finished && sounds == op.before)) << sounds.size() << " sounds";
            EXPECT_EQ(0, std::count_if(fs::recursive_directory_iterator(data.root), {},
                             [](const auto& entry) { return entry.path().filename().string()[0] == '.'; }));
            if (!op.file.empty()) {
                const std::string text = textOf(readFile(file));
                EXPECT_TRUE(text == op.fileAfter || (!finished && text == oldText));
                EXPECT_EQ(fs::perms(0640), fs::status(file).permissions() & fs::perms::all);
            }
        }
        EXPECT_TRUE(finished) << op.name;
    }
}

}  // namespace
