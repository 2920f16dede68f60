#include "internet.h"

#include <winsock2.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <string>

#include "bounded_text.h"
#include "debugtext.h"
#include "player_cipher.h"
#include "registry.h"
#include "shared_data.h"
#include "win_handles.h"

namespace {

constexpr unsigned long kInitialAnswer = 20480;
constexpr DWORD kReadBlock = 4096;

char* NewZeroed(unsigned long size) {
    char* p = new (std::nothrow) char[size];
    if (p) memset(p, 0, size);
    return p;
}

// Buffers grow by 20,480 bytes, or by half their size once they are large,
// so a big answer is not copied again for every block.
unsigned long GrowSize(unsigned long size) { return size + (size / 2 > kInitialAnswer ? size / 2 : kInitialAnswer); }

void ScopeLog(const char* op, const char* what) { DebugLog(DL_VER, "internet.cpp: cInternet::%s - %s", op, what); }
// Sets the process-wide proxy (which the banners' web-browser control
// uses) to the shared settings, and takes it back once they switch it off.
void ApplyProcessProxy();

}  // namespace

void cInternet::Log(const char* text, int level) {
    DebugLog(level > 0 ? level : DL_IO, "CINTERNET %s", text ? text : "");
}

cInternet::cInternet(const char* server, const char* user, const char* password) {
    ScopeLog("cInternet", "Eingang");
    bk::TextCopy(serverPath_, kInterfacePath);
    bk::TextCopy(serverName_, kInterfaceHost);
    bk::TextCopy(userName_, user ? user : "");
    bk::TextCopy(password_, password ? password : "");
    offline_ = IsOffline();

    // The web-browser control of the banners reads the process-wide proxy.
    ApplyProcessProxy();
    ScopeLog("cInternet", "Ausgang");
}

namespace {

// The proxy list of the shared settings; false when the proxy is off.
bool SharedProxyList(char* list, size_t size) {
    char host[100] = {}, port[100] = {};
    unsigned long enabled = 0, httpOnly = 0;
    GetProxySettings(host, sizeof host, port, sizeof port, &enabled, &httpOnly);
    if (!enabled || !host[0]) return false;
    return bk::TextFormat(list, size, port[0] ? "http://%s:%s" : "http://%s", host, port);
}

// What the process-wide proxy was last set to ("" while none is set). It is
// set only when it changes: every cInternet asks for it, and Wine 8 frees
// members it never filled when a proxy is set over an earlier one, which
// ends the process.
bk::CriticalSection g_processProxyLock;
char g_processProxy[256] = {};

void ApplyProcessProxy() {
    char list[sizeof g_processProxy] = {};
    const bool on = SharedProxyList(list, sizeof list);
    if (!on) list[0] = 0;
    bk::ScopedLock hold(g_processProxyLock);
    if (strcmp(list, g_processProxy) == 0) return;
    INTERNET_PROXY_INFO info = {};
    info.dwAccessType = on ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT;
    info.lpszProxy = on ? list : nullptr;
    if (InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info)) {
        bk::TextCopy(g_processProxy, list);
        DebugLog(DL_INF, "CINTERNET InternetSetOption ok");
    } else {
        DebugLog(DL_ERR, "CINTERNET InternetSetOption failed");
    }
}

}  // namespace

HINTERNET OpenPlayerSession(const char* agent, bool* viaProxy) {
    char list[256];
    const bool proxy = SharedProxyList(list, sizeof list);
    if (viaProxy) *viaProxy = proxy;
    if (proxy) return InternetOpenA(agent, INTERNET_OPEN_TYPE_PROXY, list, nullptr, 0);
    return InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

void SetProxyCredentials(HINTERNET handle, const char* user, const char* password) {
    if (!handle || !user || !user[0]) return;
    InternetSetOptionA(handle, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(user), static_cast<DWORD>(strlen(user)));
    if (password)
        InternetSetOptionA(handle, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>(password),
                           static_cast<DWORD>(strlen(password)));
}

void cInternet::SetServerName(const char* host) { bk::TextCopy(serverName_, host ? host : ""); }

void cInternet::IOpenHandle(HINTERNET* handle) {
    if (!handle) {
        ScopeLog("IOpenHandle", "AusgangErr, kein handle!");
        return;
    }
    bool viaProxy = false;
    *handle = OpenPlayerSession("velmirant Radio", &viaProxy);
    if (*handle) {
        DWORD t = kInterfaceTimeoutMs;
        InternetSetOptionA(*handle, INTERNET_OPTION_CONNECT_TIMEOUT, &t, sizeof t);
        InternetSetOptionA(*handle, INTERNET_OPTION_SEND_TIMEOUT, &t, sizeof t);
        InternetSetOptionA(*handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &t, sizeof t);
    }
}

void cInternet::ICloseHandle(HINTERNET handle) {
    if (handle) InternetCloseHandle(handle);
}

void cInternet::ConnectHTTP(HINTERNET internet, HINTERNET* connection) {
    if (!connection) {
        DebugLog(DL_VER, "internet.cpp: cInternet::ConnectHTTP - AusgangErr (kein phandle)");
        return;
    }
    *connection = nullptr;
    char log[300];
    bk::TextFormat(log, sizeof log, "ConnectHTTP->%s", serverName_);
    Log(log, DL_IO);
    if (!internet) return;
    char host[256];
    bk::TextCopy(host, serverName_);
    INTERNET_PORT port = kInterfacePort;
    if (char* colon = strrchr(host, ':')) {
        int p = atoi(colon + 1);
        if (p > 0 && p < 65536) {
            port = static_cast<INTERNET_PORT>(p);
            *colon = 0;
        }
    }
    *connection = InternetConnectA(internet, host, port, userName_[0] ? userName_ : nullptr,
                                   password_[0] ? password_ : nullptr, INTERNET_SERVICE_HTTP, 0, 0);
}

void cInternet::OpenRequest(HINTERNET connection, HINTERNET* request, const char* page, const char* parameter) {
    if (!request) {
        DebugLog(DL_VER, "internet.cpp: cInternet::OpenRequest - AusgangErr (kein preq)");
        return;
    }
    *request = nullptr;
    if (!connection) {
        DebugLog(DL_VER, "internet.cpp: cInternet::OpenRequest - AusgangErr (kein connect)");
        return;
    }
    std::string object = page ? page : "/";
    if (parameter && parameter[0]) object += std::string("?") + parameter;
    *request = HttpOpenRequestA(connection, "POST", object.c_str(), nullptr, nullptr, nullptr,
                                INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0);
}

int cInternet::ComputeRequest(HINTERNET request, char** buffer, unsigned long* size, const void* body,
                              unsigned long bodyLength, unsigned long maxBytes) {
    Log("ComputeRequest...", 0);
    bytesRead_ = 0;
    if (!buffer || !*buffer || !size) {
        DebugLog(DL_VER, "internet.cpp: cInternet::ComputeRequest AusgangErr (kein my_buffer), FALSE");
        return 0;
    }
    char log[200];
    DWORD status = 0, len = sizeof status;
    // A proxy that asks for the user name and password gets them on a second
    // send: WinINet does not answer its 407 by itself.
    for (int send = 0; send < 2; ++send) {
        if (!HttpSendRequestA(request, nullptr, 0, const_cast<void*>(body), bodyLength)) {
            bk::TextFormat(log, sizeof log, "SendRequest Error: %lu", GetLastError());
            Log(log, DL_ERR);
            return 0;
        }
        len = sizeof status;
        status = 0;
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr);
        if (status != HTTP_STATUS_PROXY_AUTH_REQ || !userName_[0]) break;
        char drain[512];
        DWORD got = 0;
        while (InternetReadFile(request, drain, sizeof drain, &got) && got) {
        }
        SetProxyCredentials(request, userName_, password_);
    }
    if (status == 0 || status > 299) {
        bk::TextFormat(log, sizeof log, "HTTP-Response Error: %lu", status);
        Log(log, DL_ERR);
        return 0;
    }
    char encoding[100] = {};
    len = sizeof encoding - 1;
    bool gzip = HttpQueryInfoA(request, HTTP_QUERY_CONTENT_ENCODING, encoding, &len, nullptr) &&
                _stricmp(encoding, "gzip") == 0;
    DWORD announced = 0;
    len = sizeof announced;
    bool haveLength =
        HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &len, nullptr) != 0;

    unsigned long limit = maxBytes && maxBytes < kMaxAnswerBytes ? maxBytes : kMaxAnswerBytes;
    unsigned long capacity = *size;
    char block[kReadBlock];
    for (;;) {
        Log("Try to read...", DL_IO);
        DWORD got = 0;
        if (!InternetReadFile(request, block, sizeof block, &got)) {
            Log("InternetReadFile failed...return false", DL_ERR);
            return 0;
        }
        bk::TextFormat(log, sizeof log, "gelesen: %lu bytes", got);
        Log(log, DL_IO);
        if (bytesRead_ > limit) {
            Log("InternetReadFile max_size reached!", DL_ERR);
            // Past the caller's own limit the answer is cut, as asked; past
            // the client's bound it is no answer at all.
            if (maxBytes && maxBytes <= kMaxAnswerBytes) break;
            return 0;
        }
        if (got == 0) {
            DebugLog(DL_VER, "internet.cpp: cInternet::ComputeRequest - !dwSize");
            break;
        }
        if (bytesRead_ + got + 1 > capacity) {
            Log("realloc buffer...", DL_IO);
            unsigned long bigger = GrowSize(capacity);
            char* grown = NewZeroed(bigger);
            if (!grown) return 0;
            memcpy(grown, *buffer, bytesRead_);
            delete[] *buffer;
            *buffer = grown;
            capacity = bigger;
            *size = capacity;
            Log("realloc buffer ok", DL_IO);
        }
        memcpy(*buffer + bytesRead_, block, got);
        bytesRead_ += got;
        ShowProgress();
    }
    Log("reading finished", DL_IO);
    if (haveLength && bytesRead_ < announced && !(maxBytes && bytesRead_ > maxBytes)) {
        bk::TextFormat(log, sizeof log, "Antwort unvollstaendig: %lu von %lu Bytes", bytesRead_, announced);
        Log(log, DL_ERR);
        return 0;
    }
    *size = bytesRead_;
    if (gzip) {
        unsigned long cap = 5000;
        char* out = NewZeroed(cap);
        if (!out) return 0;
        unsigned long unpacked =
            GunzipBuffer(reinterpret_cast<unsigned char*>(*buffer), bytesRead_, &out, &cap);
        DebugLog(DL_VER, "internet.cpp: cInternet::ComputeRequest - gelesen %lu Bytes -- entpacked %lu Bytes",
                 bytesRead_, unpacked);
        delete[] *buffer;
        *buffer = out;
        *size = unpacked;
    }
    Log("ComputeRequest...ok", 0);
    return 1;
}

int cInternet::ShowProgress() {
    if (!progressWindow_) return 1;
    char text[100];
    bk::TextFormat(text, sizeof text, "%lu / %lu KBytes", bytesRead_ / sizeDivisor_, expectedSize_ / sizeDivisor_);
    SetDlgItemTextA(progressWindow_, 1000, text);
    PostMessageA(GetDlgItem(progressWindow_, 1001), 1026, bytesRead_ / sizeDivisor_, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 1;
}

int cInternet::MakeRequest(char** buffer, const char* parameter, unsigned long* size, const void* body,
                           unsigned long bodyLength) {
    if (!buffer || !size) return 0;
    *buffer = nullptr;
    *size = 0;
    int ret = 0;
    HINTERNET internet = nullptr, connection = nullptr, request = nullptr;
    IOpenHandle(&internet);
    if (!internet) {
        DebugLog(DL_VER, "internet.cpp: cInternet::MakeRequest - kein Handle ->cleanup");
    } else {
        ConnectHTTP(internet, &connection);
        if (!connection) {
            DebugLog(DL_VER, "internet.cpp: cInternet::MakeRequest - keine Verbindung ->cleanup");
        } else {
            OpenRequest(connection, &request, serverPath_, parameter);
            if (!request) {
                DebugLog(DL_VER, "internet.cpp: cInternet::MakeRequest - kein Request ->cleanup");
            } else {
                static const char kHeaders[] = "Content-Type: text/xml; charset=utf-8\r\nAccept-Encoding: gzip\r\n";
                HttpAddRequestHeadersA(request, kHeaders, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD);
                *buffer = NewZeroed(kInitialAnswer);
                *size = *buffer ? kInitialAnswer : 0;
                ret = ComputeRequest(request, buffer, size, body, bodyLength, 0);
                if (!ret) *size = 0;
            }
        }
    }
    ICloseHandle(request);
    ICloseHandle(connection);
    ICloseHandle(internet);
    DebugLog(DL_VER, "internet.cpp: cInternet::MakeRequest - Ausgang, ret=%d", ret);
    return ret;
}

char* cInternet::SendXmlRequest(const char* xml, int* answerLength) {
    if (answerLength) *answerLength = 0;
    if (!xml || !xml[0]) return nullptr;
    try {
        std::string body = EncipherPadded(xml);
        char* raw = nullptr;
        unsigned long size = 0;
        int ok = MakeRequest(&raw, nullptr, &size, body.data(), static_cast<unsigned long>(body.size()));
        if (!ok || size == 0 || !raw) {
            delete[] raw;
            return nullptr;
        }
        // Every enciphered answer is whole 8-byte blocks; anything else was
        // damaged on the way.
        if (size % 8 != 0) {
            Log("Antwort ist kein Vielfaches von 8 Bytes", DL_ERR);
            delete[] raw;
            return nullptr;
        }
        std::string plain = DecipherRaised(reinterpret_cast<unsigned char*>(raw), size);
        delete[] raw;
        char* answer = NewZeroed(static_cast<unsigned long>(plain.size()) + 20);
        if (!answer) return nullptr;
        memcpy(answer, plain.data(), plain.size());
        if (answerLength) *answerLength = static_cast<int>(strnlen(answer, plain.size()));
        return answer;
    } catch (const std::exception& e) {
        Log("Exceptrion decrypting incoming...", DL_IO);
        DebugLog(DL_ERR, "cInternet::SendXmlRequest EXCEPTION (%s)", e.what());
        return nullptr;
    }
}

unsigned long cInternet::GunzipBuffer(const unsigned char* data, unsigned long length, char** out,
                                      unsigned long* capacity) {
    if (!data || !out || !capacity || length == 0) return 0;
    if (!*out || *capacity == 0) {
        delete[] *out;
        *capacity = 5000;
        *out = NewZeroed(*capacity);
        if (!*out) return 0;
    }
    z_stream zs = {};
    if (inflateInit2(&zs, 15 + 16) != Z_OK) return 0;
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = length;
    unsigned long written = 0;
    unsigned char piece[16384];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        zs.next_out = piece;
        zs.avail_out = sizeof piece;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        unsigned long n = sizeof piece - zs.avail_out;
        if (n == 0 && rc == Z_OK && zs.avail_in == 0) break;   // cut short
        if (written + n > kMaxUnpackedBytes) {
            rc = Z_MEM_ERROR;
            break;
        }
        while (*capacity < written + n + 1024) {
            unsigned long bigger = *capacity * 2;
            char* grown = NewZeroed(bigger);
            if (!grown) {
                inflateEnd(&zs);
                return 0;
            }
            memcpy(grown, *out, written);
            delete[] *out;
            *out = grown;
            *capacity = bigger;
        }
        memcpy(*out + written, piece, n);
        written += n;
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        Log("gzip-Daten fehlerhaft", DL_ERR);
        return 0;
    }
    return written;
}

void cInternet::ResolveServerName(const char* host, char* address, size_t addressSize) {
    ScopeLog("ResolveServerName", "Eingang");
    if (!address || addressSize == 0) {
        ScopeLog("ResolveServerName", "AusgangErr (keine ip_adresse)");
        return;
    }
    address[0] = 0;
    if (!host || !host[0]) {
        ScopeLog("ResolveServerName", "AusgangErr (kein server_name)");
        return;
    }
    WSADATA wsa;
    int err = WSAStartup(0x0101, &wsa);
    if (err) {
        DebugLog(DL_VER, "internet.cpp: cInternet::ResolveServerName - WSAStartup: err=%d", err);
        return;
    }
    hostent* he = gethostbyname(host);
    if (he && he->h_addrtype == AF_INET && he->h_length == 4 && he->h_addr_list && he->h_addr_list[0]) {
        const unsigned char* a = reinterpret_cast<const unsigned char*>(he->h_addr_list[0]);
        bk::TextFormat(address, addressSize, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    } else {
        ScopeLog("ResolveServerName", "Exeption (hostent)");
    }
    WSACleanup();
}

void cInternet::SplitProxyText(const char* text, char* host, size_t hostSize, char* port, size_t portSize) {
    if (!host || hostSize == 0) return;
    std::string s = text ? text : "";
    if (s.find('=') != std::string::npos) {
        // A list per protocol: the http entry counts.
        std::string pick;
        size_t at = 0;
        while (at <= s.size()) {
            size_t end = s.find(';', at);
            std::string entry = s.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (_strnicmp(entry.c_str(), "http=", 5) == 0) {
                pick = entry.substr(5);
                break;
            }
            if (end == std::string::npos) break;
            at = end + 1;
        }
        s = pick;
    } else {
        s = s.substr(0, s.find(';'));
    }
    size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
        if (port && portSize) bk::TextCopy(port, portSize, s.substr(colon + 1).c_str());
        s.resize(colon);
    }
    bk::TextCopy(host, hostSize, s.c_str());
}

void cInternet::GetSystemProxySettings(int* on, char* host, size_t hostSize, char* port, size_t portSize) {
    INTERNET_PER_CONN_OPTIONA options[5] = {};
    options[0].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[1].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
    options[2].dwOption = INTERNET_PER_CONN_FLAGS;
    options[3].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[4].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    INTERNET_PER_CONN_OPTION_LISTA list = {};
    list.dwSize = sizeof list;
    list.dwOptionCount = 5;
    list.pOptions = options;
    DWORD size = sizeof list;
    if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) {
        Log("InternetQueryOption (Proxy) failed", DL_WAR);
        return;
    }
    if (on && (options[2].Value.dwValue & PROXY_TYPE_PROXY)) *on = 1;
    if (options[4].Value.pszValue) SplitProxyText(options[4].Value.pszValue, host, hostSize, port, portSize);
    for (int i : {0, 3, 4})
        if (options[i].Value.pszValue) GlobalFree(options[i].Value.pszValue);
}
