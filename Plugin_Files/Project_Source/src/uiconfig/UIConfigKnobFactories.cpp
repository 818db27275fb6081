// Knob and slider factories: each defines its parameter, builds the control at
// its scaled position and, for the MIDI kinds, binds the parameter's action.

#include "ControlLayer.h"
#include "IControl.h"
#include "IParam.h"
#include "UIConfigManager.h"

IControl* UIConfigManager::buildKnob(const std::string& image, int paramIdx, int x, int y, ControlLayer* layer)
{
    IBitmap bitmap = getImageByName(m_graphics, image);
    IControl* control = new IKnobMultiControl(m_plug, scaled(x), scaled(y), paramIdx, &bitmap);
    place(control, layer);
    noteControl(paramIdx, control);
    return control;
}

IControl* UIConfigManager::buildFader(const std::string& image, int paramIdx, int x, int y, int length,
    EDirection direction, ControlLayer* layer)
{
    IBitmap bitmap = getImageByName(m_graphics, image);
    IControl* control =
        new IFaderControl(m_plug, scaled(x), scaled(y), scaled(length), paramIdx, &bitmap, direction, false);
    place(control, layer);
    noteControl(paramIdx, control);
    return control;
}

IControl* UIConfigManager::createSysExKnobControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, double defaultVal, double minVal, double maxVal, double, int, int sysexIndex,
    int changingByte, int layerOffset, LinkInfo link, ControlLayer* layer, const std::string& group)
{
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildKnob(image, paramIdx, x, y, layer);
    const int start = static_cast<int>(minVal);
    ControlAction* action = bindSysExAction(param, kActionSysEx, control, sysexIndex, changingByte,
        valueCount(start, static_cast<int>(maxVal)), start, layerOffset);
    recordLink(action, paramIdx, link);
    return control;
}

IControl* UIConfigManager::createSysExKnobControl2(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, double defaultVal, double minVal, double maxVal, double, int, int, int,
    int layerOffset, LinkInfo link, ControlLayer* layer, const std::string& group)
{
    // This form computes no message list; with nothing to send it files no
    // lookup entry either, and it never reads a message that does not exist.
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildKnob(image, paramIdx, x, y, layer);
    recordLink(bindAction(param, kActionSysEx, control), paramIdx, link);
    return control;
}

IControl* UIConfigManager::createCCKnobControl(int ccNumber, int channel, const std::string& name, int paramIdx,
    int x, int y, const std::string& image, double defaultVal, double minVal, double maxVal, double step,
    LinkInfo link, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, static_cast<double>(static_cast<int>(step)),
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildKnob(image, paramIdx, x, y, layer);
    recordLink(bindCCAction(param, kActionCC, control, layer, ccNumber, channel, layerOffset, 1), paramIdx, link);
    return control;
}

IControl* UIConfigManager::createMsbLsbKnobControl(int ccNumber, int msbValue, int lsbValue, int lsbControl,
    int channel, const std::string& name, int paramIdx, int x, int y, const std::string& image, double defaultVal,
    double minVal, double maxVal, double, LinkInfo link, int layerOffset, ControlLayer* layer,
    const std::string& group)
{
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildKnob(image, paramIdx, x, y, layer);
    ControlAction* action = bindNRPNAction(param, control, layer, {ccNumber, msbValue, lsbValue, lsbControl},
        channel, layerOffset, 1, false);
    recordLink(action, paramIdx, link);
    return control;
}

IControl* UIConfigManager::createNoValKnobControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, double defaultVal, double minVal, double maxVal, double, int layerOffset,
    ControlLayer* layer, const std::string& group)
{
    IParam* param = initDoubleParam(paramIdx, name, name, defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    return buildKnob(image, paramIdx, x, y, layer);
}

IControl* UIConfigManager::createCCSliderControl(int ccNumber, int channel, const std::string& name, int paramIdx,
    int x, int y, int length, const std::string& image, double defaultVal, double minVal, double maxVal,
    LinkInfo link, int layerOffset, ControlLayer* layer, const std::string& group, EDirection direction, bool)
{
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildFader(image, paramIdx, x, y, length, direction, layer);
    recordLink(bindCCAction(param, kActionCC, control, layer, ccNumber, channel, layerOffset, 0), paramIdx, link);
    return control;
}

IControl* UIConfigManager::createSysExSliderControl(const std::string& name, int paramIdx, int x, int y, int length,
    const std::string& image, double defaultVal, double minVal, double maxVal, double, int msgZeroVal,
    int sysexIndex, int changingByte, int layerOffset, LinkInfo link, ControlLayer* layer, const std::string& group,
    EDirection direction, bool)
{
    IParam* param = initDoubleParam(paramIdx, name, displayName(layerOffset, name), defaultVal, minVal, maxVal, 1.0,
        getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildFader(image, paramIdx, x, y, length, direction, layer);
    // msgZeroVal is the changing byte of the slider's lowest position.
    const int count = valueCount(static_cast<int>(minVal), static_cast<int>(maxVal));
    const long long start = static_cast<long long>(minVal) + msgZeroVal;
    ControlAction* action = bindSysExAction(param, kActionSysEx, control, sysexIndex, changingByte, count,
        start == -1 ? -1 : static_cast<int>(start & 0x7F), layerOffset);
    recordLink(action, paramIdx, link);
    return control;
}
