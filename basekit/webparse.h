// Parsers for what arrives from the network: addresses, response headers,
// playlists (.pls, .m3u) and the title pages of stream servers.
// Each takes a buffer and a length (the text need not be terminated), writes
// only into the bounded output it is given and calls no Windows API, so the
// same code also builds natively for fuzzing.
#pragma once

#include <cstddef>

// Exported from the library on Windows; plain functions in the native
// (fuzzing) build.
#if defined(_WIN32)
#include "basekit_api.h"
#define BK_NET_API BASEKIT_API
#else
#define BK_NET_API
#endif

namespace bk {

// The parts of an http:// or https:// address. The path keeps its query and
// is never decoded (escapes such as %2F name a different resource).
struct UrlParts {
    char host[200];   // host names of up to 199 characters
    char path[400];   // path with query, up to 399 characters, "/" at least
    unsigned port;    // 80 or 443 unless the address names one
    bool secure;      // https
};

// Splits an address. False, and nothing usable, when the scheme is neither
// http nor https, the host is empty, the port is not 1..65535, a part does
// not fit its field (cutting would ask for another resource), or the address
// holds a control character, a blank or a byte 0x7F.
BK_NET_API bool SplitUrl(const char* url, size_t len, UrlParts* out);

// Resolves a redirect target against the address that was asked: absolute
// targets stay as they are, "//host/..." takes the base's scheme, "/path"
// the base's scheme and host, anything else is relative to the base's
// folder. False when the result does not fit or the base is no address.
BK_NET_API bool ResolveLocation(const char* base, const char* location, size_t locationLen, char* out, size_t outSize);

// Finds a header in raw response headers (lines separated by CR LF or LF)
// by its name, ignoring case, at the start of a line only (so "Location"
// never matches "Content-Location"). The value is trimmed. False when the
// header is absent or the value does not fit; *present (when given) tells
// whether the header is there at all.
BK_NET_API bool FindHeaderValue(const char* headers, size_t len, const char* name, char* out, size_t outSize,
                     bool* present = nullptr);

// The playlist reader of the player, for PLS, M3U and ASX texts as servers
// send them; what the text holds decides, not the address it came from.
// Lines may end in CR LF, LF or a lone CR; a UTF-8 or UTF-16 byte-order
// mark, blank lines, comments ("#", ";") and section lines are skipped;
// keys are read in any case. A PLS text's entries are its "FileN=" lines in
// the order of N, whatever "NumberOfEntries" claims and with gaps in the
// numbers; an M3U text's entries are its address lines. An address with a
// scheme ends at the first blank (titles or lengths behind it are dropped),
// quotes around it are taken off. Only usable addresses count: a scheme and
// something behind it, or a file path (drive, share or root), shorter than
// kPlaylistEntrySize, without control characters. ASX: the "href" of every
// "<ref>" and "<entryref>". Returns the number of entries written (at most
// maxEntries, each terminated); 0 when the text holds no usable address.
constexpr size_t kPlaylistEntrySize = 1024;
BK_NET_API size_t ParsePlaylist(const char* data, size_t len, char (*entries)[kPlaylistEntrySize], size_t maxEntries);

// The first entry of a playlist as ParsePlaylist reads it (a .pls and an
// .m3u address alike). False when there is none or it does not fit.
BK_NET_API bool ParsePlsEntry(const char* data, size_t len, char* out, size_t outSize);
BK_NET_API bool ParseM3uEntry(const char* data, size_t len, char* out, size_t outSize);

// The current song of a Shoutcast-style status page: the bold text that
// follows "Current Song". Cut to fit; false when absent or empty.
BK_NET_API bool ParseShoutcastTitle(const char* data, size_t len, char* out, size_t outSize);

// The title document of a station: "<interpret> - <titel>" (artist empty
// when absent). Cut to fit; false when there is no non-empty title.
BK_NET_API bool ParseTitleDocument(const char* data, size_t len, char* out, size_t outSize);

// True when the text contains ".pls" or ".m3u" (any case): a playlist.
BK_NET_API bool LooksLikePlaylist(const char* address);
BK_NET_API bool IsPlsAddress(const char* address);

}  // namespace bk
