#include "IGraphicsStructs.h"

#include <algorithm>

IRECT IRECT::Union(const IRECT& o) const
{
    return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
}

IRECT IRECT::Intersect(const IRECT& o) const
{
    return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
}

bool RedrawMeets(const IRECT& a, const IRECT& c)
{
    if (a.Empty() || c.Empty()) return false;
    return a.R >= c.L && a.L < c.R && a.B >= c.T && a.T < c.B;
}

void MergeDirtyRect(IRECT* r, const IRECT& c)
{
    if (c.Empty()) return;
    *r = r->Empty() ? c : r->Union(c);
}
