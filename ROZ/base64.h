#pragma once
// Base64 with the standard alphabet and '=' padding, as property lists and
// preset blobs store data. Any thread: no shared state.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace roz {

std::string EncodeBase64(const uint8_t* bytes, size_t size);
// Whitespace is skipped; false for any other character outside the alphabet
// or for a length that does not decode to whole bytes.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes);

}  // namespace roz
