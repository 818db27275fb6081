#pragma once
// Steps the librarian tests share: sound dumps with their checksum, an editor
// whose parameters have plain ranges, and a popup answered by script.

#include <string>

#include "IParam.h"
#include "LibraryTestSupport.h"
#include "ParameterTable.h"
#include "IControl.h"
#include "platform/HeadlessWindowSystem.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"

namespace librarytest {

// A current-model dump as the hardware and the library hold it.
inline Bytes validDump(int seed, const std::string& name, int category)
{
    Bytes dump = currentDump(seed, name, category);
    zsysex::applyOutgoingChecksum(dump.data(), static_cast<int>(dump.size()));
    return dump;
}

inline void givePlainRanges(Zelto2X& editor)
{
    for (int i = 0; i < kNumParams; ++i)
        editor.GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
}

// Opens a popup with its answer queued first.
inline void choose(platform::HeadlessWindowSystem& headless, IControl* menu, const std::string& answer)
{
    headless.QueueMenuAnswer(answer);
    IMouseMod left(true);
    menu->OnMouseDown(0, 0, &left);
}

}  // namespace librarytest
