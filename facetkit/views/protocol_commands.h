// Protocol texts ("TUNERDECK://KEYWORD|arg|arg...") from the command line, a
// second start of the player and the scheduler: the split into fields, the
// number rules and the keyword table. The texts come from any local process
// and from web links, so the split and the copies are bounded and free of
// Windows calls; what a keyword does to the windows goes through
// cProtocolTarget, which the main window supplies.
#pragma once

#include <cstddef>
#include <string>

#include "facetkit_api.h"

class cTimerEntry;
struct RecordingStartRecord;

enum { kProtocolMaxFields = 20 };
// The largest WM_COPYDATA text taken; a protocol text is a line, never more.
constexpr size_t kProtocolMaxText = 65536;

struct ProtocolFields {
    int count = 0;
    std::string field[kProtocolMaxFields];
    bool Has(int i) const { return i >= 0 && i < count; }
    // Null for an absent field.
    const char* Get(int i) const { return Has(i) ? field[i].c_str() : nullptr; }
};

// "|", line feed and the byte 0xA0 separate fields; runs of them count as
// one and leading ones are skipped; fields beyond the twentieth are dropped.
// At most `length` bytes are read, and no further than a zero byte.
FACETKIT_API void SplitProtocolText(const char* text, size_t length, ProtocolFields* out);
// Decimal prefixes; no digits give 0; values beyond the type's range stop
// at its limit.
FACETKIT_API unsigned long ProtocolUnsigned(const char* text);
FACETKIT_API long ProtocolSigned(const char* text);
// The text of a kind-5 payload (bytes without terminating zero); empty for
// no data. Payloads above kProtocolMaxText are cut.
FACETKIT_API std::string CopyDataText(const void* data, size_t size);

// What the keywords need of the main window, the host and the lists.
class cProtocolTarget {
public:
    virtual ~cProtocolTarget() {}
    virtual void Log(const char* line) = 0;  // debug text, level 5
    virtual int Callback(int code, int ch, void* text) = 0;
    virtual void Pause(unsigned long ms) = 0;
    virtual void BringToFront() = 0;
    virtual int IsRecording() = 0;
    // 1 when a recording runs that a timer start of entry `entryId` leaves
    // alone: the entry's own, or one the user started. A recording of
    // another entry is one whose stop is still on its way to the host.
    virtual int RecordingBlocks(long entryId) = 0;
    virtual int IsPlaying() = 0;
    virtual unsigned long LastChannelId() = 0;
    virtual int IsOemPlayer() = 0;
    // A copy of the timer entry with this id; false when there is none.
    virtual bool GetTimerEntry(long id, cTimerEntry* copy) = 0;
    // 1 when an active shut-down entry of the timer list falls due now.
    virtual int ShutdownEntryDue() = 0;
    virtual void SaveTimerList() = 0;  // callback 53 with the timer list
    virtual void PostPlayChannel(unsigned long channel) = 0;  // message 1130
    virtual void StartTimerJobQuestion(unsigned long channel, const cTimerEntry& entry) = 0;
    // The timer's play notice on its own thread (one button, 15 s): about
    // the entry, or the plain text without one.
    virtual void ShowTimerNotice(const cTimerEntry* entry) = 0;
    virtual void PlayStream(unsigned long id) = 0;
    virtual void PlayCustomUrl(int kind, const char* address) = 0;
    virtual void SetCurrentSelection(int id, const char* name) = 0;
    virtual void Close() = 0;
    // A link from a web page that would fetch and install a skin library
    // asks the user first; false leaves everything as it is.
    virtual bool ConfirmSkinFromLink() = 0;
    virtual void SetAdBanner(const char* address, int cx, int cy) = 0;
    virtual void SetSuppressNotice() = 0;
    // With autoYes the question's countdown ends in yes.
    virtual void AskShutdown(int autoYes) = 0;
    virtual void ShowReminder(const char* text) = 0;
    // Nine fields (name, channel, start, stop, action, repetition, hints,
    // day flags, day of month), each null when absent.
    virtual void TimerEntryFromProtocol(const char* const fields[9]) = 0;
    virtual void SubscribePodcast(const char* address) = 0;
    virtual void SlideNavigator() = 0;
    virtual void ShowFavouriteAdded() = 0;
    // Host defaults of a recording: quality and cut profile names.
    virtual void DefaultProfiles(char* quality, size_t qualitySize, char* cut, size_t cutSize) = 0;
    virtual unsigned long NumberSetting(const char* name) = 0;
    virtual void StartRecording(RecordingStartRecord* record) = 0;
};

// Takes the text apart and acts on its keyword (see the keyword table).
FACETKIT_API void HandleStartParams(cProtocolTarget& target, const char* text);
// Whether the text's keyword asks the user something before it acts (a
// timer entry, a podcast, a favourite added): such a text is carried out
// after the hand-over that brought it has returned, so that the second start
// does not wait for the user's answer.
FACETKIT_API bool StartParamsAskTheUser(const char* text);
// Whether a banner address handed over by a link may be shown inside the
// player's browser control: a plain http or https address, no other scheme
// (files, scripts) and no credentials in front of the host.
FACETKIT_API bool BannerAddressAllowed(const char* address);

// The main window's side: the keywords carried out on the real windows, the
// host and the lists. WM_COPYDATA of kind 5 goes to HandleStartParams, kind
// 6 to the overlap answer; other kinds are ignored. Returns 1 when taken.
FACETKIT_API cProtocolTarget& MainProtocolTarget();
FACETKIT_API int HandleMainCopyData(unsigned long kind, unsigned long dwData, const void* data, size_t size);
// Puts the two above into the main window's hooks (copy data, start parameters).
FACETKIT_API void InstallProtocolHooks();
