#pragma once
// The host's names for the shared base64 coder.

#include "base64.h"

namespace host {

using roz::DecodeBase64;
using roz::EncodeBase64;

}  // namespace host
