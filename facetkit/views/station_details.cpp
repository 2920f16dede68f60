#include "station_details.h"

#include <cstdio>
#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "library_state.h"
#include "list_store.h"
#include "skin_plugin.h"
#include "textutil.h"
#include "txtelement.h"
#include "view_notices.h"

namespace {

struct Locked {
    explicit Locked(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Locked() { LeaveCriticalSection(cs_); }
    CRITICAL_SECTION* cs_;
};

const char* TextOf(cListe* list, long id) {
    if (!list) return nullptr;
    auto* e = static_cast<cTxtElement*>(list->GetById(static_cast<unsigned long>(id)));
    if (!e) return nullptr;
    return e->GetText() ? e->GetText() : "";
}

cTextElement* NewTextEntry(unsigned long id, const char* text) {
    auto* e = new cTextElement();
    e->SetId(id);
    e->SetText(text);
    e->SetText2("");
    return e;
}

enum { kMaxIds = 100 };

}  // namespace

int TimeKnobLeft(int mostLeft, int mostRight, unsigned long position, unsigned long duration) {
    const long long travel = static_cast<long long>(mostRight) - mostLeft;
    if (duration == 0 || travel <= 0) return mostLeft;
    if (position > duration) position = duration;
    return static_cast<int>(mostLeft + travel * static_cast<long long>(position) / static_cast<long long>(duration));
}

void FormatPlayTime(unsigned long ms, char* out, size_t size) {
    const unsigned long s = ms / 1000, h = s / 3600, m = (s - h * 3600) / 60, sec = s - h * 3600 - m * 60;
    bk::TextFormat(out, size, "%02lu:%02lu:%02lu", h, m, sec);
}

void LastPlayedText(const char* title, const char* artist, char* out, size_t size) {
    if (!out || !size) return;
    out[0] = 0;
    if (!title) return;
    char history[2048];
    if (artist && strlen(artist) > 1)
        bk::TextFormat(history, sizeof history, "%s - %s", artist, title);
    else
        bk::TextCopy(history, sizeof history, title);
    // Blanks and dashes before the title are dropped; letters above 127
    // (accented ones) start it like any other letter.
    for (const char* p = history; *p; ++p) {
        if (static_cast<unsigned char>(*p) >= '0') {
            bk::TextCopy(out, size, p);
            return;
        }
    }
}

StationDetails::StationDetails() {
    InitializeCriticalSection(&lock_);
    Reset();
}

StationDetails::~StationDetails() { DeleteCriticalSection(&lock_); }

void StationDetails::ResetLocked() {
    stationId_ = 0;
    name_[0] = regions_[0] = genres_[0] = type_[0] = country_[0] = languages_[0] = 0;
    position_ = duration_ = 0;
    durationText_[0] = 0;
    currentTrack_ = 0;
    trackCount_ = 1;
    bitrate_ = 0;
    nominalBitrate_ = 0;
    stationLine_[0] = 0;
    tracks_.Delete();
    streams_.Delete();
    knobLeft_ = -1;
}

void StationDetails::Reset() {
    Locked l(&lock_);
    ResetLocked();
}

void StationDetails::Select(long stationId, const char* name) {
    Locked l(&lock_);
    ResetLocked();
    stationId_ = static_cast<int32_t>(stationId);
    bk::TextCopy(name_, name ? name : "");
}

void StationDetails::SetStationLine(const char* text) {
    if (!text) return;
    {
        Locked l(&lock_);
        if (strncmp(stationLine_, text, sizeof stationLine_ - 1) == 0 &&
            strlen(text) <= sizeof stationLine_ - 1)
            return;
        bk::TextCopy(stationLine_, text);
    }
    if (owner_) owner_->ShowStationLine(text);
}

void StationDetails::SetTrackCount(long n) {
    if (n > kMaxTracks) {
        HostLog(5, "memleak...trackanzahl zu hoch!!!!");
        n = kCutTracks;
        Sleep(0);
    }
    if (n < 0) n = 0;
    char format[128] = "Track %d";
    UiText(423, format, sizeof format);
    Locked l(&lock_);
    while (tracks_.GetAnzElement() < n) {
        const int position = tracks_.GetAnzElement();
        char text[160];
        bk::TextFormat(text, sizeof text, format, position + 1);
        tracks_.Add(NewTextEntry(static_cast<unsigned long>(position), text));
    }
    trackCount_ = n;
}

void StationDetails::SetCurrentTrack(long index) {
    long count;
    {
        Locked l(&lock_);
        currentTrack_ = index;
        count = trackCount_;
    }
    if (owner_ && count > 0) {
        char format[128] = "Track %d/%d", text[160];
        UiText(424, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, static_cast<int>(index + 1), static_cast<int>(count));
        owner_->ShowTrack(text);
    }
}

void StationDetails::SetTitle(long track, const char* text1, const char* text2) {
    if (!owner_) return;
    if (!text1) {
        SetTitleShown(0);
        return;
    }
    char title[cTextElement::TEXT_SIZE], artist[cTextElement::TEXT2_SIZE];
    bool fromEntry = false;
    {
        Locked l(&lock_);
        auto* e = track != 0 ? static_cast<cTextElement*>(tracks_.GetById(static_cast<unsigned long>(track))) : nullptr;
        if (e) {
            if (*text1 && strcmp(e->GetText(), text1) != 0) e->SetText(text1);
            if (text2 && strcmp(e->GetText2(), text2) != 0) e->SetText2(text2);
            bk::TextCopy(title, e->GetText());
            bk::TextCopy(artist, e->GetText2());
            fromEntry = true;
        }
    }
    if (fromEntry) {
        owner_->ShowTitle(title);
        owner_->ShowArtist(artist);
    } else {
        owner_->ShowTitle(text1);
    }
    if (GetPosition() > 200) {
        char last[2048];
        LastPlayedText(text1, text2, last, sizeof last);
        if (last[0]) {
            owner_->ShowLastPlayed(last);
            SetTitleShown(1);
        } else {
            SetTitleShown(0);
        }
    } else {
        SetTitleShown(0);
    }
}

void StationDetails::SetBitrate(unsigned long b) {
    unsigned long nominal;
    {
        Locked l(&lock_);
        bitrate_ = static_cast<uint32_t>(b);
        nominal = nominalBitrate_;
    }
    if (!owner_) return;
    if (b > 999999) b = 0;
    char text[20];
    bk::TextFormat(text, sizeof text, "%d kbit/s", static_cast<int>((b ? b : nominal) / 1000));
    owner_->ShowBitrate(text);
}

void StationDetails::SetNominalBitrate(unsigned long b) {
    Locked l(&lock_);
    nominalBitrate_ = static_cast<uint32_t>(b);
}

void StationDetails::SetDuration(unsigned long ms) {
    {
        Locked l(&lock_);
        duration_ = static_cast<uint32_t>(ms);
        char t[24];
        FormatPlayTime(ms, t, sizeof t);
        bk::TextFormat(durationText_, sizeof durationText_, "/%s", t);
    }
    if (owner_) {
        SetTitleShown(0);
        owner_->RedrawTimeBar();
    }
}

void StationDetails::SetPosition(unsigned long ms) {
    unsigned long duration;
    char durationText[DURATION_SIZE];
    bool markerOff;
    {
        Locked l(&lock_);
        markerOff = position_ == 0 || ms == 0;
        position_ = static_cast<uint32_t>(ms);
        duration = duration_;
        bk::TextCopy(durationText, durationText_);
    }
    if (markerOff) SetTitleShown(0);
    if (!owner_) return;
    char t[24], text[40];
    FormatPlayTime(ms, t, sizeof t);
    if (duration > 0)
        bk::TextFormat(text, 30, "%s%s", t, durationText);
    else
        bk::TextFormat(text, 30, "%s/LIVE", t);
    owner_->EnableTimeSlider(duration > 0);
    owner_->ShowTime(text);
    int mostLeft, mostRight;
    if (owner_->GetTimeKnobTravel(&mostLeft, &mostRight)) {
        const int left = TimeKnobLeft(mostLeft, mostRight, ms, duration);
        if (left != knobLeft_) {
            knobLeft_ = left;
            owner_->MoveTimeKnob(left);
        }
    }
}

void StationDetails::SetTitleShown(int on) {
    {
        Locked l(&lock_);
        titleShown_ = on ? 1 : 0;
    }
    if (owner_) owner_->SetTitleShown(on ? 1 : 0);
}

void StationDetails::Fill(const char* stationLine, long stationId, const char* name, const char* regionIds,
                          long countryId, long typeId, const char* genreIds, const char* languageIds,
                          const char* streamList) {
    Reset();
    cListStore& store = GetListStore();
    char allRegions[256];
    UiText(220, allRegions, sizeof allRegions);
    int ids[kMaxIds];
    int count;
    {
        Locked l(&lock_);
        EnterCriticalSection(store.Lock());
        if (name) bk::TextCopy(name_, name);
        if (regionIds) {
            count = kMaxIds;
            ConvertListToArray(regionIds, ids, &count);
            for (int i = 0; i < count; ++i) {
                const char* t = TextOf(store.List(LS_REGIONS), ids[i]);
                // The "all regions" entry is left out.
                if (t && !strstr(allRegions, t)) bk::TextAppend(regions_, t);
                if (i + 1 < count) bk::TextAppend(regions_, ", ");
            }
        }
        stationId_ = static_cast<int32_t>(stationId);
        if (genreIds) {
            count = kMaxIds;
            ConvertListToArray(genreIds, ids, &count);
            for (int i = 0; i < count; ++i) {
                const char* t = TextOf(store.List(LS_GENRES_LOWER), ids[i]);
                if (!t) t = TextOf(store.List(LS_GENRES_UPPER), ids[i]);
                if (!t)
                    bk::TextAppend(genres_, "---");
                else if (ids[i] != 0)
                    bk::TextAppend(genres_, t);
                if (i + 1 < count) bk::TextAppend(genres_, ", ");
            }
        }
        if (const char* t = TextOf(store.List(LS_COUNTRIES_LOWER), countryId)) bk::TextCopy(country_, t);
        if (const char* t = TextOf(store.List(LS_STATION_TYPES), typeId)) bk::TextCopy(type_, t);
        if (languageIds) {
            count = kMaxIds;
            ConvertListToArray(languageIds, ids, &count);
            for (int i = 0; i < count; ++i) {
                const char* t = TextOf(store.List(LS_LANGUAGES), ids[i]);
                if (t && !strstr("<alle>", t)) bk::TextAppend(languages_, t);
                if (i + 1 < count) bk::TextAppend(languages_, ", ");
            }
        }
        LeaveCriticalSection(store.Lock());
    }
    if (streamList && CurrentSkin().entry.StatusHook) CurrentSkin().entry.StatusHook(streamList, 51);
    if (streamList) {
        Locked l(&lock_);
        unsigned long id = 0;
        const char* p = streamList;
        for (;;) {
            const char* end = strchr(p, 0x01);
            const size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
            char piece[cTextElement::TEXT_SIZE];
            bk::TextCopyN(piece, sizeof piece, p, len);
            streams_.Add(NewTextEntry(id++, piece));
            if (!end) break;
            p = end + 1;
        }
    }
    SetStationLine(stationLine);
}

long StationDetails::GetStationId() {
    Locked l(&lock_);
    return stationId_;
}

long StationDetails::CopyName(char* out, size_t size) {
    Locked l(&lock_);
    bk::TextCopy(out, size, name_);
    return stationId_;
}

void StationDetails::CopyField(int which, char* out, size_t size) {
    Locked l(&lock_);
    const char* fields[] = {name_, regions_, genres_, type_, country_, languages_, stationLine_, durationText_};
    bk::TextCopy(out, size, which >= 0 && which <= F_DURATION_TEXT ? fields[which] : "");
}

long StationDetails::GetTrackCount() {
    Locked l(&lock_);
    return trackCount_;
}
long StationDetails::GetCurrentTrack() {
    Locked l(&lock_);
    return currentTrack_;
}
unsigned long StationDetails::GetPosition() {
    Locked l(&lock_);
    return position_;
}
unsigned long StationDetails::GetDuration() {
    Locked l(&lock_);
    return duration_;
}
unsigned long StationDetails::GetBitrate() {
    Locked l(&lock_);
    return bitrate_;
}
int StationDetails::IsTitleShown() {
    Locked l(&lock_);
    return titleShown_;
}

StationDetails& LibraryStationDetails() {
    static StationDetails details;
    return details;
}

StationDetails& MainStationDetails() {
    static StationDetails details;
    return details;
}

extern "C" void GetDetails(const char* stationLine, int stationId, const char* name, const char* regionIds,
                           int countryId, int typeId, const char* genreIds, const char* languageIds,
                           const char* streamList) {
    LibraryStationDetails().Fill(stationLine, stationId, name, regionIds, countryId, typeId, genreIds, languageIds,
                                 streamList);
    PostToWindow(6, WM_FK_LISTS_CHANGED, 0, 0);
}
