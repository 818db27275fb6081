// The render block counted: every blocking mutex lock and every heap
// allocation made on the rendering thread while a block runs. This program
// interposes malloc and pthread_mutex_lock, so it runs in the plain tree only.
#include <malloc.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "EditorCoreSupport.h"
#include "dovor/timing.h"

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
std::atomic<int> allocations {0};
std::atomic<int> locks {0};

void countAllocation()
{
    if (counting)
        ++allocations;
}

}  // namespace

extern "C" {
void* malloc(size_t size)
{
    countAllocation();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    countAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, size_t size)
{
    countAllocation();
    return __libc_realloc(pointer, size);
}
int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    if (counting)
        ++locks;
    return real_pthread_mutex_lock(mutex);
}
}

using namespace coretest;

namespace {

// The real editor with the real port layer (no port open).
struct CountedBlock {
    int allocations;
    int locks;
};

CountedBlock countBlock(Zelto2X& editor)
{
    allocations = 0;
    locks = 0;
    counting = true;
    editor.ProcessDoubleReplacing(nullptr, nullptr, 512);
    counting = false;
    return {allocations.load(), locks.load()};
}

}  // namespace

TEST(EditorRenderCount, TheCountersSeeALockAndAnAllocation)
{
    std::mutex mutex;
    counting = true;
    locks = 0;
    allocations = 0;
    mutex.lock();
    mutex.unlock();
    kept.assign(100, 'x');  // one allocation the optimiser cannot drop
    counting = false;
    EXPECT_EQ(1, locks);
    EXPECT_EQ(1, allocations);
}

TEST(EditorRenderCount, BlocksTakeNoLockAndAllocateNothing)
{
    DataFolder folder;
    Zelto2X editor {IPluginInstanceInfo()};
    plainRanges(editor);
    readyToRender(editor, 512);  // the clock job's start is not part of a plain block
    editor.GetParam(kOverrideTempo)->Set(1.0);  // on from start-up: the tempo is followed every block
    countBlock(editor);  // the delay display's first text, the tempo's first push

    struct Case {
        const char* block;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"nothing to send", [] {}},
        {"a queued message to send",
         [&] {
             IMidiMsg msg(10, 0xB0, 7, 100);
             editor.midiQueue.Add(&msg);
         }},
        {"the LED going out",
         [&] {
             editor.midiLedOn = 1;
             editor.midiLedTime = GetTickCount() - 1000;
         }},
    };
    for (const Case& c : cases) {
        c.prepare();
        const CountedBlock counted = countBlock(editor);
        EXPECT_EQ(0, counted.allocations) << c.block;
        EXPECT_EQ(0, counted.locks) << c.block;
    }
    EXPECT_EQ(0, editor.midiQueue.ToDo());
    EXPECT_EQ(0, editor.midiLedOn);
}
