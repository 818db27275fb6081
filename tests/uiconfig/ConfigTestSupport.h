#pragma once
// A fixture that reads a configuration given as two plain XML texts onto the
// test surface of ConfigGraphics.h with a 307-parameter plug-in.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ConfigCipher.h"
#include "ConfigGraphics.h"
#include "ConfigKey.h"
#include "ControlLayer.h"
#include "IControl.h"
#include "IParam.h"
#include "ParameterTable.h"
#include "Tea.h"
#include "UIConfigManager.h"

// Runs the action and returns what it printed.
template <typename F>
std::string quietly(F&& action)
{
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

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
    IControl* control(int index) { return config.getFirstControlForParam(index); }
    ControlLayer* layer(const char* name) { return config.getLayerByName(name); }
    bool logged(const std::string& text) const { return output.find(text) != std::string::npos; }

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
