// What the playback-host client asks of the network before a play: whether
// an address sends the caller on, and a playlist's bytes. One interface so
// the player can hand in its own connection object; the built-in one talks
// WinINet directly.
#pragma once

#include <cstddef>
#include <memory>

class cDownloadCredentials;

class cHostClientNet {
public:
    virtual ~cHostClientNet() = default;
    // 1 and the new address (terminated, at most targetSize - 1 characters)
    // when the server redirects; else 0.
    virtual int CheckURLRedirected(const char* url, char* target, size_t targetSize) = 0;
    // Writes at most maxBytes of the answer's body to path; 1 on success.
    virtual int Downloadfile(const char* url, const char* path, unsigned long maxBytes) = 0;
};

// Plain WinINet with bounded waits, through the proxy of the player's
// settings while it is on (else the system's configuration), with the
// proxy's user name and password from `credentials` (may be null).
std::unique_ptr<cHostClientNet> MakeHostClientNet(cDownloadCredentials* credentials);
// The same without proxy credentials.
cHostClientNet* DefaultHostClientNet();
