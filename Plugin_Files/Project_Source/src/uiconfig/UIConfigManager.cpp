#include "UIConfigManager.h"

#include <cstdio>

#include "ParameterTable.h"
#include "debugger.h"

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

void UIConfigManager::readUIConfig(IGraphics*, Zelto2X*, PatchLibrarian*, int, double) {}

ControlLayer* UIConfigManager::getLayerByName(const std::string& name) const
{
    auto hit = m_layerTable.find(name);
    return hit == m_layerTable.end() ? nullptr : hit->second;
}

IControl* UIConfigManager::createAutoOffSwitchControl(const std::string&, int, int, int, const std::string&, int,
    ControlLayer*, const std::string&)
{
    return nullptr;
}
