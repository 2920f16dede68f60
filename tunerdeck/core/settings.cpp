#include "settings.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstring>

#include "agent_control.h"
#include "bounded_text.h"
#include "debug_log.h"
#include "internet.h"
#include "player_globals.h"
#include "profiles.h"
#include "registry.h"
#include "settings_blob.h"
#include "xml_core.h"
#include "shared_data.h"

namespace {

constexpr const char* kSettingsValue = "VLSettings";
constexpr unsigned long kMaxSettingsBlob = 1024 * 1024;
constexpr int kAny = INT_MIN;   // a range bound that lets everything in

// Size of a binary value of the settings key; 0 when missing.
unsigned long StoredSize(const char* name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, GetSettingsKeyName(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return 0;
    bk::ScopedRegKey key(raw);
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return 0;
    return size;
}

std::string UnescapeOnce(std::string value) {
    XmlUnescapeEntities(&value);
    return value;
}

// The record as the log may show it: the proxy password blanked out.
std::string MaskedForLog(const std::string& xml) {
    std::string out = xml;
    size_t begin = 0, end = 0;
    if (td::FindElement(out, "UserPasswortAuth", nullptr, &begin, &end))
        out.replace(begin, end - begin, "<UserPasswortAuth>***</UserPasswortAuth>");
    return out;
}

}  // namespace

cSettings::cSettings() {
    BuildFields();
    Defaults();
    Load();
    if (language_ == 0) language_ = 1;
}

cSettings::~cSettings() { Save(); }

void cSettings::BuildFields() {
    // The record's element order; numbers outside [lo, hi] keep the default
    // (the ranges the settings pages offer).
    fields_ = {
        {"AutoStart", Kind::Short, &autoStart_, kAny, 0},
        {"SearchExtra", Kind::Short, &searchExtra_, kAny, 0},
        {"UseControlCenter", Kind::Int, &useControlCenter_, kAny, 0},
        {"UseLokal", Kind::Short, &useLokal_, kAny, 0},
        {"DBTime", Kind::Text, &dbTime_, 0, 0},
        {"VLUrl", Kind::Text, &vlUrl_, 0, 0},
        {"PID", Kind::Text, &pid_, 0, 0},
        {"AdBannerUrl", Kind::Text, &adBannerUrl_, 0, 0},
        {"AdBannerUrl_ENG", Kind::Text, &adBannerUrlEng_, 0, 0},
        {"AdBannerCX", Kind::Int, &adBannerCX_, kAny, 0},
        {"AdBannerCY", Kind::Int, &adBannerCY_, kAny, 0},
        {"UserAction", Kind::Records, &userActions_, 0, 0},
        {"NavOpen", Kind::Short, &navOpen_, kAny, 0},
        {"Screen", Kind::Short, &screen_, kAny, 0},
        {"UseToolTip", Kind::Int, &useToolTip_, kAny, 0},
        {"UseAutoUpdate", Kind::Int, &useAutoUpdate_, kAny, 0},
        {"BufferSize", Kind::Int, &bufferSize_, 1, 90},
        {"MaxResentList", Kind::Int, &maxResentList_, kAny, 0},
        {"MaxTimerEditList", Kind::Int, &maxTimerEditList_, kAny, 0},
        {"ReconnectOnServerLost", Kind::Short, &reconnectOnServerLost_, kAny, 0},
        {"RetryCount", Kind::Int, &retryCount_, 0, 9},
        {"Internetaccess", Kind::Int, &internetaccess_, kAny, 0},
        {"AutoselectBandbreite", Kind::Short, &autoselectBandbreite_, kAny, 0},
        {"Timeout", Kind::Int, &timeout_, 20, 90},
        {"AlterNeueSender", Kind::Short, &alterNeueSender_, 1, 30},
        {"RecordingDir", Kind::Text, &recordingDir_, 0, 0},
        {"UseRecording", Kind::Int, &useRecording_, kAny, 0},
        {"ProxyHost", Kind::Text, &proxyHost_, 0, 0},
        {"ProxyPort", Kind::Text, &proxyPort_, 0, 0},
        {"ProxyEnabled", Kind::Int, &proxyEnabled_, kAny, 0},
        {"HTTP_Only", Kind::Int, &httpOnly_, kAny, 0},
        {"NAVAnimEnabled", Kind::Int, &navAnimEnabled_, kAny, 0},
        {"UserNameAuth", Kind::Text, &userNameAuth_, 0, 0},
        {"UserPasswortAuth", Kind::Text, &userPasswortAuth_, 0, 0},
        {"UseAuthentify", Kind::Int, &useAuthentify_, kAny, 0},
        {"IconizeToTray", Kind::Int, &iconizeToTray_, kAny, 0},
        {"RecordSkipSilents", Kind::Int, &recordSkipSilents_, kAny, 0},
        {"AdjustRecordVol", Kind::Int, &adjustRecordVol_, kAny, 0},
        {"RecordingDevice", Kind::Int, &recordingDevice_, kAny, 0},
        {"RecordingSource", Kind::Int, &recordingSource_, kAny, 0},
        {"AutoupdatePrgTipps", Kind::Int, &autoupdatePrgTipps_, kAny, 0},
        {"DeleteOldPrgTipps", Kind::Int, &deleteOldPrgTipps_, -1, 5},
        {"AutoCutMuster", Kind::Text, &autoCutMuster_, 0, 0},
        {"AutoCutType", Kind::Int, &autoCutType_, kAny, 0},
        {"AutoCutValue", Kind::Int, &autoCutValue_, kAny, 0},
        {"AutoCutFolder", Kind::Int, &autoCutFolder_, kAny, 0},
        {"QualityMuster", Kind::Text, &qualityMuster_, 0, 0},
        {"QualitySPS", Kind::Int, &qualitySPS_, kAny, 0},
        {"QualityBPS", Kind::Int, &qualityBPS_, kAny, 0},
        {"QualityNCH", Kind::Int, &qualityNCH_, kAny, 0},
        {"RecordingFormat", Kind::Int, &recordingFormat_, kAny, 0},
        {"MP3VBR", Kind::Int, &mp3VBR_, kAny, 0},
        {"MP3STEREO", Kind::Int, &mp3STEREO_, kAny, 0},
        {"MP3BPS", Kind::Int, &mp3BPS_, kAny, 0},
        {"NavWinCX", Kind::Int, &navWinCX_, kAny, 0},
        {"NavWinCY", Kind::Int, &navWinCY_, kAny, 0},
        {"VelmoAddy", Kind::Int, &velmoAddy_, kAny, 0},
        {"PodAutoUpdate", Kind::Int, &podAutoUpdate_, kAny, 0},
        {"PodAutoDownload", Kind::Int, &podAutoDownload_, kAny, 0},
        {"PodAutoDeleteFiles", Kind::Int, &podAutoDeleteFiles_, kAny, 0},
        {"PodDeletePodcasts", Kind::Int, &podDeletePodcasts_, kAny, 0},
        {"SplashURL", Kind::Text, &splashURL_, 0, 0},
        {"SplashCX", Kind::Int, &splashCX_, kAny, 0},
        {"SplashCY", Kind::Int, &splashCY_, kAny, 0},
        {"SplashURL_ENG", Kind::Text, &splashURLEng_, 0, 0},
        {"SplashCX_ENG", Kind::Int, &splashCXEng_, kAny, 0},
        {"SplashCY_ENG", Kind::Int, &splashCYEng_, kAny, 0},
        {"PodcastDir", Kind::Text, &podcastDir_, 0, 0},
    };
}

void cSettings::Defaults() {
    bk::ScopedLock lock(textLock_);
    for (const Field& f : fields_) {
        if (f.kind == Kind::Text) static_cast<char*>(f.member)[0] = 0;
        else if (f.kind == Kind::Records) static_cast<std::string*>(f.member)->clear();
        else *static_cast<int*>(f.member) = 0;
    }
    adBannerDefault_[0] = adBannerDefaultEng_[0] = 0;
    useControlCenter_ = 1;
    navOpen_ = 1;
    screen_ = 4;
    useToolTip_ = useAutoUpdate_ = 1;
    bufferSize_ = 15;
    maxResentList_ = 9;
    maxTimerEditList_ = 30;
    reconnectOnServerLost_ = 1;
    internetaccess_ = 2;
    timeout_ = 60;
    alterNeueSender_ = 5;
    useRecording_ = 1;
    navAnimEnabled_ = 1;
    recordSkipSilents_ = adjustRecordVol_ = 1;
    recordingDevice_ = recordingSource_ = -1;
    autoupdatePrgTipps_ = 1;
    autoCutValue_ = 10;
    podAutoUpdate_ = podAutoDownload_ = 1;
    podAutoDeleteFiles_ = podDeletePodcasts_ = 3;
    bk::TextCopy(pid_, sizeof pid_, "0");
    bk::TextCopy(vlUrl_, sizeof vlUrl_, kInterfaceHost);
    bk::TextFormat(recordingDir_, sizeof recordingDir_, "%s\\Aufnahmen", td::DocumentsFolder());
    bk::TextFormat(podcastDir_, sizeof podcastDir_, "%s\\Podcasts", td::DocumentsFolder());
    language_ = 1;
    firstStart_ = 1;
}

void cSettings::SetText(Text& member, const char* text) {
    bk::ScopedLock lock(textLock_);
    if (!bk::TextCopy(member, sizeof member, text)) WriteDebugLog("Settings: text cut to its capacity", 5);
}

bool cSettings::ApplyXml(const std::string& raw) {
    std::string setting;
    if (!td::FindElement(raw, "Setting", &setting)) return false;
    // The records are taken out first so that tags inside them can never
    // stand in for a setting.
    size_t begin = 0, end = 0;
    std::string records;
    if (td::FindElement(setting, "UserAction", &records, &begin, &end)) setting.erase(begin, end - begin);

    bk::ScopedLock lock(textLock_);
    userActions_ = records;
    for (const Field& f : fields_) {
        std::string value;
        if (f.kind == Kind::Records || !td::FindElement(setting, f.name, &value)) continue;
        if (f.kind == Kind::Text) {
            bk::TextCopy(static_cast<char*>(f.member), kTextCapacity, UnescapeOnce(value).c_str());
            continue;
        }
        int32_t number = 0;
        if (!td::ParseDecimal(value, &number)) continue;
        if (f.kind == Kind::Short && (number < SHRT_MIN || number > SHRT_MAX)) continue;
        if (f.lo != kAny && (number < f.lo || number > f.hi)) continue;
        *static_cast<int*>(f.member) = number;
    }
    maxResentList_ = 9;
    if (maxTimerEditList_ == 0) maxTimerEditList_ = 30;
    if (podAutoUpdate_ == 0) podAutoUpdate_ = 1;
    if (podAutoDownload_ == 0) podAutoDownload_ = 1;
    if (podAutoDeleteFiles_ == 0) podAutoDeleteFiles_ = 3;
    if (podDeletePodcasts_ == 0) podDeletePodcasts_ = 3;
    bk::TextCopy(adBannerDefault_, sizeof adBannerDefault_, adBannerUrl_);
    bk::TextCopy(adBannerDefaultEng_, sizeof adBannerDefaultEng_, adBannerUrlEng_);
    return true;
}

void cSettings::Load() {
    unsigned long size = StoredSize(kSettingsValue);
    WriteDebugLogF(7, "Settings size: %lu", size);
    if (size > kMaxSettingsBlob) size = 0;
    Defaults();

    std::vector<unsigned char> blob(size + 100, 0);
    unsigned long got = static_cast<unsigned long>(blob.size());
    if (size > 0) GetBinary(kSettingsValue, blob.data(), &got);
    else got = 0;
    if (got > 0) {
        WriteDebugLog("Settings gelesen - ok", 7);
        std::string xml;
        td::OpenResult r = td::OpenSettings(blob.data(), got, &xml);
        bool loaded = false;
        if (r == td::OpenResult::CrcMismatch || r == td::OpenResult::TooShort) {
            WriteDebugLog("Settings CRC-CHECKFAILED", 1);
        } else if (r == td::OpenResult::Ok) {
            WriteDebugLogF(7, "Settings interpret as XML [%s]", MaskedForLog(xml).c_str());
            try {
                if (ApplyXml(xml)) {
                    WriteDebugLog("Settings XML ok", 7);
                    WriteDebugLog("Settings checked ok", 7);
                    firstStart_ = 0;
                    loaded = true;
                } else {
                    WriteDebugLog("Settings xml failed", 1);
                }
            } catch (const std::exception&) {
                WriteDebugLog("Settings EXCEPTION while match to xml", 1);
            }
        } else {
            WriteDebugLog("Settings xml failed", 1);
        }
        // Saving will write over the record: the user's old one is kept
        // aside so it can still be recovered by hand.
        if (!loaded) SetBinary(kBadRecordValue, blob.data(), got);
    }

    CheckFolder(recordingDir_, "Aufnahmen");
    CheckFolder(podcastDir_, "Podcasts");
    AddBrowsableFolder(recordingDir_);
    AddBrowsableFolder(podcastDir_);
    SetText(vlUrl_, kInterfaceHost);
    unsigned long language = 0;
    GetValue("Language", &language);
    int lang = static_cast<int>(language);
    language_ = (lang == 1 || lang == 2) ? lang : 1;
    if (strlen(qualityMuster_) < 2) {
        char names[4096] = {};
        ReadFormate(names, sizeof names);
        names[sizeof names - 1] = 0;
        SetText(qualityMuster_, names);
    }
    LoadQuality();
    ApplyProxy();
}

void cSettings::CheckFolder(Text& member, const char* fallbackName) {
    if (strlen(member) < 2) SetText(member, td::ProgramFolder());
    char probe[kTextCapacity + 32];
    bk::TextFormat(probe, sizeof probe, "%s\\vl_dummy_.tst", member);
    HANDLE h = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return;
    }
    char fallback[kTextCapacity];
    bk::TextFormat(fallback, sizeof fallback, "%s\\%s", td::DocumentsFolder(), fallbackName);
    SetText(member, fallback);
}

void cSettings::LoadQuality() {
    int sps = 0, bps = 0, nch = 0;
    GetRecQualitySettings(qualityMuster_, &sps, &bps, &nch, nullptr);
    qualitySPS_ = sps;
    qualityBPS_ = bps;
    qualityNCH_ = nch;
}

std::string cSettings::BuildXml() {
    std::string xml = "<?xml version=\"1.0\"?><Setting>";
    bk::ScopedLock lock(textLock_);
    for (const Field& f : fields_) {
        std::string value;
        if (f.kind == Kind::Text) value = XmlEscaped(static_cast<const char*>(f.member));
        else if (f.kind == Kind::Records) value = *static_cast<const std::string*>(f.member);
        else value = std::to_string(*static_cast<const int*>(f.member));
        xml += "<";
        xml += f.name;
        xml += ">" + value + "</";
        xml += f.name;
        xml += ">";
        if (strcmp(f.name, "PodAutoDeleteFiles") == 0) xml += "/d";
    }
    xml += "</Setting>";
    return xml;
}

void cSettings::Save() {
    std::vector<unsigned char> blob = td::SealSettings(BuildXml());
    SetBinary(kSettingsValue, blob.data(), static_cast<unsigned long>(blob.size()));
    SetValue("Language", language_);
    ApplyProxy();
}

void cSettings::ApplyProxy() {
    char host[kTextCapacity];
    char port[kTextCapacity];
    {
        bk::ScopedLock lock(textLock_);
        bk::TextCopy(host, sizeof host, proxyHost_);
        bk::TextCopy(port, sizeof port, proxyPort_);
    }
    char address[kTextCapacity] = {};
    if (host[0]) {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) == 0) {
            addrinfo hints = {};
            hints.ai_family = AF_INET;
            addrinfo* result = nullptr;
            if (getaddrinfo(host, nullptr, &hints, &result) == 0 && result) {
                auto* in = reinterpret_cast<sockaddr_in*>(result->ai_addr);
                inet_ntop(AF_INET, &in->sin_addr, address, sizeof address);
                freeaddrinfo(result);
            }
            WSACleanup();
        }
    }
    SetProxySettings(address[0] ? address : host, port, static_cast<unsigned long>(proxyEnabled_),
                     static_cast<unsigned long>(httpOnly_));
}

void cSettings::SetUseControlCenter(int v) {
    useControlCenter_ = v;
    if (v == 1) StartAgent(1);
    else CloseAgent(1);
}

void cSettings::SetAdBannerUrl(const char* text) {
    if (text && strcmp(text, "-1") == 0) SetText(adBannerUrl_, adBannerDefault_);
    else SetText(adBannerUrl_, text);
}

void cSettings::SetAdBannerUrl_ENG(const char* text) {
    if (text && strcmp(text, "-1") == 0) SetText(adBannerUrlEng_, adBannerDefaultEng_);
    else SetText(adBannerUrlEng_, text);
}

void cSettings::SetAdBannerDefaults(const char* url, const char* urlEng) {
    SetText(adBannerDefault_, url);
    SetText(adBannerDefaultEng_, urlEng);
}

int cSettings::IsFirstStart() { return static_cast<int>(InterlockedExchange(&firstStart_, 0)); }

void cSettings::SetQualityMuster(const char* name) {
    SetText(qualityMuster_, name);
    LoadQuality();
}

void cSettings::SetAutoCutMuster(const char* name) {
    SetText(autoCutMuster_, name);
    int type = 0, value = 0, folder = 0;
    GetAutoCutSettings(autoCutMuster_, &type, &value, &folder, nullptr);
    autoCutType_ = type;
    autoCutValue_ = value;
    autoCutFolder_ = folder;
}

std::string cSettings::GetPendingUserActions() {
    bk::ScopedLock lock(textLock_);
    return userActions_;
}

void cSettings::SetPendingUserActions(const std::string& records) {
    bk::ScopedLock lock(textLock_);
    userActions_ = records;
}
