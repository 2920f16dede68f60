// The details of a station (what the host pushes with GetDetails, shown by
// the navigator) and the stream information of the station that plays (track
// list, title, bit rate, duration, running time, shown by the main window).
// An instance with an owner pushes every change into the owner's displays.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "facetkit_api.h"
#include "liste.h"

// The displays a playing stream's details drive (the main window's).
class cStationDisplay {
public:
    virtual ~cStationDisplay() {}
    virtual void ShowStationLine(const char* text) = 0;
    virtual void ShowTrack(const char* text) = 0;
    virtual void ShowTitle(const char* text) = 0;
    virtual void ShowArtist(const char* text) = 0;
    virtual void ShowLastPlayed(const char* text) = 0;
    virtual void ShowBitrate(const char* text) = 0;
    virtual void ShowTime(const char* text) = 0;
    virtual void EnableTimeSlider(int enable) = 0;
    // The knob's travel; false when there is no slider or the user holds it.
    virtual bool GetTimeKnobTravel(int* mostLeft, int* mostRight) = 0;
    // Moves the knob's left edge and redraws the old and new places.
    virtual void MoveTimeKnob(int left) = 0;
    virtual void RedrawTimeBar() = 0;
    // Indents the scrolling title by the marker's width (on) or not.
    virtual void SetTitleShown(int on) = 0;
};

// Left edge of the time knob: the travel's share of the position, clamped to
// the travel (64-bit, so long streams do not overflow); a live stream
// (duration 0) or a travel of 0 or less stays at the left.
FACETKIT_API int TimeKnobLeft(int mostLeft, int mostRight, unsigned long position, unsigned long duration);
// "%02d:%02d:%02d" of milliseconds (hours not wrapped).
FACETKIT_API void FormatPlayTime(unsigned long ms, char* out, size_t size);
// The text handed on as the last played title: "artist - title" (artist of
// more than one character) or the title, from its first byte at or above
// "0" on (accented letters above 127 included); empty when there is none.
FACETKIT_API void LastPlayedText(const char* title, const char* artist, char* out, size_t size);

class FACETKIT_API StationDetails {
public:
    enum { NAME_SIZE = 300, REGIONS_SIZE = 256, SHORT_SIZE = 100, LINE_SIZE = 256, DURATION_SIZE = 32 };
    enum { kMaxTracks = 1000, kCutTracks = 500 };

    StationDetails();
    virtual ~StationDetails();
    StationDetails(const StationDetails&) = delete;
    StationDetails& operator=(const StationDetails&) = delete;

    void SetOwner(cStationDisplay* owner) { owner_ = owner; }

    void Reset();
    // The station the display shows from now on: the record is cleared and
    // takes its id (-1 for an address not in the database) and name.
    void Select(long stationId, const char* name);
    void SetStationLine(const char* text);
    void SetTrackCount(long count);
    void SetCurrentTrack(long index);
    void SetTitle(long track, const char* text1, const char* text2);
    void SetBitrate(unsigned long bitsPerSecond);
    void SetNominalBitrate(unsigned long bitsPerSecond);
    void SetDuration(unsigned long ms);
    void SetPosition(unsigned long ms);
    void SetTitleShown(int on);

    // GetDetails: ids are ";"-separated decimal lists; the stream list's
    // entries are separated by the byte 0x01.
    void Fill(const char* stationLine, long stationId, const char* name, const char* regionIds, long countryId,
              long typeId, const char* genreIds, const char* languageIds, const char* streamList);

    // Readers (copies under the lock).
    long GetStationId();
    long CopyName(char* out, size_t size);  // answers the station id
    void CopyField(int which, char* out, size_t size);
    enum { F_NAME, F_REGIONS, F_GENRES, F_TYPE, F_COUNTRY, F_LANGUAGES, F_LINE, F_DURATION_TEXT };
    long GetTrackCount();
    long GetCurrentTrack();
    unsigned long GetPosition();
    unsigned long GetDuration();
    unsigned long GetBitrate();
    int IsTitleShown();
    cListe* Tracks() { return &tracks_; }
    cListe* Streams() { return &streams_; }
    CRITICAL_SECTION* Lock() { return &lock_; }

private:
    void ResetLocked();

    CRITICAL_SECTION lock_;
    cListe tracks_;
    cListe streams_;
    uint32_t bitrate_ = 0;
    uint32_t nominalBitrate_ = 0;
    int32_t stationId_ = 0;
    char name_[NAME_SIZE] = {};
    char regions_[REGIONS_SIZE] = {};
    char genres_[SHORT_SIZE] = {};
    char type_[SHORT_SIZE] = {};
    char country_[SHORT_SIZE] = {};
    char languages_[SHORT_SIZE] = {};
    int32_t currentTrack_ = 0;
    int32_t trackCount_ = 1;
    uint32_t position_ = 0;
    uint32_t duration_ = 0;
    char durationText_[DURATION_SIZE] = {};
    char stationLine_[LINE_SIZE] = {};
    int titleShown_ = 0;
    int knobLeft_ = -1;
    cStationDisplay* owner_ = nullptr;
};

// The library-wide details that GetDetails fills.
FACETKIT_API StationDetails& LibraryStationDetails();
// The playing stream's details (the main window's instance).
FACETKIT_API StationDetails& MainStationDetails();

// Also declared with the host's other exports.
extern "C" FACETKIT_API void GetDetails(const char* stationLine, int stationId, const char* name,
                                         const char* regionIds, int countryId, int typeId, const char* genreIds,
                                         const char* languageIds, const char* streamList);
