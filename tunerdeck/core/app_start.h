// Start-up of tunerdeck.exe: the start text of a program or protocol start,
// the single running instance, the user folders and the default data files.
// The text helpers call no Windows API so they also build natively.
#pragma once

#include <windows.h>

#include <string>
#include <vector>


class cRadioPlayer;
class cDownloadManager;

namespace td {

// The one player object and download manager while the program runs; null
// before start-up creates them and after shut-down.
cRadioPlayer* Player();
void SetPlayer(cRadioPlayer* player);
cDownloadManager* Downloads();

constexpr const char* kInstanceMarkerName = "tunerdeck.exe";
constexpr const char* kMainWindowClass = "tunerdeck Main Wnd Class";
constexpr const char* kSplashWindowClass = "vl_splash_screen";
constexpr const char* kProductTitle = "velmirant-Player";
constexpr unsigned kStartTextCopy = 256;   // the tokenised copy, terminator included
constexpr unsigned kMaxStartFields = 10;
constexpr unsigned long kCopyDataStartText = 5;
// How long a second start gives the first one to take its text, and to show
// its main window when it is still starting. The first one takes the text at
// once when its window's thread gets to its messages; a thread kept busy for
// a few seconds (a station being connected under load) must not lose it,
// while a hung one lets the second start end after this.
constexpr unsigned kHandOverTimeoutMs = 30000;
constexpr unsigned kWaitForFirstWindowMs = 10000;
constexpr unsigned kMessageBoxTimeoutMs = 20000;

// The command line after the program's path (quoted or not), leading blanks skipped.
const char* CommandLineTail(const char* commandLine);

// "%20" and "%C2%A0" become blanks, "%7C" a "|"; trailing "/" go.
std::string NormaliseStartText(const std::string& text);
// Fields of the first 255 characters, split at LF, 0xA0 and "|"; runs of
// separators give no empty fields; at most kMaxStartFields.
std::vector<std::string> SplitStartText(const std::string& text);

// One registry change a start text asks for; a null value deletes.
struct StartValue {
    std::string name;
    bool remove = false;
    std::string value;
};
struct StartRequest {
    std::vector<StartValue> values;
    bool startParams = false;   // the text carried a recognised request
    bool endNow = false;        // SHUTDOWN without an argument
};
StartRequest ParseStartKeywords(const std::string& normalisedText);
// Writes the values of a request to the settings key.
void ApplyStartValues(const StartRequest& request);

// The nine characters a folder or file name must not carry become "_".
std::string SanitiseFileName(const std::string& name);

// Copies programFolder\name to userFolder+name unless that can be opened.
void CopyIfMissing(const std::string& programFolder, const std::string& userFolder, const std::string& name);
// The data files every user folder starts with, in copy order.
extern const char* const kDefaultDataFiles[10];

// The program-wide update flag (0 none, 1 installer fetched, 2 skin update).
int UpdateFlag();
void SetUpdateFlag(int flag);
// The crash flag of this run: the previous one did not end cleanly.
bool CrashFlag();
// Closes the single-instance marker early, so another start runs as a first one.
void CloseInstanceMarker();

// The message boxes of start-up and the skin loop: a plain box with the
// product title that closes by itself after 20 seconds, so an unattended
// start never hangs on it.
void ShowPlayerMessage(const char* text);

// The whole life of the program: the start-up routine of the application
// object. Always answers 0 (the framework enters no message loop).
int RunPlayerApplication(const char* startText);

}  // namespace td
