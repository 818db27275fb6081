#include "UIConfigManager.h"

#include <cstdio>

#include "IPluginBase.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "debugger.h"

UIConfigManager::~UIConfigManager() = default;

void UIConfigManager::setDebugLog(DebuggerOutput* output, bool enabled, const std::string& logFilePath)
{
    m_debugOutput = output;
    m_debugEnabled = enabled;
    m_logFilePath = logFilePath;
}

void UIConfigManager::logLine(const std::string& text)
{
    if (m_debugEnabled && m_debugOutput)
        m_debugOutput->printDebugInfo(m_logFilePath, text);
}

void UIConfigManager::initParams()
{
    logLine("CONFIG READER: Started to initialize parameters...");
    for (int i = 0; i < kParameterNameCount; ++i)
        mapParamToString(kParameterNames[i].name, kParameterNames[i].index);
    logLine("CONFIG READER: Completed!");
}

void UIConfigManager::mapParamToString(const std::string& name, int index)
{
    if (!m_paramNames.emplace(name, index).second)
        logLine("CONFIG READER: parameter " + name + " ALREADY EXISTS!");
}

int UIConfigManager::getParamByName(const std::string& name)
{
    auto hit = m_paramNames.find(name);
    if (hit != m_paramNames.end())
        return hit->second;
    logLine("CONFIG READER: parameter " + name + " NOT FOUND!");
    std::printf("parameter %s NOT FOUND!!\n", name.c_str());
    return -1;
}

void UIConfigManager::readUIConfig(IGraphics* graphics, Zelto2X* editor, PatchLibrarian* librarian, int, double scale)
{
    m_editor = editor;
    m_librarian = librarian;
    readConfiguration(graphics, editor, scale);
}

ControlLayer* UIConfigManager::getLayerByName(const std::string& name) const
{
    auto hit = m_layerTable.find(name);
    return hit == m_layerTable.end() ? nullptr : hit->second;
}

IControl* UIConfigManager::getFirstControlForParam(int paramIdx) const
{
    auto hit = m_firstControlByParam.find(paramIdx);
    return hit == m_firstControlByParam.end() ? nullptr : hit->second;
}

ControlAction* UIConfigManager::getControlAction(int paramIdx) const
{
    if (!m_plug || paramIdx < 0 || paramIdx >= m_plug->NParams())
        return nullptr;
    return m_plug->GetParam(paramIdx)->GetControlAction();
}

const std::vector<std::string>& UIConfigManager::getValueList(const std::string& name)
{
    return m_valueLists[name];
}

const std::vector<std::string>* UIConfigManager::findValueList(const std::string& name) const
{
    auto hit = m_valueLists.find(name);
    return hit == m_valueLists.end() ? nullptr : &hit->second;
}

std::string UIConfigManager::getParamGroup(int layerOffset, const std::string& group) const
{
    if (layerOffset >= 0)
        return "Timbre " + std::to_string(layerOffset + 1) + (group.empty() ? "" : ":" + group);
    return group;
}

std::string UIConfigManager::displayName(int layerOffset, const std::string& name)
{
    if (layerOffset >= 0)
        return "[" + std::to_string(layerOffset + 1) + "] " + name;
    return name;
}
