// The player's HTTP client: every exchange with the interface server (an
// enciphered XML document posted to one fixed path, answered by an
// enciphered XML document) and the plain requests of the player. Each call
// opens and closes its own WinINet handles; an object serves one thread.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <cstdint>

#include "interface_host.h"

// The interface service's hosts. The server name of an object may carry a
// port ("host:port"); that is the one seam through which the tests reach a
// stand-in server on 127.0.0.1 (cInternet::SetServerName).
using bk::kInterfaceHost;
constexpr const char* kAvoidStreamsHost = "streamcheck.velmirant.net";
constexpr const char* kInterfacePath = "/services/playerInterface/simpleParser.php";
constexpr unsigned short kInterfacePort = 80;

// Bounds against endless or inflated answers.
constexpr unsigned long kMaxAnswerBytes = 32ul * 1024 * 1024;
constexpr unsigned long kMaxUnpackedBytes = 64ul * 1024 * 1024;
// How long the server may leave a request without an answer.
constexpr DWORD kInterfaceTimeoutMs = 30000;

// A WinINet session through the proxy of the player's settings (the shared
// data section) while it is switched on, else with the system's
// configuration; *viaProxy tells which. A proxy the user switched off is
// never used again, whatever was set before.
HINTERNET OpenPlayerSession(const char* agent, bool* viaProxy);
// Hands the proxy's user name and password to a session's handles.
void SetProxyCredentials(HINTERNET handle, const char* user, const char* password);

class cInternet {
public:
    // `server` is accepted for the callers' sake but does not change the
    // host: only SetServerName does.
    cInternet(const char* server, const char* user, const char* password);
    cInternet(const cInternet&) = delete;
    cInternet& operator=(const cInternet&) = delete;

    void SetServerName(const char* host);
    const char* GetServerName() const { return serverName_; }

    void IOpenHandle(HINTERNET* handle);
    static void ICloseHandle(HINTERNET handle);
    void ConnectHTTP(HINTERNET internet, HINTERNET* connection);
    void OpenRequest(HINTERNET connection, HINTERNET* request, const char* page, const char* parameter);
    // Sends, checks the status, reads the whole answer (at most maxBytes
    // when not 0, never more than kMaxAnswerBytes), unpacks gzip. *buffer
    // (allocated with new[]) may be replaced by a larger one. 1 or 0.
    int ComputeRequest(HINTERNET request, char** buffer, unsigned long* size, const void* body,
                       unsigned long bodyLength, unsigned long maxBytes);
    int ShowProgress();
    // One POST exchange with the interface server; *buffer is new[]-allocated
    // and the caller's (also after a failure).
    int MakeRequest(char** buffer, const char* parameter, unsigned long* size, const void* body,
                    unsigned long bodyLength);
    // Enciphers and posts a request document and deciphers the answer. The
    // answer (new[]; 20 zero bytes behind it) or null; *answerLength its
    // length.
    char* SendXmlRequest(const char* xml, int* answerLength);

    // Unpacks a gzip block into *out (new[], capacity *capacity; allocated
    // when null), which doubles as needed up to kMaxUnpackedBytes. The
    // unpacked length, 0 on any failure.
    static unsigned long GunzipBuffer(const unsigned char* data, unsigned long length, char** out,
                                      unsigned long* capacity);
    static void ResolveServerName(const char* host, char* address, size_t addressSize);
    // The system's proxy: *on becomes 1 for a named proxy (untouched
    // otherwise), host and port are bounded copies.
    static void GetSystemProxySettings(int* on, char* host, size_t hostSize, char* port, size_t portSize);
    // Splits a proxy text ("h:p", or a list "http=h:p;https=h2:p2" of which
    // the http entry counts) at its last ":".
    static void SplitProxyText(const char* text, char* host, size_t hostSize, char* port, size_t portSize);
    static void Log(const char* text, int level);

    void SetProgressWindow(HWND window, unsigned long expectedSize, unsigned long divisor) {
        progressWindow_ = window;
        expectedSize_ = expectedSize;
        sizeDivisor_ = divisor ? divisor : 1;
    }
    unsigned long GetBytesRead() const { return bytesRead_; }
    int IsOfflineMode() const { return offline_; }

private:
    char userName_[512];
    char password_[512];
    char serverName_[256];
    char serverPath_[256];
    unsigned long bytesRead_ = 0;
    unsigned long expectedSize_ = 0;
    unsigned long sizeDivisor_ = 1024;
    HWND progressWindow_ = nullptr;
    int offline_ = 0;
};
