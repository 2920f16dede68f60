// Plain downloads of the client: files by GET, redirect checks, the
// installer and skin updates with their progress dialog, the station
// database named by the update answer, and the ".za" and "_crypt." files.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <softpub.h>
#include <wintrust.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "bounded_text.h"
#include "debugtext.h"
#include "online_host.h"
#include "player_cipher.h"
#include "registry.h"
#include "requests.h"
#include "win_handles.h"
#include "xml_interface.h"

namespace online {

bool IsBareFileName(const std::string& name, const char* ext) {
    if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return false;
    if (name.find("..") != std::string::npos) return false;
    // Windows drops trailing dots and blanks, which would change the name.
    if (name.back() == '.' || name.back() == ' ') return false;
    if (ext && ext[0]) {
        size_t n = strlen(ext);
        if (name.size() <= n || _stricmp(name.c_str() + name.size() - n, ext) != 0) return false;
    }
    return true;
}

bool FindLocationHeader(const char* headers, size_t length, std::string* value) {
    if (!headers) return false;
    static const char kName[] = "location:";
    const size_t nameLen = sizeof kName - 1;
    size_t line = 0;
    while (line < length) {
        size_t end = line;
        while (end < length && headers[end] != '\n' && headers[end] != '\r' && headers[end] != 0) ++end;
        if (end - line >= nameLen && _strnicmp(headers + line, kName, nameLen) == 0) {
            size_t v = line + nameLen;
            while (v < end && (headers[v] == ' ' || headers[v] == '\t')) ++v;
            if (value) value->assign(headers + v, end - v);
            return true;
        }
        if (end < length && headers[end] == 0) break;
        line = end + 1;
    }
    return false;
}

size_t StripPadding(const unsigned char* data, size_t length) {
    while (length && data[length - 1] == 0xFD) --length;
    return length;
}

std::string CryptCopyName(const std::string& path) {
    size_t base = path.find_last_of("\\/");
    base = base == std::string::npos ? 0 : base + 1;
    size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot < base) dot = std::string::npos;
    if (dot == std::string::npos) return path + "_crypt.";
    return path.substr(0, dot) + "_crypt" + path.substr(dot);
}

}  // namespace online

namespace {

constexpr unsigned long kFirstBuffer = 20480;
constexpr size_t kPiece = 16384;
constexpr const char* kDownloadHeaders = "Content-Type: text/html; charset=utf-8\r\nUser-Agent: Mozilla\r\n";

HWND g_progress = nullptr;

bool ReadWholeFile(const std::string& path, std::string* out) {
    bk::ScopedFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f.Valid()) return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(f.Get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxAnswerBytes)) return false;
    out->assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!out->empty() && (!ReadFile(f.Get(), &(*out)[0], static_cast<DWORD>(out->size()), &got, nullptr) ||
                          got != out->size()))
        return false;
    return true;
}

// Writes beside the target and renames over it, so the target is either the
// old file or the complete new one.
bool WriteWholeFile(const std::string& path, const char* data, size_t size) {
    const std::string part = path + ".part";
    {
        bk::ScopedFile f(CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!f.Valid()) return false;
        DWORD written = 0;
        if (!WriteFile(f.Get(), data, static_cast<DWORD>(size), &written, nullptr) || written != size) {
            f.Reset();
            DeleteFileA(part.c_str());
            return false;
        }
    }
    if (!MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(part.c_str());
        return false;
    }
    return true;
}

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The progress dialog's template, built in memory: the library has no
// resource script of its own. Layout in dialog units.
class DialogTemplate {
public:
    void Word(WORD w) { data_.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const wchar_t* t) {
        do Word(*t);
        while (*t++);
    }
    void AlignDword() {
        if (data_.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* cls,
              const wchar_t* text) {
        AlignDword();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(x);
        Word(y);
        Word(cx);
        Word(cy);
        Word(id);
        if (cls) Text(cls);
        else {
            Word(0xFFFF);
            Word(atom);
        }
        Text(text);
        Word(0);
        ++items_;
    }
    const DLGTEMPLATE* Get() {
        data_[4] = items_;
        return reinterpret_cast<const DLGTEMPLATE*>(data_.data());
    }

private:
    std::vector<WORD> data_;
    WORD items_ = 0;
};

HWND CreateProgressDialog() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    DialogTemplate t;
    t.Dword(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(0);   // item count, filled in at the end
    t.Word(0);
    t.Word(0);
    t.Word(150);
    t.Word(66);
    t.Word(0);   // no menu
    t.Word(0);   // standard class
    t.Text(L"velmirant-Player Update");
    t.Word(8);
    t.Text(L"MS Sans Serif");
    t.Item(SS_LEFT, 7, 7, 136, 10, 0xFFFF, 0x0082, nullptr, L"velmirant-Player");
    t.Item(ES_READONLY | ES_CENTER | WS_BORDER, 7, 21, 136, 12, 1000, 0x0081, nullptr, L"");
    t.Item(WS_BORDER, 7, 40, 136, 10, 1001, 0, L"msctls_progress32", L"");
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, ProgressProc, 0);
    // Shown without taking the focus from whatever the user works in.
    if (dialog) ShowWindow(dialog, SW_SHOWNOACTIVATE);
    return dialog;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Parts of an address as the downloads take them: the host (at most 200
// characters) and the path with its query (at most 400).
struct UrlParts {
    char host[201] = {};
    char path[401] = {};
    INTERNET_PORT port = 80;
    DWORD secure = 0;   // INTERNET_FLAG_SECURE for https addresses
};

bool SplitUrl(const char* url, UrlParts* parts) {
    char path[2048] = {}, extra[2048] = {};
    URL_COMPONENTSA uc = {};
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = parts->host;
    uc.dwHostNameLength = sizeof parts->host;
    uc.lpszUrlPath = path;
    uc.dwUrlPathLength = sizeof path;
    uc.lpszExtraInfo = extra;
    uc.dwExtraInfoLength = sizeof extra;
    if (!url || !InternetCrackUrlA(url, 0, ICU_DECODE, &uc) || !parts->host[0]) return false;
    parts->port = uc.nPort ? uc.nPort : 80;
    if (uc.nScheme == INTERNET_SCHEME_HTTPS) parts->secure = INTERNET_FLAG_SECURE;
    if (!bk::TextCopy(parts->path, path[0] ? path : "/")) return false;
    return bk::TextAppend(parts->path, sizeof parts->path, extra);
}

}  // namespace

namespace online {

bool InstallSkinFile(const std::string& downloaded, const std::string& skinsFolder, const std::string& name) {
    if (!IsBareFileName(name, ".dll") || skinsFolder.empty()) {
        DebugLog(DL_ERR, "Skin-Dateiname abgelehnt: %s", name.c_str());
        DeleteFileA(downloaded.c_str());
        return false;
    }
    std::string target = skinsFolder;
    if (target.back() != '\\') target += '\\';
    target += name;
    return MoveFileExA(downloaded.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
}

bool InstallDownloadedSkin(const std::string& downloaded, const std::string& skinsFolder, std::string* name) {
    MyFileInfo info = {};
    std::string fileName;
    if (GetFileVersion(downloaded.c_str(), &info)) fileName = info.OriginalFilename;
    if (name) *name = fileName;
    return InstallSkinFile(downloaded, skinsFolder, fileName);
}

}  // namespace online

HWND cOnlineClient::ProgressDialog() { return g_progress; }

bool cOnlineClient::OpenGetRequest(const char* op, const char* url, DWORD flags, const char* headers,
                                   HINTERNET handles[3]) {
    handles[0] = handles[1] = handles[2] = nullptr;
    UrlParts parts;
    if (!SplitUrl(url, &parts)) return false;
    const char* missing = nullptr;
    IOpenHandle(&handles[0]);
    if (!handles[0]) missing = "hOpen";
    else if (!(handles[1] = InternetConnectA(handles[0], parts.host, parts.port, user_.empty() ? nullptr : user_.c_str(),
                                             password_.empty() ? nullptr : password_.c_str(), INTERNET_SERVICE_HTTP,
                                             0, 0)))
        missing = "hConnect";
    else if (!(handles[2] = HttpOpenRequestA(handles[1], "GET", parts.path, nullptr, nullptr, nullptr,
                                             flags | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | parts.secure,
                                             0)))
        missing = "hReq";
    if (missing) {
        DebugLog(DL_VER, "internet.cpp: cInternet::%s - kein %s -> cleanup", op, missing);
        return false;
    }
    HttpAddRequestHeadersA(handles[2], headers, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    return true;
}

namespace {
struct RequestHandles {
    HINTERNET h[3] = {};
    ~RequestHandles() {
        for (int i = 2; i >= 0; --i) cInternet::ICloseHandle(h[i]);
    }
};
}  // namespace

int cOnlineClient::Downloadfile(const char* url, const char* localName, unsigned long maxBytes) {
    DebugLog(DL_INF, "cInternet::Downloadfile - Eingang, Params: *url=%s, *localname=%s, max_size=%d",
             url ? url : "", localName ? localName : "", static_cast<int>(maxBytes));
    char line[600];
    bk::TextFormat(line, sizeof line, "Downloadfile (%s)", url ? url : "");
    Log(line, 0);
    int ok = 0;
    {
        RequestHandles handles;
        if (localName && localName[0] && OpenGetRequest("Downloadfile", url, 0, kDownloadHeaders, handles.h)) {
            unsigned long size = kFirstBuffer;
            char* buffer = new (std::nothrow) char[size]();
            if (buffer && ComputeRequest(handles.h[2], &buffer, &size, nullptr, 0, maxBytes)) {
                if (size == 0) DebugLog(DL_VER, "internet.cpp: cInternet::Downloadfile - keine buff_size -> cleanup");
                else if (!WriteWholeFile(localName, buffer, size))
                    DebugLog(DL_VER, "internet.cpp: cInternet::Downloadfile - file == INVALID_HANDLE_VALUE -> cleanup");
                else ok = 1;
            }
            delete[] buffer;
        }
    }
    Log(ok ? "Downloadfile - ok" : "Downloadfile - failed", 0);
    return ok;
}

int cOnlineClient::CheckURLRedirected(const char* url, char* target, size_t size) {
    DebugLog(DL_VER, "internet.cpp: cInternet::CheckURLRedirected - Eingang");
    char line[600];
    bk::TextFormat(line, sizeof line, "CheckURLRedirected (%s)", url ? url : "");
    Log(line, 0);
    int ok = 0;
    RequestHandles handles;
    if (target && size &&
        OpenGetRequest("CheckURLRedirected", url, INTERNET_FLAG_NO_AUTO_REDIRECT,
                       "Content-Type: text/html; charset=utf-8\r\nAccept-Encoding: gzip\r\n", handles.h)) {
        HINTERNET request = handles.h[2];
        DWORD status = 0, len = sizeof status;
        if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
            DebugLog(DL_VER, "internet.cpp: cInternet::CheckURLRedirected - kein HttpSendRequest(err=%d -> cleanup",
                     static_cast<int>(GetLastError()));
        } else if (HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr) &&
                   (status == 301 || status == 302 || status == 303)) {
            DWORD need = 0;
            HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &need, nullptr);
            std::vector<char> headers(need + 1, 0);
            DWORD have = need;
            std::string location;
            if (!need || !HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &have, nullptr)) {
                DebugLog(DL_VER, "internet.cpp: cInternet::CheckURLRedirected - keine HttpQueryInfo -> cleanup");
            } else if (!online::FindLocationHeader(headers.data(), have, &location) || location.empty()) {
                DebugLog(DL_VER, "internet.cpp: cInternet::CheckURLRedirected - nPlace=-1 -> cleanup");
            } else if (location.size() >= size) {
                // A target that does not fit is refused, never cut.
                DebugLog(DL_VER, "internet.cpp: cInternet::CheckURLRedirected - Location zu lang -> cleanup");
            } else {
                bk::TextCopy(target, size, location.c_str());
                ok = 1;
            }
        }
    }
    if (ok) bk::TextFormat(line, sizeof line, "CheckURLRedirected -> %s, true", target);
    else bk::TextCopy(line, "CheckURLRedirected term, false");
    Log(line, 0);
    return ok;
}

HWND cOnlineClient::OpenProgress(unsigned long expectedSize) {
    HWND dialog = CreateProgressDialog();
    g_progress = dialog;
    SetProgressWindow(dialog, expectedSize, 1024);
    if (dialog) {
        SendDlgItemMessageA(dialog, 1001, PBM_SETRANGE, 0, MAKELPARAM(0, expectedSize / 1024));
        char text[100];
        bk::TextFormat(text, sizeof text, "%d / %d KBytes", 0, static_cast<int>(expectedSize / 1024));
        SetDlgItemTextA(dialog, 1000, text);
    }
    PumpMessages();
    return dialog;
}

void cOnlineClient::CloseProgress(HWND dialog) {
    if (dialog) DestroyWindow(dialog);
    g_progress = nullptr;
    SetProgressWindow(nullptr, 0, 1024);
}

namespace {

volatile CodeVerifier g_codeVerifier = nullptr;

unsigned long long FileSizeOf(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return ~0ull;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

void SetCodeVerifier(CodeVerifier verifier) { g_codeVerifier = verifier; }

bool VerifyAuthenticode(const char* path) {
    if (!path) return false;
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH * 2)) return false;
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = wide;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (result != ERROR_SUCCESS) DebugLog(DL_ERR, "WinVerifyTrust(%s) = 0x%08lx", path, static_cast<unsigned long>(result));
    return result == ERROR_SUCCESS;
}

namespace {

bool RefuseDownloadedCode(const char* path, const char* why, unsigned long announcedSize) {
    DebugLog(DL_ERR, "downloaded code refused and deleted (%s): %s, %llu bytes, %lu announced", why, path,
             FileSizeOf(path), announcedSize);
    if (!DeleteFileA(path)) {
        Sleep(50);
        DeleteFileA(path);
    }
    return false;
}

}  // namespace

bool CheckDownloadedSize(const char* path, unsigned long announcedSize) {
    if (!path) return false;
    if (announcedSize != 0 && FileSizeOf(path) == announcedSize) return true;
    return RefuseDownloadedCode(path, "not the size the server announced", announcedSize);
}

bool CheckDownloadedSignature(const char* path) {
    if (!path) return false;
    if ((g_codeVerifier ? g_codeVerifier : VerifyAuthenticode)(path)) return true;
    return RefuseDownloadedCode(path, "no valid signature", 0);
}

bool CheckDownloadedCode(const char* path, unsigned long announcedSize) {
    return CheckDownloadedSize(path, announcedSize) && CheckDownloadedSignature(path);
}

int cOnlineClient::GetPlayerUpdate(unsigned long expectedSize, const char* url) {
    if (IsOfflineMode()) return 0;
    const std::string target = online::UserFolder() + "update.exe";
    HWND dialog = OpenProgress(expectedSize);
    int ok = Downloadfile(url, target.c_str(), 0);
    CloseProgress(dialog);
    if (ok && !CheckDownloadedCode(target.c_str(), expectedSize)) return kRefusedCode;
    return ok;
}

int cOnlineClient::GetSkinUpdate(unsigned long expectedSize, const char* url, std::string* localName) {
    if (IsOfflineMode()) return 0;
    std::string folder = online::UserFolder();
    char temp[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(folder.c_str(), "ZAP", 0, temp)) return 0;
    const std::string packed = std::string(temp) + ".za";
    HWND dialog = OpenProgress(expectedSize);
    int ok = Downloadfile(url, packed.c_str(), 0);
    CloseProgress(dialog);
    // The archive carries no signature of its own: its size is checked, the
    // library taken out of it is what must be signed.
    if (ok && !CheckDownloadedSize(packed.c_str(), expectedSize)) {
        DeleteFileA(temp);
        return kRefusedCode;
    }
    // A skin that does not unpack is no skin: nothing of it stays behind.
    if (ok && UnpackFile(packed.c_str())) {
        // The library is loaded into the player: only a signed one.
        if (!CheckDownloadedSignature(temp)) {
            DeleteFileA(packed.c_str());
            return kRefusedCode;
        }
        if (localName) *localName = temp;
        return 1;
    }
    DeleteFileA(packed.c_str());
    DeleteFileA(temp);
    return 0;
}

int cOnlineClient::DownloadStationDb(const std::string& url, std::unique_ptr<cStationDbDoc>* db) {
    const std::string temp = online::UserFolder() + "_tempdb.rdb";
    if (!Downloadfile(url.c_str(), temp.c_str(), 0)) return 0;
    DebugLog(DL_INF, "Datenbank file laden...");
    std::string bytes;
    bool read = ReadWholeFile(temp, &bytes);
    DeleteFileA(temp.c_str());
    if (!read || bytes.empty()) return 0;
    DebugLog(DL_INF, "Datenbank file laden...ok");
    DebugLog(DL_INF, "Datenbank file laden entpacken...");
    std::string plain = DecipherRaised(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    size_t packed = online::StripPadding(reinterpret_cast<const unsigned char*>(plain.data()), plain.size());
    unsigned long capacity = 50000;
    char* out = new (std::nothrow) char[capacity]();
    if (!out) return 0;
    unsigned long unpacked =
        packed ? GunzipBuffer(reinterpret_cast<const unsigned char*>(plain.data()), static_cast<unsigned long>(packed),
                              &out, &capacity)
               : 0;
    std::string text(out, unpacked);
    delete[] out;
    if (text.empty()) {
        DebugLog(DL_ERR, "EXCEPTION DecompressBufferTOBuffer");
        return 0;
    }
    DebugLog(DL_INF, "Datenbank file laden entpacken...ok");
    DebugLog(DL_INF, "Datenbank XML interpretation...");
    cXmlInterface xi;
    XmlRequest req;
    req.type = 8;
    req.text = text;
    std::unique_ptr<XmlResult> r = xi.Process(req);
    auto* doc = r ? r->As<cStationDbDoc>() : nullptr;
    // A text without a single station is no station database; the one in
    // use stays.
    if (!doc || doc->senders.empty() || doc->streams.empty()) {
        DebugLog(DL_ERR, "GetDBVersion - XMLDOC_GETSENDERSTREAM_ZIP EXCEPTION (keine Sender)");
        return 0;
    }
    r->doc.release();
    if (db) db->reset(doc);
    else delete doc;
    DebugLog(DL_INF, "Datenbank XML interpretation...ok");
    return 1;
}

int cOnlineClient::UnpackFile(const char* name) {
    if (!name || !name[0]) return 0;
    std::string source = name, target = name;
    size_t n = source.size();
    if (n < 4 || _stricmp(source.c_str() + n - 3, ".za") != 0) source += ".za";
    else target.resize(n - 3);

    gzFile in = gzopen(source.c_str(), "rb");
    if (!in) return 0;
    FILE* out = fopen(target.c_str(), "wb");
    if (!out) {
        gzclose(in);
        return 0;
    }
    std::vector<char> piece(kPiece);
    bool ok = true;
    for (;;) {
        int got = gzread(in, piece.data(), static_cast<unsigned>(piece.size()));
        if (got < 0) {
            ok = false;
            break;
        }
        // A file that is not gzip at all would be copied as it is.
        if (got > 0 && gzdirect(in)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        if (fwrite(piece.data(), 1, static_cast<size_t>(got), out) != static_cast<size_t>(got)) {
            ok = false;
            break;
        }
    }
    int inClosed = gzclose(in);
    int outClosed = fclose(out);
    if (!ok || inClosed != Z_OK || outClosed != 0) {
        DeleteFileA(target.c_str());
        return 0;
    }
    DeleteFileA(source.c_str());
    return 1;
}

int cOnlineClient::PackFile(const char* name) {
    if (!name || !name[0]) return 0;
    const std::string target = std::string(name) + ".za";
    FILE* in = fopen(name, "rb");
    if (!in) return 0;
    gzFile out = gzopen(target.c_str(), "wb9f");
    if (!out) {
        fclose(in);
        return 0;
    }
    std::vector<char> piece(kPiece);
    bool ok = true;
    for (;;) {
        size_t got = fread(piece.data(), 1, piece.size(), in);
        if (got == 0) {
            ok = !ferror(in);
            break;
        }
        if (gzwrite(out, piece.data(), static_cast<unsigned>(got)) != static_cast<int>(got)) {
            ok = false;
            break;
        }
    }
    fclose(in);
    if (gzclose(out) != Z_OK) ok = false;
    if (!ok) {
        DeleteFileA(target.c_str());
        return 0;
    }
    DeleteFileA(name);
    return 1;
}

int cOnlineClient::MakeCryptCopy(const char* name) {
    if (!name || !name[0]) return 0;
    std::string bytes;
    if (!ReadWholeFile(name, &bytes)) return 0;
    // Padded with 0xFD, as the database download strips it again.
    std::string sealed = EncipherPadded(bytes, 0xFD);
    const std::string copy = online::CryptCopyName(name);
    return WriteWholeFile(copy, sealed.data(), sealed.size()) ? 1 : 0;
}
