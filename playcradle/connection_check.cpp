#include "connection_check.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>

#include "bounded_text.h"
#include "cradle_log.h"

namespace {
const char kServer[] = "player.velmirant.de";
}

void InterfaceServer(char* host, unsigned long size) {
    DWORD n = GetEnvironmentVariableA("TD_INTERFACE_SERVER", host, size);
    if (n == 0 || n >= size) bk::TextCopy(host, size, kServer);
}

int CheckInterfaceServer(const char* server, const char* user, const char* password) {
    PlainLog(9, "CheckConnection...");
    char url[600];
    if (!bk::TextFormat(url, sizeof url, "http://%s/ping.html", server)) return 0;
    HINTERNET inet = InternetOpenA("tunerdeck", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!inet) return 0;
    DWORD timeout = 10000;
    InternetSetOptionA(inet, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    InternetSetOptionA(inet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    int result = 0;
    HINTERNET req = InternetOpenUrlA(inet, url, "Content-Type: text/html; charset=utf-8\r\n", static_cast<DWORD>(-1),
                                     INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_RELOAD, 0);
    if (req) {
        if (user && user[0]) {
            InternetSetOptionA(req, INTERNET_OPTION_USERNAME, const_cast<char*>(user), static_cast<DWORD>(strlen(user)));
            InternetSetOptionA(req, INTERNET_OPTION_PASSWORD, const_cast<char*>(password ? password : ""),
                               static_cast<DWORD>(password ? strlen(password) : 0));
        }
        // The acknowledgement is short; 20 KiB of answer is plenty.
        static char answer[20480];
        DWORD used = 0;
        while (used + 1 < sizeof answer) {
            DWORD got = 0;
            if (!InternetReadFile(req, answer + used, static_cast<DWORD>(sizeof answer - 1 - used), &got) || got == 0) break;
            used += got;
        }
        answer[used] = 0;
        result = used > 0 && strstr(answer, "ok_vl") ? 1 : 0;
        InternetCloseHandle(req);
    }
    InternetCloseHandle(inet);
    PlainLog(9, result ? "CheckConnection...ok" : "CheckConnection...failed");
    return result;
}
