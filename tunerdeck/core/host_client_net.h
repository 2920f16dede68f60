// What the playback-host client asks of the network before a play: whether
// an address sends the caller on, and a playlist's bytes. One interface so
// the player can hand in its own connection object; the built-in one talks
// WinINet directly.
#pragma once

#include <cstddef>

class cHostClientNet {
public:
    virtual ~cHostClientNet() = default;
    // 1 and the new address (terminated, at most targetSize - 1 characters)
    // when the server redirects; else 0.
    virtual int CheckURLRedirected(const char* url, char* target, size_t targetSize) = 0;
    // Writes at most maxBytes of the answer's body to path; 1 on success.
    virtual int Downloadfile(const char* url, const char* path, unsigned long maxBytes) = 0;
};

// Plain WinINet, through the system's proxy configuration, bounded waits.
cHostClientNet* DefaultHostClientNet();
