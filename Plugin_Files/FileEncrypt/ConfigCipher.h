#pragma once
// The form of the bundle's enciphered configuration resources: the plain text
// in 8-byte TEA blocks with big-endian halves under the key of ConfigKey.h,
// the last block padded with zeros, so the plain text ends at its first zero.
// Any thread.

#include <string>
#include <vector>

std::vector<unsigned char> encipherConfigText(const std::string& plain);
// The plain text of size enciphered bytes up to its first zero byte; a last
// block shorter than 8 bytes is deciphered with zeros after it.
std::string decipherConfigText(const unsigned char* data, int size);
