// The program's fixed Blowfish key and the framing every enciphered text of
// the player uses: zero-padded (or padded with a given byte) to a multiple
// of 8, each 8-byte block by itself, chaining block zero. Free of Windows
// calls.
#pragma once

#include <cstddef>
#include <string>

#include "player_key.h"


inline size_t RoundUpTo8(size_t n) { return (n + 7) & ~static_cast<size_t>(7); }

// The text padded to a multiple of 8 (nothing added when it already is one)
// and enciphered. An empty text gives an empty result.
std::string EncipherPadded(const std::string& plain, unsigned char pad = 0);
// Deciphers `size` bytes taken as raised to the next multiple of 8 (the
// missing bytes read as zero). The result keeps every deciphered byte.
std::string DecipherRaised(const unsigned char* data, size_t size);
// Deciphers `size` bytes (a multiple of 8) where they stand.
void DecipherInPlace(unsigned char* data, size_t size);
// The deciphered text up to its first zero byte.
std::string DecipherText(const unsigned char* data, size_t size);
