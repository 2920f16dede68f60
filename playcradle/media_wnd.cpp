#include "media_wnd.h"

#include <cmath>
#include <cstdarg>
#include <string>

#include "bounded_text.h"
#include "mp64_ids.h"
#include "ole_host.h"
#include "playerstatus.h"

namespace {
const int kDialogId = 102;
const UINT_PTR kRunInfoTimerId = 1;
const UINT_PTR kBufferingTimerId = 2;

unsigned long WholeMs(double seconds) {
    // A stream without length, or a control that answers nonsense, has no duration.
    if (!std::isfinite(seconds) || seconds < 0 || seconds > 4294967.0) return 0;
    return static_cast<unsigned long>(std::floor(seconds)) * 1000ul;
}
}  // namespace

CMediaWnd::CMediaWnd(cSendRunTimeInfo* reporter) : appframe::Dialog(kDialogId), reporter_(reporter) {
    Log("constructor");
}

CMediaWnd::~CMediaWnd() {
    if (sink_) {
        sink_->Disconnect();
        sink_->Release();
    }
    if (site_) {
        site_->Destroy();
        site_->Release();
    }
}

void CMediaWnd::Log(const char* text, int level) {
    if (!reporter_) return;
    char line[600];
    bk::TextFormat(line, sizeof line, "CMediaWnd %s", text);
    reporter_->Log(line, level);
}

void CMediaWnd::LogF(int level, const char* fmt, ...) {
    char text[512];
    va_list args;
    va_start(args, fmt);
    bk::TextFormatV(text, sizeof text, fmt, args);
    va_end(args);
    Log(text, level);
}

INT_PTR CMediaWnd::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
    *handled = false;
    if (msg == WM_NOTIFY) LogF(7, "Notify WPARAM(%d) LPARAM(%d)", static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

int CMediaWnd::Create() {
    if (!CreateModeless()) return 0;
    // The control takes the place of item 1000 of the template.
    RECT rc = {20, 7, 20 + 205, 7 + 119};
    MapDialogRect(GetSafeHwnd(), &rc);
    site_ = olehost::ControlSite::New();
    if (FAILED(site_->Create(GetSafeHwnd(), mp64::kClsid, rc)) || !site_->Dispatch()) {
        site_->Release();
        site_ = nullptr;
        DestroyWindow();
        return 0;
    }
    player_.Attach(site_->Dispatch());
    sink_ = olehost::EventSink::New([this](DISPID id, DISPPARAMS* p) { OnEvent(id, p); });
    if (FAILED(sink_->Connect(site_->Control()))) Log("no event connection", 1);
    player_.SetBoolProperty(1062, TRUE);
    player_.SetBoolProperty(1069, TRUE);
    player_.SetBoolProperty(1021, FALSE);
    player_.SetBoolProperty(1020, FALSE);
    player_.SetBoolProperty(1017, TRUE);
    player_.SetBoolProperty(1018, FALSE);
    player_.SetBoolProperty(DISPID_ENABLED, FALSE);
    created_ = 1;
    return 1;
}

void CMediaWnd::OnEvent(DISPID id, DISPPARAMS* p) {
    using olehost::EventArgDouble;
    using olehost::EventArgLong;
    switch (id) {
    case mp64::kEvBuffering: OnBuffering(EventArgLong(p, 0) != 0); break;
    case mp64::kEvPositionChange:
        LogF(7, "OnPositionChange OldPos(%d) NewPos(%d)", static_cast<int>(EventArgDouble(p, 0)),
             static_cast<int>(EventArgDouble(p, 1)));
        break;
    case mp64::kEvPlayStateChange: OnPlayStateChange(EventArgLong(p, 0), EventArgLong(p, 1)); break;
    case mp64::kEvOpenStateChange: OnOpenStateChange(EventArgLong(p, 0), EventArgLong(p, 1)); break;
    case mp64::kEvScriptCommand: {
        std::string type = olehost::EventArgText(p, 0), param = olehost::EventArgText(p, 1);
        LogF(7, "OnScriptCommand scType(%s) Param(%s)", type.c_str(), param.c_str());
        break;
    }
    case mp64::kEvError: OnError(); break;
    case mp64::kEvMarkerHit: LogF(7, "OnMarkerHi MarkerNum(%ld)", EventArgLong(p, 0)); break;
    case mp64::kEvWarning:
        LogF(5, "OnWarning WarningType(%ld),Param(%ld)", EventArgLong(p, 0), EventArgLong(p, 1));
        break;
    case mp64::kEvNewStream: OnNewStream(); break;
    case mp64::kEvDisconnect: LogF(7, "OnDisconnect Result(%ld)", EventArgLong(p, 0)); break;
    case mp64::kEvDisplayModeChange: Log("OnDisplayModeChange"); break;
    case mp64::kEvReadyStateChange: OnReadyStateChange(EventArgLong(p, 0)); break;
    case mp64::kEvEndOfStream: LogF(7, "OnEndOfStream Result(%ld)", EventArgLong(p, 0)); break;
    default: break;
    }
}

void CMediaWnd::StopTimer(UINT_PTR* id) {
    Dialog::StopTimer(*id);
    *id = 0;
}

void CMediaWnd::OnBuffering(BOOL start) {
    if (start) {
        Log("OnBuffering (Start)");
        if (!bufferingTimer_) bufferingTimer_ = StartTimer(kBufferingTimerId, 1000);
        return;
    }
    Log("OnBuffering (continue)");
    StopTimer(&bufferingTimer_);
    long state = player_.GetPlayState();
    if (state != lastPlayState_) OnPlayStateChange(lastPlayState_, state);
    if (reporter_) reporter_->OnPlayState(static_cast<unsigned long>(state));
}

void CMediaWnd::ReportStreamInfo() {
    std::string title = player_.GetMediaInfoString(mp64::kInfoTitle);
    std::string author = player_.GetMediaInfoString(mp64::kInfoAuthor);
    if (!reporter_) return;
    long entry = player_.GetCurrentEntry();
    long count = player_.GetEntryCount();
    unsigned long durationMs = WholeMs(player_.GetDuration());
    char t[512], a[512];
    bk::TextCopy(t, title.c_str());
    bk::TextCopy(a, author.c_str());
    reporter_->SetMyStreamInfo(entry > 0 ? static_cast<unsigned long>(entry - 1) : 0,
                               count > 0 ? static_cast<unsigned long>(count) : 0, durationMs, t, a);
}

void CMediaWnd::OnPlayStateChange(long oldState, long newState) {
    LogF(7, "OnPlayStateChange OldState(%ld) NewState(%ld)", oldState, newState);
    lastPlayState_ = newState;
    if (newState != 0 && lastOpenState_ == 6 && reporter_) reporter_->OnPlayState(static_cast<unsigned long>(newState));
    if (newState == 2) {
        ReportStreamInfo();
        if (!runInfoTimer_) runInfoTimer_ = StartTimer(kRunInfoTimerId, 1000);
    } else {
        StopTimer(&runInfoTimer_);
    }
}

void CMediaWnd::OnOpenStateChange(long oldState, long newState) {
    LogF(7, "OnOpenStateChange OldState(%ld) NewState(%ld)", oldState, newState);
    lastOpenState_ = newState;
    if (player_.GetPlayState() != 3 && reporter_) reporter_->OnOpenState(static_cast<unsigned long>(newState));
}

void CMediaWnd::OnError() {
    std::string description = player_.GetErrorDescription();
    if (busy_ == 1) return;
    Log("OnError");
    char text[512];
    bk::TextCopy(text, description.c_str());
    const char* err = text[0] ? text : nullptr;
    long openState = player_.GetOpenState();
    long playState = player_.GetPlayState();
    if (reporter_) reporter_->OnError(err);
    if (playState != 2) {
        StopTimer(&runInfoTimer_);
        StopTimer(&bufferingTimer_);
        if (reporter_) {
            reporter_->OnOpenState(static_cast<unsigned long>(openState));
            reporter_->OnError(err);
        }
    }
}

void CMediaWnd::OnNewStream() {
    Log("OnNewStream");
    ReportStreamInfo();
}

void CMediaWnd::OnReadyStateChange(long state) {
    LogF(7, "OnReadyStateChange ReadyState(%ld)", state);
    if ((state == 3 || state == 4) && player_.GetOpenState() == 6 && !player_.GetHasError()) {
        player_.Play();
    } else if ((state == 1 || state == 2) && reporter_) {
        reporter_->OnOpenState(2);
        reporter_->ResetBuffer();
    }
}

void CMediaWnd::OnTimer(UINT_PTR id) {
    if (id == kRunInfoTimerId) {
        double position = player_.GetCurrentPosition();
        if (!(position >= 0) || !std::isfinite(position) || lastPlayState_ != 2) position = 0;
        long bandwidth = player_.GetBandwidth();
        lastProgress_ = player_.GetBufferingProgress();
        if (reporter_)
            reporter_->SetMyStreamRunInfo(static_cast<unsigned long>(position * 1000), static_cast<unsigned long>(bandwidth), 0,
                                          static_cast<unsigned long>(lastProgress_));
    } else if (id == kBufferingTimerId) {
        lastProgress_ = player_.GetBufferingProgress();
        long shown = lastProgress_ + 1;
        if (shown > 100) shown = 100;
        if (shown < 0) shown = 0;
        if (reporter_) reporter_->OnBuffering(static_cast<unsigned long>(shown));
    }
}

void CMediaWnd::PumpMessages() {
    MSG msg;
    for (int guard = 0; guard < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CMediaWnd::TermPlayer() {
    Log("TermPlayer");
    StopTimer(&runInfoTimer_);
    StopTimer(&bufferingTimer_);
    reporter_ = nullptr;
    PumpMessages();
    busy_ = 1;
    if (site_ && site_->Dispatch()) {
        player_.Stop();
        player_.SetFileName("");
    }
    busy_ = 0;
    PumpMessages();
    DestroyWindow();
    delete this;
}
