// Timer entries on the user-interface side: creating, copying, editing,
// switching and deleting them, saving every change through the host, keeping
// the scheduler (clockwarden) informed and showing its overlap answer; and
// the recording requests that the host records with.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "facetkit_api.h"

class cListe;
class cTimerEntry;
class cVLTime;
struct RecordingStartRecord;

constexpr const char* kTimerSchedulerClass = "clockwarden_class";
enum { WM_SCHEDULER_RELOAD = 1124, WM_SCHEDULER_RECHECK = 1186 };
enum { kCopyDataOverlap = 6 };
// At most this much of an overlap answer is read.
constexpr size_t kOverlapAnswerMax = 4096;

// ---- rules (no windows involved) ----------------------------------------------
// Makes `name` unique in the list: "name", then "name_1", "name_2"...
// (compared case-sensitively; `self` is not compared with itself).
FACETKIT_API void MakeUniqueTimerName(cListe* timers, char* name, size_t size, const cTimerEntry* self = nullptr);
// The times of a new entry made as a copy of `source`.
FACETKIT_API void CopyTimerTimes(const cTimerEntry& source, cTimerEntry* copy);
// The time stamp moved by whole seconds (negative goes back).
FACETKIT_API cVLTime AddSeconds(const cVLTime& t, long long seconds);
// The ids of an overlap answer: a 32-bit count and that many ids, read only
// as far as the payload (and kOverlapAnswerMax) reaches.
FACETKIT_API std::vector<uint32_t> ParseOverlapAnswer(const void* data, size_t size);
// The overlap message: text 509, one line per entry, text 511; bounded.
// `lookup` gives the entry of an id or null.
typedef const cTimerEntry* (*TimerLookup)(void* context, uint32_t id);
FACETKIT_API void BuildOverlapText(const std::vector<uint32_t>& ids, TimerLookup lookup, void* context,
                                   int language, char* out, size_t size);
// What the host's settings give a recording whose record leaves a field open.
struct RecordingDefaults {
    char quality[532];
    char cutProfile[1024];
    uint32_t bitrate;
    int32_t channels;
    int32_t vbr;
};
FACETKIT_API void CompleteRecordingRecord(RecordingStartRecord* record, const RecordingDefaults& defaults);
// A record for a recording started by hand; the station's name is the title
// when the station is a user-given address (id -1).
FACETKIT_API void InitHandRecording(RecordingStartRecord* record, long stationId, const char* stationName);

// ---- operations of the main window ----------------------------------------------
// Positions count from 0; the "+ 1" arguments are 0 for "none".
FACETKIT_API void EditTimerEntry(int editPositionPlus1, unsigned long channel, int copyPositionPlus1);
FACETKIT_API void NewTimerEntry(unsigned long channel);
// Nine protocol fields, each null when absent.
FACETKIT_API void TimerEntryFromProtocol(const char* const fields[9]);
FACETKIT_API void SetTimerEntryActive(int position, int active);
FACETKIT_API void DeleteExpiredTimerEntries();
FACETKIT_API void DeleteTimerEntry(int position);
FACETKIT_API void AskStartScheduler();
// The overlap answer (WM_COPYDATA kind 6): the ids are copied and the
// message shown after the scheduler's call has returned, so its thread is
// never held by the user.
FACETKIT_API void ShowOverlaps(uint32_t askedId, const void* data, size_t size);
FACETKIT_API void StartRecording(RecordingStartRecord* record);
FACETKIT_API void StopRecording();
// Callback 53 with the timer list.
FACETKIT_API void SaveTimerList();

// The timer editor until the dialog lands (and for tests): answers 1 when
// the entry was confirmed, 0 when cancelled.
typedef int (*TimerEditorHook)(cTimerEntry* entry);
FACETKIT_API void SetTimerEditorHook(TimerEditorHook hook);
FACETKIT_API TimerEditorHook GetTimerEditorHook();
// How long the operations wait for the scheduler to reload (tests shorten it).
FACETKIT_API void SetSchedulerReloadPause(DWORD ms);
