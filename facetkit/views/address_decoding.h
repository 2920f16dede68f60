// Texts that reach the player from web pages through the protocol text: a
// timer entry's name written as percent-encoded UTF-8 becomes the player's
// Windows-1252 text. Free of Windows calls, so it also builds natively.
#pragma once

#include <cstddef>

#include "facetkit_api.h"

// One pair of the decoding table: the UTF-8 bytes of a character written as
// "%XX" groups with upper-case digits, and its Windows-1252 byte.
struct Utf8EscapePair {
    char escaped[10];
    unsigned char byte;
};
enum { kUtf8EscapePairCount = 123 };
// The table, built once on first use (umlauts and sharp s first, then the
// other letters, the signs from U+00A1 on, and last the bytes 0x80-0x9F).
FACETKIT_API const Utf8EscapePair* Utf8EscapeTable();

// Replaces every occurrence of `pattern` by `replacement`, left to right,
// case-sensitive, never inside text already replaced. The text lives in a
// buffer of `capacity` bytes; a result that does not fit is cut. An empty
// pattern changes nothing. Returns the number of replacements.
FACETKIT_API int ReplaceAll(char* text, size_t capacity, const char* pattern, const char* replacement);

// Decodes the table's sequences in place; everything else (escapes of ASCII
// characters, lower-case digits, characters Windows-1252 cannot show) stays
// as it is. The text never grows.
FACETKIT_API void UrlDecodeUtf8(char* text);
