// Puts a test's host settings and callback into the library's state and
// gives the previous ones back afterwards (with the download manager and
// the skins folder, which some tests change too).
#pragma once

#include "bounded_text.h"
#include "library_state.h"

class LibraryGuard {
public:
    LibraryGuard(cSettingsInterface* host, HostEventCallback callback)
        : host_(Library().host), callback_(Library().callback), downloads_(Library().downloads) {
        bk::TextCopy(skins_, Library().skinsFolder);
        Library().host = host;
        Library().callback = callback;
    }
    ~LibraryGuard() {
        Library().host = host_;
        Library().callback = callback_;
        Library().downloads = downloads_;
        bk::TextCopy(Library().skinsFolder, skins_);
    }
    LibraryGuard(const LibraryGuard&) = delete;
    LibraryGuard& operator=(const LibraryGuard&) = delete;

private:
    cSettingsInterface* host_;
    HostEventCallback callback_;
    cDownloadManager* downloads_;
    char skins_[256] = {};
};
