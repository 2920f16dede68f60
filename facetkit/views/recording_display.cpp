#include "recording_display.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "encoder_notices.h"
#include "library_state.h"
#include "list_store.h"
#include "recording_record.h"
#include "skin_wnd.h"
#include "skindata.h"
#include "textutil.h"
#include "timerentry.h"
#include "view_notices.h"

namespace {
RecordingPopups g_popups;
char g_song[1024];
CRITICAL_SECTION* SongLock() {
    static CRITICAL_SECTION cs;
    static bool init = (InitializeCriticalSection(&cs), true);
    (void)init;
    return &cs;
}

// A piece number: a number other than 0, or a text ending in the digit 0.
bool IsPieceNumber(const std::string& s) {
    if (s.empty()) return false;
    return atoi(s.c_str()) != 0 || s.back() == '0';
}
}  // namespace

void SetRecordingPopups(const RecordingPopups& popups) { g_popups = popups; }
RecordingPopups GetRecordingPopups() { return g_popups; }

std::vector<std::string> RecordingPieceFiles(const char* path, int pieces, int firstPiece) {
    std::vector<std::string> files;
    if (!path || !*path) return files;
    files.push_back(path);
    if (pieces < 2) return files;
    std::string base = path, ext;
    const size_t slash = base.find_last_of("\\/");
    const size_t dot = base.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        ext = base.substr(dot + 1);
        base.erase(dot);
    }
    const size_t us = base.rfind('_');
    if (us != std::string::npos && (slash == std::string::npos || us > slash) && IsPieceNumber(base.substr(us + 1)))
        base.erase(us);
    // The host numbers at most a few hundred pieces; a wild count from the
    // record must not make this a long walk.
    const long long last = static_cast<long long>(firstPiece) + (pieces > 1000 ? 1000 : pieces);
    for (long long n = static_cast<long long>(firstPiece) + 1; n < last; ++n)
        files.push_back(base + "_" + std::to_string(n) + (ext.empty() && dot == std::string::npos ? "" : "." + ext));
    return files;
}

std::string RecommendThanksText(int kind, const char* itemText, int language) {
    char format[1024] = {}, out[2048] = {};
    std::string item = itemText ? itemText : "";
    switch (kind) {
    case 1: {
        const size_t a = item.find('\x02');
        if (a != std::string::npos) {
            item[a] = '-';
            const size_t b = item.find('\x02', a + 1);
            if (b != std::string::npos) item.erase(b);
        }
    }
        // fall through
    case 2:
        GetResourceString(nullptr, 121, language, format, sizeof format);
        bk::TextFormat(out, sizeof out, format, item.c_str());
        break;
    case 3:
        GetResourceString(nullptr, 387, language, format, sizeof format);
        bk::TextFormat(out, sizeof out, format, "velmirant-Player");
        break;
    case 4: GetResourceString(nullptr, 388, language, out, sizeof out); break;
    case 5: GetResourceString(nullptr, 556, language, out, sizeof out); break;
    default: break;
    }
    return out;
}

std::string PercentEncoded(const char* value) {
    std::string out;
    const char* hex = "0123456789ABCDEF";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(value ? value : ""); *p; ++p) {
        if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '-' ||
            *p == '_' || *p == '.' || *p == '~') {
            out += static_cast<char>(*p);
        } else {
            out += '%';
            out += hex[*p >> 4];
            out += hex[*p & 15];
        }
    }
    return out;
}

std::string BuildSongLink(const char* base, const char* song) {
    std::string link = base ? base : "";
    link += "?song=" + PercentEncoded(song);
    if (link.size() > 4095) link.resize(4095);
    return link;
}

void OnRecordingState(void* data, int started) {
    if (started) {
        SetRecordingFlag(1);
        char* text = static_cast<char*>(data);
        if (NavWindowObject() && text) {
            char f[5][100] = {};
            char* parts[5] = {f[0], f[1], f[2], f[3], f[4]};
            int count = 5;
            ConvertListToArray(text, parts, &count, sizeof f[0]);
            if (g_popups.recordingView) g_popups.recordingView(1, f[0], f[1], atoi(f[2]), atoi(f[3]), atoi(f[4]));
        }
        delete[] text;
        return;
    }
    SetRecordingFlag(0);
    auto* record = static_cast<RecordingStartRecord*>(data);
    if (record) {
        record->name[sizeof record->name - 1] = 0;
        record->folder[sizeof record->folder - 1] = 0;
        int keep = 1;
        if (!GetSuppressNotice() && g_popups.recordSaved) keep = g_popups.recordSaved(record);
        if (!keep) {
            if (AskCatalogueQuestion(213, false, 257)) {
                for (const std::string& file : RecordingPieceFiles(record->name, record->pieceCount, record->firstPiece))
                    DeleteFileA(file.c_str());
                if (record->createFolder == 1 && record->folder[0]) RemoveDirectoryA(record->folder);
            }
        }
        HeapFree(GetProcessHeap(), 0, record);
    }
    SetSuppressNotice(0);
    if (NavWindowObject()) {
        if (g_popups.recordingView) g_popups.recordingView(0, "", "", 0, 0, 0);
        HostCallback(46, 0, nullptr);
    }
}

void Recommend(int kind, int id, const char* text) {
    char item[1024];
    bk::TextCopy(item, text ? text : "");
    RecommendRecord record = {};
    record.kind = kind;
    record.id = id;
    record.item = item;
    if (!g_popups.recommend || !g_popups.recommend(&record, item)) return;
    record.kind = kind;
    HostCallback(36, 0, &record);
    if (record.kind == 1) {
        char sent[512];
        UiText(122, sent, sizeof sent);
        std::string message = std::string(sent) + "\n\n\n" + RecommendThanksText(kind, item, UiLanguage());
        NoticeRequest request;
        request.text = message.c_str();
        request.titleSprite = 235;
        ShowNoticeModal(request);
    } else {
        char failed[256];
        UiText(188, failed, sizeof failed);
        MessageBoxA(nullptr, failed, "velmirant-Player", MB_OK);
    }
}

void RecommendTimerEntry(int position) {
    char name[cTimerEntry::TEXT_SIZE];
    {
        cListStore& store = GetListStore();
        EnterCriticalSection(store.Lock());
        auto* e = position >= 0 ? static_cast<cTimerEntry*>(store.List(LS_TIMER_ENTRIES)->GetByIndex(position)) : nullptr;
        if (e) bk::TextCopy(name, e->GetName());
        LeaveCriticalSection(store.Lock());
        if (!e) return;
    }
    // The pop-up finds the entry by its place in the list.
    Recommend(4, position, name);
    Sleep(0);
}

void SetSongText(const char* text) {
    EnterCriticalSection(SongLock());
    g_song[0] = 0;
    if (text) bk::TextCopy(g_song, text);
    LeaveCriticalSection(SongLock());
}

void OpenSongLink() {
    cSkinWnd* main = MainWindowObject();
    if (!main) return;
    char song[1024];
    EnterCriticalSection(SongLock());
    bk::TextCopy(song, g_song);
    LeaveCriticalSection(SongLock());
    char link[4096];
    bk::TextCopy(link, BuildSongLink(main->GetSkinData()->GetSongKaufenURL(), song).c_str());
    HostCallback(5, 0, link);
}

void OpenWavConverter() {
    int32_t usable = 0;
    HostCallback(67, 0, &usable);
    if (!usable) {
        ShowNotice(1, 2);
        usable = 0;
        HostCallback(67, 0, &usable);
    }
    if (!usable || !NavWindowObject()) return;
    if (g_popups.wavConverter)
        g_popups.wavConverter();
    else
        HostLog(7, "WAV converter not available");
}
