#include "player_cipher.h"

#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

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

void DecipherInPlace(unsigned char* data, size_t size) {
    if (!data || size == 0) return;
    // Codebook blocks stand alone: a large text (the station database is
    // tens of megabytes, and Blowfish costs some 40 instructions a byte) is
    // shared out in runs of whole blocks, each deciphered on a thread of
    // its own with its own key schedule.
    constexpr size_t kRunAtLeast = 2 * 1024 * 1024;
    const unsigned cores = std::thread::hardware_concurrency();
    const size_t blocks = size / 8;
    size_t runs = cores < 2 ? 1 : cores > 4 ? 4 : cores;
    while (runs > 1 && size / runs < kRunAtLeast) --runs;
    std::vector<std::thread> helpers;
    size_t at = 0;
    for (size_t run = 0; run + 1 < runs; ++run) {
        const size_t length = blocks / runs * 8;
        try {
            helpers.emplace_back([data, at, length] {
                PlayerCipher().Decrypt(data + at, static_cast<unsigned int>(length), CBlowFish::ECB);
            });
        } catch (const std::system_error&) {
            break;   // no thread to be had: this one does the rest
        }
        at += length;
    }
    PlayerCipher().Decrypt(data + at, static_cast<unsigned int>(size - at), CBlowFish::ECB);
    for (std::thread& t : helpers) t.join();
}

std::string DecipherRaised(const unsigned char* data, size_t size) {
    if (!data || size == 0) return std::string();
    std::string buf(RoundUpTo8(size), '\0');
    memcpy(&buf[0], data, size);
    DecipherInPlace(reinterpret_cast<unsigned char*>(&buf[0]), buf.size());
    return buf;
}

std::string DecipherText(const unsigned char* data, size_t size) {
    std::string s = DecipherRaised(data, size);
    size_t z = s.find('\0');
    if (z != std::string::npos) s.resize(z);
    return s;
}
