#pragma once
// The overlay picture that covers the whole editor while a data transfer with
// the hardware runs, and swallows every click meanwhile.
//
// Threads: built on the main thread; shown and hidden from the main thread and
// the MIDI workers (IControl::Hide is lock-free); drawn on the main thread.

#include "IControl.h"

class ControlLayer;

class ProgressIndicator : public IBitmapOverlayControl {
public:
    // Appends itself to layer, which owns it from then on.
    ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y, int w, int h, int paramIdx,
        IBitmap* bitmap, IRECT targetArea);
    ~ProgressIndicator() override;

    // ---- IControl (main thread) ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

    ControlLayer* layer;
    IBitmap overlay;
    IRECT overlayRect;
};
