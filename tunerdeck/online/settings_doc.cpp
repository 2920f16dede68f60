#include "settings_doc.h"

#include <cstring>
#include <ctime>

#include "xml_templates.h"

// ---------------------------------------------------------------- listening records

void cListenActionDoc::SetField(std::string name, std::string value) {
    std::string* m = name == "ListenStart" ? &ListenStart : name == "ListenStop" ? &ListenStop
                   : name == "ConnectTime" ? &ConnectTime : name == "StreamID" ? &StreamID
                   : name == "Typ" ? &Typ : name == "Quality" ? &Quality : name == "UserURL" ? &UserURL
                   : name == "SkinID" ? &SkinID : nullptr;
    if (m) *m = value;
}

void cListenActionDoc::Parse(const std::string& action) {
    static const char* const names[] = {"ListenStart", "ListenStop", "ConnectTime", "StreamID",
                                        "Typ",         "Quality",    "UserURL",     "SkinID"};
    for (const char* n : names) {
        std::string v;
        if (GetElementValue(action, n, &v)) SetField(n, v);
    }
}

// ---------------------------------------------------------------- settings record

const char* const cSettingsDoc::kElementNames[kElements] = {
    "AutoStart", "SearchExtra", "UseControlCenter", "UseLokal", "DBTime", "VLUrl", "PID", "AdBannerUrl",
    "AdBannerUrl_ENG", "AdBannerCX", "AdBannerCY", "UserAction", "NavOpen", "Screen", "UseToolTip",
    "UseAutoUpdate", "BufferSize", "MaxResentList", "MaxTimerEditList", "ReconnectOnServerLost", "RetryCount",
    "Internetaccess", "AutoselectBandbreite", "Timeout", "AlterNeueSender", "RecordingDir", "UseRecording",
    "ProxyHost", "ProxyPort", "ProxyEnabled", "HTTP_Only", "NAVAnimEnabled", "UserNameAuth", "UserPasswortAuth",
    "UseAuthentify", "IconizeToTray", "RecordSkipSilents", "AdjustRecordVol", "RecordingDevice",
    "RecordingSource", "AutoupdatePrgTipps", "DeleteOldPrgTipps", "AutoCutMuster", "AutoCutType", "AutoCutValue",
    "AutoCutFolder", "QualityMuster", "QualitySPS", "QualityBPS", "QualityNCH", "RecordingFormat", "MP3VBR",
    "MP3STEREO", "MP3BPS", "NavWinCX", "NavWinCY", "VelmoAddy", "PodAutoUpdate", "PodAutoDownload",
    "PodAutoDeleteFiles", "PodDeletePodcasts", "SplashURL", "SplashCX", "SplashCY", "SplashURL_ENG",
    "SplashCX_ENG", "SplashCY_ENG", "PodcastDir"};

namespace {
constexpr int kUserAction = 11;
int IndexOf(const std::string& name) {
    for (int i = 0; i < cSettingsDoc::kElements; ++i)
        if (name == cSettingsDoc::kElementNames[i]) return i;
    return -1;
}
}  // namespace

cSettingsDoc::cSettingsDoc(const std::string& documentsFolder) {
    static const struct {
        const char* name;
        const char* value;
    } defaults[] = {{"UseControlCenter", "1"}, {"NAVAnimEnabled", "1"},     {"RecordSkipSilents", "1"},
                    {"AdjustRecordVol", "1"},  {"RecordingDevice", "-1"},   {"RecordingSource", "-1"},
                    {"AutoupdatePrgTipps", "1"}, {"DeleteOldPrgTipps", "0"}, {"UseRecording", "1"},
                    {"VelmoAddy", "1"},        {"PodAutoUpdate", "1"},      {"PodAutoDownload", "1"},
                    {"PodAutoDeleteFiles", "3"}, {"PodDeletePodcasts", "3"}};
    for (const auto& d : defaults) values[IndexOf(d.name)] = d.value;
    values[IndexOf("PodcastDir")] = documentsFolder + "\\Podcast";
}

void cSettingsDoc::SetField(std::string name, std::string value) {
    int i = IndexOf(name);
    // Rows 1-11, 13-42 and 58-61 of the record (0-based 0-10, 12-41, 57-60).
    if ((i >= 0 && i <= 10) || (i >= 12 && i <= 41) || (i >= 57 && i <= 60)) values[i] = value;
}

void cSettingsDoc::Parse(const std::string& text) {
    std::string content;
    if (!GetElementText(text, "Setting", &content)) return;
    for (int i = 0; i < kElements; ++i) {
        if (i == kUserAction) continue;
        GetElementValue(content, kElementNames[i], &values[i]);
    }
    std::string userAction;
    if (!GetElementText(content, "UserAction", &userAction)) return;
    size_t pos = 0;
    std::string one;
    while (NextElementText(userAction, "Action", &one, &pos)) {
        std::unique_ptr<cListenActionDoc> a(new cListenActionDoc);
        a->Parse(one);
        actions.push_back(std::move(a));
    }
    if (actions.size() > kMaxListenActions) actions.erase(actions.begin(), actions.end() - kMaxListenActions);
}

const std::string* cSettingsDoc::Get(const std::string& name) const {
    int i = IndexOf(name);
    return i < 0 || i == kUserAction ? nullptr : &values[i];
}

// ---------------------------------------------------------------- CUSERACTION

CUSERACTION::CUSERACTION(const ListenRecord& r)
    : start_(r.start), stop_(r.stop), connect_(r.connectTime), streamId_(r.streamId), userUrl_(r.userUrl),
      typ_(r.streamId == -1 ? 1 : 0), skinId_(r.skinId), quality_(r.quality) {}

void CUSERACTION::GetActionXml(std::string* out) const {
    if (!out) return;
    *out = FormatTemplate(XmlTemplate(13), {std::to_string(static_cast<int32_t>(start_)),
                                            std::to_string(static_cast<int32_t>(stop_)), std::to_string(connect_),
                                            std::to_string(streamId_), std::to_string(typ_),
                                            std::to_string(quality_), XmlEscaped(userUrl_), XmlEscaped(skinId_)});
}

// ---------------------------------------------------------------- cListenTimer

cListenTimer::cListenTimer() { Restart(static_cast<uint32_t>(time(nullptr))); }

void cListenTimer::Restart(uint32_t nowSeconds) {
    startTick_ = Ticks();
    startTime_ = nowSeconds;
    connectDelay_ = duration_ = startupDelay_ = 0;
}

uint32_t cListenTimer::Ticks() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Tick differences are taken unsigned, so a wrap of the counter does no harm.
void cListenTimer::OnConnected() {
    connectDelay_ = Ticks() - startTick_;
    duration_ = 0;
    startupDelay_ = 0;
}

void cListenTimer::OnFirstData() {
    if (startupDelay_ == 0) startupDelay_ = Ticks() - startTick_ - connectDelay_;
}

int cListenTimer::OnStop(int32_t quality) {
    if (duration_ != 0) return 0;
    quality_ = quality;
    duration_ = Ticks() - startTick_;
    if (startupDelay_ == 0) startupDelay_ = duration_ - connectDelay_;
    return 1;
}

// ---------------------------------------------------------------- byte cursors

namespace {
bool Room(const unsigned char* at, const unsigned char* end, size_t n) {
    return at && end && at <= end && static_cast<size_t>(end - at) >= n;
}
}  // namespace

bool PutUInt16ToBuffer(uint16_t value, unsigned char** cursor, const unsigned char* end) {
    if (!cursor || !Room(*cursor, end, 2)) return false;
    (*cursor)[0] = static_cast<unsigned char>(value);
    (*cursor)[1] = static_cast<unsigned char>(value >> 8);
    *cursor += 2;
    return true;
}

bool PutUInt32ToBuffer(uint32_t value, unsigned char** cursor, const unsigned char* end) {
    if (!cursor || !Room(*cursor, end, 4)) return false;
    for (int i = 0; i < 4; ++i) (*cursor)[i] = static_cast<unsigned char>(value >> (8 * i));
    *cursor += 4;
    return true;
}

bool WriteCountedString(const char* text, unsigned char** cursor, const unsigned char* end) {
    size_t len = text ? strlen(text) : 0;
    if (len > 0xFFFF || !cursor || !Room(*cursor, end, 2 + len + 1)) return false;
    PutUInt16ToBuffer(static_cast<uint16_t>(len), cursor, end);
    if (len) memcpy(*cursor, text, len);
    (*cursor)[len] = 0;
    *cursor += len;
    return true;
}

bool WriteCountedBlob(const void* bytes, uint32_t length, unsigned char** cursor, const unsigned char* end) {
    if (!cursor || !Room(*cursor, end, 4 + static_cast<size_t>(length)) || (length && !bytes)) return false;
    PutUInt32ToBuffer(length, cursor, end);
    if (length) memcpy(*cursor, bytes, length);
    *cursor += length;
    return true;
}

bool ReadUInt16(const unsigned char** cursor, const unsigned char* end, uint16_t* value) {
    if (!cursor || !Room(*cursor, end, 2)) return false;
    uint16_t v = static_cast<uint16_t>((*cursor)[0] | ((*cursor)[1] << 8));
    if (value) *value = v;
    *cursor += 2;
    return true;
}

bool ReadUInt32(const unsigned char** cursor, const unsigned char* end, uint32_t* value) {
    if (!cursor || !Room(*cursor, end, 4)) return false;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | (*cursor)[i];
    if (value) *value = v;
    *cursor += 4;
    return true;
}

int32_t ReadCountedString(const unsigned char** cursor, const unsigned char* end, char* buffer, size_t capacity) {
    if (!cursor || !Room(*cursor, end, 2)) return -1;
    uint16_t len = static_cast<uint16_t>((*cursor)[0] | ((*cursor)[1] << 8));
    if (!Room(*cursor + 2, end, len)) return -1;
    if (!buffer) return len;
    if (capacity < static_cast<size_t>(len) + 1) return -1;
    memcpy(buffer, *cursor + 2, len);
    buffer[len] = 0;
    *cursor += 2 + len;
    return len;
}

int64_t ReadCountedBlob(const unsigned char** cursor, const unsigned char* end, void* buffer, size_t capacity) {
    const unsigned char* at = cursor ? *cursor : nullptr;
    uint32_t len = 0;
    if (!ReadUInt32(&at, end, &len) || !Room(at, end, len)) return -1;
    if (!buffer) return len;
    if (capacity < len) return -1;
    if (len) memcpy(buffer, at, len);
    *cursor = at + len;
    return len;
}
