#pragma once
// A windowless surface and a plug-in stand-in for GUI tests and benchmarks.
// TestGraphics answers every platform call without a window: popup menus
// return a scripted choice, and bitmaps come from images registered in memory.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IGraphics.h"
#include "../QuietHostPlugin.h"

class TestPlug : public QuietHostPlugin {
public:
    struct Call { int idx; double value; };

    explicit TestPlug(int nParams = 8);

    void SetParameterFromGUI(int idx, double normalizedValue) override;
    void SetParameterFromGUI2(int idx, double normalizedValue) override;
    void BeginInformHostOfParamChange(int idx) override { begins.push_back(idx); }
    void EndInformHostOfParamChange(int idx) override { ends.push_back(idx); }

    std::vector<Call> fromGUI, fromGUI2;
    std::vector<int> begins, ends;
};

class TestGraphics : public IGraphics {
public:
    TestGraphics(IPluginBase* plug, int w, int h, int fps = 0) : IGraphics(plug, w, h, fps) {}

    // Registers a vertical strip of frames w x frameH under name, frame i filled with colours[i].
    void addStrip(const std::string& name, int w, int frameH, const std::vector<unsigned int>& colours);
    // The index the next popup menus answer with; -1 dismisses.
    void scriptMenuChoice(int index) { mMenuIndex = index; }

    bool DrawScreen(IRECT* r) override
    {
        lastScreenRect = *r;
        return true;
    }
    void ForceEndUserEdit() override {}
    const char* GetGUIAPI() override { return "test"; }
    int ShowMessageBox(const char*, const char*, int) override { return 0; }
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override;
    void CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) override {}
    void HostPath(ROZ_String*) override {}
    void PluginPath(ROZ_String*) override {}
    void DesktopPath(ROZ_String*) override {}
    void PromptForFile(ROZ_String* fileName, int, ROZ_String*, const char*) override
    {
        if (fileName) fileName->Set("");
    }
    bool PromptForColor(IColor*, const char*) override { return false; }
    bool OpenURL(const char*, const char*, const char*, const char*) override { return true; }
    void* OpenWindow(void*) override { return nullptr; }
    void CloseWindow() override {}
    void* GetWindow() override { return nullptr; }
    void* OSLoadFile(int, const char*) override { return nullptr; }
    ZUVE_IBitmap* OSLoadBitmap(int id, const char* name) override;

    IRECT lastScreenRect;
    std::vector<std::string> lastMenuItems;
    std::vector<bool> lastMenuTicks;

private:
    struct Image {
        int w, frameH;
        std::vector<unsigned int> colours;
    };
    std::map<std::string, Image> mImages;
    int mMenuIndex = -1;
};

// A control that counts its drawing and remembers its mouse calls.
#include "IControl.h"
class ProbeControl : public IControl {
public:
    ProbeControl(IPluginBase* plug, IRECT r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}
    bool Draw(IGraphics*) override
    {
        ++draws;
        return true;
    }
    void OnMouseUp(int, int, IMouseMod*) override { ++ups; }
    void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override { drags.push_back({dX, dY}); }
    bool OnKeyDown(int, int, int key) override
    {
        keys.push_back(key);
        return true;
    }
    int draws = 0, ups = 0;
    std::vector<std::pair<int, int>> drags;
    std::vector<int> keys;
};
