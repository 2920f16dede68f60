// Drives the real player as a user does: tunerdeck.exe with the real skin
// engine and the standard skin, its playback host with the stand-in
// engines, in a fresh user folder and a fresh settings key. Input goes in
// as mouse and keyboard messages at the elements' places and as links of a
// second start; what the user perceives comes back as the elements' texts
// (asked through the skin engine's element query), pop-ups and their texts,
// the tone on the null sink, and files.
//
// One session at a time: it takes the player's settings key and user
// folder, so the test executable holds the settings, sound and mainwindow
// locks.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tdtest.h"

namespace journeys {

// Elements of the main window a user looks at or clicks.
enum : unsigned {
    kPlayButton = 1,
    kStopButton = 3,
    kCloseButton = 14,
    kStationsButton = 18,
    kStatusLine = 48,
    kStationLine = 49,
    kTitleLine = 50,
    kBitrateLine = 54,
    kRecordButton = 274,
};
// The states of a button that is neither pressed nor latched, without and
// with the mouse over it.
constexpr int kButtonUp = 2;
constexpr int kButtonHovered = 4;
// The displays that may carry the running time ("00:00:07/LIVE").
constexpr unsigned kStreamFactLines[] = {52, 55, 56, 57};

struct ElementView {
    bool found = false;
    bool visible = false;
    bool enabled = false;
    int status = 0;
    RECT rect = {};          // in the skinned window's client area
    HWND ownWindow = nullptr;
    std::string text;
};

class PlayerSession {
public:
    PlayerSession();
    ~PlayerSession();    // closes the player (forced only when it does not end), puts the user folder back
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // Before Start: the fresh user folder (with a trailing backslash), and
    // the station database there with channel `channelId`'s first stream
    // moved to `address`.
    const std::string& UserFolder() const { return userFolder_; }
    // Where recordings go: the documents folder's "Aufnahmen" as a fresh
    // user has it, also emptied for the session and put back afterwards.
    const std::string& RecordingFolder() const { return recordingFolder_; }
    // Where podcast episodes go: the documents folder's "Podcasts", handled
    // the same way.
    const std::string& PodcastFolder() const { return podcastFolder_; }
    bool RouteStation(unsigned channelId, const std::string& address);
    const tdtest::RegistrySandbox& Settings() const { return settings_; }

    // Starts the player and waits for its main window.
    bool Start(const std::vector<std::string>& args = {});
    HWND Main() const { return main_; }
    const tdtest::Process& Program() const { return *program_; }
    // Closes the player through its close button and starts it again on the
    // same user folder and settings key, as a user restarting it.
    bool Restart(const std::vector<std::string>& args = {});
    // A second start with a link (tunerdeck://|...); waits until it has
    // handed the link over and ended.
    bool Link(const std::string& link);

    // What an element of a skinned window (the main window by default) shows.
    ElementView Element(unsigned id, HWND window = nullptr);
    // Waits until the element's text passes `accept`; the last text seen
    // goes to *last.
    bool WaitForText(unsigned id, const std::function<bool(const std::string&)>& accept, DWORD ms,
                     std::string* last = nullptr, HWND window = nullptr);
    // A left click at the middle of the element.
    bool Click(unsigned id, HWND window = nullptr);
    // A key pressed and released in a window of the player (the main window by default).
    void Key(UINT vk, HWND window = nullptr);

    // A visible top-level window of the player that is neither the main
    // window nor a window that was there before (menus and tool tips
    // aside): a pop-up, with its text.
    HWND WaitForPopup(DWORD ms, std::string* text = nullptr);
    std::vector<HWND> Popups();
    static std::string TextOf(HWND window);

    // The 1 kHz test tone heard on the null sink within `ms`.
    bool WaitForTone(DWORD ms, tdtest::ToneStats* stats = nullptr);
    // A file below `folder` whose name ends in `suffix` and that holds at
    // least `minBytes`; its path, or empty.
    std::string WaitForFile(const std::string& folder, const std::string& suffix, size_t minBytes, DWORD ms);

    // The player's debug log of this session.
    std::string Log() const;
    // Screenshot of the main window (and any pop-up over it) into the artifacts folder.
    void Screenshot(const std::string& name);
    // Closes through the close button as a user would; true when the program ended.
    bool CloseByButton(DWORD ms = 30000);
    bool WaitForExit(DWORD ms);

    // The navigator window of the player, or null.
    HWND Navigator() const;
    // One notch of the mouse wheel (towards the user when `delta` is
    // negative) over the middle of a window of the player.
    void Wheel(HWND window, int delta);

private:
    bool Query(HWND window, unsigned id, ElementView* view);

    tdtest::TempFolder programFolder_;
    tdtest::RegistrySandbox settings_;
    std::string userFolder_, asideFolder_;
    std::string recordingFolder_, recordingAside_;
    std::string podcastFolder_, podcastAside_;
    std::unique_ptr<tdtest::Process> program_;
    HWND main_ = nullptr;
    HWND reply_ = nullptr;
    std::vector<HWND> known_;

public:
    // The program folder of this session (no trailing backslash), and a
    // built program or file copied into it as an installation has it
    // (under `as`, a path below the folder, when given).
    std::string ProgramFolder() const;
    bool Install(const std::string& built, const std::string& as = "");
    // Instead of Start, for a player that another program starts (the
    // scheduler, the tray agent): waits for its main window and takes its
    // process as this session's program.
    bool AdoptPlayer(DWORD ms);
};

}  // namespace journeys

namespace journeys {

// ---- the navigator

constexpr const char* kNavigatorClass = "tunerdeck Nav Wnd Class";
// Elements of the navigator a user clicks.
enum : unsigned {
    kNavTopStationsButton = 5,
    kNavFavouritesButton = 6,
    kNavPodcastsButton = 375,
};
// Buttons of a table line: play, add to and remove from the favourites
// (station lines), delete (podcast lines).
enum : unsigned { kRowPlay = 1, kRowAddFavourite = 29, kRowRemoveFavourite = 32, kRowDelete = 256 };

// The navigator window of the session's player (visible or not), or null.
HWND FindNavigator(const PlayerSession& s);
// The table the navigator shows (the child window that answers the line
// query), or null.
HWND FindTable(HWND navigator);

// One line of a table as the table reports it, with its buttons.
struct TableLine {
    uint32_t id = 0;       // the entry's id
    ElementView line;      // text: the columns joined by " | "
    std::vector<std::pair<unsigned, ElementView>> buttons;   // by element id
    // The line's button with this element id, or null.
    const ElementView* Button(unsigned id) const;
};
// The table's lines in the order shown (at most `max`).
std::vector<TableLine> TableLines(HWND table, int max = 400);

// A left click at a point of a window's client area.
void ClickAt(HWND window, POINT pt);
// A picture of the screen area that holds both windows (the main window
// and the navigator) into the artifacts folder as journey-<name>.png.
void ScreenshotBoth(HWND first, HWND second, const std::string& name);

}  // namespace journeys

// ---- the pop-ups and menus of the player, as a user meets them

namespace journeys {

// The player's navigator window, or null.
HWND NavigatorWindow(const PlayerSession& s);
// Opens the menu of a main-window element (the options, station and view
// buttons) and waits for it on screen.
bool OpenElementMenu(PlayerSession& s, unsigned element, DWORD ms);
// A right click at a point of a window's client area; waits for the menu
// it opens.
bool OpenContextMenu(PlayerSession& s, HWND window, POINT at, DWORD ms);
// In the menu on screen: the arrow keys (from no entry chosen), then Return.
// Down from the top counts entries, Up from the bottom; separators are
// skipped, as the user's keys skip them.
void ChooseMenuEntry(PlayerSession& s, UINT arrow, int presses);
// A pop-up of the player (no text needed) that was not among `before`.
HWND WaitForNewPopup(PlayerSession& s, const std::vector<HWND>& before, DWORD ms);
// Waits until a window is gone or hidden.
bool WaitGone(HWND window, DWORD ms);
// The child windows of a class, top to bottom, then left to right.
std::vector<HWND> ChildWindows(HWND parent, const char* className);
// Types into an edit field what it is to hold instead of its text, as
// keys; true once it shows the text.
bool TypeInto(HWND edit, const std::string& text, DWORD ms);
// The entries of a selection box, in order.
std::vector<std::string> BoxEntries(HWND combo);
// Whether a menu of the player is open.
bool MenuOnScreen(const PlayerSession& s);
// The texts of the navigator's rows as shown, top to bottom ("" while it
// shows none).
std::string NavigatorRows(const PlayerSession& s);
// A value of the player's stored settings record in its settings key
// ("" when the record or the value is missing).
std::string StoredSetting(const PlayerSession& s, const char* name);

}  // namespace journeys

// ---- the navigator's rows and a podcast served on this machine

namespace journeys {

// The navigator, extended (by the main window's NAV button when folded), or null.
HWND OpenNavigator(PlayerSession& s);
// The lines of the table the navigator shows once `accept` passes them.
std::vector<TableLine> WaitForLines(HWND nav, const std::function<bool(const std::vector<TableLine>&)>& accept);
// The line with entry id `id`, or the first whose text holds `part`; or null.
const TableLine* LineOf(const std::vector<TableLine>& lines, uint32_t id);
const TableLine* LineWith(const std::vector<TableLine>& lines, const std::string& part);
// The line `id` of the table shown now, with that table; false while there is none.
bool CurrentLine(HWND nav, uint32_t id, HWND* table, TableLine* line);
// A click on a visible button of a line; false when it has none such.
bool ClickButton(HWND table, const TableLine& line, unsigned id);
// Clicks a button of line `id` and waits for `done`. The host pushes its
// lists again now and then, and the view builds a new table for them: a
// click that went to a table that is gone is made again on the new one.
bool ClickRowUntil(HWND nav, uint32_t id, unsigned button, const std::function<bool()>& done);

// A pop-up of the player whose text holds `part`, or null (at once, or
// after waiting for it).
HWND PopupWith(PlayerSession& s, const std::string& part, std::string* text = nullptr);
HWND WaitForPopupWith(PlayerSession& s, const std::string& part, std::string* text = nullptr);

// Buttons of a podcast line: open or close its episodes; an episode's
// download, cancel and play (the play button takes the element id 1 once
// the episode is there).
enum : unsigned { kRowExpand = 374, kRowDownload = 381, kRowCancel = 382 };
constexpr const char kFeedTitle[] = "Journey Cast";
constexpr const char kEpisodeTitle[] = "Tone episode";

// A podcast on a local server: the feed kFeedTitle at /feed.xml with one
// episode, 30 s of the tone at /tone.mp3, sent slowly enough (15 s) for
// the progress to show.
struct EpisodeFeed {
    EpisodeFeed();
    std::string FeedUrl() const { return server.Url("/feed.xml"); }
    const std::string& Episode() const;
    // Whether a request (also one a proxy passes on, which names the whole
    // address) asks for this server, and its answer.
    bool Serves(const tdtest::HttpRequest& r) const;
    tdtest::HttpResponse Answer(const tdtest::HttpRequest& r) const;
    tdtest::HttpServer server;
};

// Subscribes the feed at `feedUrl` in the running player as a web page's
// link does (the player asks first, naming kFeedTitle), then shows the
// navigator's podcast view; the navigator, or null with the reason in *failure.
HWND SubscribeByLink(PlayerSession& s, const std::string& feedUrl, std::string* failure);
// In the podcast view: opens kFeedTitle's line and starts the download of
// kEpisodeTitle from its line (unless the player started it by itself, its
// rule for new episodes). The episode line's id goes to *episodeId; false
// with the reason in *failure.
bool DownloadEpisode(HWND nav, uint32_t* episodeId, std::string* failure);

}  // namespace journeys
