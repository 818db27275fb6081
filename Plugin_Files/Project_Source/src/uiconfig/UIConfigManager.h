#pragma once
// The UI configuration manager. For now it holds what the incoming MIDI paths
// need of it: the parameter name table and the four control-lookup
// containers; reading the configuration resources builds on it.
//
// Threads: filled on the host's main thread while the editor is constructed;
// afterwards the name table and the three control containers are only read.
// The patch-data container guards itself (see patchDataContainer.h).

#include <map>
#include <string>

#include "CCControlContainer.h"
#include "NRPNControlContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

class ControlLayer;
class DebuggerOutput;
class IControl;
class IGraphics;
class PatchLibrarian;
class Zelto2X;

class UIConfigManager {
public:
    UIConfigManager() = default;
    UIConfigManager(const UIConfigManager&) = delete;
    UIConfigManager& operator=(const UIConfigManager&) = delete;

    // Where LOG lines go; nothing is written while enabled is false.
    void setDebugLog(DebuggerOutput* output, bool enabled, const std::string& logFilePath);

    // ---- Parameter name table (main thread) ----
    // Registers every parameter name of the editor.
    void initParams();
    // Adds name -> index; a name already present keeps its first index.
    void mapParamToString(const std::string& name, int index);
    // The index of name (exact spelling), or -1.
    int getParamByName(const std::string& name);
    std::size_t paramNameCount() const { return m_paramNames.size(); }

    // ---- Configuration (main thread, once, from the editor's constructor) ----
    // Reads the SysEx map, the images and the panel configuration and builds
    // every parameter, layer and control on the graphics surface.
    void readUIConfig(IGraphics* graphics, Zelto2X* editor, PatchLibrarian* librarian, int colourScheme, double scale);
    // The layer the configuration built under that name, or null.
    ControlLayer* getLayerByName(const std::string& name) const;
    // A momentary button the editor builds for itself; null when it cannot be built.
    IControl* createAutoOffSwitchControl(const std::string& name, int paramIdx, int x, int y,
        const std::string& image, int layerOffset, ControlLayer* layer, const std::string& group);

    // ---- Control-lookup containers ----
    SysExControlContainer sysExControls;
    NRPNControlContainer nrpnControls;
    CCControlContainer ccControls;
    patchDataContainer patchData;

private:
    void logLine(const std::string& text);

    std::map<std::string, int> m_paramNames;
    std::map<std::string, ControlLayer*> m_layerTable;
    DebuggerOutput* m_debugOutput = nullptr;
    bool m_debugEnabled = false;
    std::string m_logFilePath;
};
