// Synchronous HTTP helpers of the player processes: the connection check,
// single downloads, resolving playlists and redirected stream addresses, and
// polling the title of the stream that plays. Each call opens its own
// session, works to the end and closes it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>

#include "basekit_api.h"

class BASEKIT_API cInternetCheck {
public:
    // server: host of the connection check ("host" or "host:port"). user and
    // password are the proxy's: they go to the proxy of the shared data
    // section when one is switched on, never to a server. When that proxy is
    // on, it is also set for the whole process (and stays set).
    cInternetCheck(const char* server, const char* user, const char* password);

    void Log(const char* text, int level);

    // 1 when the server's "ping.html" answers a text containing "ok_vl".
    int CheckConnection();
    // The connection-check request. *answer receives a buffer from malloc
    // (free it with free()), always terminated; *length its bytes. Returns
    // the HTTP status, or 0 on failure.
    int MakeRequest(char** answer, char* reserved, unsigned long* length, char* body, unsigned long bodyLength);

    // Downloads at most maxSize bytes (0: no limit) into the file. 1 only for
    // a complete 2xx answer; otherwise 0, and no file is left behind.
    int Downloadfile(const char* url, const char* fileName, unsigned long maxSize);
    // 1 when the server sends the address on; target (targetSize bytes)
    // then holds the new address. A target that does not fit gives 0.
    int CheckURLRedirected(const char* url, char* target, size_t targetSize = 1024);
    // Resolves a playlist or redirected stream address (up to 5 steps) into
    // the shared data section (SetMETAURL). The buffer (addressSize bytes)
    // follows each step.
    void ConvertAlternativURL(char* address, size_t addressSize = 1024);
    // Title polls; *title points to a caller buffer of at least 500 bytes
    // and receives at most 499 characters. 1 when a title was found.
    int ShoutcastStatus(const char* url, char** title);
    int VLMetaStatus(const char* url, char** title);

    // Unpacks gzip data (other data is copied unchanged) into *out, which
    // grows as needed (malloc; *outSize its capacity). The unpacked size of
    // more than 4 MB is refused. Returns the bytes unpacked; 0 on failure.
    static unsigned long DecompressBufferToBuffer(char* data, unsigned long length, char** out,
                                                  unsigned long* outSize);
    static void ReallocBuffer(unsigned char** buffer, unsigned long* size);
    static void AddMemToBuffer(unsigned char** buffer, unsigned char** writePos, unsigned long* size,
                               unsigned char* data, unsigned long dataLength);

    static constexpr unsigned long kAnswerStart = 20480;
    static constexpr unsigned long kTitleSize = 500;

private:
    void LogF(int level, const char* fmt, ...);
    // Sends the request, reads the whole answer (unpacked when it is gzip)
    // into *answer and gives the HTTP status, or 0 on any failure.
    int Receive(HINTERNET request, char** answer, unsigned long* length, const void* body, unsigned long bodyLength,
                unsigned long sizeLimit);
    // A GET of the address into a fresh buffer; the HTTP status or 0.
    int Fetch(const char* url, const char* agent, const char* headers, bool autoRedirect, unsigned long sizeLimit,
              char** answer, unsigned long* length);
    int TitlePoll(const char* what, const char* url, char** title,
                  bool (*parse)(const char*, size_t, char*, size_t));

    char user_[512] = {};
    char password_[512] = {};
    char server_[256] = {};
    unsigned long received_ = 0;
};
