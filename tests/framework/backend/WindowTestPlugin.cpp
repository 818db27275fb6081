// A plug-in module with a small real view for the window test: a grey panel
// and one two-frame switch (red, then green) at (60, 60), 40 x 40, bound to
// parameter 0. Loaded by the host program like the editor's module.
#include "IControl.h"
#include "IGraphicsMac.h"
#include "IPluginAU.h"
#include "IPluginAUView.h"
#include "platform/AUCocoaUIBase.h"
#include "platform/CocoaWindowSystem.h"
#include "zuve/mem_bitmap.h"
#include "zuve/zuve.h"

namespace {

const int kWidth = 240, kHeight = 160;
const int kSwitchSize = 40;
const char kName[] = "Zelto2X Editor";
const char kViewClass[] = "Zelto2X_View_64";
const char kBundleId[] = "com.Vantorel.test.WindowTest";  // written into the bundle's Info.plist by CMake
const int kUniqueId = 0x6B7A366D, kManufacturerId = 0x566E7431;

class WindowTestPlug : public IPluginAU {
public:
    explicit WindowTestPlug(IPluginInstanceInfo info)
        : IPluginAU(info, 1, "2-2", 0, kName, "", "Vantorel", 0x10000, kUniqueId, kManufacturerId, 0, true, false,
                    true, 0)
    {
        initialize(info, 0, 1, "2-2", 0, kName, "", "Vantorel", 0x10000, kUniqueId, kManufacturerId, 0, true, false,
                   true, 0);
        GetParam(0)->InitInt("Switch", 0, 0, 1);
        auto* graphics = new IGraphicsMac(this, kWidth, kHeight);
        graphics->SetBundleID(kBundleId);
        graphics->AttachPanelBackground(&COLOR_GRAY);
        IBitmap strip = makeSwitchStrip(graphics);
        graphics->AttachControl(new ISwitchControl(this, 60, 60, 0, &strip));
        AttachGraphics(graphics);
    }

private:
    static IBitmap makeSwitchStrip(IGraphics* graphics)
    {
        auto* pixels = new ZUVE_MemBitmap(kSwitchSize, 2 * kSwitchSize, 4);
        ZUVE_FillRect(pixels, 0, 0, kSwitchSize, kSwitchSize, PackColor(COLOR_RED), 1.0f, 0);
        ZUVE_FillRect(pixels, 0, kSwitchSize, kSwitchSize, kSwitchSize, PackColor(COLOR_GREEN), 1.0f, 0);
        IBitmap strip(pixels, kSwitchSize, 2 * kSwitchSize, 2, false);
        graphics->RetainBitmap(&strip);  // the bitmap cache owns it from here
        return strip;
    }
};

class WindowTestViewFactory : public IPluginAUCocoaViewFactory {
public:
    WindowTestViewFactory() : IPluginAUCocoaViewFactory("Window Test View") {}
};

}  // namespace

IPluginAU* MakePlug()
{
    IPluginInstanceInfo info;
    info.mOSXBundleID.Set(kBundleId);
    info.mCocoaViewFactoryClassName.Set(kViewClass);
    return new WindowTestPlug(info);
}

#define WINDOW_TEST_EXPORT extern "C" __attribute__((visibility("default")))

WINDOW_TEST_EXPORT ComponentResult Zelto2X_Entry(ComponentParameters* params, void* plug)
{
    return IPluginAU::IPluginAUEntry(params, plug);
}

WINDOW_TEST_EXPORT AUCocoaUIBase* Zelto2X_View_64() { return new WindowTestViewFactory; }

WINDOW_TEST_EXPORT platform::WindowSystem* Zelto2X_GuiWindowSystem() { return &platform::WindowSystem::Shared(); }
