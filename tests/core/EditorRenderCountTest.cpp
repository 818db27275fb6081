// The render block counted: every blocking mutex lock, every heap allocation and every thread started on the rendering
// thread while a block runs, with the editor's output open on a private JACK server so that the sends themselves are
// counted; and every thread any thread starts for what the blocks ask (a job a block posts is started by another
// thread). This program interposes malloc, pthread_mutex_lock and pthread_create, so it runs in the plain tree only.
#include <dlfcn.h>
#include <malloc.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "EditorCoreSupport.h"
#include "MIDIMessageManager.h"
#include "dovor/timing.h"
#include "support/JackSynthTest.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
int real_pthread_mutex_lock(pthread_mutex_t* mutex);
__asm__(".symver real_pthread_mutex_lock, __pthread_mutex_lock@GLIBC_2.2.5");
}

namespace {

thread_local bool counting = false;
std::string kept;
std::atomic<int> allocations {0}, locks {0}, threadStarts {0};
std::atomic<int> threadStartsAnywhere {0};

}  // namespace

extern "C" {
void* malloc(size_t size)
{
    allocations += counting;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    allocations += counting;
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
    allocations += counting;
    return __libc_realloc(pointer, size);
}
int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    locks += counting;
    return real_pthread_mutex_lock(mutex);
}
int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*), void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    threadStarts += counting;
    ++threadStartsAnywhere;
    return real(thread, attributes, routine, argument);
}
}

using namespace coretest;

namespace {

// The real editor with the real port layer, its output open to the simulated
// synth; only the host's transport and tempo and the clock bytes the workers
// send are stood in for.
class CountedEditor : public Zelto2X {
public:
    CountedEditor() : Zelto2X(IPluginInstanceInfo()) {}
    void GetTime(ITimeInfo* info) override { info->mTransportIsRunning = hostPlaying; }
    double GetTempo() override { return hostTempo; }
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override
    {
        if (bytes.size() == 1)
            lastClockByte = bytes[0];
        return true;
    }
    std::atomic<bool> hostPlaying {false};
    std::atomic<double> hostTempo {120.0};
    std::atomic<int> lastClockByte {-1};
};

// Allocations, locks and thread starts while the action runs on this thread.
std::vector<int> counted(const std::function<void()>& action)
{
    allocations = locks = threadStarts = 0;
    counting = true;
    action();
    counting = false;
    return {allocations.load(), locks.load(), threadStarts.load()};
}

}  // namespace

TEST(EditorRenderCountSelf, TheCountersSeeALockAnAllocationAndAThreadStart)
{
    std::mutex mutex;
    const std::vector<int> seen = counted([&] {
        mutex.lock();
        mutex.unlock();
        kept.assign(100, 'x');  // one allocation the optimiser cannot drop
        std::thread([] {}).join();
    });
    EXPECT_LE(1, seen[0]);  // the kept text, and the thread's own state
    EXPECT_EQ(1, seen[1]);
    EXPECT_EQ(1, seen[2]);
}

using EditorRenderCount = testsupport::JackSynthTest;

TEST_F(EditorRenderCount, BlocksTakeNoLockAllocateNothingAndStartNoThread)
{
    DataFolder folder;
    folder.write(kLogFile, "");  // the LOG switch on: the render thread's lines go there too
    CountedEditor editor;
    plainRanges(editor);
    attachText(editor, kControlDisplayMIDIOutDelay);
    editor.rememberControls();
    const std::vector<std::string> outputs = editor.getExternalMIDIOutNames();
    int output = static_cast<int>(std::find(outputs.begin(), outputs.end(), synth.InputPortName()) - outputs.begin());
    ASSERT_LT(output, static_cast<int>(outputs.size()));
    ASSERT_GT(editor.setExternalMIDIOut(output, synth.InputPortName().c_str()), 0);
    readyToRender(editor, 512);  // the clock job's start is not part of a plain block
    editor.SetBlockSize(512);
    editor.trackIncomingMIDI = false;  // what leaves lights the LED
    editor.GetParam(kOverrideTempo)->Set(1.0);  // on from start-up: the tempo is followed every block
    auto block = [&] { editor.ProcessDoubleReplacing(nullptr, nullptr, 512); };
    block();  // the delay display's first text, the tempo's first push

    // What a block starts elsewhere (a job, a LOG line) is waited for after the counted block, rendering on as a host
    // does (a message that met a busy port leaves with a later block); then a few blocks more, and every thread started
    // meanwhile by any thread is counted: only the case's job may start one.
    struct Case {
        const char* block;
        std::function<void()> prepare;
        std::function<bool()> done = [] { return true; };
        int jobsStarted = 0;
    };
    auto renderUntil = [&](const std::function<bool()>& done) {
        for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60); !done();) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            block();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    };
    auto received = [&](const std::string& hex) {
        return synth.WaitForReceived(hex, std::chrono::milliseconds(0));
    };
    auto queueCC = [&](int offset) {
        IMidiMsg msg(offset, 0xB0, 7, 100);
        editor.midiQueue.Add(&msg);
    };
    const Case cases[] = {
        {"nothing to send", [] {}},
        {"a queued message to send", [&] { queueCC(10); },
         [&] { return received("B0 07 64") && editor.midiLedOn == 1; }},
        {"the LED going out", [&] { editor.midiLedTime = GetTickCount() - 1000; }, [&] { return editor.midiLedOn == 0; }},
        {"the host buffer's delay changing", [&] { editor.dawOffset = 1024; },
         [&] { return editor.paramTextControl(kControlDisplayMIDIOutDelay)->GetTextString() == "23ms|512bfr"; }},
        {"All Notes Off meeting a full queue",
         [&] {
             while (editor.midiQueue.ToDo() < editor.midiQueue.GetSize())
                 queueCC(1 << 20);
             editor.resetPending = true;
         },
         [&] { return editor.midiQueue.GetSize() == IMidiQueue::kDefaultSize && editor.resetPending; }},
        {"All Notes Off sent at once", [&] { editor.midiQueue.Clear(), editor.toDAWBuffer = false; },
         [&] { return received("B0 7B 00") && !editor.resetPending; }},
        {"the host tempo changing, with the LOG on", [&] { editor.hostTempo = 140.0; },
         [&] { return folder.read(kLogFile).find("PROCESSOR: Host tempo synced to 140BPM") != std::string::npos; }},
        {"the transport starting the MIDI clock", [&] { editor.sendClockPointer = true, editor.hostPlaying = true; },
         [&] { return editor.lastClockByte == 0xFA; }, 1},
        {"the continuous clock switched on", [&] { editor.sendClockInfo = true, editor.continuousClockStarted = false; },
         [&] { return editor.lastClockByte == 0xF8; }, 1},
        {"a sound request pending", [&] { editor.requestPending = true; },
         [&] { return editor.midiMessageManager->lastJob().code == kJobRequestActiveArrangement; }, 1},
        // As the handler switches it off: the loop ends, and the job posted for it then returns at once.
        {"the continuous clock switched off", [&] { editor.sendClockInfo = false, editor.continuousClockStarted = false; },
         [&] { return threadStartsAnywhere == 1 && editor.midiMessageManager->clockThreadIdle(); }, 1},
    };
    for (const Case& c : cases) {
        c.prepare();
        threadStartsAnywhere = 0;
        EXPECT_EQ((std::vector<int> {0, 0, 0}), counted(block)) << c.block << ": allocations, locks, thread starts";
        // The job's thread starts after the job is noted as started: the wait is for the start itself.
        EXPECT_TRUE(renderUntil([&] { return c.done() && threadStartsAnywhere >= c.jobsStarted; })) << c.block;
        for (int i = 0; i < 20; ++i) {
            block();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(c.jobsStarted, threadStartsAnywhere.load()) << c.block << ": threads started anywhere";
    }
    editor.midiMessageManager->sender->cancelRequested = true;  // the request need not wait for a reply
}
