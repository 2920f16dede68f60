// The small playback engine behind the stand-ins for the Media Player 6.4
// control and realbridge: opens an HTTP/ICY stream (WinINet) or a local file,
// decodes MP3 (LAME's decoder) or PCM WAV, buffers, and plays through waveOut.
//
// All network, decoding and sound work runs on threads of the engine; the
// owner's thread is never blocked for more than a short lock. The engine
// tells its owner about changes by posting one message to the owner's window
// (notifyMsg); the owner then takes the events with PopEvent on its own thread,
// so COM events and status reports stay on the thread that made the engine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace pe {

// States in the numbering of the Media Player 6.4 control, which both
// stand-ins report in.
enum PlayState : int32_t { kStopped = 0, kPaused = 1, kPlaying = 2, kWaiting = 3 };
enum OpenState : int32_t { kClosed = 0, kLocating = 3, kConnecting = 4, kOpening = 5, kOpen = 6 };

enum class EventKind {
    OpenState,        // value = new open state
    PlayState,        // value = new play state, old = previous one
    BufferingStart,
    BufferingEnd,
    NewStream,        // title or author changed (or the first stream information)
    EndOfStream,      // a file or a finite download was played to its end
    Error,            // ErrorText() tells what; the engine has stopped
};

struct Event {
    EventKind kind;
    int32_t value;
    int32_t old;
};

struct EngineInfo {
    int32_t openState = kClosed;
    int32_t playState = kStopped;
    int32_t bufferingProgress = 0;   // percent of the pre-buffer filled
    uint32_t positionMs = 0;
    uint32_t durationMs = 0;         // 0 for live streams
    uint32_t bitrate = 0;            // bit/s
    bool hasError = false;
    char title[512] = {};
    char author[512] = {};
    char error[512] = {};
    int32_t entryCount = 0;          // playlist entries (1 for a single address)
    int32_t currentEntry = 0;        // counted from 1; 0 when none
};

struct Session;

class PlayEngine {
public:
    PlayEngine(HWND notifyWnd, UINT notifyMsg);
    ~PlayEngine();
    PlayEngine(const PlayEngine&) = delete;
    PlayEngine& operator=(const PlayEngine&) = delete;

    // Opens an address (http://, file://, a path, or a playlist naming such
    // addresses). Playing starts once opened when autoStart is set or Play()
    // has been called meanwhile. Returns at once.
    void Open(const char* address, bool autoStart);
    void Play();                 // start, continue after a pause, or reopen after Stop
    void Pause();
    void Stop();                 // ends the current session; the address stays open
    void Close();                // forgets the address (open state 0)
    void SetCurrentEntry(int32_t entry);   // counted from 1; takes effect with Play()
    void Seek(uint32_t ms);      // local files only; restarts the session at that point
    void SetBufferMs(uint32_t ms);
    void SetProxy(const char* host, uint32_t port);   // null host: direct or system proxy
    void SetCredentials(const char* user, const char* password);

    EngineInfo Info() const;
    bool PopEvent(Event* ev);

private:
    void Start(bool play, uint32_t startMs);
    void StopSession();

    HWND notifyWnd_;
    UINT notifyMsg_;
    std::shared_ptr<Session> session_;
    std::shared_ptr<struct EngineShared> shared_;
};

}  // namespace pe
