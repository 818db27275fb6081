// Speed of the surface's hot paths, each next to its yardstick.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "zuve/zuve.h"
#include "zuve/zuve_text.h"

namespace {

constexpr int kWidth = 1500, kHeight = 757;

void fillPattern(ZUVE_IBitmap* bitmap)
{
    for (int y = 0; y < bitmap->getHeight(); ++y)
        for (int x = 0; x < bitmap->getWidth(); ++x)
            bitmap->getBits()[y * bitmap->getRowSpan() + x] = ZUVE_RGBA(x, y, x ^ y, 255);
}

void MemcpySurface(benchmark::State& state)
{
    std::vector<unsigned int> from(size_t(kWidth) * kHeight, 1u), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(unsigned int));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemcpySurface)->Unit(benchmark::kMicrosecond);

void CopyBlitSurface(benchmark::State& state)
{
    ZUVE_MemBitmap src(kWidth, kHeight), dest(kWidth, kHeight);
    fillPattern(&src);
    for (auto _ : state) {
        ZUVE_Blit(&dest, &src, 0, 0, 0, 0, kWidth, kHeight, 1.f, ZUVE_BLIT_MODE_COPY);
        benchmark::DoNotOptimize(dest.getBits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CopyBlitSurface)->Unit(benchmark::kMicrosecond);

void AlphaBlitSurface(benchmark::State& state)
{
    ZUVE_MemBitmap src(kWidth, kHeight), dest(kWidth, kHeight);
    fillPattern(&src);
    ZUVE_ClearRect(&src, 0, 0, kWidth, kHeight, 0xFFFFFF00, 0x80);
    for (auto _ : state) {
        ZUVE_Blit(&dest, &src, 0, 0, 0, 0, kWidth, kHeight, 1.f, ZUVE_BLIT_MODE_COPY | ZUVE_BLIT_USE_ALPHA);
        benchmark::DoNotOptimize(dest.getBits());
    }
}
BENCHMARK(AlphaBlitSurface)->Unit(benchmark::kMicrosecond);

void BilinearScaleSurface(benchmark::State& state)
{
    ZUVE_MemBitmap src(kWidth, kHeight), dest(1875, 946, 4);
    fillPattern(&src);
    for (auto _ : state) {
        ZUVE_ScaledBlit(&dest, &src, 0, 0, 1875, 946, 0, 0, kWidth, kHeight, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
        benchmark::DoNotOptimize(dest.getBits());
    }
}
BENCHMARK(BilinearScaleSurface)->Unit(benchmark::kMillisecond);

void CachedTextLine(benchmark::State& state)
{
    ZUVE_SysBitmap dest(400, 40);
    ZUVE_CachedFont font;
    font.SetFromHFont(CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "NK57 Monospace"), 0x600);
    font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
    const char* line = "Filter Cutoff: 127 %";  // 20 characters
    RECT r{0, 0, 400, 40};
    font.DrawText(&dest, line, -1, &r, DT_NOCLIP | DT_CENTER | DT_VCENTER);  // first draw fills the cache
    for (auto _ : state) {
        RECT box{0, 0, 400, 40};
        font.DrawText(&dest, line, -1, &box, DT_NOCLIP | DT_CENTER | DT_VCENTER);
        benchmark::DoNotOptimize(dest.getBits());
    }
}
BENCHMARK(CachedTextLine)->Unit(benchmark::kMicrosecond);

}  // namespace
