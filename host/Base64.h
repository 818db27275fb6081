#pragma once
// Base64 as property lists store data: the standard alphabet with '=' padding.

#include <cstdint>
#include <string>
#include <vector>

namespace host {

std::string EncodeBase64(const uint8_t* bytes, size_t size);
// Whitespace is skipped; false for any other character outside the alphabet
// or for a length that does not decode to whole bytes.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes);

}  // namespace host
