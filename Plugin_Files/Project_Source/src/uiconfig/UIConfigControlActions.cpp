// The binding every control factory shares: the parameter's ControlAction,
// its link, the per-value SysEx message lists, the channel rule and the
// filing of controls in the lookup containers.

#include <cstdio>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPluginBase.h"
#include "UIConfigManager.h"

namespace {


const char* const kMixerLayers[] = {
    "miniMixer", "multiModeMixer", "miniMixer2", "multiModeMixer2", "multiModeSettingsPage1",
};
const char* const kAdditionalSettingsLayers[] = {
    "additionalSettingsPart1", "additionalSettingsPart2", "additionalSettingsPart3", "additionalSettingsPart4",
    "additionalSettingsPart5", "additionalSettingsPart6", "additionalSettingsPart7", "additionalSettingsPart8",
};

template <size_t N>
bool named(const std::string& name, const char* const (&names)[N])
{
    for (const char* candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

}  // namespace

int UIConfigManager::scaled(int v) const
{
    // Kept far inside int, so sums of scaled sizes cannot overflow.
    const double s = v * m_scale;
    constexpr double kLimit = 1 << 24;
    return static_cast<int>(s > kLimit ? kLimit : (s < -kLimit ? -kLimit : s));
}

int UIConfigManager::valueCount(int minVal, int maxVal)
{
    const long long count = static_cast<long long>(maxVal) - minVal + 1;
    return count < 0 ? 0 : (count > kMaxValueCount ? kMaxValueCount : static_cast<int>(count));
}

IParam* UIConfigManager::paramFor(int paramIdx, const std::string& name) const
{
    if (!m_plug || paramIdx < 0 || paramIdx >= m_plug->NParams()) {
        std::printf("control '%s': parameter index %d out of range, nothing built\n", name.c_str(), paramIdx);
        return nullptr;
    }
    return m_plug->GetParam(paramIdx);
}

IParam* UIConfigManager::initDoubleParam(int paramIdx, const std::string& name, const std::string& shownName,
    double defaultVal, double minVal, double maxVal, double step, const std::string& group) const
{
    IParam* param = paramFor(paramIdx, name);
    if (param)
        param->InitDouble(shownName.c_str(), defaultVal, minVal, maxVal, step, "", group.c_str(), -1, -1);
    return param;
}

IParam* UIConfigManager::initBoolParam(int paramIdx, const std::string& name, const std::string& shownName,
    bool defaultVal, const std::string& group) const
{
    IParam* param = paramFor(paramIdx, name);
    if (param)
        param->InitBool(shownName.c_str(), defaultVal, "", group.c_str(), -1, -1);
    return param;
}

void UIConfigManager::place(IControl* control, ControlLayer* layer)
{
    if (layer)
        layer->AddControl(control);
    else
        m_graphics->AttachControl(control);
}

void UIConfigManager::noteControl(int paramIdx, IControl* control)
{
    if (paramIdx >= 0)
        m_firstControlByParam.emplace(paramIdx, control);
}

ControlAction* UIConfigManager::bindAction(IParam* param, int kind, IControl* control)
{
    ControlAction* action = param->GetControlAction();
    if (!action) {
        m_actions.push_back(std::make_unique<ControlAction>(kind));
        action = m_actions.back().get();
    } else {
        // A parameter shared by several controls keeps one action; the last factory's kind wins.
        action->kind = kind;
    }
    action->controls.push_back(control);
    param->SetControlAction(action);
    return action;
}

void UIConfigManager::recordLink(ControlAction* action, int paramIdx, const LinkInfo& link)
{
    // Both indexes already carry the copy's offset (getBiDirectLinkValues and
    // the walk's parameter index), so nothing is added here.
    if (!link.bothSet())
        return;
    if (link.first >= m_plug->NParams()) {
        std::printf("link of parameter %d names index %d out of range, not linked\n", paramIdx, link.first);
        return;
    }
    action->link = link;
    IParam* linked = m_plug->GetParam(link.first);
    ControlAction* linkedAction = linked->GetControlAction();
    if (!linkedAction) {
        m_actions.push_back(std::make_unique<ControlAction>(kActionSysEx));
        linkedAction = m_actions.back().get();
        linked->SetControlAction(linkedAction);
    }
    linkedAction->link.first = paramIdx;
    linkedAction->link.second = link.second;
    linkedAction->link.number = -1;
}

void UIConfigManager::calculateSysexWithChangingByte(const std::string& sysexTemplate, int changingByte, int count,
    ControlActionSysExMessage* out, int start, int layerOffset)
{
    out->messages.clear();
    const std::vector<int32_t> bytes = convertStringSysextoVector(sysexTemplate);
    const int p = changingByte - 1;
    if (bytes.empty()) {
        std::printf("SysEx template is empty: no messages\n");
        return;
    }
    if (p < 0 || p >= static_cast<int>(bytes.size())) {
        std::printf("SysEx changing byte %d outside template '%s': no messages\n", changingByte, sysexTemplate.c_str());
        return;
    }
    if (layerOffset == 1 && bytes.size() < 6) {
        std::printf("SysEx template '%s' too short for its timbre address: no messages\n", sysexTemplate.c_str());
        return;
    }
    if (count > kMaxMessageCount) {
        std::printf("SysEx message count %d too large: no messages\n", count);
        return;
    }
    int n = 0;
    int v = start;
    if (start == -1) {
        out->messages.push_back(bytes);
        v = bytes[static_cast<size_t>(p)];
        n = 1;
    }
    for (; n < count; ++n, ++v) {
        if (v == 128)
            v = 0;
        SysExMessage message = bytes;
        if (layerOffset == 1) {
            // The second timbre's address: byte 4 moves up 16 (wrapping into 7 bits), byte 5 up one.
            message[4] = message[4] + 16 <= 127 ? message[4] + 16 : message[4] - 112;
            message[4] &= 0x7F;
            message[5] = (message[5] + 1) & 0x7F;
        }
        message[static_cast<size_t>(p)] = v & 0x7F;
        out->messages.push_back(std::move(message));
    }
}

bool UIConfigManager::buildSysExMessages(int sysexIndex, int changingByte, int count, int start, int layerOffset,
    ControlActionSysExMessage* out)
{
    if (sysexIndex < 0 || sysexIndex >= static_cast<int>(m_sysExTemplates.size())) {
        std::printf("SysEx template %d not defined!\n", sysexIndex);
        out->messages.clear();
        return false;
    }
    calculateSysexWithChangingByte(m_sysExTemplates[static_cast<size_t>(sysexIndex)].firstTemplate(), changingByte,
        count, out, start, layerOffset);
    return !out->messages.empty();
}

void UIConfigManager::fileSysExControl(const ControlActionSysExMessage& sysEx, int changingByte, IControl* control)
{
    if (sysEx.messages.empty())
        return;
    const SysExMessage& first = sysEx.messages.front();
    const size_t from = changingByte == 7 ? 2 : 3;
    if (first.size() < from + 4) {
        std::printf("SysEx message too short for an address: control not filed\n");
        return;
    }
    unsigned char address[4];
    for (size_t i = 0; i < 4; ++i)
        address[i] = static_cast<unsigned char>(first[from + i] & 0x7F);
    sysExControls.addToControlMap(address, 0, control);
}

ControlAction* UIConfigManager::bindSysExAction(IParam* param, int kind, IControl* control, int sysexIndex,
    int changingByte, int count, int start, int layerOffset)
{
    ControlAction* action = bindAction(param, kind, control);
    ControlActionSysExMessage messages;
    buildSysExMessages(sysexIndex, changingByte, count, start, layerOffset, &messages);
    action->sysEx = messages;
    fileSysExControl(action->sysEx, changingByte, control);
    return action;
}

ControlAction* UIConfigManager::bindCCAction(IParam* param, int kind, IControl* control, const ControlLayer* layer,
    int ccNumber, int channel, int layerOffset, int mixerGroup)
{
    ControlAction* action = bindAction(param, kind, control);
    action->ccNumber = ccNumber;
    applyChannelRule(action, layer, channel, layerOffset, mixerGroup, false);
    ccControls.addToControlMap(action->channel, action->ccNumber, action->ccGroup, control);
    return action;
}

ControlAction* UIConfigManager::bindNRPNAction(IParam* param, IControl* control, const ControlLayer* layer,
    const NRPNAddress& address, int channel, int layerOffset, int mixerGroup, bool withAdditionalPages)
{
    ControlAction* action = bindAction(param, kActionNRPN, control);
    action->ccNumber = address.ccNumber;
    action->msbValue = address.msbValue;
    action->lsbValue = address.lsbValue;
    action->lsbControl = address.lsbControl;
    applyChannelRule(action, layer, channel, layerOffset, mixerGroup, withAdditionalPages);
    nrpnControls.addToControlMap(action, control);
    return action;
}

void UIConfigManager::applyChannelRule(ControlAction* action, const ControlLayer* layer, int channelAttr,
    int layerOffset, int mixerGroup, bool withAdditionalPages) const
{
    const std::string layerName = layer ? layer->GetName() : std::string();
    const bool mixer = named(layerName, kMixerLayers) ||
                       (withAdditionalPages && named(layerName, kAdditionalSettingsLayers));
    if (mixer) {
        action->channel = channelAttr;
        action->ccGroup = mixerGroup;
    } else {
        action->channel = layerOffset + 1;
        action->ccGroup = 0;
    }
}
