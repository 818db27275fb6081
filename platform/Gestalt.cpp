#include "platform/Gestalt.h"

#include <atomic>

namespace {

std::atomic<int32_t>& reportedVersion()
{
    static std::atomic<int32_t> version{platform::kReportedSystemVersion};
    return version;
}

}  // namespace

OSErr Gestalt(OSType selector, int32_t* response)
{
    if (selector != gestaltSystemVersion || !response)
        return gestaltUndefSelectorErr;
    *response = reportedVersion().load(std::memory_order_relaxed);
    return noErr;
}

namespace platform {

void SetSystemVersionForTesting(int32_t version) { reportedVersion().store(version, std::memory_order_relaxed); }

}  // namespace platform
