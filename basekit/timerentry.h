// One scheduled job of the player: record or play a station, show a
// reminder or shut the computer down, once or repeating. basekit only stores
// the entry; the next-run rules and the repetition texts are the scheduler's.
#pragma once

#include <cstdint>

#include "basekit_api.h"
#include "liste.h"
#include "vltime.h"

// Actions of a timer entry.
enum TimerAction { TA_RECORD = 0, TA_PLAY = 1, TA_REMIND = 2, TA_SHUTDOWN = 3 };
// An entry with this log mark is never written to the timer list file.
const int TIMER_LOG_NOT_SAVED = 2;

// The fixed record in which a timer entry travels to another process (the
// scheduler's conflict question by WM_COPYDATA). It keeps the size and field
// places the peers expect, with fixed-width members only, so every build
// sends the same bytes. The reserved words stand where the object's table
// and links were; they are always 0.
#pragma pack(push, 4)
struct TimerTimeRecord {
    uint32_t reserved;
    char digits[15];
    char pad;
};
struct TimerEntryRecord {
    uint32_t reserved[3];
    uint32_t id;
    char name[1024];
    char sendername[1024];
    char status[1024];
    char wiederholungTxt[1024];
    uint32_t channelId;
    TimerTimeRecord startTime;
    TimerTimeRecord stopTime;
    TimerTimeRecord repeatEndTime;
    TimerTimeRecord nextJobTime;
    int32_t action;
    int32_t wiederholung;
    int32_t repeatEnd;
    int32_t showHints;
    int32_t dayFlag;
    int32_t dayOfMonth;
    int32_t log;
    int32_t ok;
    int32_t createFolder;
    int32_t active;
    char iniStatusText[1024];
    int32_t zustand;
    char schnittprofil[1024];
    char qualitaet[1024];
    uint32_t bitrate;
    int32_t kanaele;
    int32_t vbr;
    int32_t useDefault;
};
#pragma pack(pop)
static_assert(sizeof(TimerTimeRecord) == 20, "timer time record layout");
static_assert(sizeof(TimerEntryRecord) == 7328, "timer entry record layout");

class BASEKIT_API cTimerEntry : public cListElement {
public:
    enum { TEXT_SIZE = 1024 };

    cTimerEntry();
    // Member-wise, the id and the links included.
    cTimerEntry(const cTimerEntry& other);
    // Every field through the accessors, the id included (not the links).
    explicit cTimerEntry(const cTimerEntry* other);
    // Every field but the id: an entry in a list keeps its identity when its
    // content is replaced.
    cTimerEntry& operator=(cTimerEntry other);
    ~cTimerEntry() override;

    // Texts are cut to 1023 characters. A null name leaves the name as it
    // is; a null status or repetition text empties the field; the other
    // text setters ignore null.
    char* GetName() { return name_; }
    const char* GetName() const { return name_; }
    void SetName(const char* text);
    char* GetSendername() { return sendername_; }
    const char* GetSendername() const { return sendername_; }
    // "station\x02programme[\x02rest]" is stored as "station - programme".
    void SetSendername(const char* text);
    char* GetStatus() { return status_; }
    const char* GetStatus() const { return status_; }
    void SetStatus(const char* text);
    char* GetWiederholungTxt() { return wiederholungTxt_; }
    const char* GetWiederholungTxt() const { return wiederholungTxt_; }
    void SetWiederholungTxt(const char* text);
    char* GetIniStatusText() { return iniStatusText_; }
    const char* GetIniStatusText() const { return iniStatusText_; }
    void SetIniStatusText(const char* text);
    char* GetSchnittprofil() { return schnittprofil_; }
    const char* GetSchnittprofil() const { return schnittprofil_; }
    void SetSchnittprofil(const char* text);
    char* GetQualitaet() { return qualitaet_; }
    const char* GetQualitaet() const { return qualitaet_; }
    void SetQualitaet(const char* text);

    unsigned long GetChannelID() const { return channelId_; }
    void SetChannelID(unsigned long id) { channelId_ = static_cast<uint32_t>(id); }

    cVLTime GetStartTime() const { return startTime_; }
    void SetStartTime(cVLTime t) { startTime_ = t; }
    cVLTime GetStopTime() const { return stopTime_; }
    void SetStopTime(cVLTime t) { stopTime_ = t; }
    cVLTime GetRepeatEndTime() const { return repeatEndTime_; }
    void SetRepeatEndTime(cVLTime t) { repeatEndTime_ = t; }
    cVLTime GetNextJobTime() const { return nextJobTime_; }
    void SetNextJobTime(cVLTime t) { nextJobTime_ = t; }

    int GetAction() const { return action_; }
    void SetAction(int v) { action_ = v; }
    // 0 none, 1 daily, 2 weekly, 3 every two weeks, 4 monthly.
    int GetWiederholung() const { return wiederholung_; }
    void SetWiederholung(int v) { wiederholung_ = v; }
    int GetRepeatEnd() const { return repeatEnd_; }
    void SetRepeatEnd(int v) { repeatEnd_ = v; }
    int GetShowHints() const { return showHints_; }
    void SetShowHints(int v) { showHints_ = v; }
    int GetDayFlag() const { return dayFlag_; }
    void SetDayFlag(int v) { dayFlag_ = v; }
    int GetDayOfMonth() const { return dayOfMonth_; }
    void SetDayOfMonth(int v) { dayOfMonth_ = v; }
    int GetLog() const { return log_; }
    int GetOK() const { return ok_; }
    void SetLog(int log, int ok) {
        log_ = log;
        ok_ = ok;
    }
    int GetCreateFolder() const { return createFolder_; }
    void SetCreateFolder(int v) { createFolder_ = v; }
    int GetActive() const { return active_; }
    void SetActive(int v) { active_ = v; }
    int GetZustand() const { return zustand_; }
    void SetZustand(int v) { zustand_ = v; }
    unsigned long GetBitrate() const { return bitrate_; }
    void SetBitrate(unsigned long v) { bitrate_ = static_cast<uint32_t>(v); }
    // Channel setting of the recording as the timer editor defines it;
    // -1 means the player's default.
    int GetKanaele() const { return kanaele_; }
    void SetKanaele(int v) { kanaele_ = v; }
    int GetVBR() const { return vbr_; }
    void SetVBR(int v) { vbr_ = v; }
    int GetUseDefault() const { return useDefault_; }
    void SetUseDefault(int v) { useDefault_ = v; }

    // The fixed record for other processes, and back (texts always end
    // within their fields, whatever the record holds).
    void ToRecord(TimerEntryRecord* record) const;
    void FromRecord(const TimerEntryRecord& record);

private:
    void CopyFields(const cTimerEntry& other);

    char name_[TEXT_SIZE];
    char sendername_[TEXT_SIZE];
    char status_[TEXT_SIZE];
    char wiederholungTxt_[TEXT_SIZE];
    uint32_t channelId_;
    cVLTime startTime_;
    cVLTime stopTime_;
    cVLTime repeatEndTime_;
    cVLTime nextJobTime_;
    int action_;
    int wiederholung_;
    int repeatEnd_;
    int showHints_;
    int dayFlag_;
    int dayOfMonth_;
    int log_;
    int ok_;
    int createFolder_;
    int active_;
    char iniStatusText_[TEXT_SIZE];
    int zustand_;
    char schnittprofil_[TEXT_SIZE];
    char qualitaet_[TEXT_SIZE];
    uint32_t bitrate_;
    int kanaele_;
    int vbr_;
    int useDefault_;
};
