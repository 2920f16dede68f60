// Engine kind 2 of the playback host: a hidden dialog holding the Media
// Player 6.4 control, whose events and two poll timers become reports of
// the status reporter.
#pragma once

#include <windows.h>

#include "app_frame.h"
#include "media_player21.h"

class cSendRunTimeInfo;
namespace olehost {
class ControlSite;
class EventSink;
}

class CMediaWnd : public appframe::Dialog {
public:
    explicit CMediaWnd(cSendRunTimeInfo* reporter);
    // Creates the dialog and the control; 0 when either cannot be made.
    int Create();
    // Ends the engine and deletes the object.
    void TermPlayer();
    void SetBusy(int busy) { busy_ = busy; }
    int IsCreated() const { return created_; }
    CMediaPlayer21& Player() { return player_; }

    // Entry points, public for the tests of the mapping.
    void OnBuffering(BOOL start);
    void OnPlayStateChange(long oldState, long newState);
    void OnOpenStateChange(long oldState, long newState);
    void OnError();
    void OnNewStream();
    void OnReadyStateChange(long state);
    void OnTimer(UINT_PTR id) override;

private:
    ~CMediaWnd() override;
    INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
    void OnEvent(DISPID id, DISPPARAMS* params);
    void Log(const char* text, int level = 7);
    void LogF(int level, const char* fmt, ...);
    void ReportStreamInfo();
    void StopTimer(UINT_PTR* id);
    void PumpMessages();

    int created_ = 0;
    cSendRunTimeInfo* reporter_;
    CMediaPlayer21 player_;
    UINT_PTR runInfoTimer_ = 0;
    UINT_PTR bufferingTimer_ = 0;
    long lastPlayState_ = 0;
    long lastOpenState_ = 0;
    long lastProgress_ = 0;
    int busy_ = 0;
    olehost::ControlSite* site_ = nullptr;
    olehost::EventSink* sink_ = nullptr;
};
