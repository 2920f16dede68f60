// Everything the scheduler needs of the world outside its own list: the
// clock, the main program, window timers, the timer list file and the
// message texts. The program uses the real ones; tests drive a subclass
// (a clock they set, commands they record) through the same job cycle.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class cListe;

class cSchedulerHost {
public:
    virtual ~cSchedulerHost() = default;

    // Local wall-clock time as a file-time count (100 ns units), no zone
    // conversion: the timer list holds local times.
    virtual uint64_t LocalNow();
    // Runs a command line the way a user's shortcut would (shown window).
    virtual void RunCommand(const char* commandLine);
    virtual HWND FindMainWindow();
    virtual void Pause(DWORD ms);
    virtual void StartTimer(HWND wnd, UINT_PTR id, UINT ms);
    virtual void StopTimer(HWND wnd, UINT_PTR id);

    virtual int Language();
    virtual void Text(unsigned id, int language, char* buffer, int size);

    // The timer list file. LockList holds the cross-process timer mutex
    // (recursively, so the load and save functions that take it themselves
    // still run) until UnlockList; ReadListFile gives the file's bytes.
    virtual bool LockList();
    virtual void UnlockList();
    virtual void LoadList(cListe* list);
    virtual void SaveList(cListe* list);
    virtual bool ReadListFile(std::string* bytes);
    // "clockwarden.ini" in the user folder (the setting "PathUser"); empty
    // when there is no user folder.
    virtual std::string ListFilePath();

private:
    HANDLE mutex_ = nullptr;   // basekit's, not ours to close
    int locks_ = 0;
};
