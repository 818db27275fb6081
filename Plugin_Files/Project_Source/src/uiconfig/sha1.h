#pragma once
// The SHA-1 digest (FIPS 180-1) the configuration reader carries beside its
// cipher. Any thread: no shared state.

namespace sha1 {

// Writes the 20-byte digest of length bytes at data into hash; a negative
// length or no data digests nothing (the empty message).
void calc(const void* data, int length, unsigned char* hash);

// Writes hash (20 bytes) as 40 lower-case hexadecimal digits and a zero into
// hexString (41 bytes).
void toHexString(const unsigned char* hash, char* hexString);

}  // namespace sha1
