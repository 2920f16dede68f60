// WinINet steps shared by the download jobs and the HTTP checks (not
// exported).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>

#include "webparse.h"

namespace bk3 {

constexpr const char* kAgentName = "velmirant Radio";
constexpr int kMaxRedirects = 5;
constexpr size_t kAddressSize = 1024;   // addresses of up to 1023 characters

// A session through the proxy of the shared data section when it is
// switched on (*viaProxy true), else with the system's configuration.
HINTERNET OpenSession(const char* agent, bool* viaProxy);

// Connects to the address's host. The user name and password are the
// proxy's: they are handed over only when the session goes through our
// proxy, and never to the server itself.
HINTERNET Connect(HINTERNET session, const bk::UrlParts& url, bool viaProxy, const char* proxyUser,
                  const char* proxyPassword);

// Opens a request without cache writing and, unless asked for, without
// automatic redirects.
HINTERNET OpenRequest(HINTERNET connection, const char* verb, const bk::UrlParts& url, bool autoRedirect = false);

// The HTTP status, 0 when it cannot be read.
DWORD QueryStatus(HINTERNET request);
// The Content-Length the server announced; false when there is none.
bool QueryContentLength(HINTERNET request, unsigned long long* length);
// The value of a response header (lower or upper case alike), terminated;
// false when it is absent or does not fit (*present tells which).
bool QueryHeader(HINTERNET request, const char* name, char* out, size_t outSize, bool* present = nullptr);

// How long a server may take to answer a request (headers).
constexpr DWORD kAnswerTimeoutMs = 30000;
// Reads wait in short slices, so that a cancel is seen even where closing
// the handles does not wake a blocked read (Wine).
constexpr DWORD kReadSliceMs = 250;
// A body that brings nothing for this long has stalled.
constexpr DWORD kStallLimitMs = 60000;

void SetReceiveTimeout(HINTERNET request, DWORD ms);

enum class ReadResult { kData, kEnd, kNothingYet, kError };
// Reads what has arrived, at most size bytes, waiting only until something
// is there (a plain InternetReadFile would wait for the whole buffer) or the
// receive time-out has passed (kNothingYet).
ReadResult ReadAvailable(HINTERNET request, void* buffer, DWORD size, DWORD* got);

// Closes a handle that another thread may take at the same moment: whoever
// takes it first closes it, so it is closed exactly once.
void CloseShared(HINTERNET volatile* handle);

// Publishes a handle in a slot that a cancelling thread closes.
void Publish(HINTERNET volatile* slot, HINTERNET handle);

enum class RedirectResult { kNone, kRedirect, kBadTarget };
// Asks the address with a GET and reports whether the server sends us on
// (301, 302, 303, 307, 308). *target receives the new address, resolved
// against the old one. A server that cannot be asked sends nobody on (the
// request proper reports the error); a target that does not fit is
// kBadTarget. The request is published in *requestSlot (when given) while
// it runs, so that a cancel can close it.
RedirectResult CheckRedirect(HINTERNET session, const char* address, bool viaProxy, const char* proxyUser,
                             const char* proxyPassword, char* target, size_t targetSize, const char* logPrefix,
                             HINTERNET volatile* requestSlot = nullptr);

}  // namespace bk3
