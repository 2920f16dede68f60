#include "internetcheck.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "gzipmem.h"
#include "netcommon.h"
#include "servicelinks.h"
#include "webparse.h"

namespace {
constexpr char kHtmlHeaders[] = "Content-Type: text/html; charset=utf-8\r\nAccept-Encoding: gzip\r\n";
constexpr char kStatusHeaders[] = "Content-Type: text/xml; charset=utf-8\r\nUser-Agent: Mozilla\r\nContent-Length: 0\r\n";
constexpr DWORD kReadBlock = 4096;
constexpr unsigned long kPlaylistLimit = 20000;
constexpr unsigned long kStatusPageLimit = 10000;

// The three handles of one request, each closed once.
struct RequestHandles {
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    ~RequestHandles() {
        if (request) InternetCloseHandle(request);
        if (connection) InternetCloseHandle(connection);
        if (session) InternetCloseHandle(session);
    }
};

bool Is2xx(int status) { return status >= 200 && status < 300; }
}  // namespace

cInternetCheck::cInternetCheck(const char* server, const char* user, const char* password) {
    bk::TextCopy(server_, server);
    bk::TextCopy(user_, user);
    bk::TextCopy(password_, password);
    char proxy[600];
    if (bk3::ReadSharedProxy(proxy, sizeof proxy)) {
        char address[620];
        bk::TextFormat(address, sizeof address, "http://%s", proxy);
        INTERNET_PROXY_INFO info = {};
        info.dwAccessType = INTERNET_OPEN_TYPE_PROXY;
        info.lpszProxy = address;
        info.lpszProxyBypass = "";
        if (InternetSetOptionA(nullptr, INTERNET_OPTION_PROXY, &info, sizeof info))
            Log("InternetSetOption ok", 7);
        else
            Log("InternetSetOption failed", 1);
    }
}

void cInternetCheck::Log(const char* text, int level) {
    char line[1024];
    bk::TextFormat(line, sizeof line, "cInternetCheck %s", text ? text : "");
    SendDebugText(line, level < 1 ? 3 : level);
}

void cInternetCheck::LogF(int level, const char* fmt, ...) {
    char line[1024];
    va_list args;
    va_start(args, fmt);
    bk::TextFormatV(line, sizeof line, fmt, args);
    va_end(args);
    Log(line, level);
}

// ------------------------------------------------------------ receiving
int cInternetCheck::Receive(HINTERNET request, char** answer, unsigned long* length, const void* body,
                            unsigned long bodyLength, unsigned long sizeLimit) {
    Log("ComputeRequest...", 15);
    received_ = 0;
    if (length) *length = 0;
    if (!answer || !*answer) return 0;
    bk3::SetReceiveTimeout(request, bk3::kAnswerTimeoutMs);   // a stalled server ends the call
    if (!HttpSendRequestA(request, nullptr, 0, const_cast<void*>(body), bodyLength)) {
        LogF(1, "SendRequest Error: %lu", GetLastError());
        return 0;
    }
    int status = static_cast<int>(bk3::QueryStatus(request));
    if (status >= 300 || status == 0) {
        LogF(1, "HTTP-Response Error: %d", status);
        return 0;
    }
    char encoding[100];
    bool gzip = bk3::QueryHeader(request, "Content-Encoding", encoding, sizeof encoding) &&
                _stricmp(encoding, "gzip") == 0;
    unsigned long long announced = 0;
    bool hasLength = bk3::QueryContentLength(request, &announced);

    unsigned long capacity = kAnswerStart;
    unsigned char* buffer = reinterpret_cast<unsigned char*>(*answer);
    unsigned char* writePos = buffer;
    unsigned char block[kReadBlock];
    int result = status;
    for (;;) {
        DWORD got = 0;
        bk3::ReadResult rr = bk3::ReadAvailable(request, block, sizeof block, &got);
        if (rr == bk3::ReadResult::kEnd) break;
        if (rr != bk3::ReadResult::kData) {
            Log("InternetReadFile failed...return false", 1);
            result = 0;
            break;
        }
        if (!bk::AddMemToBuffer(&buffer, &writePos, &capacity, block, got)) {
            Log("out of memory", 1);
            result = 0;
            break;
        }
        *answer = reinterpret_cast<char*>(buffer);
        received_ += got;
        if (sizeLimit && received_ > sizeLimit) {
            Log("InternetReadFile max_size reached!", 1);
            result = 0;
            break;
        }
    }
    *answer = reinterpret_cast<char*>(buffer);
    if (result && hasLength && received_ < announced) {
        LogF(1, "answer cut off (%lu of %llu bytes)", received_, announced);
        result = 0;
    }
    if (length) *length = received_;
    if (gzip && received_ > 0) {
        unsigned char* unpacked = static_cast<unsigned char*>(calloc(1, 5000));
        unsigned long unpackedSize = 5000;
        unsigned long n = unpacked ? bk::DecompressBufferToBuffer(buffer, received_, &unpacked, &unpackedSize) : 0;
        LogF(3, "gelesen %lu Bytes -- entpacked %lu Bytes", received_, n);
        free(buffer);
        if (!unpacked) unpacked = static_cast<unsigned char*>(calloc(1, 1));
        *answer = reinterpret_cast<char*>(unpacked);
        if (length) *length = n;
        if (n == 0) result = 0;   // corrupt, cut or too large
    }
    Log("ComputeRequest...ok", 15);
    return result;
}

int cInternetCheck::Fetch(const char* url, const char* agent, const char* headers, bool autoRedirect,
                          unsigned long sizeLimit, char** answer, unsigned long* length) {
    *answer = nullptr;
    *length = 0;
    bk::UrlParts parts;
    if (!bk::SplitUrl(url, bk3::kAddressSize, &parts)) {
        LogF(1, "address not usable: %.200s", url ? url : "(null)");
        return 0;
    }
    RequestHandles h;
    bool viaProxy = false;
    h.session = bk3::OpenSession(agent, &viaProxy);
    if (h.session) h.connection = bk3::Connect(h.session, parts, viaProxy, user_, password_);
    if (h.connection) h.request = bk3::OpenRequest(h.connection, "GET", parts, autoRedirect);
    if (!h.request) {
        LogF(1, "no request (%lu)", GetLastError());
        return 0;
    }
    HttpAddRequestHeadersA(h.request, headers, static_cast<DWORD>(strlen(headers)), HTTP_ADDREQ_FLAG_ADD);
    *answer = static_cast<char*>(calloc(1, kAnswerStart));
    if (!*answer) return 0;
    return Receive(h.request, answer, length, nullptr, 0, sizeLimit);
}

// ------------------------------------------------------------ requests
int cInternetCheck::MakeRequest(char** answer, char*, unsigned long* length, char* body, unsigned long bodyLength) {
    if (!answer) return 0;
    *answer = nullptr;
    if (length) *length = 0;
    char host[256];
    bk::TextCopy(host, server_);
    unsigned port = 80;
    if (char* colon = strchr(host, ':')) {   // "host:port" for servers off the standard port
        *colon = 0;
        port = static_cast<unsigned>(strtoul(colon + 1, nullptr, 10));
        if (port == 0 || port > 65535) return 0;
    }
    if (!host[0]) return 0;
    bk::UrlParts parts = {};
    bk::TextCopy(parts.host, host);
    bk::TextCopy(parts.path, "/ping.html");
    parts.port = port;
    RequestHandles h;
    bool viaProxy = false;
    h.session = bk3::OpenSession(bk3::kAgentName, &viaProxy);
    if (h.session) h.connection = bk3::Connect(h.session, parts, viaProxy, user_, password_);
    if (h.connection) h.request = bk3::OpenRequest(h.connection, "GET", parts);
    if (!h.request) return 0;
    static const char kHeaders[] = "Content-Type: text/html; charset=utf-8\r\n";
    HttpAddRequestHeadersA(h.request, kHeaders, static_cast<DWORD>(strlen(kHeaders)), HTTP_ADDREQ_FLAG_ADD);
    *answer = static_cast<char*>(calloc(1, kAnswerStart));
    if (!*answer) return 0;
    // The check page is small; a server that sends without end is cut off.
    return Receive(h.request, answer, length, body, body ? bodyLength : 0, 64 * 1024);
}

int cInternetCheck::CheckConnection() {
    Log("CheckConnection...", 7);
    char* answer = nullptr;
    unsigned long length = 0;
    int status = MakeRequest(&answer, nullptr, &length, nullptr, 0);
    int ok = status && answer && length > 0 && strstr(answer, "ok_vl") != nullptr;
    free(answer);
    Log(ok ? "CheckConnection...ok" : "CheckConnection...failed", ok ? 7 : 1);
    return ok ? 1 : 0;
}

int cInternetCheck::Downloadfile(const char* url, const char* fileName, unsigned long maxSize) {
    LogF(3, "cInternetCheck DownloadFile (%.300s) - max_size: %lu", url ? url : "", maxSize);
    if (!fileName || !fileName[0]) return 0;
    char* answer = nullptr;
    unsigned long length = 0;
    int status = Fetch(url, bk3::kAgentName, kHtmlHeaders, true, maxSize, &answer, &length);
    int result = 0;
    if (Is2xx(status) && answer) {
        HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = length == 0 || WriteFile(file, answer, length, &written, nullptr);
            CloseHandle(file);
            if (ok && written == length)
                result = 1;
            else
                DeleteFileA(fileName);   // never leave half a file
        }
    }
    free(answer);
    Log(result ? "Downloadfile ok" : "Downloadfile failed", 3);
    return result;
}

int cInternetCheck::CheckURLRedirected(const char* url, char* target, size_t targetSize) {
    if (target && targetSize) target[0] = 0;
    if (!url || !target || targetSize == 0) return 0;
    bool viaProxy = false;
    HINTERNET session = bk3::OpenSession(bk3::kAgentName, &viaProxy);
    if (!session) return 0;
    Log("sendrequest...", 15);
    bk3::RedirectResult r =
        bk3::CheckRedirect(session, url, viaProxy, user_, password_, target, targetSize, "cInternetCheck");
    InternetCloseHandle(session);
    if (r != bk3::RedirectResult::kRedirect) {
        target[0] = 0;
        return 0;
    }
    return 1;
}

void cInternetCheck::ConvertAlternativURL(char* address, size_t addressSize) {
    if (!address || addressSize == 0) return;
    address[addressSize - 1] = 0;
    for (int pass = 0; pass < bk3::kMaxRedirects; ++pass) {
        LogF(7, "ConvertAlternativURL (%.900s)", address);
        bool playlist = bk::LooksLikePlaylist(address);
        if (!playlist) {
            char target[bk3::kAddressSize];
            if (CheckURLRedirected(address, target, sizeof target)) {
                if (bk::LooksLikePlaylist(target)) {
                    if (!bk::TextCopy(address, addressSize, target)) break;
                    playlist = true;
                } else {
                    bk3::StoreResolvedAddress(target);
                }
            }
        }
        if (!playlist) break;
        char folder[MAX_PATH];
        char file[MAX_PATH];
        if (!bk3::ReadUserFolder(folder, sizeof folder) || !GetTempFileNameA(folder, "vltmp", 0, file)) {
            Log("ConvertAlternativURL - no temporary file", 1);
            continue;
        }
        LogF(7, "ConvertAlternativURL - getfile (%.400s -> %.400s)", address, file);
        char entry[bk3::kAddressSize] = {};
        bool found = false;
        if (Downloadfile(address, file, kPlaylistLimit)) {
            HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            // The download is limited, so the whole list fits.
            const DWORD room = kPlaylistLimit + kReadBlock * 2;
            char* data = static_cast<char*>(malloc(room));
            if (h != INVALID_HANDLE_VALUE && data) {
                DWORD got = 0;
                if (ReadFile(h, data, room, &got, nullptr)) {
                    found = bk::IsPlsAddress(address) ? bk::ParsePlsEntry(data, got, entry, sizeof entry)
                                                      : bk::ParseM3uEntry(data, got, entry, sizeof entry);
                }
            }
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            free(data);
        }
        DeleteFileA(file);
        if (!found || strlen(entry) < 2) break;
        if (!bk::TextCopy(address, addressSize, entry)) {
            Log("ConvertAlternativURL - entry too long", 1);
            break;
        }
        bk3::StoreResolvedAddress(entry);
        LogF(7, "ConvertAlternativURL->%.900s", entry);
    }
    Log("ConvertAlternativ ok", 7);
}

int cInternetCheck::TitlePoll(const char* what, const char* url, char** title,
                              bool (*parse)(const char*, size_t, char*, size_t)) {
    LogF(7, "%s (%.900s)", what, url ? url : "");
    if (!title || !*title) return 0;
    (*title)[0] = 0;
    char* answer = nullptr;
    unsigned long length = 0;
    int status = Fetch(url, "Mozilla", kStatusHeaders, false, kStatusPageLimit, &answer, &length);
    int found = 0;
    if (status && answer && length > 0) {
        LogF(15, "%s answer: %.900s", what, answer);
        found = parse(answer, length, *title, kTitleSize) ? 1 : 0;
    }
    free(answer);
    if (found)
        LogF(7, "%s found Titel: %s", what, *title);
    else
        LogF(7, "%s failed", what);
    return found;
}

int cInternetCheck::ShoutcastStatus(const char* url, char** title) {
    return TitlePoll("ShoutcastStatus", url, title, bk::ParseShoutcastTitle);
}

int cInternetCheck::VLMetaStatus(const char* url, char** title) {
    return TitlePoll("VLMetaStatus", url, title, bk::ParseTitleDocument);
}

// ------------------------------------------------------------ buffers
unsigned long cInternetCheck::DecompressBufferToBuffer(char* data, unsigned long length, char** out,
                                                       unsigned long* outSize) {
    auto** o = reinterpret_cast<unsigned char**>(out);
    return bk::DecompressBufferToBuffer(reinterpret_cast<unsigned char*>(data), length, o, outSize);
}

void cInternetCheck::ReallocBuffer(unsigned char** buffer, unsigned long* size) { bk::ReallocBuffer(buffer, size); }

void cInternetCheck::AddMemToBuffer(unsigned char** buffer, unsigned char** writePos, unsigned long* size,
                                    unsigned char* data, unsigned long dataLength) {
    bk::AddMemToBuffer(buffer, writePos, size, data, dataLength);
}
