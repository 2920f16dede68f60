// Values the processes of one user hand to each other through a data section
// of basekit that every process loading it shares: proxy credentials and
// settings, the address the playback host is to open, and the stream's
// resolved and meta-data addresses. Every access holds the mutex
// "TUNERDECK_SHARED_MUTEX" (at most kSharedWaitMs; on time-out the access
// fails and logs).
//
// Slots hold at most 1023 characters. A setter refuses a longer text (it logs
// and leaves the slot empty) rather than cut an address into a wrong one.
// Getters always terminate what they write; the unsized ones expect buffers
// of 1024 bytes, except the proxy getter (see there).
#pragma once

#include <cstddef>
#include <cstdint>

#include "basekit_api.h"

constexpr uint32_t kSharedSlotSize = 1024;
constexpr unsigned long kSharedWaitMs = 5000;
// Proxy texts the setter accepts; the unsized getter serves 100-byte buffers.
constexpr size_t kProxyHostMax = 255;
constexpr size_t kProxyPortMax = 31;
constexpr size_t kProxyCallerBuffer = 100;

// The section's layout, the same in every process and in both builds.
struct SharedDataSection {
    char userName[kSharedSlotSize];       // scrambled
    uint32_t userNameLength;
    char password[kSharedSlotSize];       // scrambled
    uint32_t passwordLength;
    char playUrl[kSharedSlotSize];
    char metaUrl[kSharedSlotSize];        // resolved stream address (SetMETAURL)
    char vlMetaUrl[kSharedSlotSize];      // the station's title document (SetVL_METAURL)
    char proxyHost[kSharedSlotSize];
    char proxyPort[kSharedSlotSize];
    uint32_t proxyEnabled;
    uint32_t httpOnly;
};
static_assert(sizeof(SharedDataSection) == 7 * 1024 + 4 * 4, "shared data layout");

BASEKIT_API void SetUserName(const char* user, const char* password);
// Copies into the buffers *user and *password (1024 bytes each), unscrambled
// and terminated.
BASEKIT_API void GetUserNameA(char** user, char** password);

BASEKIT_API void SetProxySettings(const char* host, const char* port, unsigned long enabled, unsigned long httpOnly);
// Host and port into caller buffers of at least 100 bytes; a stored text that
// would not fit gives an empty text (never a cut host name).
BASEKIT_API void GetProxySettings(char** host, char** port, unsigned long* enabled, unsigned long* httpOnly);
// The same with the sizes of the caller's buffers.
BASEKIT_API void GetProxySettings(char* host, size_t hostSize, char* port, size_t portSize, unsigned long* enabled,
                                  unsigned long* httpOnly);

BASEKIT_API void SetPlayURL(const char* address);
BASEKIT_API void GetPlayURL(char* buffer);
BASEKIT_API void SetVL_METAURL(const char* address);
BASEKIT_API void GetVL_METAURL(char* buffer);
BASEKIT_API void SetMETAURL(const char* address);
// Leaves the buffer as it is when no resolved address is stored.
BASEKIT_API void GetMETAURL(char* buffer);
