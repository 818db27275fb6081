#include "sha1.h"

#include <Poco/SHA1Engine.h>

namespace sha1 {

void calc(const void* data, int length, unsigned char* hash)
{
    Poco::SHA1Engine engine;
    if (data && length > 0)
        engine.update(data, static_cast<unsigned>(length));
    const Poco::DigestEngine::Digest& digest = engine.digest();
    for (unsigned i = 0; i < Poco::SHA1Engine::DIGEST_SIZE; ++i)
        hash[i] = digest[i];
}

void toHexString(const unsigned char* hash, char* hexString)
{
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < Poco::SHA1Engine::DIGEST_SIZE; ++i) {
        hexString[2 * i] = kDigits[hash[i] >> 4];
        hexString[2 * i + 1] = kDigits[hash[i] & 0x0F];
    }
    hexString[2 * Poco::SHA1Engine::DIGEST_SIZE] = '\0';
}

}  // namespace sha1
