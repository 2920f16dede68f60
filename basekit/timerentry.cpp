#include "timerentry.h"

#include <cstring>

#include "bounded_text.h"

cTimerEntry::cTimerEntry()
    : channelId_(0),
      action_(TA_RECORD),
      wiederholung_(0),
      repeatEnd_(0),
      showHints_(0),
      dayFlag_(0),
      dayOfMonth_(1),
      log_(0),
      ok_(1),
      createFolder_(0),
      active_(1),
      zustand_(0),
      bitrate_(0),
      kanaele_(-1),
      vbr_(-1),
      useDefault_(1) {
    name_[0] = sendername_[0] = status_[0] = wiederholungTxt_[0] = 0;
    iniStatusText_[0] = schnittprofil_[0] = qualitaet_[0] = 0;
}

cTimerEntry::cTimerEntry(const cTimerEntry& other) = default;

cTimerEntry::cTimerEntry(const cTimerEntry* other) : cTimerEntry() {
    if (!other) return;
    CopyFields(*other);
    SetId(other->GetId());
}

cTimerEntry& cTimerEntry::operator=(cTimerEntry other) {
    CopyFields(other);
    return *this;
}

cTimerEntry::~cTimerEntry() = default;

void cTimerEntry::CopyFields(const cTimerEntry& o) {
    SetName(o.GetName());
    bk::TextCopy(sendername_, o.GetSendername());  // already joined: no re-parse
    SetStatus(o.GetStatus());
    SetWiederholungTxt(o.GetWiederholungTxt());
    SetIniStatusText(o.GetIniStatusText());
    SetSchnittprofil(o.GetSchnittprofil());
    SetQualitaet(o.GetQualitaet());
    SetChannelID(o.GetChannelID());
    SetStartTime(o.GetStartTime());
    SetStopTime(o.GetStopTime());
    SetRepeatEndTime(o.GetRepeatEndTime());
    SetNextJobTime(o.GetNextJobTime());
    SetAction(o.GetAction());
    SetWiederholung(o.GetWiederholung());
    SetRepeatEnd(o.GetRepeatEnd());
    SetShowHints(o.GetShowHints());
    SetDayFlag(o.GetDayFlag());
    SetDayOfMonth(o.GetDayOfMonth());
    SetLog(o.GetLog(), o.GetOK());
    SetCreateFolder(o.GetCreateFolder());
    SetActive(o.GetActive());
    SetZustand(o.GetZustand());
    SetBitrate(o.GetBitrate());
    SetKanaele(o.GetKanaele());
    SetVBR(o.GetVBR());
    SetUseDefault(o.GetUseDefault());
}

void cTimerEntry::SetName(const char* text) {
    if (text) bk::TextCopy(name_, text);
}

void cTimerEntry::SetSendername(const char* text) {
    if (!text) return;
    const char* mark = strchr(text, 0x02);
    if (!mark) {
        bk::TextCopyN(sendername_, sizeof sendername_, text, TEXT_SIZE - 2);
        return;
    }
    const char* programme = mark + 1;
    const char* rest = strchr(programme, 0x02);
    const size_t programmeLen = rest ? static_cast<size_t>(rest - programme) : strlen(programme);
    // Both parts may come from the server at full length: the joined text
    // is cut to the field.
    bk::TextFormat(sendername_, sizeof sendername_, "%.*s - %.*s", static_cast<int>(mark - text), text,
                   static_cast<int>(programmeLen), programme);
}

void cTimerEntry::SetStatus(const char* text) { bk::TextCopy(status_, text); }
void cTimerEntry::SetWiederholungTxt(const char* text) { bk::TextCopy(wiederholungTxt_, text); }

void cTimerEntry::SetIniStatusText(const char* text) {
    if (text) bk::TextCopy(iniStatusText_, text);
}
void cTimerEntry::SetSchnittprofil(const char* text) {
    if (text) bk::TextCopy(schnittprofil_, text);
}
void cTimerEntry::SetQualitaet(const char* text) {
    if (text) bk::TextCopy(qualitaet_, text);
}

namespace {

void TimeToRecord(const cVLTime& t, TimerTimeRecord* r) {
    r->reserved = 0;
    memset(r->digits, 0, sizeof r->digits);
    bk::TextCopy(r->digits, t.GetTime());
    r->pad = 0;
}

cVLTime TimeFromRecord(const TimerTimeRecord& r) {
    char digits[sizeof r.digits + 1];
    bk::TextCopyN(digits, sizeof digits, r.digits, sizeof r.digits);
    return cVLTime(digits);
}

template <size_t N>
void TextFromRecord(char (&dst)[N], const char (&src)[N]) {
    bk::TextCopyN(dst, N, src, N - 1);
}

}  // namespace

void cTimerEntry::ToRecord(TimerEntryRecord* r) const {
    if (!r) return;
    memset(r, 0, sizeof *r);
    r->id = static_cast<uint32_t>(GetId());
    bk::TextCopy(r->name, name_);
    bk::TextCopy(r->sendername, sendername_);
    bk::TextCopy(r->status, status_);
    bk::TextCopy(r->wiederholungTxt, wiederholungTxt_);
    r->channelId = channelId_;
    TimeToRecord(startTime_, &r->startTime);
    TimeToRecord(stopTime_, &r->stopTime);
    TimeToRecord(repeatEndTime_, &r->repeatEndTime);
    TimeToRecord(nextJobTime_, &r->nextJobTime);
    r->action = action_;
    r->wiederholung = wiederholung_;
    r->repeatEnd = repeatEnd_;
    r->showHints = showHints_;
    r->dayFlag = dayFlag_;
    r->dayOfMonth = dayOfMonth_;
    r->log = log_;
    r->ok = ok_;
    r->createFolder = createFolder_;
    r->active = active_;
    bk::TextCopy(r->iniStatusText, iniStatusText_);
    r->zustand = zustand_;
    bk::TextCopy(r->schnittprofil, schnittprofil_);
    bk::TextCopy(r->qualitaet, qualitaet_);
    r->bitrate = bitrate_;
    r->kanaele = kanaele_;
    r->vbr = vbr_;
    r->useDefault = useDefault_;
}

void cTimerEntry::FromRecord(const TimerEntryRecord& r) {
    SetId(r.id);
    TextFromRecord(name_, r.name);
    TextFromRecord(sendername_, r.sendername);
    TextFromRecord(status_, r.status);
    TextFromRecord(wiederholungTxt_, r.wiederholungTxt);
    channelId_ = r.channelId;
    startTime_ = TimeFromRecord(r.startTime);
    stopTime_ = TimeFromRecord(r.stopTime);
    repeatEndTime_ = TimeFromRecord(r.repeatEndTime);
    nextJobTime_ = TimeFromRecord(r.nextJobTime);
    action_ = r.action;
    wiederholung_ = r.wiederholung;
    repeatEnd_ = r.repeatEnd;
    showHints_ = r.showHints;
    dayFlag_ = r.dayFlag;
    dayOfMonth_ = r.dayOfMonth;
    log_ = r.log;
    ok_ = r.ok;
    createFolder_ = r.createFolder;
    active_ = r.active;
    TextFromRecord(iniStatusText_, r.iniStatusText);
    zustand_ = r.zustand;
    TextFromRecord(schnittprofil_, r.schnittprofil);
    TextFromRecord(qualitaet_, r.qualitaet);
    bitrate_ = r.bitrate;
    kanaele_ = r.kanaele;
    vbr_ = r.vbr;
    useDefault_ = r.useDefault;
}
