// Cost of the render thread's side of the queue: try the lock, drain a block
// of messages, end the block.
#include <benchmark/benchmark.h>

#include "IMidiQueue.h"

static void BM_QueueDrainBlock(benchmark::State& state)
{
    const int perBlock = static_cast<int>(state.range(0));
    IMidiQueue queue;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < perBlock; ++i) {
            IMidiMsg msg((i * 37) % 512, 0xB0, 74, static_cast<uint8_t>(i & 0x7F));
            queue.Add(&msg);
        }
        state.ResumeTiming();
        IMidiQueue::DrainLock drain(queue);
        if (drain.Acquired()) {
            for (int s = 0; s < 512; ++s) {
                while (!queue.Empty() && queue.Peek()->mOffset <= s) {
                    benchmark::DoNotOptimize(queue.Peek()->mData2);
                    queue.Remove();
                }
            }
            queue.Flush(512);
        }
    }
}
BENCHMARK(BM_QueueDrainBlock)->Arg(0)->Arg(16)->Arg(256);
