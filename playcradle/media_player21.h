// The wrapper through which the playback host talks to the Media Player 6.4
// control: one dispatch call per member. A control fault leaves the default
// result (0, empty text) and is remembered in Failed(), so that callers can
// discard it as they choose.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

class CMediaPlayer21 {
public:
    void Attach(IDispatch* disp) { disp_ = disp; }   // not owned; the control site holds it
    IDispatch* GetDispatch() const { return disp_; }
    bool Failed() const { return failed_; }

    double GetDuration();
    void SetFileName(const char* name);
    double GetCurrentPosition();
    void SetCurrentPosition(double seconds);
    long GetBandwidth();
    long GetOpenState();
    BOOL GetHasError();
    std::string GetErrorDescription();
    long GetPlayState();
    long GetBufferingProgress();
    long GetEntryCount();
    void Play();
    void Pause();
    void Stop();
    void Open(const char* address);
    std::string GetMediaInfoString(long kind);
    long GetCurrentEntry();
    void SetCurrentEntry(long entry);
    void SetBoolProperty(DISPID id, BOOL value);   // the settings made after creation

private:
    long GetLong(DISPID id);
    void Method(DISPID id);

    IDispatch* disp_ = nullptr;
    bool failed_ = false;
};
