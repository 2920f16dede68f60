#include "host_client_net.h"

#include <windows.h>
#include <wininet.h>

#include "bounded_text.h"
#include "download.h"
#include "internet.h"
#include "win_handles.h"

namespace {

constexpr DWORD kNetTimeoutMs = 15000;
constexpr const char* kAgent = "velmirant Radio";

struct InetHandle {
    HINTERNET h = nullptr;
    explicit InetHandle(HINTERNET v) : h(v) {}
    ~InetHandle() {
        if (h) InternetCloseHandle(h);
    }
    InetHandle(const InetHandle&) = delete;
    InetHandle& operator=(const InetHandle&) = delete;
};

HINTERNET OpenSessionWithTimeouts(cDownloadCredentials* credentials) {
    bool viaProxy = false;
    HINTERNET s = OpenPlayerSession(kAgent, &viaProxy);
    if (!s) return nullptr;
    DWORD t = kNetTimeoutMs;
    InternetSetOptionA(s, INTERNET_OPTION_CONNECT_TIMEOUT, &t, sizeof t);
    InternetSetOptionA(s, INTERNET_OPTION_RECEIVE_TIMEOUT, &t, sizeof t);
    InternetSetOptionA(s, INTERNET_OPTION_SEND_TIMEOUT, &t, sizeof t);
    if (viaProxy && credentials) SetProxyCredentials(s, credentials->GetUserNameAuth(), credentials->GetUserPasswortAuth());
    return s;
}

// InternetOpenUrl does not answer a proxy's 407 with the credentials the
// session holds: the request is sent once more with them set on it.
HINTERNET OpenUrlThroughProxy(HINTERNET session, const char* url, DWORD flags, cDownloadCredentials* credentials) {
    HINTERNET request = InternetOpenUrlA(session, url, nullptr, 0, flags, 0);
    if (!request || !credentials) return request;
    DWORD status = 0, len = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr) ||
        status != HTTP_STATUS_PROXY_AUTH_REQ)
        return request;
    char drain[512];
    DWORD got = 0;
    while (InternetReadFile(request, drain, sizeof drain, &got) && got) {
    }
    SetProxyCredentials(request, credentials->GetUserNameAuth(), credentials->GetUserPasswortAuth());
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        InternetCloseHandle(request);
        return nullptr;
    }
    return request;
}

bool IsHttp(const char* url) { return _strnicmp(url, "http://", 7) == 0 || _strnicmp(url, "https://", 8) == 0; }

class WinInetNet : public cHostClientNet {
public:
    explicit WinInetNet(cDownloadCredentials* credentials) : credentials_(credentials) {}

    int CheckURLRedirected(const char* url, char* target, size_t targetSize) override {
        if (!url || !target || targetSize == 0 || !IsHttp(url)) return 0;
        target[0] = 0;
        InetHandle session(OpenSessionWithTimeouts(credentials_));
        if (!session.h) return 0;
        InetHandle request(OpenUrlThroughProxy(
            session.h, url, INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD,
            credentials_));
        if (!request.h) return 0;
        DWORD status = 0, len = sizeof status;
        if (!HttpQueryInfoA(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr))
            return 0;
        if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308) return 0;
        char location[2048] = {};
        len = sizeof location - 1;
        if (!HttpQueryInfoA(request.h, HTTP_QUERY_LOCATION, location, &len, nullptr)) return 0;
        location[sizeof location - 1] = 0;
        // An address that does not fit is refused rather than cut into a wrong one.
        if (!IsHttp(location) || strlen(location) >= targetSize) return 0;
        bk::TextCopy(target, targetSize, location);
        return 1;
    }

    int Downloadfile(const char* url, const char* path, unsigned long maxBytes) override {
        if (!url || !path || !IsHttp(url)) return 0;
        InetHandle session(OpenSessionWithTimeouts(credentials_));
        if (!session.h) return 0;
        InetHandle request(
            OpenUrlThroughProxy(session.h, url, INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, credentials_));
        if (!request.h) return 0;
        DWORD status = 0, len = sizeof status;
        if (HttpQueryInfoA(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr) &&
            status >= 400)
            return 0;
        bk::ScopedFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return 0;
        unsigned long total = 0;
        DWORD start = GetTickCount();
        char buffer[4096];
        while (total < maxBytes) {
            if (GetTickCount() - start > kNetTimeoutMs) break;
            // Asking first: a plain read waits for a full buffer.
            DWORD available = 0;
            if (!InternetQueryDataAvailable(request.h, &available, 0, 0)) return 0;
            if (available == 0) break;
            DWORD want = available;
            if (want > sizeof buffer) want = sizeof buffer;
            if (want > maxBytes - total) want = maxBytes - total;
            DWORD got = 0;
            if (!InternetReadFile(request.h, buffer, want, &got)) return 0;
            if (got == 0) break;
            DWORD written = 0;
            if (!WriteFile(file.Get(), buffer, got, &written, nullptr) || written != got) return 0;
            total += got;
        }
        return 1;
    }

private:
    cDownloadCredentials* credentials_;
};

}  // namespace

std::unique_ptr<cHostClientNet> MakeHostClientNet(cDownloadCredentials* credentials) {
    return std::unique_ptr<cHostClientNet>(new WinInetNet(credentials));
}

cHostClientNet* DefaultHostClientNet() {
    static WinInetNet net(nullptr);
    return &net;
}
