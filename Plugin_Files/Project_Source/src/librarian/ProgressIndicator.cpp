#include "ProgressIndicator.h"

#include "ControlLayer.h"
#include "IGraphics.h"

ProgressIndicator::ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y, int w, int h,
    int paramIdx, IBitmap* bitmap, IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, paramIdx, bitmap, targetArea), layer(layer),
      overlay(bitmap ? *bitmap : IBitmap()), overlayRect(x, y, x + w, y + h)
{
    // The whole window takes the clicks while the overlay shows, whatever size
    // the picture has.
    mTargetRECT = targetArea;
    if (layer) {
        layer->AddControl(this);
        layer->setIgnoreHiddenWhenUpdatingScreen(true);
    }
}

ProgressIndicator::~ProgressIndicator() = default;

void ProgressIndicator::OnMouseDown(int, int, IMouseMod*) {}

void ProgressIndicator::OnMouseDblClick(int, int, IMouseMod*) {}

bool ProgressIndicator::Draw(IGraphics* graphics)
{
    if (!overlay.mData)
        return true;
    return graphics->DrawBitmap(&overlay, &overlayRect, 0, &mBlend);
}
