#pragma once
// The 128-bit key of the bundle's enciphered configuration resources. The
// build tool enciphers with it and the configuration reader deciphers with it,
// so both take it from here.

static constexpr unsigned char kConfigKeyBytes[16] = {
    0xC4, 0x9A, 0x9C, 0xE2, 0x2A, 0x1D, 0x7B, 0x61, 0x08, 0xEF, 0x06, 0x3C, 0x9E, 0x15, 0xB8, 0x05,
};
