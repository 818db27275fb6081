// Menu and display factories: caption controls over enumerated parameters and
// the plain text displays.

#include <cstdio>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPluginBase.h"
#include "ParameterTable.h"
#include "PromptTextControl.h"
#include "UIConfigManager.h"

namespace {

constexpr const char* kMenuFont = "NK57 Monospace";

constexpr IColor kAmber(255, 255, 173, 0);
constexpr IColor kMenuAmber(254, 255, 173, 0);
constexpr IColor kBlue(255, 0, 174, 255);
constexpr IColor kNearWhite(255, 250, 250, 250);
constexpr IColor kLightGrey(255, 225, 225, 225);
constexpr IColor kNearBlack(255, 10, 10, 10);
constexpr IColor kHidden(0, 255, 173, 0);

}  // namespace

bool UIConfigManager::setMenuTexts(IParam* param, int n, const std::vector<std::string>& values, int firstDisplay,
    int lastDisplay, bool numbersAllowed, char padChar) const
{
    if (n < 0 || n > kMaxValueCount)
        return false;
    if (static_cast<int>(values.size()) == n) {
        for (int i = 0; i < n; ++i)
            param->SetDisplayText(i, values[static_cast<size_t>(i)].c_str());
        return true;
    }
    if (!numbersAllowed || firstDisplay == lastDisplay)
        return false;
    for (int i = 0; i < n; ++i) {
        const long long number = static_cast<long long>(firstDisplay) + i;
        std::string text = std::to_string(number);
        if (padChar && number >= 0 && number <= 9)
            text.insert(text.begin(), padChar);
        param->SetDisplayText(i, text.c_str());
    }
    return true;
}

IParam* UIConfigManager::initMenuParam(int paramIdx, const std::string& name, const std::string& shownName,
    int defaultVal, int n, const std::string& group, const MenuTexts& texts, const char* lineEnd)
{
    IParam* param = paramFor(paramIdx, name);
    if (!param)
        return nullptr;
    param->InitEnum(shownName.c_str(), defaultVal, n, "", group.c_str(), -1, -1);
    if (!setMenuTexts(param, n, texts.values, texts.firstDisplay, texts.lastDisplay, texts.numbersAllowed,
            texts.padChar)) {
        std::printf("Values for %s not defined!%s", name.c_str(), lineEnd);
        return nullptr;
    }
    return param;
}

IControl* UIConfigManager::buildCaption(int paramIdx, int x, int y, int w, int h, const IColor& colour,
    bool promptEnabled, ControlLayer* layer, const char* prompt)
{
    IText text(scaled(h), &colour, kMenuFont);
    const int left = scaled(x), top = scaled(y);
    const IRECT rect(left, top, left + scaled(w), top + scaled(h));
    IControl* control = prompt ? new PromptTextControl(m_plug, rect, paramIdx, &text, prompt)
                               : new ICaptionControl(m_plug, rect, paramIdx, &text, true);
    control->DisablePrompt(!promptEnabled);
    place(control, layer);
    noteControl(paramIdx, control);
    return control;
}

IControl* UIConfigManager::createMultiSelectionCCControl(int ccNumber, int channel, const std::string& name,
    int paramIdx, int x, int y, int w, int h, int defaultVal, int minVal, int maxVal, int firstDisplay,
    int lastDisplay, std::vector<std::string> values, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = initMenuParam(paramIdx, name, displayName(layerOffset, name), defaultVal,
        valueCount(minVal, maxVal) - 1, getParamGroup(layerOffset, group), {values, firstDisplay, lastDisplay, true, 0},
        "\n");
    if (!param)
        return nullptr;
    IControl* control = buildCaption(paramIdx, x, y, w, h, kNearWhite, true, layer);
    bindCCAction(param, kActionCC, control, layer, ccNumber, channel, layerOffset, 1);
    return control;
}

IControl* UIConfigManager::createMsbLsbSelectionCCControl(int ccNumber, int msbValue, int lsbValue, int lsbControl,
    int channel, const std::string& name, int paramIdx, int x, int y, int w, int h, int defaultVal, int minVal,
    int maxVal, int firstDisplay, int lastDisplay, std::vector<std::string> values, int layerOffset,
    ControlLayer* layer, const std::string& group)
{
    IParam* param = initMenuParam(paramIdx, name, displayName(layerOffset, name), defaultVal,
        valueCount(minVal, maxVal) - 1, getParamGroup(layerOffset, group), {values, firstDisplay, lastDisplay, true, 0},
        "\n");
    if (!param)
        return nullptr;
    IControl* control = buildCaption(paramIdx, x, y, w, h, kMenuAmber, true, layer);
    bindNRPNAction(param, control, layer, {ccNumber, msbValue, lsbValue, lsbControl}, channel, layerOffset, 1, false);
    return control;
}

IControl* UIConfigManager::createMultiSelectionSysExControl(const std::string& name, int paramIdx, int x, int y,
    int w, int h, int defaultVal, int minVal, int maxVal, int firstDisplay, int lastDisplay,
    std::vector<std::string> values, int, int, int sysexIndex, int changingByte, int layerOffset,
    ControlLayer* layer, const std::string& group)
{
    const int n = valueCount(minVal, maxVal) - 1;
    IParam* param = initMenuParam(paramIdx, name, displayName(layerOffset, name), defaultVal, n,
        getParamGroup(layerOffset, group), {values, firstDisplay, lastDisplay, true, 0}, "");
    if (!param)
        return nullptr;
    IControl* control = buildCaption(paramIdx, x, y, w, h, kMenuAmber, true, layer);
    bindSysExAction(param, kActionSysEx, control, sysexIndex, changingByte, n + 1, minVal, layerOffset);
    return control;
}

IControl* UIConfigManager::createNoValDropDown(const std::string& name, int paramIdx, int x, int y, int w, int h,
    int defaultVal, int minVal, int maxVal, int firstDisplay, int lastDisplay, int visible,
    std::vector<std::string> values, int layerOffset, ControlLayer* layer, const std::string& group, bool white)
{
    const char pad = paramIdx == kCurrentPatch ? '0' : ' ';
    IParam* param = initMenuParam(paramIdx, name, name, defaultVal, valueCount(minVal, maxVal) - 1,
        getParamGroup(layerOffset, group), {values, firstDisplay, lastDisplay, true, pad}, "");
    if (!param)
        return nullptr;
    IColor colour = kHidden;
    if (visible == 1) {
        const bool dark = paramIdx == kCurrentPatch || paramIdx == kCategoryName || paramIdx == kCurrentBank;
        colour = dark ? kNearBlack : (white ? kLightGrey : kAmber);
    }
    return buildCaption(paramIdx, x, y, w, h, colour, paramIdx != kCurrentBank, layer);
}

IControl* UIConfigManager::createDropDownMenu2(const std::string& name, int paramIdx, int x, int y, int w, int h,
    int defaultVal, int minVal, int maxVal, std::vector<std::string> values, int layerOffset, ControlLayer* layer,
    const std::string& group)
{
    IParam* param = initMenuParam(paramIdx, name, name, defaultVal, valueCount(minVal, maxVal) - 1,
        getParamGroup(layerOffset, group), {values, -1, -1, false, 0}, "");
    if (!param)
        return nullptr;
    IControl* control = buildCaption(paramIdx, x, y, w, h, kMenuAmber, true, layer);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createDropDownMenu(const std::string& name, int paramIdx, int x, int y, int w, int h,
    int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = paramFor(paramIdx, name);
    if (!param)
        return nullptr;
    param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(layerOffset, group).c_str(), -1, -1);
    param->SetDisplayText(0, "----");
    IControl* control = buildCaption(paramIdx, x, y, w, h, kAmber, false, layer);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createMIDIDeviceSelectionControl(const std::string&, int paramIdx, int x, int y, int w,
    int h, int inputFlag, int, ControlLayer*, const std::string&)
{
    IParam* param = paramFor(paramIdx, "Device Selection");
    if (!param)
        return nullptr;
    const std::vector<std::string> ports =
        inputFlag == 1 ? m_plug->getExternalMIDIInNames() : m_plug->getExternalMIDIOutNames();
    param->InitEnum("Device Selection", 0, static_cast<int>(ports.size()), "", "", -1, -1);
    for (size_t i = 0; i < ports.size(); ++i)
        param->SetDisplayText(static_cast<int>(i), ports[i].c_str());
    // The device menus sit on the surface itself, above every layer.
    IControl* control = buildCaption(paramIdx, x, y, w, h, kBlue, true, nullptr);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createNameDisplay(const std::string& name, int paramIdx, int x, int y, int w, int h,
    int nameLength, int layerOffset, ControlLayer* layer, const std::string& group)
{
    IParam* param = paramFor(paramIdx, name);
    if (!param)
        return nullptr;
    param->InitEnum(name.c_str(), 0, 1, "", getParamGroup(layerOffset, group).c_str(), -1, -1);
    param->InitText();
    if (paramIdx == kPatchName)
        param->SetDisplayText(0, "-- INIT --");
    else if (paramIdx == kPatchSearchString)
        param->SetDisplayText(0, kSearchFieldPrompt);
    else if (paramIdx == kPatchRename)
        param->SetDisplayText(0, "New Name");
    const bool light = paramIdx == kPatchSearchString || paramIdx == kPatchRename;
    IControl* control = buildCaption(paramIdx, x, y, w, h, light ? kLightGrey : kNearBlack, true, layer,
        paramIdx == kPatchSearchString ? kSearchFieldPrompt : nullptr);
    control->SetTextEntryLength(nameLength);
    bindAction(param, kActionNone, control);
    return control;
}

IControl* UIConfigManager::createControlDisplay(const std::string&, int paramIdx, int x, int y, int w, int h, int,
    ControlLayer* layer, const std::string&, int displayStyle)
{
    IText text(scaled(h), displayStyle == 2 ? &kBlue : &kNearBlack, kMenuFont);
    const int left = scaled(x), top = scaled(y);
    // Not bound by index: the editor core writes its text through the action's controls.
    IControl* control = new ITextControl(m_plug, IRECT(left, top, left + scaled(w), top + scaled(h)), &text, "");
    place(control, layer);
    if (m_plug && paramIdx >= 0 && paramIdx < m_plug->NParams()) {
        noteControl(paramIdx, control);
        bindAction(m_plug->GetParam(paramIdx), kActionNone, control);
    }
    return control;
}
