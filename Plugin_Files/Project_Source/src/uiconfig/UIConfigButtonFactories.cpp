// Button, switch and radio-group factories.

#include <cstdio>

#include "ControlLayer.h"
#include "ICustomRadioButtonsControl.h"
#include "IParam.h"
#include "UIConfigManager.h"

IControl* UIConfigManager::buildSwitch(const std::string& image, int paramIdx, int x, int y, ControlLayer* layer,
    bool momentary)
{
    IBitmap bitmap = getImageByName(m_graphics, image);
    IControl* control = momentary ? new IContactControl(m_plug, scaled(x), scaled(y), paramIdx, &bitmap)
                                  : new ISwitchControl(m_plug, scaled(x), scaled(y), paramIdx, &bitmap);
    place(control, layer);
    noteControl(paramIdx, control);
    return control;
}

IControl* UIConfigManager::createSysExBoolControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, double defaultVal, int, int sysexIndex, int changingByte, int layerOffset,
    LinkInfo link, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, displayName(layerOffset, name), defaultVal != 0.0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildSwitch(image, paramIdx, x, y, layer, false);
    // Entry 0 is sent for off, entry 1 for on.
    ControlAction* action =
        bindSysExAction(param, kActionSysExSwitch, control, sysexIndex, changingByte, 2, 0, layerOffset);
    recordLink(action, paramIdx, link);
    return control;
}

IControl* UIConfigManager::createCCBoolControl(int ccNumber, int channel, const std::string& name, int paramIdx,
    int x, int y, const std::string& image, double defaultVal, double offValue, double onValue, LinkInfo,
    int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, displayName(layerOffset, name), defaultVal != 0.0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildSwitch(image, paramIdx, x, y, layer, false);
    ControlAction* action = bindCCAction(param, kActionCCSwitch, control, layer, ccNumber, channel, layerOffset, 0);
    action->zeroValue = static_cast<int32_t>(offValue);
    action->onValue = static_cast<int32_t>(onValue);
    return control;
}

IControl* UIConfigManager::createMsbLsbBoolControl(int ccNumber, int msbValue, int lsbValue, int lsbControl,
    int channel, const std::string& name, int paramIdx, int x, int y, const std::string& image, double defaultVal,
    double offValue, double onValue, LinkInfo link, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, displayName(layerOffset, name), defaultVal != 0.0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildSwitch(image, paramIdx, x, y, layer, false);
    ControlAction* action = bindNRPNAction(param, control, layer, {ccNumber, msbValue, lsbValue, lsbControl},
        channel, layerOffset, 0, true);
    action->zeroValue = static_cast<int32_t>(offValue);
    action->onValue = static_cast<int32_t>(onValue);
    recordLink(action, paramIdx, link);
    return control;
}

IControl* UIConfigManager::createBoolControl(const std::string& name, int paramIdx, int defaultVal, int x, int y,
    const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, name, defaultVal != 0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildSwitch(image, paramIdx, x, y, layer, false);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createSwitchControl(const std::string& name, int paramIdx, int defaultVal, int x, int y,
    const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, name, defaultVal != 0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    IControl* control = buildSwitch(image, paramIdx, x, y, layer, true);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createAutoOffSwitchControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group)
{
    // The editor passes unscaled positions, like the configuration; they are scaled here once.
    return createSwitchControl(name, paramIdx, 0, x, y, image, layerOffset, layer, group);
}

IControl* UIConfigManager::createNoValBoolControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, double defaultVal, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initBoolParam(paramIdx, name, name, defaultVal != 0.0, getParamGroup(layerOffset, group));
    if (!param)
        return nullptr;
    return buildSwitch(image, paramIdx, x, y, layer, false);
}

IControl* UIConfigManager::createRadioControl(const std::string& name, int paramIdx, int x, int y,
    const std::string& image, int nButtons, int layerOffset, ControlLayer* layer, const std::string& group)
{
    // A count past any menu's is a broken configuration, and building it
    // would take a button rectangle each.
    if (nButtons < 1 || nButtons > kMaxValueCount) {
        std::printf("radio '%s' has %d buttons: nothing built\n", name.c_str(), nButtons);
        return nullptr;
    }
    IParam* param = paramFor(paramIdx, name);
    if (!param)
        return nullptr;
    param->InitEnum(name.c_str(), 0, nButtons, "", getParamGroup(layerOffset, group).c_str(), -1, -1);
    IBitmap bitmap = getImageByName(m_graphics, image);
    const int left = scaled(x), top = scaled(y);
    // Each frame pictures the whole group: stacked frames lay the buttons side
    // by side, frames side by side stack them.
    const bool sideBySide = bitmap.mFramesAreHorizontal;
    const IRECT rect = sideBySide ? IRECT(left, top, left + bitmap.W / 2, top + bitmap.H)
                                  : IRECT(left, top, left + bitmap.W, top + bitmap.H / 2);
    IControl* control = new ICustomRadioButtonsControl(m_plug, rect, paramIdx, nButtons, &bitmap,
        sideBySide ? kVertical : kHorizontal);
    place(control, layer);
    noteControl(paramIdx, control);
    bindAction(param, kActionNone, control);
    return control;
}
