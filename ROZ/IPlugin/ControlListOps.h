#pragma once
// Walks over a list of controls that the surface's flat list and every
// control layer share: dirty merging and value pushing follow one rule in both.

#include "IGraphicsStructs.h"
#include "ptrlist.h"

class IControl;

// Merges the rectangles of dirty controls from index first on into r; hidden
// controls count only with their ignore-hidden flag. True when any was dirty.
bool MergeDirtyControls(const ROZ_PtrList<IControl>& controls, int first, IRECT* r);

// SetValueFromPlug on every control bound to paramIdx and
// SetAuxParamValueFromPlug on every auxiliary binding of it. Any thread.
void PushValueToControls(const ROZ_PtrList<IControl>& controls, int paramIdx, double value);
