#include "netcommon.h"

#include <cstdlib>
#include <initializer_list>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "servicelinks.h"

namespace bk3 {

HINTERNET OpenSession(const char* agent, bool* viaProxy) {
    char proxy[600];
    bool useProxy = ReadSharedProxy(proxy, sizeof proxy);
    if (viaProxy) *viaProxy = useProxy;
    if (useProxy) return InternetOpenA(agent, INTERNET_OPEN_TYPE_PROXY, proxy, nullptr, 0);
    return InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

HINTERNET Connect(HINTERNET session, const bk::UrlParts& url, bool viaProxy, const char* proxyUser,
                  const char* proxyPassword) {
    HINTERNET c = InternetConnectA(session, url.host, static_cast<INTERNET_PORT>(url.port), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0);
    if (c && viaProxy && proxyUser && proxyUser[0]) {
        // Wine keeps proxy credentials on the session, Windows on either.
        for (HINTERNET h : {session, c}) {
            InternetSetOptionA(h, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(proxyUser),
                               static_cast<DWORD>(strlen(proxyUser)));
            if (proxyPassword)
                InternetSetOptionA(h, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(proxyPassword),
                                   static_cast<DWORD>(strlen(proxyPassword)));
        }
    }
    return c;
}

HINTERNET OpenRequest(HINTERNET connection, const char* verb, const bk::UrlParts& url, bool autoRedirect) {
    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_COOKIES;
    if (!autoRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (url.secure) flags |= INTERNET_FLAG_SECURE;
    return HttpOpenRequestA(connection, verb, url.path, nullptr, nullptr, nullptr, flags, 0);
}

DWORD QueryStatus(HINTERNET request) {
    DWORD status = 0, len = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr)) return 0;
    return status;
}

bool QueryContentLength(HINTERNET request, unsigned long long* length) {
    char text[32];
    if (!QueryHeader(request, "Content-Length", text, sizeof text) || !text[0]) return false;
    char* end = nullptr;
    unsigned long long v = strtoull(text, &end, 10);
    if (!end || *end) return false;
    *length = v;
    return true;
}

bool QueryHeader(HINTERNET request, const char* name, char* out, size_t outSize, bool* present) {
    if (present) *present = false;
    // The raw headers are parsed by our own reader, which matches names at
    // the start of a line only.
    DWORD len = 0;
    HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &len, nullptr);
    if (len == 0 || len > 256 * 1024) return false;
    char* raw = static_cast<char*>(calloc(1, len + 1));
    if (!raw) return false;
    bool ok = HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw, &len, nullptr) &&
              bk::FindHeaderValue(raw, len, name, out, outSize, present);
    free(raw);
    return ok;
}

void SetReceiveTimeout(HINTERNET request, DWORD ms) {
    InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms);
}

ReadResult ReadAvailable(HINTERNET request, void* buffer, DWORD size, DWORD* got) {
    *got = 0;
    DWORD avail = 0;
    if (!InternetQueryDataAvailable(request, &avail, 0, 0))
        return GetLastError() == ERROR_INTERNET_TIMEOUT ? ReadResult::kNothingYet : ReadResult::kError;
    if (avail == 0) return ReadResult::kEnd;
    if (avail > size) avail = size;
    if (!InternetReadFile(request, buffer, avail, got))
        return GetLastError() == ERROR_INTERNET_TIMEOUT ? ReadResult::kNothingYet : ReadResult::kError;
    return *got ? ReadResult::kData : ReadResult::kEnd;
}

void CloseShared(HINTERNET volatile* handle) {
    HINTERNET h = static_cast<HINTERNET>(InterlockedExchangePointer(handle, nullptr));
    if (h) InternetCloseHandle(h);
}

void Publish(HINTERNET volatile* slot, HINTERNET handle) { InterlockedExchangePointer(slot, handle); }

RedirectResult CheckRedirect(HINTERNET session, const char* address, bool viaProxy, const char* proxyUser,
                             const char* proxyPassword, char* target, size_t targetSize, const char* logPrefix,
                             HINTERNET volatile* requestSlot) {
    if (target && targetSize) target[0] = 0;
    DebugLog(7, "%s CheckURLRedirected (%s)", logPrefix, address);
    bk::UrlParts url;
    if (!bk::SplitUrl(address, kAddressSize, &url)) {
        DebugLog(1, "%s CheckURLRedirected - address not usable -> cleanup", logPrefix);
        return RedirectResult::kNone;
    }
    HINTERNET connection = Connect(session, url, viaProxy, proxyUser, proxyPassword);
    if (!connection) {
        DebugLog(1, "%s CheckURLRedirected - kein hConnect -> cleanup", logPrefix);
        return RedirectResult::kNone;
    }
    RedirectResult result = RedirectResult::kNone;
    HINTERNET volatile ownSlot = nullptr;
    HINTERNET volatile* slot = requestSlot ? requestSlot : &ownSlot;
    HINTERNET request = OpenRequest(connection, "GET", url);
    if (!request) {
        DebugLog(1, "%s CheckURLRedirected - kein hReq -> cleanup", logPrefix);
    } else {
        Publish(slot, request);
        SetReceiveTimeout(request, kAnswerTimeoutMs);
        static const char kHeaders[] = "Content-Type: text/html; charset=utf-8\r\nAccept-Encoding: gzip\r\n";
        if (!HttpSendRequestA(request, kHeaders, static_cast<DWORD>(strlen(kHeaders)), nullptr, 0)) {
            DebugLog(1, "%s CheckURLRedirected - kein HttpSendRequest(err=%lu -> cleanup", logPrefix,
                     GetLastError());
        } else {
            DWORD status = QueryStatus(request);
            if (status == 0) {
                DebugLog(1, "%s CheckURLRedirected - keine HttpQueryInfo -> cleanup", logPrefix);
            } else if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
                char location[kAddressSize];
                bool present = false;
                bool fits = QueryHeader(request, "Location", location, sizeof location, &present);
                if (!present) {
                    DebugLog(1, "%s CheckURLRedirected - no Location", logPrefix);
                } else if (!fits || !location[0] ||
                           !bk::ResolveLocation(address, location, sizeof location, target, targetSize)) {
                    DebugLog(1, "%s CheckURLRedirected - target unusable or too long", logPrefix);
                    result = RedirectResult::kBadTarget;
                } else {
                    result = RedirectResult::kRedirect;
                }
            } else {
                DebugLog(15, "%s CheckURLRedirected - kein redirekt -> cleanup", logPrefix);
            }
        }
        CloseShared(slot);
    }
    InternetCloseHandle(connection);
    if (result == RedirectResult::kRedirect)
        DebugLog(7, "%s CheckURLRedirected -> %s, true", logPrefix, target);
    else
        DebugLog(result == RedirectResult::kBadTarget ? 1 : 15, "%s CheckURLRedirected term, false", logPrefix);
    return result;
}

}  // namespace bk3
