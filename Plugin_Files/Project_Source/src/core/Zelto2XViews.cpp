// The editor's hold on its view: layers and controls found by name or
// parameter, the status lines, the progress overlay, the pattern-step
// overlays and the support pages.
//
// Threads: the lookups cache under m_lookupMutex and are safe from any thread
// but render once the surface is built; the show, hide and grey operations
// only set flags and dirty marks (main, host, MIDI input and worker threads).

#include "Zelto2X.h"

#include <cstdio>
#include <cstring>

#include "ControlDisplay.h"
#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"

namespace {

using consolelog::log;

ControlLayer* findInTree(ControlLayer* layer, const std::string& name)
{
    if (layer->GetName() == name)
        return layer;
    for (int i = 0; i < layer->NLayers(); ++i)
        if (ControlLayer* found = findInTree(layer->GetLayer(i), name))
            return found;
    return nullptr;
}

// Support pages of the librarian's main menu: tickets, downloads, articles.
constexpr const char* kHelpPages[] = {
    "https://support.vantorel.com/tickets",
    "https://support.vantorel.com/downloads",
    "https://support.vantorel.com/articles",
};

}  // namespace

// ---- Lookups ---------------------------------------------------------------------

ControlLayer* Zelto2X::findLayer(const std::string& name)
{
    std::lock_guard<std::mutex> lock(m_lookupMutex);
    auto cached = m_layerCache.find(name);
    if (cached != m_layerCache.end())
        return cached->second;
    ControlLayer* layer = uiConfig ? uiConfig->getLayerByName(name) : nullptr;
    // The popup layers and "PROGRESS" are the editor's own, not the configuration's.
    if (IGraphics* graphics = GetGUI())
        for (int i = 0; !layer && i < graphics->NLayers(); ++i)
            layer = findInTree(graphics->GetLayer(i), name);
    if (layer)
        m_layerCache[name] = layer;
    else if (m_missingNames.insert(name).second)
        log("Layer %s NOT FOUND!\n", name.c_str());
    return layer;
}

IControl* Zelto2X::controlToChange(int paramIdx)
{
    IControl* control = paramControl(paramIdx);
    if (!control) {
        std::lock_guard<std::mutex> lock(m_lookupMutex);
        if (m_missingNames.insert("#" + std::to_string(paramIdx)).second)
            log("Control of parameter %i NOT FOUND!\n", paramIdx);
    }
    return control;
}

void Zelto2X::showLayer(const char* name, bool show)
{
    if (ControlLayer* layer = findLayer(name))
        layer->Hide(!show);
}

void Zelto2X::grayLayer(const char* name, bool gray)
{
    if (ControlLayer* layer = findLayer(name))
        layer->GrayOut(gray);
}

void Zelto2X::showParamControl(int paramIdx, bool show)
{
    if (IControl* control = controlToChange(paramIdx))
        control->Hide(!show);
}

void Zelto2X::grayParamControl(int paramIdx, bool gray)
{
    if (IControl* control = controlToChange(paramIdx))
        control->GrayOut(gray);
}

// ---- Texts and values -------------------------------------------------------------

void Zelto2X::setTextOfParam(int paramIdx, const char* text)
{
    if (auto* control = dynamic_cast<ITextControl*>(controlToChange(paramIdx)))
        control->SetTextFromPlug(text);
}

void Zelto2X::showStatusLines(const char* name, const char* value)
{
    if (statusHeldByRelease())
        return;
    if (name)
        setTextOfParam(kControlDisplayName, name);
    if (value)
        setTextOfParam(kControlDisplayValue, value);
}

void Zelto2X::setFromPlug(int paramIdx, double value)
{
    // The plain value is stored as it is: a trip through the normalised
    // position could leave 6.999... where 7 was meant.
    IParam* param = GetParam(paramIdx);
    if (!param)
        return;
    param->SetClamped(value);
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(paramIdx, param->GetNormalized(), true);
}

std::string Zelto2X::getValueString(double value)
{
    return ControlDisplay::getValueString(value);
}

// ---- Progress overlay, pattern overlays, help -------------------------------------

void Zelto2X::showProgressOverlay(bool show)
{
    if (progressIndicator)
        progressIndicator->Hide(!show);
    showLayer("PROGRESS", show);
}

void Zelto2X::DisplayProcessingIndicator(bool processing)
{
    patchLoading = false;
    const bool librarianTab = paramValue(kMainTab) == 1.0;
    showProgressOverlay(processing);
    if (processing) {
        if (librarianCancelButton)
            librarianCancelButton->Hide(true);
        if (editorCancelButton)
            editorCancelButton->Hide(true);
        if (librarianTab) {
            if (librarianCancelButton)
                librarianCancelButton->Hide(false);
            showLayer("searchField", false);
            showLayer("categoryLimit", false);
            grayParamControl(kPatchSearch, true);
        } else if (editorCancelButton) {
            editorCancelButton->Hide(false);
        }
        return;
    }
    if (librarianCancelButton)
        librarianCancelButton->Hide(true);
    if (editorCancelButton)
        editorCancelButton->Hide(true);
    if (midiMessageManager)
        midiMessageManager->patchRequested = false;
    if (librarianTab) {
        showSearchOrCategorySwitch();
        // A search while categories are listed would name results over a category bank.
        grayParamControl(kPatchSearch, lowerShowsCategories);
    }
    if (sectionLockActive)
        grayLayer("releaseAllLocksLayer", false);
}

void Zelto2X::DrawPatternOverlayer(int patternLength)
{
    if (patternLength < 0 || patternLength > 14)
        return;
    for (int step = patternLength + 2; step <= 16; ++step) {
        char name[32];
        std::snprintf(name, sizeof name, "pattStepOverlayer%02d", step);
        showLayer(name, true);
    }
}

void Zelto2X::OpenHelpTopics(int topic)
{
    IGraphics* graphics = GetGUI();
    if (!graphics || topic < 0 || topic > 2)
        return;
    // With no web browser the page stays closed: its address is shown instead.
    if (!graphics->OpenURL(kHelpPages[topic], nullptr, nullptr, nullptr))
        showStatusLines("No web browser found!", std::strchr(kHelpPages[topic], ':') + 3);
}
