// Reading of podcast feeds (RSS 2.0) and of other small XML texts by literal
// tag search: element finder, attribute values, publication dates, the
// pruning of a feed to its newest items with an enclosure, entity decoding,
// and the file names derived from feed texts. Free of Windows calls, so it
// also builds natively for fuzzing; every input here comes from the network.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef RSS_NATIVE
#define RSS_API
#else
#include "facetkit_api.h"
#define RSS_API FACETKIT_API
#endif

namespace rss {

// Most episodes a feed shows, and how many item dates the pruning weighs.
constexpr int kMaxEpisodes = 50;
constexpr int kEpisodeRecords = 60;
constexpr int kMaxWeighedDates = 5000;
// A feed document larger than this is not read at all.
constexpr size_t kMaxDocument = 32u * 1024u * 1024u;

// Where one element sits in a text (offsets into the text).
struct ElementSpan {
    size_t start = 0;          // the "<" of the opening tag
    size_t contentStart = 0;   // behind the opening tag's ">"
    size_t contentEnd = 0;     // the "<" of the closing tag
    size_t end = 0;            // behind the closing tag
    size_t attrStart = 0, attrLength = 0;
    bool selfClosing = false;
};

// Finds the next element `name` (letter case ignored) at or behind `from`.
// A name only matches when the character behind it cannot continue a name,
// so "item" never matches "<items>". Nested elements of the same name move
// the end to the matching closing tag. False when there is none, or when the
// element has no closing tag; a self-closing element is found (selfClosing
// set, content empty).
RSS_API bool LocateElement(const char* text, size_t length, const char* name, size_t from, ElementSpan* span);

// The finder as the feed object offers it: content and attributes as copies
// (either may be null), position in and out (the closing tag's offset). A
// self-closing element hands out its attributes only and answers false.
RSS_API bool FindElement(const char* text, size_t length, const char* name, std::string* content,
                 std::string* attributes, size_t* position);

// The value of an attribute (`url`, `length`, ...) in an attribute text,
// quoted with " or '; false when missing.
RSS_API bool GetAttribute(const std::string& attributes, const char* name, std::string* value);

// Publication date of an RFC 822 text ("Mi, 05 Okt 2011 10:00:00 +0200").
struct EpisodeDate {
    char text[16] = {};   // "dd.mm.yyyy", empty when there is no date
    int32_t number = 0;   // year * 10000 + month * 100 + day
};
RSS_API EpisodeDate ParseDate(const char* text);

// Decodes the five named entities (in the order "&amp;" first) and then,
// for texts shown to the user, the numeric entities and percent escapes of
// the player's table, in place. Addresses keep their percent escapes.
RSS_API void DecodeEntities(std::string* text, bool shown = true);

// Code page named by the document's XML declaration: 65001 for utf-8,
// kLocalAnsi for the marker that our own stored copies carry, else 28591.
constexpr unsigned kLatin1 = 28591;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kLocalAnsi = 0;
constexpr const char* kLocalAnsiName = "x-local-ansi";
RSS_API unsigned DeclaredCodePage(const char* text, size_t length);
// The document with its declaration saying it is in the local code page
// (a declaration is put in front when there is none).
RSS_API std::string MarkLocalAnsi(const std::string& text);

// Result of pruning a feed document.
struct PruneResult {
    int count = 0;                              // episodes shown (0..50)
    EpisodeDate dates[kEpisodeRecords + 1];     // per episode index 1..count
};
// Cuts every item without an enclosure address out of the document and,
// when more than 50 remain, every item older than the 49th newest date.
RSS_API PruneResult PruneItems(std::string* document);

// Whether an item's content has an "enclosure" with a non-empty url.
RSS_API bool ItemHasEnclosure(const char* item, size_t length);

// Number of "item" elements, at most `cap`.
RSS_API int CountItems(const char* text, size_t length, int cap);
// Content of the index-th (1-based) "item" element; false when none.
RSS_API bool GetItem(const char* text, size_t length, int index, std::string* content);

// "%d,%02d MB" of a byte count; empty for 0 or less.
RSS_API std::string SizeText(int64_t bytes);
// Progress of a download: percentage, received and total size text when the
// total is known, else the received amount in MB or kB (with the size text
// when there is one). Never above 100 percent.
RSS_API std::string ProgressText(int64_t received, int64_t total, const std::string& sizeText);
// Byte count of an enclosure: its "length", else its "filesize"; 0 when
// neither is a non-negative decimal number.
RSS_API int64_t EnclosureLength(const std::string& attributes);

// Drops control bytes other than line breaks; a tab becomes a blank.
RSS_API void DropControlBytes(std::string* text);
// Removes the CDATA markers and control bytes, trims white space at both
// ends and turns line breaks inside into blanks.
RSS_API void TrimTitle(std::string* text);
// Removes line feeds, carriage returns and other control bytes.
RSS_API void RemoveLineBreaks(std::string* text);

// File-name part of an enclosure address (behind the last "\" and then the
// last "/"), made usable as a file name; never empty, never a path.
RSS_API std::string EpisodeFileName(const char* address);
// Folder name of a podcast from its channel title; "podcast_<id>" when
// nothing usable remains. At most 100 characters.
RSS_API std::string PodcastFolderName(const char* title, unsigned long id);
// File name of a feed's stored copy from its address.
RSS_API std::string FeedFileName(const char* address, unsigned long id);
// Short, stable tag of an address (eight hex digits).
RSS_API std::string AddressTag(const char* address);

// Playing time of an MP3 file from its first valid frame header (found with
// cMp3FrameHeader): the file size after that header times 8 over the bit
// rate in kbit/s; 0 without a bit rate.
RSS_API int64_t Mp3Seconds(int64_t fileSize, int64_t headerOffset, int bitrateKbps);

}  // namespace rss
