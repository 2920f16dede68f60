#include "protocol_commands.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "address_decoding.h"
#include "bounded_text.h"
#include "list_store.h"
#include "recording_record.h"
#include "textutil.h"
#include "timerentry.h"
#include "webparse.h"

namespace {

bool SameWord(const std::string& a, const char* b) {
    if (a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != b[i]) return false;
    }
    return true;
}

void ChannelId(cProtocolTarget& t, const ProtocolFields& f) {
    const unsigned long channel = ProtocolUnsigned(f.Get(2));
    const unsigned long last = t.LastChannelId();
    if (t.IsRecording()) {
        if (channel == last) return;
        if (!f.Has(4)) {
            // The window's own handler asks whether the recording may end.
            t.PostPlayChannel(channel);
            return;
        }
        cTimerEntry entry;
        if (t.GetTimerEntry(ProtocolSigned(f.Get(4)), &entry)) t.StartTimerJobQuestion(channel, entry);
        return;
    }
    if (f.Has(3)) {
        if (ProtocolSigned(f.Get(3)) == 1 && (channel != last || !t.IsPlaying())) {
            cTimerEntry entry;
            const bool known = f.Has(4) && t.GetTimerEntry(ProtocolSigned(f.Get(4)), &entry);
            t.ShowTimerNotice(known ? &entry : nullptr);
        }
        t.SaveTimerList();
    }
    if (channel != last || !t.IsPlaying()) t.Callback(1, static_cast<int>(channel), nullptr);
}

void RecStart(cProtocolTarget& t, const ProtocolFields& f) {
    if (f.Has(3)) t.SaveTimerList();
    const long id = f.Has(4) ? ProtocolSigned(f.Get(4)) : 0;
    cTimerEntry entry;
    if (!t.GetTimerEntry(id, &entry)) return;
    const unsigned long last = t.LastChannelId();
    if (f.Has(4) && entry.GetChannelID() == last && t.IsPlaying() && t.RecordingBlocks(id)) return;
    if (f.Has(4) && entry.GetChannelID() != last) {
        t.Callback(1, static_cast<int>(entry.GetChannelID()), nullptr);
        t.Pause(1000);
    }
    auto* record = static_cast<RecordingStartRecord*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY,
                                                                sizeof(RecordingStartRecord)));
    if (!record) return;
    // The host makes the file name from this title: a link must not be able
    // to place the recording outside the recording folder.
    bk::TextCopy(record->name, sizeof record->name, f.Get(2) ? f.Get(2) : "");
    EnsureFileName(record->name);
    if (f.Has(4)) {
        record->timerEntryId = static_cast<int32_t>(id);
        record->createFolder = entry.GetCreateFolder();
        if (!entry.GetUseDefault()) {
            bk::TextCopy(record->cutProfile, sizeof record->cutProfile, entry.GetSchnittprofil());
            bk::TextCopy(record->quality, sizeof record->quality, entry.GetQualitaet());
            record->mp3Bitrate = static_cast<uint32_t>(entry.GetBitrate());
            record->mp3Channels = entry.GetKanaele();
            record->mp3Vbr = entry.GetVBR();
        } else {
            t.DefaultProfiles(record->quality, sizeof record->quality, record->cutProfile, sizeof record->cutProfile);
            record->mp3Bitrate = static_cast<uint32_t>(t.NumberSetting("MP3_Bitrate"));
            record->mp3Channels = static_cast<int32_t>(t.NumberSetting("STEREO_ART"));
            record->mp3Vbr = static_cast<int32_t>(t.NumberSetting("MP3_VBR"));
        }
    }
    t.StartRecording(record);
}

void CustomUrl(cProtocolTarget& t, const ProtocolFields& f) {
    t.PlayCustomUrl(static_cast<int>(ProtocolSigned(f.Get(3))), f.Get(2) ? f.Get(2) : "");
    char name[1024] = {};
    size_t length = 0;
    for (int i = 4; i <= 14 && f.Has(i); ++i) {
        if (length + f.field[i].size() >= 1020) break;
        if (i > 4) bk::TextAppend(name, " ");
        bk::TextAppend(name, f.field[i].c_str());
        length = strlen(name);
    }
    t.SetCurrentSelection(-1, name);
}

}  // namespace

bool StartParamsAskTheUser(const char* text) {
    if (!text) return false;
    ProtocolFields f;
    SplitProtocolText(text, strlen(text), &f);
    if (f.count < 2) return false;
    const std::string& key = f.field[1];
    return SameWord(key, "TIMER") || SameWord(key, "PODCAST") || SameWord(key, "ADDTOFAV") || SameWord(key, "SKINKEY");
}

bool BannerAddressAllowed(const char* address) {
    bk::UrlParts parts;
    if (!address || !bk::SplitUrl(address, strlen(address), &parts)) return false;
    // The address reader drops credentials in front of the host; here they
    // are refused: "http://trusted@other/" would pass for the trusted page.
    const char* authority = strstr(address, "//") + 2;
    return strcspn(authority, "@") >= strcspn(authority, "/?#");
}

void HandleStartParams(cProtocolTarget& t, const char* text) {
    if (!text) return;
    char line[512];
    bk::TextFormat(line, sizeof line, "Startparams got while running: %s", text);
    t.Log(line);

    ProtocolFields f;
    SplitProtocolText(text, strlen(text), &f);
    if (f.count < 2) return;
    t.BringToFront();
    if (!SameWord(f.field[0], "TUNERDECK") && !SameWord(f.field[0], "TUNERDECK:") &&
        !SameWord(f.field[0], "TUNERDECK://"))
        return;
    const std::string& key = f.field[1];

    if (SameWord(key, "STREAMID")) {
        t.PlayStream(ProtocolUnsigned(f.Get(2)));
    } else if (SameWord(key, "CHANNELID")) {
        ChannelId(t, f);
    } else if (SameWord(key, "SKINKEY")) {
        if (t.IsOemPlayer() || !t.ConfirmSkinFromLink()) return;
        char key2[1024];
        bk::TextCopy(key2, sizeof key2, f.Get(2) ? f.Get(2) : "");
        t.Callback(31, static_cast<int>(ProtocolSigned(f.Get(3))), key2);
        t.Pause(300);
        t.Close();
        t.Pause(100);
    } else if (SameWord(key, "INFO")) {
        if (f.Has(4) && BannerAddressAllowed(f.Get(4)))
            t.SetAdBanner(f.Get(4), static_cast<int>(ProtocolSigned(f.Get(2))),
                          static_cast<int>(ProtocolSigned(f.Get(3))));
    } else if (SameWord(key, "REC_START")) {
        RecStart(t, f);
    } else if (SameWord(key, "REC_STOP")) {
        t.SetSuppressNotice();
        if (f.Has(2)) t.SaveTimerList();
        t.Callback(39, 0, nullptr);
    } else if (SameWord(key, "PLAY_STOP")) {
        if (t.IsRecording()) t.SetSuppressNotice();
        if (f.Has(2)) t.SaveTimerList();
        t.Callback(3, 0, nullptr);
    } else if (SameWord(key, "QUIT")) {
        t.Close();
    } else if (SameWord(key, "CUSTOMURL")) {
        CustomUrl(t, f);
    } else if (SameWord(key, "SHUTDOWN")) {
        // Only a due shut-down entry of the user's own timer list may power
        // the computer off unattended; a text from a web link always asks.
        t.AskShutdown(t.ShutdownEntryDue());
    } else if (SameWord(key, "REMIND")) {
        t.ShowReminder(f.Get(2) ? f.Get(2) : "");
    } else if (SameWord(key, "TIMER")) {
        if (f.Has(2)) {
            std::string& name = f.field[2];
            std::vector<char> buf(name.begin(), name.end());
            buf.push_back(0);
            UrlDecodeUtf8(buf.data());
            name = buf.data();
        }
        const char* fields[9];
        for (int i = 0; i < 9; ++i) fields[i] = f.Get(i + 2);
        t.TimerEntryFromProtocol(fields);
    } else if (SameWord(key, "PODCAST")) {
        if (f.Has(2)) t.SubscribePodcast(f.Get(2));
    } else if (SameWord(key, "OPEN_EXT")) {
        t.SlideNavigator();
    } else if (SameWord(key, "ADDTOFAV")) {
        t.Callback(7, static_cast<int>(ProtocolSigned(f.Get(2))), nullptr);
        t.ShowFavouriteAdded();
    }
}
