// The main window's notices on message 1165 (encoder missing, quality
// adjusted, recording failed, volume 0, podcast already subscribed, file
// cannot be played), and the download of the MP3 encoder that the first
// one offers.
#pragma once

#include <string>
#include <vector>

#include "facetkit_api.h"

// Where the list of the encoder's download sources lies.
constexpr const char* kEncoderSourceList = "http://www.velmirant.de/lame_quellen.xml";
constexpr unsigned long kEncoderListLimit = 999999;

// The contents of the list's "item" elements in document order (trimmed of
// blanks and line ends; empty items are skipped).
FACETKIT_API std::vector<std::string> EncoderSources(const char* text, size_t length);
// The largest archive (and library in it) the download takes.
constexpr unsigned long kEncoderArchiveLimit = 16ul * 1024 * 1024;
// True when the bytes are a zip archive whose directory holds "lame_enc.dll"
// (in any folder, any case), stored or deflated and within the limit: what
// a source sent is checked before the host is asked to unpack it.
FACETKIT_API bool EncoderArchiveHoldsLibrary(const unsigned char* data, size_t length);
// "lame_zip.zip" in the parent of the skins folder ("...\skins\").
FACETKIT_API std::string EncoderZipPath(const char* skinsFolder);

// The downloads and the unpack step of the encoder offer; replaced in tests.
struct EncoderFetch {
    // Whole answer into `text`; false on failure (status 6 or 7).
    bool (*fetchText)(const char* url, std::string* text) = nullptr;
    // Into the file (created anew); false on failure.
    bool (*fetchFile)(const char* url, const char* path) = nullptr;
    // Callback 77: the host unpacks lame_enc.dll; false when it could not.
    bool (*unpack)(const char* zipPath) = nullptr;
    // Progress text of the pop-up (text 632, 633 with the source, 634).
    void (*progress)(const char* text) = nullptr;
};
FACETKIT_API void SetEncoderFetch(const EncoderFetch& fetch);
// A whole answer fetched into memory through the host's download manager
// (at most kEncoderListLimit bytes); false when it failed.
FACETKIT_API bool FetchTextForViews(const char* url, std::string* text);
// The download itself, without questions: 1 when the encoder is installed.
FACETKIT_API int DownloadEncoder(const char* skinsFolder);

// Runs the notice (nothing without a navigator window).
FACETKIT_API void ShowNotice(int notice, int value);
// The episode address notice 6 offers to open.
FACETKIT_API void SetLastEpisodeAddress(const char* address);
// The podcast title notice 5 names.
FACETKIT_API void SetLastSubscribedTitle(const char* title);
FACETKIT_API std::string GetLastSubscribedTitle();
