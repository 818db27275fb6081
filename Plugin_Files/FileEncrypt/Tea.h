#pragma once
// The Tiny Encryption Algorithm (64-bit block, 128-bit key, 32 cycles) that
// enciphers the configuration resources of the bundle. Stateless: data and key
// are arguments. Any thread.

#include <cstdint>

class Tea {
public:
    // One 8-byte block in place; the two 32-bit halves are big-endian in the block.
    static void simpledecrypt(unsigned char* block, const uint32_t* key);
    static void simpleencrypt(unsigned char* block, const uint32_t* key);
    // One block given as two words in memory order.
    static void decryptTea(uint32_t* words, const uint32_t* key);
    static void encryptTea(uint32_t* words, const uint32_t* key);
    // Pads *length up to a multiple of 8 with zeros, appends a block whose
    // second word holds the unpadded length, enciphers everything (words in
    // memory order) and sets *length to the padded length + 8. data must have
    // room for that many bytes.
    static void encryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key);
    // Deciphers *length / 8 blocks and sets *length to the second word of the
    // last block (0 when there is none); a stored length larger than the data
    // is cut to the data.
    static void decryptBlock(unsigned char* data, uint32_t* length, const uint32_t* key);
    static void printBuffer(const unsigned char* data, int count);

    // The key words k0..k3 of 16 key bytes, each little-endian.
    static void keyWords(const unsigned char* keyBytes, uint32_t* words);
};
