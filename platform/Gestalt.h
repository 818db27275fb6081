#pragma once
// Stand-in for the Gestalt manager's one question this plug-in asks: the
// system version ('sysv'), as 0xMMmp nibbles (0x1068 for 10.6.8). It reports
// a system the plug-in supports unless a test sets another.

#include <cstdint>

#include "platform/ComponentManager.h"

enum : OSType { gestaltSystemVersion = FourCC("sysv") };
enum : OSErr { gestaltUndefSelectorErr = -5551 };

// The answer for the selector; gestaltUndefSelectorErr for any other
// selector or a null response. Any thread.
OSErr Gestalt(OSType selector, int32_t* response);

namespace platform {

constexpr int32_t kReportedSystemVersion = 0x1068;

// The version Gestalt reports from now on (tests); kReportedSystemVersion
// restores the usual answer. Any thread.
void SetSystemVersionForTesting(int32_t version);

}  // namespace platform
