// The configuration step of the editor's start-up: decipher both resources,
// parse them, preload the images at scale 1.25 and build every layer, control
// and action. Runs on a windowless surface with the real editor code.
//
// RealConfiguration reads the bundle's enciphered resources and PNG images
// (skipped when the bundle has none); SyntheticConfiguration reads a generated
// configuration of about the real size. "Cold" releases the bitmap cache after
// each run, so every run decodes and scales the images again.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ConfigCipher.h"
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

// Resources from memory when given, else from the bundle's Resources folder,
// each in a buffer as large as the real surface allocates.
class BundleGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;
    std::vector<unsigned char> sysex, ui;

    void* OSLoadFile(int id, const char* name) override
    {
        std::vector<unsigned char> data = id == 101 ? sysex : ui;
        if (data.empty()) {
            std::ifstream in(kResources + "/" + lastComponent(name), std::ios::binary);
            if (!in)
                return nullptr;
            data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
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

std::string nameOf(int index)
{
    for (int i = 0; i < kParameterNameCount; ++i) {
        if (kParameterNames[i].index == index)
            return kParameterNames[i].name;
    }
    return std::string();
}

// About the size of the real panel: every sound parameter as a SysEx knob or
// menu, two timbre copies of the pattern page, global menus, 23 value lists.
void syntheticConfiguration(std::string* sysex, std::string* ui)
{
    *sysex = "<sysexlist>";
    for (int i = 0; i < 128; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "<sysex><values><value>3E 16 58 41 %02X %02X 00</value></values></sysex>",
            i / 64, i % 64);
        *sysex += line;
    }
    *sysex += "</sysexlist>";
    *ui = "<uiconfig><valueLists>";
    for (int l = 0; l < 23; ++l) {
        *ui += "<list name=\"list" + std::to_string(l) + "\">";
        for (int v = 0; v < 8; ++v)
            *ui += "<value>Entry " + std::to_string(v) + "</value>";
        *ui += "</list>";
    }
    *ui += "</valueLists><background imageId=\"BG_ID_MAIN\" position=\"0,0\"/><layer name=\"edit\">";
    for (int p = 0; p < kNumAutomatedParams; ++p) {
        const std::string position = std::to_string(20 + (p % 20) * 70) + "," + std::to_string(60 + (p / 20) * 120);
        if (p % 4 == 3)
            *ui += "<menucontrol type=\"seMenu\" paramId=\"" + nameOf(p) +
                   "\" position=\"" + position + ",60\" valueBounds=\"0,0,8\" valueList=\"list" +
                   std::to_string(p % 23) + "\" sysexIndex=\"" + std::to_string(p) + "\" changingByte=\"7\"/>";
        else
            *ui += "<knobcontrol type=\"seKnob\" paramId=\"" + nameOf(p) +
                   "\" imageId=\"KNOB_ID127\" position=\"" + position + "\" valueBounds=\"0,0,127,1\" sysexIndex=\"" +
                   std::to_string(p) + "\" changingByte=\"7\"/>";
    }
    *ui += "</layer><multilayer create=\"2\" name=\"pattern\">";
    for (int s = 0; s < 16; ++s) {
        const std::string step = (s < 9 ? "0" : "") + std::to_string(s + 1);
        const std::string x = std::to_string(40 + s * 80);
        *ui += "<radio paramId=\"kPatternStep" + step + "Event\" imageId=\"BTN_RADIO_ARP_ID\" position=\"" + x +
               ",500\" buttons=\"2\"/><knobcontrol type=\"ccKnob\" paramId=\"kPatternStep" + step +
               "Time\" imageId=\"KNOB_ID21\" position=\"" + x + ",560\" valueBounds=\"0,0,20,1\" ccNumber=\"" +
               std::to_string(s) + "\"/><switch paramId=\"kPatternStep" + step +
               "Glide\" imageId=\"BTN_ON_OFF_ARP_ID\" position=\"" + x + ",620\"/>";
    }
    *ui += "</multilayer><layer name=\"global\">";
    for (int g = kGlobalMasterTune; g <= kGlobalVelCurv; ++g)
        *ui += "<menucontrol type=\"ccMenu\" paramId=\"" + nameOf(g) +
               "\" position=\"" + std::to_string(40 + (g - kGlobalMasterTune) * 60) +
               ",700,55\" valueBounds=\"0,0,16\" valueDisplay=\"1:16\" ccNumber=\"" + std::to_string(g - 200) + "\"/>";
    *ui += "</layer></uiconfig>";
}

void runConfiguration(benchmark::State& state, const std::vector<unsigned char>& sysex,
    const std::vector<unsigned char>& ui, bool cold)
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
        gui->sysex = sysex;
        gui->ui = ui;
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
    runConfiguration(state, {}, {}, state.range(0) != 0);
}
BENCHMARK(RealConfiguration)->Arg(1)->Arg(0)->ArgName("cold")->Unit(benchmark::kMillisecond);

void SyntheticConfiguration(benchmark::State& state)
{
    std::string sysex, ui;
    syntheticConfiguration(&sysex, &ui);
    runConfiguration(state, encipherConfigText(sysex), encipherConfigText(ui), state.range(0) != 0);
}
BENCHMARK(SyntheticConfiguration)->Arg(1)->Arg(0)->ArgName("cold")->Unit(benchmark::kMillisecond);

}  // namespace
