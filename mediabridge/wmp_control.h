// What the host window needs of the Media Player 7+ control, behind one
// small interface: the real control (wmp.h interfaces, hosted through the
// shared control container) and the tests' double both implement it.
// Every read says whether it worked, so that a stub answer of the platform
// (E_NOTIMPL, or a state that always reads 0) is never taken for a value.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class WmpControl {
public:
    virtual ~WmpControl() = default;

    struct ErrorEntry {
        long code;
        std::string text;
    };

    // Hands the control an address; S_OK when it accepted it.
    virtual HRESULT SetUrl(const char* url) = 0;
    virtual void Close() = 0;

    // Polled states: false when the control cannot say.
    virtual bool PlayState(long* state) = 0;
    virtual bool OpenState(long* state) = 0;

    // The current item.
    virtual bool HasCurrentItem() = 0;
    virtual bool ItemText(const char* attribute, char* out, size_t size) = 0;
    virtual bool Duration(double* seconds) = 0;
    virtual bool SourceUrl(char* out, size_t size) = 0;
    // -1: the item has no extended media interface; 0: it has no error
    // item; 1: *code and *text are the item's error.
    virtual int ItemError(long* code, std::string* text) = 0;

    // The current playlist.
    virtual bool EntryCount(long* count) = 0;
    // Position (from 0) of the entry identical to the current item.
    virtual bool CurrentEntry(long* index) = 0;
    virtual bool PlayEntry(long index) = 0;

    // Controls.
    virtual bool HasControls() = 0;
    virtual bool IsAvailable(const char* what) = 0;
    virtual bool Play() = 0;
    virtual bool Pause() = 0;
    virtual bool Position(double* seconds) = 0;
    virtual bool SetPosition(double seconds) = 0;

    // Network.
    virtual bool HasNetwork() = 0;
    virtual bool BufferingProgress(long* percent) = 0;
    virtual bool SetBufferingTime(long ms) = 0;
    virtual HRESULT SetProxySettings(const char* protocol, long setting) = 0;
    virtual HRESULT SetProxyName(const char* protocol, const char* host) = 0;
    virtual HRESULT SetProxyPort(const char* protocol, long port) = 0;
    virtual bool ProxyName(const char* protocol, char* out, size_t size) = 0;

    // The error queue; false when the control has none to give.
    virtual bool ErrorQueue(std::vector<ErrorEntry>* entries) = 0;

    // Connects the event sink (an object that answers both the event
    // interface and its dispatch form); false when no connection point
    // takes it.
    virtual bool Connect(IUnknown* sink) = 0;
    virtual void Disconnect() = 0;
};

// Creates the real control inside the container window; null when it
// cannot be created.
std::unique_ptr<WmpControl> CreateWmpControl(HWND container);
