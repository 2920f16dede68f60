#include "timerlist.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bounded_text.h"
#include "debugtext.h"
#include "inifile.h"
#include "timerentry.h"
#include "userfiles.h"

namespace {

const char kTimerFile[] = "clockwarden.ini";
const int kNameRetries = 5;
const DWORD kRetryPauseMs = 100;
const int kWriteAttempts = 6;

void AddKey(std::string* out, const char* key, const char* value) {
    *out += key;
    *out += '=';
    *out += bk::CleanIniText(value, false);
    *out += "\r\n";
}

void AddKey(std::string* out, const char* key, long long value) {
    char text[32];
    bk::TextFormat(text, sizeof text, "%lld", value);
    AddKey(out, key, text);
}

// A value read back through the profile API loses its outer blanks; a name
// that reads back empty would end the list there on the next load.
bool IsBlank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

void AddEntry(std::string* out, int section, cTimerEntry* e) {
    char header[32];
    bk::TextFormat(header, sizeof header, "[%d]\r\n", section);
    *out += header;
    std::string name = bk::CleanIniText(e->GetName(), false);
    if (IsBlank(name)) {
        name = bk::CleanIniText(e->GetSendername(), false);
        if (IsBlank(name)) name = "Timer " + std::to_string(section + 1);
        DebugLog(DL_WAR, "SaveTimerList - Eintrag %d ohne Namen, gespeichert als \"%s\"", section, name.c_str());
    }
    AddKey(out, "Name", name.c_str());
    AddKey(out, "StartTime", e->GetStartTime().GetTime());
    AddKey(out, "StopTime", e->GetStopTime().GetTime());
    AddKey(out, "RepeatEndTime", e->GetRepeatEndTime().GetTime());
    AddKey(out, "NextJobTime", e->GetNextJobTime().GetTime());
    // Ids of the user's own stations lie above 2^31: "%d" writes them
    // negative, as the file always held them.
    AddKey(out, "ChannelId", static_cast<int32_t>(e->GetChannelID()));
    AddKey(out, "Action", e->GetAction());
    AddKey(out, "DaysOfMonth", e->GetDayOfMonth());
    AddKey(out, "DaysFlag", e->GetDayFlag());
    AddKey(out, "ShowHints", e->GetShowHints());
    AddKey(out, "Repeat", e->GetWiederholung());
    AddKey(out, "EndRepeat", e->GetRepeatEnd());
    AddKey(out, "WiederholungsText", e->GetWiederholungTxt());
    AddKey(out, "Active", e->GetActive());
    AddKey(out, "StatusText", e->GetStatus());
    AddKey(out, "Log", e->GetLog());
    AddKey(out, "Run_OK", e->GetOK() ? 1 : 0);
    AddKey(out, "Zustand", e->GetZustand());
    AddKey(out, "CreateFolder", e->GetCreateFolder());
    AddKey(out, "Schnittprofil", e->GetSchnittprofil());
    AddKey(out, "Qualitaet", e->GetQualitaet());
    AddKey(out, "Bitrate", static_cast<int32_t>(e->GetBitrate()));
    AddKey(out, "Kanaele", e->GetKanaele());
    AddKey(out, "VBR", e->GetVBR());
    AddKey(out, "UseDefault", e->GetUseDefault());
    *out += "\r\n";
}

bool WriteWithRetry(const char* tmp, const std::string& text) {
    for (int attempt = 1; attempt <= kWriteAttempts; ++attempt) {
        if (attempt > 1) Sleep(kRetryPauseMs);
        if (bk::WriteWholeFile(tmp, text.data(), text.size())) return true;
        DebugLog(DL_WAR, "%s - Error %lu bei %s%s in Eintrag %s, Versuch: %d", "SaveTimerList", GetLastError(),
                 "WriteFile : ", tmp, "", attempt);
        SetLastError(0);
    }
    DebugLog(DL_ERR, "SaveTimerList - %s konnte nicht geschrieben werden", tmp);
    DeleteFileA(tmp);
    return false;
}

class Reader {
public:
    Reader(const bk::IniText& ini, int section) : ini_(ini) { bk::TextFormat(section_, sizeof section_, "%d", section); }
    // Values are cut as the profile API's fixed buffers cut them.
    std::string Text(const char* key, const char* fallback = "", size_t size = 1024) const {
        const std::string* v = ini_.Find(section_, key);
        std::string text = v ? *v : fallback;
        if (text.size() > size - 1) text.resize(size - 1);
        return text;
    }
    int Int(const char* key, const char* fallback = "", size_t size = 1024) const {
        return bk::ParseIniInt(Text(key, fallback, size).c_str());
    }
    // Written with "%d" or by hand as an unsigned number: both give the same
    // 32 bits.
    uint32_t U32(const char* key) const {
        return static_cast<uint32_t>(static_cast<uint64_t>(bk::ParseIniNumber(Text(key).c_str())));
    }

private:
    const bk::IniText& ini_;
    char section_[16];
};

cTimerEntry* ReadEntry(const bk::IniText& ini, int section, const std::string& name) {
    Reader r(ini, section);
    auto* e = new cTimerEntry;
    e->SetName(name.c_str());
    e->SetStartTime(cVLTime(r.Text("StartTime").c_str()));
    e->SetStopTime(cVLTime(r.Text("StopTime").c_str()));
    e->SetRepeatEndTime(cVLTime(r.Text("RepeatEndTime").c_str()));
    e->SetNextJobTime(cVLTime(r.Text("NextJobTime").c_str()));
    e->SetChannelID(r.U32("ChannelId"));
    e->SetAction(r.Int("Action"));
    e->SetDayOfMonth(r.Int("DaysOfMonth"));
    e->SetDayFlag(r.Int("DaysFlag"));
    e->SetShowHints(r.Int("ShowHints"));
    e->SetWiederholung(r.Int("Repeat"));
    e->SetRepeatEnd(r.Int("EndRepeat"));
    e->SetWiederholungTxt(r.Text("WiederholungsText").c_str());
    e->SetActive(r.Int("Active", "1"));
    e->SetId(static_cast<unsigned long>(section));
    e->SetStatus(r.Text("StatusText").c_str());
    e->SetLog(r.Int("Log", "0"), r.Int("Run_OK", "0", 100) > 0 ? 1 : 0);
    e->SetZustand(r.Int("Zustand", "0"));
    e->SetCreateFolder(r.Int("CreateFolder", "0"));
    e->SetSchnittprofil(r.Text("Schnittprofil").c_str());
    e->SetQualitaet(r.Text("Qualitaet").c_str());
    e->SetBitrate(r.U32("BitRate"));   // finds "Bitrate": keys ignore case
    e->SetKanaele(r.Int("Kanaele"));
    e->SetVBR(r.Int("VBR"));
    e->SetUseDefault(r.Int("UseDefault"));
    return e;
}

// A file edited by hand may have been saved as UTF-16 or UTF-8 with a byte
// order mark; the list is read in the program's code page.
std::string AsCodePage(const std::string& data) {
    auto fromWide = [](const wchar_t* w, int n) {
        std::string out;
        int size = WideCharToMultiByte(CP_ACP, 0, w, n, nullptr, 0, nullptr, nullptr);
        if (size <= 0) return out;
        out.resize(static_cast<size_t>(size));
        WideCharToMultiByte(CP_ACP, 0, w, n, &out[0], size, nullptr, nullptr);
        return out;
    };
    if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF && static_cast<unsigned char>(data[1]) == 0xFE) {
        std::wstring wide((data.size() - 2) / 2, L'\0');
        if (!wide.empty()) memcpy(&wide[0], data.data() + 2, wide.size() * 2);
        return fromWide(wide.data(), static_cast<int>(wide.size()));
    }
    if (data.size() >= 3 && data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        int n = MultiByteToWideChar(CP_UTF8, 0, data.data() + 3, static_cast<int>(data.size() - 3), nullptr, 0);
        if (n <= 0) return data.substr(3);
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, data.data() + 3, static_cast<int>(data.size() - 3), &wide[0], n);
        return fromWide(wide.data(), n);
    }
    return data;
}

// Sections the list did not take (behind a section without a name, or
// numbered out of line) would be gone with the next save: the file as it
// was is kept beside it and the loss reported.
void KeepUnreadSections(const char* path, const bk::IniText& ini, int loaded, const std::string& original) {
    std::string unread;
    for (const std::string& name : ini.SectionNames()) {
        char* end = nullptr;
        long n = strtol(name.c_str(), &end, 10);
        if (end && *end == 0 && !name.empty() && n >= 0 && n < loaded) continue;
        unread += "[" + name + "] ";
    }
    if (unread.empty()) return;
    std::string copy = std::string(path) + ".unread";
    std::string before;
    if (bk::ReadWholeFile(copy.c_str(), &before) && before == original) return;
    if (bk::WriteWholeFile(copy.c_str(), original.data(), original.size()))
        DebugLog(DL_ERR, "LoadTimerList - nicht gelesene Abschnitte %sbleiben in %s", unread.c_str(), copy.c_str());
    else
        DebugLog(DL_ERR, "LoadTimerList - nicht gelesene Abschnitte %skonnten nicht gesichert werden", unread.c_str());
}

}  // namespace

int SaveTimerListFile(cListe* list, const char* path) {
    DebugLog(DL_VER, "SaveTimerList - Eingang");
    if (!list || !path || !path[0]) return 0;
    // A list that refuses a walk (being destroyed) must not cost the user
    // the file.
    cIterator* it = list->GetIterator();
    if (!it) {
        DebugLog(DL_ERR, "SaveTimerList - Liste gesperrt, Datei bleibt unveraendert");
        return 0;
    }
    std::string text;
    int written = 0;
    while (cListElement* element = it->Next()) {
        auto* e = static_cast<cTimerEntry*>(element);
        if (e->GetLog() == TIMER_LOG_NOT_SAVED) continue;
        AddEntry(&text, written++, e);
    }
    list->FreeIterator(it);

    char tmp[1024 + 8];
    if (!bk::TempNameFor(path, tmp, sizeof tmp)) return 0;
    bk::UserFilesLock lock("SaveTimerList");
    if (!lock.Owned()) return 0;
    if (written == 0) {
        DeleteFileA(path);
        DebugLog(DL_VER, "SaveTimerList - Ausgang (leer)");
        return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
    }
    if (!WriteWithRetry(tmp, text) || !bk::ReplaceWithTemp(tmp, path, "SaveTimerList")) return 0;
    DebugLog(DL_VER, "SaveTimerList - Ausgang ...ok (%d)", written);
    return 1;
}

int LoadTimerListFile(cListe* list, const char* path) {
    DebugLog(DL_VER, "LoadTimerList - Eingang");
    if (!list || !path || !path[0]) return 0;
    int loaded = 0;
    // The file may be missing for a moment (another program that deletes it
    // before writing it anew): look again a few times, without holding the
    // lock meanwhile.
    for (int attempt = 0; attempt <= kNameRetries; ++attempt) {
        if (attempt > 0) Sleep(kRetryPauseMs);
        std::string data;
        {
            bk::UserFilesLock lock("LoadTimerList");
            if (!lock.Owned()) return 0;
            if (!bk::ReadWholeFile(path, &data)) continue;
        }
        std::string text = AsCodePage(data);
        bk::IniText ini(text.data(), text.size());
        std::string name = Reader(ini, 0).Text("Name");
        if (name.empty()) {
            if (attempt == kNameRetries) KeepUnreadSections(path, ini, 0, data);
            continue;
        }
        for (int i = 0; !name.empty(); name = Reader(ini, ++i).Text("Name")) {
            list->Add(ReadEntry(ini, i, name));
            ++loaded;
        }
        KeepUnreadSections(path, ini, loaded, data);
        break;
    }
    DebugLog(DL_VER, "LoadTimerList - Ausgang ...ok (%d)", loaded);
    return loaded;
}

int SaveTimerList(cListe* list) {
    char path[1024];
    if (!bk::UserFile(kTimerFile, path, sizeof path)) return 0;
    return SaveTimerListFile(list, path);
}

int LoadTimerList(cListe* list) {
    char path[1024];
    if (!bk::UserFile(kTimerFile, path, sizeof path)) return 0;
    return LoadTimerListFile(list, path);
}
