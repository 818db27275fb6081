// The configuration step of the editor's start-up: decipher both resources,
// parse them, preload the images at scale 1.25 and build every layer, control
// and action. Runs on a windowless surface with the real editor code, reading
// the bundle's enciphered resources and PNG images (skipped when the bundle has
// none). "Cold" releases the bitmap cache after each run, so every run decodes
// and scales the images again.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "IGraphics.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"
#include "zuve/zuve_png.h"

namespace {

const std::string kResources = ZELTO2X_BUNDLE_RESOURCES_DIR;

std::string inResources(const char* name)
{
    const std::string text = name ? name : "";
    return kResources + "/" + text.substr(text.rfind('/') + 1);
}

// Resources from the bundle's Resources folder, each in a buffer as large as
// the real surface allocates; remembers the image ids it loaded.
class BundleGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;
    std::set<int> loadedImages;

    void* OSLoadFile(int, const char* name) override
    {
        std::ifstream in(inResources(name), std::ios::binary);
        if (!in)
            return nullptr;
        const std::vector<char> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const size_t size = std::min<size_t>(data.size(), 4096000);
        auto* buffer = new char[4096000]();
        std::memcpy(buffer, data.data(), size);
        SetLoadedFileSize(static_cast<int>(size));
        return buffer;
    }
    ZUVE_IBitmap* OSLoadBitmap(int id, const char* name) override
    {
        loadedImages.insert(id);
        return ZUVE_LoadPNG(inResources(name).c_str(), nullptr);
    }
};

void RealConfiguration(benchmark::State& state)
{
    if (!std::ifstream(kResources + "/uiconfig.tea")) {
        state.SkipWithError("no enciphered configuration in the bundle");
        return;
    }
    // The reader's printed lines would drown the report: stdout goes to /dev/null while it runs.
    std::fflush(stdout);
    const int savedStdout = dup(1), devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    size_t layers = 0;
    for (auto _ : state) {
        TestPlug plug(kNumParams);
        auto* gui = new BundleGraphics(&plug, 1875, 946);
        plug.AttachGraphics(gui);
        UIConfigManager config;
        config.readConfiguration(gui, &plug, 1.25);
        layers = config.layerTable().size();
        state.PauseTiming();
        for (int id : state.range(0) ? gui->loadedImages : std::set<int>()) {
            IBitmap bitmap = gui->getImageById(id);
            gui->ReleaseBitmap(&bitmap);
        }
        state.ResumeTiming();
    }
    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    close(devNull);
    state.counters["layers"] = static_cast<double>(layers);
}
BENCHMARK(RealConfiguration)->Arg(1)->Arg(0)->ArgName("cold")->Unit(benchmark::kMillisecond);

}  // namespace
