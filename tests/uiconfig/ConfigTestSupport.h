#pragma once
// A windowless surface that serves enciphered configuration resources and a
// few test images, a 307-parameter plug-in, and a fixture that reads a
// configuration given as two plain XML texts.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ConfigCipher.h"
#include "ConfigKey.h"
#include "ControlLayer.h"
#include "GraphicsTestSupport.h"
#include "IControl.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "Tea.h"
#include "UIConfigManager.h"
#include "zuve/zuve.h"

// Runs the action and returns what it printed.
template <typename F>
std::string quietly(F&& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

// Colour of cell c of frame f in the test radio strip.
inline unsigned int radioCellColour(int frame, int cell)
{
    return ZUVE_RGBA(40 * cell + 20, frame ? 200 : 60, 10, 255);
}

class ConfigGraphics : public TestGraphics {
public:
    using TestGraphics::TestGraphics;

    // Resources by file name; a name not here cannot be loaded.
    std::map<std::string, std::vector<unsigned char>> resources;

    void* OSLoadFile(int, const char* name) override
    {
        auto hit = resources.find(name ? name : "");
        if (hit == resources.end())
            return nullptr;
        // Only as large as the data: the reader must pad the last block itself.
        auto* buffer = new char[hit->second.size() + 1]();
        if (!hit->second.empty())
            std::memcpy(buffer, hit->second.data(), hit->second.size());
        SetLoadedFileSize(static_cast<int>(hit->second.size()));
        return buffer;
    }

    // The images the tests use, the same in every test (the bitmap cache is
    // shared by the whole process): 40 x 40 knob frames, 20 x 20 switch
    // frames, and a 200 x 60 two-frame radio strip with four coloured cells.
    ZUVE_IBitmap* OSLoadBitmap(int, const char* name) override
    {
        const std::string file = name ? name : "";
        if (file == "resources/img/btn-lock-white.png") {
            auto* bitmap = new ZUVE_MemBitmap(200, 60, 4);
            for (int frame = 0; frame < 2; ++frame)
                for (int cell = 0; cell < 4; ++cell)
                    ZUVE_FillRect(bitmap, cell * 50, frame * 30, 50, 30, radioCellColour(frame, cell), 1.0f,
                        ZUVE_BLIT_MODE_COPY);
            return bitmap;
        }
        if (file == "resources/img/knob-zelto2x-normal.png")
            return new ZUVE_MemBitmap(40, 40 * 128, 4);
        if (file == "resources/img/on-off-button.png")
            return new ZUVE_MemBitmap(20, 40, 4);
        if (file == "resources/img/time-slider.png")
            return new ZUVE_MemBitmap(12, 48, 4);
        return nullptr;
    }
};

class ConfigFixture : public ::testing::Test {
protected:
    ConfigFixture() { plug.AttachGraphics(gui); }

    // Reads the two texts as the bundle's resources; a null text leaves the resource out.
    void load(const char* sysexXml, const char* uiXml, double scale = 1.0)
    {
        if (sysexXml)
            gui->resources["resources/sysex.tea"] = encipherConfigText(sysexXml);
        if (uiXml)
            gui->resources["resources/uiconfig.tea"] = encipherConfigText(uiXml);
        output = quietly([&] { config.readConfiguration(gui, &plug, scale); });
    }

    // A UI configuration of the given elements (inside `uiconfig`).
    void loadUi(const std::string& elements, const char* sysexXml = kSysEx, double scale = 1.0)
    {
        load(sysexXml, ("<uiconfig>" + elements + "</uiconfig>").c_str(), scale);
    }

    IParam* param(int index) { return plug.GetParam(index); }
    ControlAction* action(int index) { return config.getControlAction(index); }

    // Template 0: single-parameter form with the value at byte 7; template 1:
    // value at byte 5; template 2: an empty value.
    static constexpr const char* kSysEx =
        "<sysexlist>"
        "<sysex><values><value>3E 16 58 41 00 05 00</value></values></sysex>"
        "<sysex><values><value>3E 16 7F 58 00 02 00 01</value></values></sysex>"
        "<sysex><values><value/></values></sysex>"
        "</sysexlist>";

    TestPlug plug{kNumParams};
    ConfigGraphics* gui = new ConfigGraphics(&plug, 1500, 757);
    UIConfigManager config;
    std::string output;
};
