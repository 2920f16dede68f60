// The player's exchanges with the interface server that update stored data
// (top stations, programme tips), the update offers and the help. Every job
// makes its own client; a failed request leaves the stored data as it was.
// Message boxes and the shell go through replaceable functions, so tests
// answer the boxes and read the command lines.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "list_push.h"
#include "recommend_record.h"
#include "win_handles.h"

class cSettings;
class cUpdateInfoDoc;
class cUserDataStore;

namespace td {

// The skin's recommendation record (callback code 36).
using RecommendationRecord = ::RecommendRecord;

class cServerJobs {
public:
    using MessageBoxFn = std::function<int(const char* text, const char* title, UINT flags)>;
    using ShellFn = std::function<void(const char* file, const char* parameters)>;
    using BrowserFn = std::function<void(const char* address)>;
    using DownloadFn = std::function<int(const char* address, const char* localFile)>;

    cServerJobs(cSettings* settings, cUserDataStore* store, const SkinListApi& skin);

    // "host[:port]" of the interface server; empty: the built-in one.
    void SetServer(const std::string& host) { server_ = host; }
    void SetMessageBox(MessageBoxFn f) { messageBox_ = std::move(f); }
    void SetShell(ShellFn f) { shell_ = std::move(f); }
    void SetBrowser(BrowserFn f) { browser_ = std::move(f); }
    void SetDownload(DownloadFn f) { download_ = std::move(f); }
    // The player's run state (2: ending); an offered program update waits for it.
    void SetPlayerState(const volatile int* state) { state_ = state; }
    // The server's help-download address (one of its texts), by language.
    void SetHelpDownload(const std::string& german, const std::string& english) {
        helpDe_ = german;
        helpEn_ = english;
    }

    // 1 when the user accepted: update mode := kind, status 21.
    int OfferUpdate(int kind, const char* text);
    int UpdateMode() const { return updateMode_; }

    void ShowHelp(const char* page);
    void UpdateTopStations();
    // Runs after an update that is already under way; 1 when the database
    // is current or was replaced, 0 when the request failed.
    int UpdateDatabase();
    // Returns the number of tips after the update, -1 when nothing changed.
    int UpdateProgrammTips();
    // Writes the result into the record's first number too.
    int SendRecommendation(RecommendationRecord* record);
    int SendSkinData(const char* text, int skinId);
    // The streams to avoid, as search results (diagnostic).
    int ShowDeadStreams();

    // The information the start-up answer offers (its INFOSTATUS "1"): kept
    // until the skin asks for it (code 82).
    void KeepOfferedInfo(const cUpdateInfoDoc& answer);
    // The kept offer's address and size (empty and 0 when none is kept).
    void OfferedInfo(std::string* address, int* cx, int* cy);
    // Hands a kept offer to the skin's info window; 1 when it went there.
    int ShowOfferedUpdate();

private:
    std::string Message(unsigned id);
    void Status(const char* text, int code);

    cSettings* settings_;
    cUserDataStore* store_;
    SkinListApi skin_;
    std::string server_;
    MessageBoxFn messageBox_;
    ShellFn shell_;
    BrowserFn browser_;
    DownloadFn download_;
    const volatile int* state_ = nullptr;
    std::string helpDe_, helpEn_;
    volatile LONG updateMode_ = 0;
    bk::CriticalSection databaseLock_;
    bk::CriticalSection offerLock_;
    int offered_ = 0, offerCx_ = 0, offerCy_ = 0;
    std::string offerText_;
};

}  // namespace td
