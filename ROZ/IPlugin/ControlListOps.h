#pragma once
// Walks over the lists of controls and of control layers that the surface's
// flat list and root layers share with every control layer: dirty merging,
// drawing, hit testing and value pushing follow one rule in both.

#include "IGraphicsStructs.h"
#include "ptrlist.h"

class IControl;
class ControlLayer;
class IGraphics;

// Merges the rectangles of dirty controls from index first on into r; hidden
// controls count only with their ignore-hidden flag. True when any was dirty.
bool MergeDirtyControls(const ROZ_PtrList<IControl>& controls, int first, IRECT* r);

// Draws the controls from index first on that are not hidden and meet r
// (only while visible), and sets every one of them clean. Main thread.
void DrawControls(const ROZ_PtrList<IControl>& controls, int first, IGraphics* graphics, const IRECT& r,
                  bool visible = true);

// SetDirty(false) on every control. Any thread.
void SetControlsDirty(const ROZ_PtrList<IControl>& controls);

// SetValueFromPlug on every control bound to paramIdx and
// SetAuxParamValueFromPlug on every auxiliary binding of it. Any thread.
void PushValueToControls(const ROZ_PtrList<IControl>& controls, int paramIdx, double value);

// The same walks over a list of layers, each layer taking its whole subtree.
bool MergeDirtyLayers(const ROZ_PtrList<ControlLayer>& layers, IRECT* r);
void DrawLayers(const ROZ_PtrList<ControlLayer>& layers, IGraphics* graphics, IRECT* r);
// The first control hit, asking the layers from the last to the first; null when none.
IControl* HitLayers(const ROZ_PtrList<ControlLayer>& layers, int x, int y);
void PushValueToLayers(const ROZ_PtrList<ControlLayer>& layers, int paramIdx, double value);
