#pragma once
// The overlay that dims the whole editor while a data transfer with the
// hardware runs and swallows every click meanwhile. In the middle it draws a
// box of its own that says what is going on and, for long work, how far it
// is ("SOUND 37 / 100"); the cancel key lies in that box.
//
// Threads: built on the main thread; shown and hidden from the main thread and
// the MIDI workers (IControl::Hide is lock-free); drawn on the main thread,
// which reads the count the request thread writes (JobProgress).

#include <cstdint>

#include "IControl.h"

class ControlLayer;
class JobProgress;

class ProgressIndicator : public IBitmapOverlayControl {
public:
    // The box and the cancel key in it, in unscaled pixels of the 1500 x 757 window.
    static constexpr int kBoxX = 552, kBoxY = 296, kBoxW = 400, kBoxH = 144;
    static constexpr int kCancelKeyX = 672, kCancelKeyY = 384;  // a 160 x 32 key

    // Appends itself to layer, which owns it from then on.
    ProgressIndicator(ControlLayer* layer, IPluginBase* plug, int x, int y, int w, int h, int paramIdx,
        IBitmap* bitmap, IRECT targetArea);
    ~ProgressIndicator() override;

    // Main thread, once: the count to show (the MIDI message manager's);
    // without one the box shows no count.
    void setProgressSource(const JobProgress* progress) { m_progress = progress; }

    // ---- IControl (main thread) ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    // Also dirty while shown when the count moved since it was drawn.
    bool IsDirty() override;

    ControlLayer* layer;
    IBitmap overlay;
    IRECT overlayRect;

private:
    IRECT scaled(int x, int y, int w, int h) const;

    const JobProgress* m_progress = nullptr;
    uint32_t m_drawnCount = 0;
    double m_scale = 1.0;
    IText m_title;
    IText m_count;
};
