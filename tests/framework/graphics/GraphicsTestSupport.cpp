#include "GraphicsTestSupport.h"

#include "IParam.h"
#include "IPopupMenu.h"
#include "zuve/zuve.h"

TestPlug::TestPlug(int nParams)
    : QuietHostPlugin(nParams, "2-2", 0, "Test", "Test", "Test", 0x10000, 1, 1, 0, true, true, true, kAPIAU)
{
    initialize(0, nParams, "2-2", 0, "Test", "Test", "Test", 0x10000, 1, 1, 0, true, true, true);
    addNonAutomateParamCount(nParams);
}

void TestPlug::SetParameterFromGUI(int idx, double normalizedValue)
{
    fromGUI.push_back({idx, normalizedValue});
    IPluginBase::SetParameterFromGUI(idx, normalizedValue);
}

void TestPlug::SetParameterFromGUI2(int idx, double normalizedValue)
{
    fromGUI2.push_back({idx, normalizedValue});
    IPluginBase::SetParameterFromGUI2(idx, normalizedValue);
}

void TestGraphics::addStrip(const std::string& name, int w, int frameH, const std::vector<unsigned int>& colours)
{
    mImages[name] = Image{w, frameH, colours};
}

ZUVE_IBitmap* TestGraphics::OSLoadBitmap(int, const char* name)
{
    auto it = mImages.find(name ? name : "");
    if (it == mImages.end()) return nullptr;
    const Image& image = it->second;
    const int frames = int(image.colours.size());
    auto* bitmap = new ZUVE_MemBitmap(image.w, image.frameH * frames, 4);
    for (int i = 0; i < frames; ++i)
        ZUVE_FillRect(bitmap, 0, i * image.frameH, image.w, image.frameH, image.colours[i], 1.0f, ZUVE_BLIT_MODE_COPY);
    return bitmap;
}

IPopupMenu* TestGraphics::CreateIPopupMenu(IPopupMenu* menu, IRECT*)
{
    ReleaseMouseCapture();
    lastMenuItems.clear();
    lastMenuTicks.clear();
    for (int i = 0; i < menu->GetNItems(); ++i) {
        lastMenuItems.push_back(menu->GetItemText(i));
        lastMenuTicks.push_back(menu->IsItemChecked(i));
    }
    if (mMenuIndex < 0) return nullptr;
    menu->SetChosenItemIdx(mMenuIndex);
    return menu;
}
