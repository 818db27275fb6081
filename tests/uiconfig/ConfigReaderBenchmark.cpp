// The configuration step of the editor's start-up: decipher both resources,
// parse them, preload the images at scale 1.25 and build every layer, control
// and action. Runs on a windowless surface with the real editor code.
//
// It reads the bundle's enciphered resources and PNG images (skipped when the
// bundle has none). "Cold" releases the bitmap cache after each run, so every
// run decodes and scales the images again.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "GraphicsTestSupport.h"
#include "IGraphics.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"
#include "zuve/zuve_png.h"

namespace {

const std::string kResources = ZELTO2X_BUNDLE_RESOURCES_DIR;

std::string lastComponent(const char* name)
{
    const std::string text = name ? name : "";
    const size_t slash = text.rfind('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

// Resources from the bundle's Resources folder, each in a buffer as large as
// the real surface allocates.
class BundleGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;

    void* OSLoadFile(int, const char* name) override
    {
        std::ifstream in(kResources + "/" + lastComponent(name), std::ios::binary);
        if (!in)
            return nullptr;
        const std::vector<unsigned char> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        auto* buffer = new char[4096000]();
        std::memcpy(buffer, data.data(), std::min<size_t>(data.size(), 4096000));
        SetLoadedFileSize(static_cast<int>(std::min<size_t>(data.size(), 4096000)));
        return buffer;
    }
    ZUVE_IBitmap* OSLoadBitmap(int, const char* name) override
    {
        return ZUVE_LoadPNG((kResources + "/" + lastComponent(name)).c_str(), nullptr);
    }
};

void runConfiguration(benchmark::State& state, bool cold)
{
    // The reader's printed lines would drown the report: stdout goes to /dev/null while it runs.
    std::fflush(stdout);
    const int savedStdout = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    size_t controls = 0;
    for (auto _ : state) {
        TestPlug plug(kNumParams);
        auto* gui = new BundleGraphics(&plug, 1875, 946);
        plug.AttachGraphics(gui);
        UIConfigManager config;
        config.readConfiguration(gui, &plug, 1.25);
        controls = config.layerTable().size();
        state.PauseTiming();
        if (cold) {
            // Only the bitmaps this run loaded are released; the table keeps its names.
            for (int id : {117, 102, 104, 105, 106, 120, 121, 122, 123, 204, 205, 118, 200, 199, 326, 332, 258, 140,
                     141, 142, 400, 401, 402, 403, 404, 418, 419, 999, 998, 500, 129, 130, 131, 132, 138, 139, 133,
                     134, 135, 136, 137, 107, 115, 116, 316, 317, 144, 318, 319, 320, 321, 322, 323, 996, 304, 305,
                     143}) {
                IBitmap bitmap = gui->getImageById(id);
                gui->ReleaseBitmap(&bitmap);
            }
        }
        state.ResumeTiming();
    }
    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    close(devNull);
    state.counters["layers"] = static_cast<double>(controls);
}

void RealConfiguration(benchmark::State& state)
{
    std::ifstream probe(kResources + "/uiconfig.tea");
    if (!probe) {
        state.SkipWithError("no enciphered configuration in the bundle");
        return;
    }
    runConfiguration(state, state.range(0) != 0);
}
BENCHMARK(RealConfiguration)->Arg(1)->Arg(0)->ArgName("cold")->Unit(benchmark::kMillisecond);

}  // namespace
