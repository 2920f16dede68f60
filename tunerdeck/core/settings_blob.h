// The stored form of the settings: XML text, zero-padded to whole cipher
// blocks, enciphered, then a CRC-16 (XMODEM) of the enciphered bytes as a
// little-endian trailer. Element lookup for the flat settings record. Free
// of Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace td {

// Blobs shorter than this hold no whole cipher block and are unreadable.
constexpr size_t kMinSettingsBlob = 8 + 2;

std::vector<unsigned char> SealSettings(const std::string& xml);
enum class OpenResult { Ok, TooShort, CrcMismatch, CipherFailed };
// Deciphers a stored blob into *xml (ended at the first zero byte).
OpenResult OpenSettings(const unsigned char* blob, size_t size, std::string* xml);

// Raw content of the first element <name>...</name> of doc (same-named
// elements inside it balanced); false when the element is missing or
// unclosed. *begin and *end span the whole element, tags included.
bool FindElement(const std::string& doc, const char* name, std::string* out, size_t* begin = nullptr,
                 size_t* end = nullptr);
// Leading decimal number (blanks, sign, digits), saturated to 32 bits.
// False when there are no digits.
bool ParseDecimal(const std::string& text, int32_t* value);

}  // namespace td
