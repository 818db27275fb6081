#pragma once
// The configuration's radio group: a row or column of buttons bound to one
// enumerated parameter, drawn from one two-frame bitmap that pictures the
// whole group (frame 1 all off, frame 2 all on); each button draws its own
// cell of the frame. Double clicks, mouse-over and the right button select
// nothing.
//
// Threads: mouse and drawing on the main thread; values arrive as in IControl.

#include "IControl.h"

class ICustomRadioButtonsControl : public IRadioButtonsControl {
public:
    ICustomRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
        EDirection direction);

    // ---- IControl ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    void OnMouseOver(int x, int y, IMouseMod* mod) override;
    void OnMouseOut() override;
    bool Draw(IGraphics* graphics) override;

    // Selects the button under (x, y), if any, and pushes the value.
    void OnMouseDownCustom(int x, int y, IMouseMod* mod);

    int cellWidth() const { return mCellW; }
    int cellHeight() const { return mCellH; }

private:
    int mCellW;
    int mCellH;
};
