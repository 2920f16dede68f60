#include "player_cipher.h"

#include <cstring>

#include "blowfish.h"

namespace {
CBlowFish& PlayerCipher() {
    // The key schedule costs about as much as enciphering 4 KB; build it once
    // per thread.
    thread_local CBlowFish cipher(const_cast<unsigned char*>(kPlayerCipherKey), sizeof kPlayerCipherKey, SBlock(0, 0));
    return cipher;
}
}  // namespace

std::string EncipherPadded(const std::string& plain, unsigned char pad) {
    if (plain.empty()) return std::string();
    std::string buf = plain;
    buf.resize(RoundUpTo8(plain.size()), static_cast<char>(pad));
    auto* p = reinterpret_cast<unsigned char*>(&buf[0]);
    PlayerCipher().Encrypt(p, static_cast<unsigned int>(buf.size()), CBlowFish::ECB);
    return buf;
}

std::string DecipherRaised(const unsigned char* data, size_t size) {
    if (!data || size == 0) return std::string();
    std::string buf(RoundUpTo8(size), '\0');
    memcpy(&buf[0], data, size);
    auto* p = reinterpret_cast<unsigned char*>(&buf[0]);
    PlayerCipher().Decrypt(p, static_cast<unsigned int>(buf.size()), CBlowFish::ECB);
    return buf;
}

std::string DecipherText(const unsigned char* data, size_t size) {
    std::string s = DecipherRaised(data, size);
    size_t z = s.find('\0');
    if (z != std::string::npos) s.resize(z);
    return s;
}
