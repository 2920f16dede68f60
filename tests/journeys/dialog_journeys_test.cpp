// The player's pop-ups as a user opens them: from the main window's menus,
// the navigator's folder box and its menu, typed into and confirmed with
// their buttons; judged by what the player then keeps in its settings,
// lists, plays and leaves on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "catalogue.h"
#include "decoder.h"
#include "liste.h"
#include "player_session.h"
#include "test_audio.h"
#include "timerentry.h"
#include "timerlist.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;

// Elements of the main window that open menus.
enum : unsigned { kOptionsButton = 17 };
// Pop-up buttons.
enum : unsigned { kOk = 187, kCancel = 226, kOwnStationOk = 288 };
// Tabs of the options pop-up.
enum : unsigned { kPodcastsTab = 378, kRecordingTab = 263, kRecordingOn = 262 };

// The main window's own menu, entries counted from the bottom (Up from no
// choice lands on the last): Close, Minimise, Go to (once the navigator
// exists), Stream address, Own station.
constexpr int kStreamAddressFromBottom = 4;
constexpr int kOwnStationFromBottom = 5;
constexpr int kGotoFromBottom = 3;

std::string Catalogue(unsigned id) {
    char text[512] = {};
    GetResourceString(nullptr, id, kLanguageGerman, text, sizeof text);
    return text;
}

// The status line's ready text.
bool WaitUntilReady(PlayerSession& s) {
    const std::string ready = Catalogue(414);
    return s.WaitForText(journeys::kStatusLine, [&](const std::string& t) { return t == ready; }, kEventMs);
}

// A right click in the main window, away from its buttons, once the
// player has built its navigator (the menu's "Go to" stands for it).
bool OpenMainMenu(PlayerSession& s) {
    if (!tdtest::WaitFor([&] { return journeys::NavigatorWindow(s) != nullptr; }, kEventMs, 100)) return false;
    RECT client = {};
    GetClientRect(s.Main(), &client);
    return journeys::OpenContextMenu(s, s.Main(), POINT{client.right / 2, client.bottom - 4}, kEventMs);
}

// Options button, first entry ("Einstellungen"): the options pop-up.
HWND OpenOptions(PlayerSession& s) {
    const std::vector<HWND> before = s.Popups();
    if (!journeys::OpenElementMenu(s, kOptionsButton, kEventMs)) return nullptr;
    journeys::ChooseMenuEntry(s, VK_DOWN, 1);
    return journeys::WaitForNewPopup(s, before, kEventMs);
}

// The one edit field of the podcasts page: the podcast folder.
HWND PodcastFolderField(PlayerSession& s, HWND options) {
    HWND field = nullptr;
    tdtest::WaitFor([&] {
        for (HWND edit : journeys::ChildWindows(options, "Edit"))
            if (IsWindowVisible(edit) && PlayerSession::TextOf(edit).find(":\\") != std::string::npos) field = edit;
        return field != nullptr;
    }, kEventMs, 100);
    (void)s;
    return field;
}

std::vector<HWND> NavigatorBoxes(PlayerSession& s) {
    HWND nav = journeys::NavigatorWindow(s);
    return nav ? journeys::ChildWindows(nav, "ComboBox") : std::vector<HWND>();
}

// The main menu's "Go to", first entry: the navigator's favourites, built
// anew (a selection box that was not there before).
bool ShowFavourites(PlayerSession& s) {
    if (!OpenMainMenu(s)) return false;
    const std::vector<HWND> before = NavigatorBoxes(s);
    for (int i = 0; i < kGotoFromBottom; ++i) s.Key(VK_UP);
    s.Key(VK_RIGHT);
    s.Key(VK_RETURN);
    return tdtest::WaitFor([&] {
        for (HWND box : NavigatorBoxes(s))
            if (std::find(before.begin(), before.end(), box) == before.end()) return true;
        return false;
    }, kEventMs, 100);
}

// The favourites view's folder box (the navigator's only selection box there).
HWND FolderBox(PlayerSession& s) {
    HWND box = nullptr;
    tdtest::WaitFor([&] {
        HWND nav = journeys::NavigatorWindow(s);
        std::vector<HWND> boxes = nav ? journeys::ChildWindows(nav, "ComboBox") : std::vector<HWND>();
        box = boxes.size() == 1 ? boxes[0] : nullptr;
        return box != nullptr;
    }, kEventMs, 100);
    return box;
}

std::string Joined(const std::vector<std::string>& list) {
    std::string all;
    for (const std::string& e : list) all += "\"" + e + "\" ";
    return all;
}

// The edit fields of a pop-up once it has made them all.
std::vector<HWND> Fields(HWND popup, size_t count) {
    std::vector<HWND> fields;
    tdtest::WaitFor([&] { return (fields = journeys::ChildWindows(popup, "Edit")).size() >= count; }, kEventMs, 50);
    return fields;
}

bool Contains(const std::vector<std::string>& list, const std::string& text) {
    for (const std::string& e : list)
        if (e == text) return true;
    return false;
}

// What the navigator's table lists, a row a line.
// The folder box's context menu: rename first, create last.
// A menu still open after its keys means they went elsewhere (a busy
// machine may show the menu before its loop reads the keys): it is closed
// and opened again.
HWND FolderMenuPopup(PlayerSession& s, UINT arrow) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        HWND box = FolderBox(s);
        if (!box) return nullptr;
        const std::vector<HWND> before = s.Popups();
        if (!journeys::OpenContextMenu(s, box, POINT{20, 8}, kEventMs)) continue;
        journeys::ChooseMenuEntry(s, arrow, 1);
        if (tdtest::WaitFor([&] { return !journeys::MenuOnScreen(s); }, kEventMs, 50)) {
            if (HWND popup = journeys::WaitForNewPopup(s, before, kEventMs)) return popup;
            continue;
        }
        s.Key(VK_ESCAPE);
        tdtest::WaitFor([&] { return !journeys::MenuOnScreen(s); }, kEventMs, 50);
    }
    return nullptr;
}

TEST(DialogJourneys, OptionsFromTheMenuKeepWhatOkTakesAndDropWhatCancelLeaves) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    const std::string chosen = s.UserFolder() + "Meine Podcasts";
    const std::string dropped = s.UserFolder() + "Verworfen";
    ASSERT_TRUE(CreateDirectoryA(chosen.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(dropped.c_str(), nullptr));

    HWND options = OpenOptions(s);
    ASSERT_NE(options, nullptr) << "the options menu's first entry opens no pop-up";
    ASSERT_TRUE(s.Click(kPodcastsTab, options));
    HWND folder = PodcastFolderField(s, options);
    ASSERT_NE(folder, nullptr) << "no podcast folder on the podcasts page";
    ASSERT_TRUE(journeys::TypeInto(folder, chosen, kEventMs));
    s.Screenshot("options-podcast-folder");
    ASSERT_TRUE(s.Click(kOk, options));
    ASSERT_TRUE(journeys::WaitGone(options, kEventMs));
    std::string stored;
    EXPECT_TRUE(tdtest::WaitFor([&] { return (stored = journeys::StoredSetting(s, "PodcastDir")) == chosen; },
                                kEventMs, 200))
        << "the settings keep \"" << stored << "\"";

    // Opened again, the page shows the folder; a change left with Cancel
    // goes nowhere.
    options = OpenOptions(s);
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(s.Click(kPodcastsTab, options));
    folder = PodcastFolderField(s, options);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(PlayerSession::TextOf(folder), chosen);
    ASSERT_TRUE(journeys::TypeInto(folder, dropped, kEventMs));
    ASSERT_TRUE(s.Click(kCancel, options));
    ASSERT_TRUE(journeys::WaitGone(options, kEventMs));
    s.Screenshot("options-cancelled");
    // The player writes its settings as it ends: what it keeps then is final.
    ASSERT_TRUE(s.CloseByButton());
    EXPECT_EQ(journeys::StoredSetting(s, "PodcastDir"), chosen);
}

TEST(DialogJourneys, OptionsOverTheNavigatorHoldTheWholePlayerStill) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(ShowFavourites(s));
    HWND nav = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] { return (nav = journeys::NavigatorWindow(s)) && IsWindowVisible(nav); },
                                kEventMs, 100))
        << "the navigator is not shown";
    HWND options = OpenOptions(s);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(GetWindow(options, GW_OWNER), nav) << "the options open over the navigator";
    // Neither player window takes a click or a key while the options are open.
    EXPECT_TRUE(tdtest::WaitFor([&] { return !IsWindowEnabled(s.Main()) && !IsWindowEnabled(nav); }, kEventMs, 50))
        << "main window " << (IsWindowEnabled(s.Main()) ? "enabled" : "disabled") << ", navigator "
        << (IsWindowEnabled(nav) ? "enabled" : "disabled");
    EXPECT_TRUE(IsWindowEnabled(options));
    s.Screenshot("options-over-navigator");
    ASSERT_TRUE(s.Click(kCancel, options));
    ASSERT_TRUE(journeys::WaitGone(options, kEventMs));
    EXPECT_TRUE(tdtest::WaitFor([&] { return IsWindowEnabled(s.Main()) && IsWindowEnabled(nav); }, kEventMs, 50))
        << "the player windows stay disabled after the options closed";
}

TEST(DialogJourneys, AFavouritesFolderIsCreatedAndRenamedThroughItsMenu) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(ShowFavourites(s));
    HWND box = FolderBox(s);
    ASSERT_NE(box, nullptr) << "no folder box in the favourites view";
    const std::vector<std::string> first = journeys::BoxEntries(box);

    // Create: the last entry of the folder box's menu.
    HWND popup = FolderMenuPopup(s, VK_UP);
    ASSERT_NE(popup, nullptr) << "the folder menu's last entry opens no pop-up";
    std::vector<HWND> fields = Fields(popup, 1);
    ASSERT_EQ(fields.size(), 1u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], "Jazz am Abend", kEventMs));
    s.Screenshot("new-folder");
    ASSERT_TRUE(s.Click(kOk, popup));
    ASSERT_TRUE(journeys::WaitGone(popup, kEventMs));
    std::vector<std::string> entries;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        box = FolderBox(s);
        entries = box ? journeys::BoxEntries(box) : std::vector<std::string>();
        return Contains(entries, "Jazz am Abend");
    }, kEventMs, 200))
        << "the new folder is not in the folder box: " << Joined(entries) << " before: " << Joined(first) << "\n"
        << s.Log();
    EXPECT_EQ(entries.size(), first.size() + 1) << Joined(entries);
    const size_t created = entries.size();

    // Rename: the new folder chosen in the box, the first entry of its menu.
    int index = 0;
    while (entries[static_cast<size_t>(index)] != "Jazz am Abend") ++index;
    // One arrow at a time, each waited for: an arrow still queued when the
    // menu opens would be taken by the menu's loop and choose another entry.
    const auto selected = [&](int* now) {
        box = FolderBox(s);
        DWORD_PTR got = 0;
        if (!box || !SendMessageTimeoutA(box, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &got)) return false;
        *now = static_cast<int>(got);
        return true;
    };
    ASSERT_TRUE(tdtest::WaitFor([&] {
        int now = -1;
        if (!selected(&now)) return false;
        if (now == index) return true;
        s.Key(now < index ? VK_DOWN : VK_UP, box);
        tdtest::WaitFor([&] {
            int moved = now;
            return selected(&moved) && moved != now;
        }, kEventMs, 50);
        return false;
    }, 4 * kEventMs, 50));
    popup = FolderMenuPopup(s, VK_DOWN);
    ASSERT_NE(popup, nullptr) << "the folder menu's first entry opens no pop-up";
    fields = Fields(popup, 1);
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(PlayerSession::TextOf(fields[0]), "Jazz am Abend") << "the rename starts from the folder's name";
    ASSERT_TRUE(journeys::TypeInto(fields[0], "Jazz in der Nacht", kEventMs));
    s.Screenshot("rename-folder");
    ASSERT_TRUE(s.Click(kOk, popup));
    ASSERT_TRUE(journeys::WaitGone(popup, kEventMs));
    EXPECT_TRUE(tdtest::WaitFor([&] {
        box = FolderBox(s);
        entries = box ? journeys::BoxEntries(box) : std::vector<std::string>();
        return Contains(entries, "Jazz in der Nacht") && !Contains(entries, "Jazz am Abend");
    }, kEventMs, 200))
        << "the folder box does not show the new name: " << Joined(entries);
    EXPECT_EQ(entries.size(), created) << "renaming made a second folder: " << Joined(entries);
    s.Screenshot("renamed-folder");
}

// Chooses the entry of a selection box that passes `accept` with the
// arrow keys, as a user does; false when no entry passes.
bool ChooseEntry(PlayerSession& s, HWND box, const std::function<bool(const std::string&)>& accept) {
    const std::vector<std::string> entries = journeys::BoxEntries(box);
    int index = 0;
    while (static_cast<size_t>(index) < entries.size() && !accept(entries[static_cast<size_t>(index)])) ++index;
    if (static_cast<size_t>(index) == entries.size()) return false;
    return tdtest::WaitFor([&] {
        DWORD_PTR now = 0;
        if (!SendMessageTimeoutA(box, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &now)) return false;
        if (static_cast<int>(now) == index) return true;
        s.Key(static_cast<int>(now) < index ? VK_DOWN : VK_UP, box);
        return false;
    }, kEventMs, 300);
}

// Types into field `index` of a pop-up's `count`; a field the pop-up made
// anew meanwhile is looked up again.
bool TypeIntoField(HWND popup, size_t count, size_t index, const std::string& text) {
    const DWORD until = GetTickCount() + kEventMs;
    do {
        std::vector<HWND> fields = Fields(popup, count);
        if (fields.size() == count && journeys::TypeInto(fields[index], text, until - GetTickCount())) return true;
    } while (static_cast<LONG>(until - GetTickCount()) > 0 && IsWindow(popup));
    return false;
}

// The navigator's table line that names `name`, with its table.
bool LineNaming(PlayerSession& s, const std::string& name, HWND* table, journeys::TableLine* line) {
    HWND nav = journeys::NavigatorWindow(s);
    *table = nav ? journeys::FindTable(nav) : nullptr;
    if (!*table) return false;
    for (const journeys::TableLine& l : journeys::TableLines(*table))
        if (l.line.text.find(name) != std::string::npos) {
            *line = l;
            return true;
        }
    return false;
}

TEST(DialogJourneys, AnOwnStationIsCreatedListedAndPlayed) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    // The editor's choices (country, genre, stream format) come with the
    // station lists: the player is ready once it has them.
    ASSERT_TRUE(WaitUntilReady(s));
    ASSERT_TRUE(OpenMainMenu(s));
    const std::vector<HWND> before = s.Popups();
    journeys::ChooseMenuEntry(s, VK_UP, kOwnStationFromBottom);
    HWND editor = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(editor, nullptr) << "the main menu's own-station entry opens no pop-up";
    // Name, home page, description, address: top to bottom.
    ASSERT_EQ(Fields(editor, 4).size(), 4u);
    ASSERT_TRUE(TypeIntoField(editor, 4, 0, "Journey Eigenfunk"));
    ASSERT_TRUE(TypeIntoField(editor, 4, 3, station.Url()));
    // The stream format is required; under Wine the RealAudio engine is the
    // one that reaches an http stream.
    std::vector<HWND> boxes = journeys::ChildWindows(editor, "ComboBox");
    ASSERT_EQ(boxes.size(), 5u);
    HWND format = boxes.back();
    ASSERT_TRUE(ChooseEntry(s, format, [](const std::string& e) { return e.find("Real") != std::string::npos; }))
        << "no RealAudio among the formats " << Joined(journeys::BoxEntries(format));
    s.Screenshot("own-station");
    ASSERT_TRUE(s.Click(kOwnStationOk, editor));
    std::string lists;
    for (HWND box : journeys::ChildWindows(editor, "ComboBox")) lists += Joined(journeys::BoxEntries(box)) + "| ";
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs)) << "the editor refused the station; list sizes " << lists;

    // The favourites view, folder by folder, until the user's own stations list it.
    ASSERT_TRUE(ShowFavourites(s));
    HWND box = FolderBox(s);
    ASSERT_NE(box, nullptr);
    const size_t folders = journeys::BoxEntries(box).size();
    // Folder after folder, round again from the top while the bound lasts: a
    // busy machine may fill a folder's rows later than a glance at it waits.
    bool listed = false;
    const DWORD until = GetTickCount() + 4 * kEventMs;
    for (size_t i = 0; !listed && GetTickCount() < until; ++i) {
        listed = tdtest::WaitFor([&] { return journeys::NavigatorRows(s).find("Journey Eigenfunk") != std::string::npos; },
                                 3000, 200);
        if (listed || !(box = FolderBox(s))) continue;
        DWORD_PTR was = 0;
        SendMessageTimeoutA(box, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &was);
        if (folders < 2) continue;
        s.Key((i + 1) % folders == 0 ? VK_HOME : VK_DOWN, box);
        tdtest::WaitFor([&] {
            DWORD_PTR now = was;
            return SendMessageTimeoutA(box, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &now) && now != was;
        }, kEventMs, 50);
    }
    ASSERT_TRUE(listed) << "the new station is in no folder of the favourites view; rows:\n" << journeys::NavigatorRows(s);
    s.Screenshot("own-station-listed");

    // Played from its line: the host pushes its lists now and then and the
    // view builds a new table, so a click that went to a table that is gone
    // is made again.
    tdtest::ToneStats st;
    bool heard = false;
    const DWORD playUntil = GetTickCount() + 2 * kEventMs;
    while (!heard && static_cast<LONG>(playUntil - GetTickCount()) > 0) {
        HWND table = nullptr;
        journeys::TableLine line;
        const journeys::ElementView* play = nullptr;
        if (LineNaming(s, "Journey Eigenfunk", &table, &line) && (play = line.Button(journeys::kRowPlay)) &&
            play->visible)
            journeys::ClickAt(table, POINT{(play->rect.left + play->rect.right) / 2,
                                           (play->rect.top + play->rect.bottom) / 2});
        heard = s.WaitForTone(5000, &st);
    }
    EXPECT_TRUE(heard) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    EXPECT_GE(station.Connections(), 1u);
    s.Screenshot("own-station-playing");
}

TEST(DialogJourneys, AStreamAddressTypedIntoItsPopupIsPlayed) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(OpenMainMenu(s));
    const std::vector<HWND> before = s.Popups();
    journeys::ChooseMenuEntry(s, VK_UP, kStreamAddressFromBottom);
    HWND popup = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(popup, nullptr) << "the main menu's stream-address entry opens no pop-up";
    // The address box is an editable selection box: its edit field.
    std::vector<HWND> fields = Fields(popup, 1);
    ASSERT_EQ(fields.size(), 1u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], station.Url(), kEventMs));
    s.Screenshot("stream-address");
    ASSERT_TRUE(s.Click(kOk, popup));
    ASSERT_TRUE(journeys::WaitGone(popup, kEventMs));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    EXPECT_GE(station.Connections(), 1u);
    s.Screenshot("stream-address-playing");
}

}  // namespace

namespace {

TEST(DialogJourneys, ClosingTheRecordingSavedPopupKeepsTheRecording) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link("tunerdeck://|CUSTOMURL|" + station.Url() + "|1|Journey"));
    ASSERT_TRUE(s.WaitForTone(kEventMs)) << s.Log();
    // Recording is switched on in the options' recording page first.
    HWND options = OpenOptions(s);
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(s.Click(kRecordingTab, options));
    ASSERT_TRUE(tdtest::WaitFor([&] { return s.Element(kRecordingOn, options).found; }, kEventMs, 100));
    if (s.Element(kRecordingOn, options).status != 1 && s.Element(kRecordingOn, options).status != 8) {
        ASSERT_TRUE(s.Click(kRecordingOn, options));
    }
    ASSERT_TRUE(tdtest::WaitFor([&] {
        const int status = s.Element(kRecordingOn, options).status;
        return status == 1 || status == 8;
    }, kEventMs, 100));
    ASSERT_TRUE(s.Click(kOk, options));
    ASSERT_TRUE(journeys::WaitGone(options, kEventMs));
    // The recording folder the player keeps.
    std::string recordings;
    ASSERT_TRUE(tdtest::WaitFor([&] { return !(recordings = journeys::StoredSetting(s, "RecordingDir")).empty(); },
                                kEventMs, 100));
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    std::string file = s.WaitForFile(recordings, ".wav", 2 * 176400, kEventMs);
    ASSERT_FALSE(file.empty()) << "nothing recorded into " << recordings << "\n" << s.Log();
    const std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    HWND saved = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(saved, nullptr) << "no recording-saved pop-up";
    s.Screenshot("recording-saved");
    // Closed as a window is (Alt+F4), not with its delete button: no
    // question whether to delete, and the recording stays.
    PostMessageA(saved, WM_CLOSE, 0, 0);
    ASSERT_TRUE(journeys::WaitGone(saved, kEventMs));
    ASSERT_TRUE(s.CloseByButton()) << "the player did not end: a question is open";
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << file << " is gone";
}

}  // namespace

// ---- the options across a restart, the timer editor with the scheduler,
// the profile editor, the converter and an own station played

namespace {

// The options' internet page: the proxy switch.
enum : unsigned { kInternetTab = 228, kProxyOn = 293 };
// Buttons of the profile editors, the converter and the questions.
enum : unsigned { kProfileSave = 288, kProfileDelete = 186, kYes = 289, kConvert = 187, kConverterClose = 355 };
// Navigator elements: the recording and timer views, and in them the cut
// profile editor and the new timer entry.
enum : unsigned { kNavRecordingView = 265, kNavTimerView = 322, kNavCutProfile = 370, kNavNewTimer = 330 };
// The timer editor's OK.
enum : unsigned { kTimerOk = 288 };

// A button clicked until `done` holds: a navigator view is built anew now
// and then (the host pushes its lists), and the options take no click while
// they build a page, so a click that went nowhere is made again.
bool PressUntil(PlayerSession& s, HWND window, unsigned button, const std::function<bool()>& done) {
    const DWORD until = GetTickCount() + 2 * kEventMs;
    do {
        if (s.Click(button, window) && tdtest::WaitFor(done, 10000, 100)) return true;
    } while (static_cast<LONG>(until - GetTickCount()) > 0);
    return false;
}

bool Ticked(PlayerSession& s, HWND popup, unsigned id) {
    const int status = s.Element(id, popup).status;
    return status == 1 || status == 8;
}

// Ticks a check box of a pop-up unless it is ticked.
bool Tick(PlayerSession& s, HWND popup, unsigned id) {
    return Ticked(s, popup, id) || PressUntil(s, popup, id, [&] { return Ticked(s, popup, id); });
}

std::vector<HWND> VisibleFields(HWND popup) {
    std::vector<HWND> shown;
    for (HWND edit : journeys::ChildWindows(popup, "Edit"))
        if (IsWindowVisible(edit)) shown.push_back(edit);
    return shown;
}

// A page of the options once it is built: `count` edit fields shown, none
// of them one of the page before.
std::vector<HWND> ShowPage(PlayerSession& s, HWND options, unsigned tab, size_t count) {
    const std::vector<HWND> before = VisibleFields(options);
    std::vector<HWND> fields;
    PressUntil(s, options, tab, [&] {
        fields = VisibleFields(options);
        for (HWND f : fields)
            if (std::find(before.begin(), before.end(), f) != before.end()) return false;
        return fields.size() == count;
    });
    return fields.size() == count ? fields : std::vector<HWND>();
}

// The recording page with recording switched on: its folder field.
HWND RecordingFolderField(PlayerSession& s, HWND options) {
    if (!PressUntil(s, options, kRecordingTab, [&] { return s.Element(kRecordingOn, options).found; }) ||
        !Tick(s, options, kRecordingOn))
        return nullptr;
    // The page waits for the host's device lists before it shows the field.
    HWND field = nullptr;
    tdtest::WaitFor([&] {
        std::vector<HWND> fields = VisibleFields(options);
        field = fields.size() == 1 ? fields[0] : nullptr;
        return field != nullptr;
    }, kEventMs, 100);
    return field;
}

// What the options journeys change: the recording and podcast folders and
// the proxy.
struct OptionsChange {
    std::string recordings, podcasts, proxyHost, proxyPort;
};

// Opens the options from the menu and types the change into the recording,
// podcasts and internet pages; the pop-up is left open.
HWND EnterOptions(PlayerSession& s, const OptionsChange& c) {
    HWND options = OpenOptions(s);
    if (!options) {
        ADD_FAILURE() << "the options menu's first entry opens no pop-up";
        return nullptr;
    }
    HWND recordings = RecordingFolderField(s, options);
    if (!recordings || !journeys::TypeInto(recordings, c.recordings, kEventMs)) {
        ADD_FAILURE() << "no recording folder to type into";
        return nullptr;
    }
    std::vector<HWND> fields = ShowPage(s, options, kPodcastsTab, 1);
    if (fields.empty() || !journeys::TypeInto(fields[0], c.podcasts, kEventMs)) {
        ADD_FAILURE() << "no podcast folder to type into";
        return nullptr;
    }
    // User name and password, then the proxy's address and port.
    fields = ShowPage(s, options, kInternetTab, 4);
    if (fields.empty() || !Tick(s, options, kProxyOn) ||
        !tdtest::WaitFor([&] { return IsWindowEnabled(fields[2]) && IsWindowEnabled(fields[3]); }, kEventMs, 50) ||
        !journeys::TypeInto(fields[2], c.proxyHost, kEventMs) ||
        !journeys::TypeInto(fields[3], c.proxyPort, kEventMs)) {
        ADD_FAILURE() << "the proxy cannot be switched on and typed in";
        return nullptr;
    }
    return options;
}

bool Confirm(PlayerSession& s, HWND options, unsigned button) {
    return s.Click(button, options) && journeys::WaitGone(options, kEventMs);
}

// Recording switched on in the options, nothing else changed.
bool SwitchRecordingOn(PlayerSession& s) {
    HWND options = OpenOptions(s);
    const char* failed = !options                            ? "the options do not open"
                         : !RecordingFolderField(s, options) ? "the recording page shows no folder"
                         : !Confirm(s, options, kOk)         ? "the options do not close on OK"
                                                             : nullptr;
    if (failed) {
        s.Screenshot("recording-on-failed");
        ADD_FAILURE() << failed;
    }
    return !failed;
}

// A stand-in proxy: it records every request and serves the tone stream
// for the one station address only it can reach; requests for a local
// podcast it passes on.
constexpr const char* kBehindProxyHost = "tunerdeck-journey.invalid";
const std::string kBehindProxy = std::string("http://") + kBehindProxyHost + "/live";
// A proxy is asked with the whole address (WinINet names the port too).
bool ForStationBehind(const tdtest::HttpRequest& r) {
    return r.target.rfind(std::string("http://") + kBehindProxyHost, 0) == 0 &&
           r.target.find("/live") != std::string::npos;
}
struct ToneProxy {
    tdtest::HttpServer server;
    explicit ToneProxy(const journeys::EpisodeFeed* podcast = nullptr) {
        static const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(4.0));
        server.Route("*", [podcast](const tdtest::HttpRequest& r) {
            if (podcast && podcast->Serves(r)) return podcast->Answer(r);
            if (!ForStationBehind(r)) return tdtest::HttpResponse::Text(502, "not behind this proxy");
            pe_test::IcyStreamOptions o;
            o.audio = mp3;
            o.bytesPerSecond = 16000;
            return pe_test::IcyStream(o);
        });
    }
    size_t Asked() const {
        size_t n = 0;
        for (const tdtest::HttpRequest& r : server.Requests()) n += ForStationBehind(r);
        return n;
    }
    std::string Targets() const {
        std::string all;
        for (const tdtest::HttpRequest& r : server.Requests()) all += r.method + " " + r.target + "\n";
        return all;
    }
};

// Records what plays until a WAV of two seconds lies below `folder`, then
// stops, and closes the pop-up that tells where it went; the file's path.
std::string RecordInto(PlayerSession& s, const std::string& folder) {
    if (!s.Click(journeys::kRecordButton)) return "";
    const std::string file = s.WaitForFile(folder, ".wav", 2 * 176400, kEventMs);
    const std::vector<HWND> before = s.Popups();
    s.Click(journeys::kRecordButton);
    if (HWND saved = journeys::WaitForNewPopup(s, before, kEventMs)) {
        PostMessageA(saved, WM_CLOSE, 0, 0);
        journeys::WaitGone(saved, kEventMs);
    }
    return file;
}

std::string Folder(const std::string& path) {
    std::string f = path;
    while (!f.empty() && f.back() == '\\') f.pop_back();
    return f;
}

TEST(DialogJourneys, OptionsConfirmedOutliveARestartAndAreInForce) {
    journeys::EpisodeFeed podcast;
    ToneProxy proxy(&podcast);
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    const OptionsChange change{s.UserFolder() + "Mitschnitte", s.UserFolder() + "Meine Podcasts", "127.0.0.1",
                               std::to_string(proxy.server.Port())};
    ASSERT_TRUE(CreateDirectoryA(change.recordings.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(change.podcasts.c_str(), nullptr));
    HWND options = EnterOptions(s, change);
    ASSERT_NE(options, nullptr);
    s.Screenshot("options-proxy");
    const HWND main = s.Main();
    ASSERT_TRUE(Confirm(s, options, kOk));
    // New connection data restart the skin: the player's windows are built anew.
    EXPECT_TRUE(tdtest::WaitFor([&] { return !IsWindow(main); }, kEventMs, 100)) << "the skin was not restarted";

    ASSERT_TRUE(s.Restart()) << s.Log();
    EXPECT_EQ(Folder(journeys::StoredSetting(s, "RecordingDir")), change.recordings);
    EXPECT_EQ(journeys::StoredSetting(s, "PodcastDir"), change.podcasts);
    EXPECT_EQ(journeys::StoredSetting(s, "ProxyEnabled"), "1");
    EXPECT_EQ(journeys::StoredSetting(s, "ProxyHost"), change.proxyHost);
    EXPECT_EQ(journeys::StoredSetting(s, "ProxyPort"), change.proxyPort);

    // The station is reachable only through the proxy.
    ASSERT_TRUE(s.Link("tunerdeck://|CUSTOMURL|" + kBehindProxy + "|1|Journey"));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    EXPECT_GE(proxy.Asked(), 1u) << "the stream was not asked for through the proxy; it was asked:\n"
                                 << proxy.Targets();
    s.Screenshot("options-restarted-playing");
    const std::string file = RecordInto(s, change.recordings);
    EXPECT_FALSE(file.empty()) << "nothing recorded into " << change.recordings << "\n" << s.Log();

    // An episode of a podcast subscribed now lands in the chosen folder.
    std::string failure;
    HWND nav = journeys::SubscribeByLink(s, podcast.FeedUrl(), &failure);
    ASSERT_NE(nav, nullptr) << failure << "\n" << s.Log();
    uint32_t episode = 0;
    ASSERT_TRUE(journeys::DownloadEpisode(nav, &episode, &failure))
        << failure << "; the rows: " << journeys::NavigatorRows(s) << "\nthe proxy was asked:\n" << proxy.Targets();
    EXPECT_FALSE(s.WaitForFile(change.podcasts, ".mp3", podcast.Episode().size(), 60000).empty())
        << "the episode is not in " << change.podcasts << "\n" << s.Log();
    journeys::ScreenshotBoth(s.Main(), nav, "options-restarted-episode");
    EXPECT_TRUE(s.WaitForFile(s.PodcastFolder(), ".mp3", 0, 0).empty()) << "the episode went to the default folder";
}

TEST(DialogJourneys, OptionsCancelledLeaveEverythingAsItWasAfterARestart) {
    ToneStation station;
    ToneProxy proxy;
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(SwitchRecordingOn(s));
    const char* const kept[] = {"RecordingDir", "PodcastDir", "ProxyEnabled", "ProxyHost", "ProxyPort"};
    // The settings are written as the options close.
    ASSERT_TRUE(tdtest::WaitFor([&] { return !journeys::StoredSetting(s, kept[0]).empty(); }, kEventMs, 100))
        << "no recording folder kept";
    std::vector<std::string> before;
    for (const char* name : kept) before.push_back(journeys::StoredSetting(s, name));

    const OptionsChange change{s.UserFolder() + "Mitschnitte", s.UserFolder() + "Meine Podcasts", "127.0.0.1",
                               std::to_string(proxy.server.Port())};
    ASSERT_TRUE(CreateDirectoryA(change.recordings.c_str(), nullptr));
    HWND options = EnterOptions(s, change);
    ASSERT_NE(options, nullptr);
    ASSERT_TRUE(Confirm(s, options, kCancel));

    ASSERT_TRUE(s.Restart()) << s.Log();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(journeys::StoredSetting(s, kept[i]), before[i]) << kept[i];
    ASSERT_TRUE(s.Link("tunerdeck://|CUSTOMURL|" + station.Url() + "|1|Journey"));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
    EXPECT_TRUE(proxy.server.Requests().empty()) << "a request went to the cancelled proxy: "
                                                 << proxy.server.Requests()[0].target;
    const std::string file = RecordInto(s, before[0]);
    EXPECT_FALSE(file.empty()) << "nothing recorded into " << before[0] << "\n" << s.Log();
    EXPECT_TRUE(s.WaitForFile(change.recordings, ".wav", 0, 0).empty()) << "recorded into the cancelled folder";
}

}  // namespace

namespace {

// The player's navigator once it shows.
HWND ShownNavigator(PlayerSession& s) {
    HWND nav = nullptr;
    tdtest::WaitFor([&] { return (nav = journeys::NavigatorWindow(s)) && IsWindowVisible(nav); }, kEventMs, 100);
    return nav;
}

// The pop-up a button of a navigator view opens.
HWND OpenFromView(PlayerSession& s, HWND nav, unsigned button) {
    const std::vector<HWND> before = s.Popups();
    HWND popup = nullptr;
    PressUntil(s, nav, button, [&] {
        for (HWND p : s.Popups())
            if (std::find(before.begin(), before.end(), p) == before.end()) popup = p;
        return popup != nullptr;
    });
    return popup;
}

// The view that a navigator button shows, then the pop-up that a button of
// that view opens.
HWND OpenViewEditor(PlayerSession& s, HWND nav, unsigned view, unsigned button) {
    if (!PressUntil(s, nav, view, [&] { return s.Element(button, nav).found; })) return nullptr;
    return OpenFromView(s, nav, button);
}

// The log viewer's lines, which the scheduler sends its steps to.
struct LogViewer {
    tdtest::Process process;
    HWND list = nullptr;
    bool Start(const PlayerSession& s) {
        if (!process.Start(s.ProgramFolder() + "\\logscope.exe", {}, s.ProgramFolder())) return false;
        HWND dialog = nullptr;
        if (!tdtest::WaitFor([&] {
                dialog = tdtest::FindWindowOf("#32770", process.Pid());
                return dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, 1000);
            }, kEventMs, 100))
            return false;
        list = GetDlgItem(dialog, 1000);
        // Paused at first: "Start" begins collecting.
        HWND start = GetDlgItem(dialog, 1001);
        PostMessageA(start, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        PostMessageA(start, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        return tdtest::WaitFor([&] { return PlayerSession::TextOf(start) == "Pause"; }, kEventMs, 100);
    }
    bool WaitForLine(const std::string& part, DWORD ms) {
        return tdtest::WaitFor([&] {
            for (const std::string& line : tdtest::ListBoxLines(list))
                if (line.find(part) != std::string::npos) return true;
            return false;
        }, ms, 200);
    }
    ~LogViewer() {
        if (HWND w = tdtest::FindWindowOf("#32770", process.Pid())) PostMessageA(w, WM_CLOSE, 0, 0);
        if (!process.Wait(kEventMs)) process.Kill();
    }
};

std::vector<std::string> TimerNames(const std::string& listFile) {
    cListe list;
    LoadTimerListFile(&list, listFile.c_str());
    std::vector<std::string> names;
    for (cListElement* e = list.First(); e; e = e->Next()) names.push_back(static_cast<cTimerEntry*>(e)->GetName());
    return names;
}

TEST(DialogJourneys, ANewTimerEntryFromTheNavigatorIsSavedAndTheSchedulerReloadsIt) {
    PlayerSession s;
    ASSERT_TRUE(s.Install("clockwarden.exe"));
    ASSERT_TRUE(s.Install("logscope.exe"));
    // The user folder as an earlier start of the player left it named: the
    // scheduler keeps its list there.
    ASSERT_TRUE(s.Settings().SetString("PathUser", s.UserFolder()));
    const std::string listFile = s.UserFolder() + "clockwarden.ini";
    // The viewer first: a program looks for it once, at its first line.
    LogViewer viewer;
    ASSERT_TRUE(viewer.Start(s));
    tdtest::Process scheduler;
    ASSERT_TRUE(scheduler.Start(s.ProgramFolder() + "\\clockwarden.exe", {}, s.ProgramFolder()));
    HWND schedulerWnd = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        return (schedulerWnd = tdtest::FindWindowOf("clockwarden_class", scheduler.Pid())) != nullptr;
    }, kEventMs, 100));
    ASSERT_TRUE(viewer.WaitForLine("clockwarden: IniProgramm - leere Timerliste", kEventMs))
        << "the scheduler's start is not in the log viewer";

    ASSERT_TRUE(s.Start());
    HWND nav = ShownNavigator(s);
    ASSERT_NE(nav, nullptr);
    HWND editor = OpenViewEditor(s, nav, kNavTimerView, kNavNewTimer);
    ASSERT_NE(editor, nullptr) << "the timer view's new-entry button opens no editor";
    // Name first; start and stop times below it.
    std::vector<HWND> fields = Fields(editor, 5);
    ASSERT_GE(fields.size(), 5u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], "JourneyWecker", kEventMs));
    s.Screenshot("timer-editor");
    ASSERT_TRUE(s.Click(kTimerOk, editor));
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs));

    std::vector<std::string> names;
    EXPECT_TRUE(tdtest::WaitFor([&] { return Contains(names = TimerNames(listFile), "JourneyWecker"); }, kEventMs, 200))
        << "the list file holds " << Joined(names);
    EXPECT_TRUE(viewer.WaitForLine("clockwarden: IniProgramm - 1 Eintr", kEventMs))
        << "the scheduler did not load the new entry";
    EXPECT_TRUE(IsWindow(schedulerWnd));
    PostMessageA(schedulerWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(scheduler.Wait(kEventMs));
}

// The navigator's selection box that shows `text`, or null.
HWND BoxShowing(PlayerSession& s, const std::string& text) {
    for (HWND box : NavigatorBoxes(s))
        if (PlayerSession::TextOf(box) == text) return box;
    return nullptr;
}

bool HasSection(const std::string& iniFile, const std::string& name) {
    std::string text;
    tdtest::ReadFileBytes(iniFile, &text);
    return text.find("[" + name + "]") != std::string::npos;
}

TEST(DialogJourneys, ACutProfileIsCreatedChosenAndDeleted) {
    const std::string profile = "Journey Schnitt";
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(SwitchRecordingOn(s));
    HWND nav = ShownNavigator(s);
    ASSERT_NE(nav, nullptr);
    // Created: value, then name; saving chooses it.
    HWND editor = OpenViewEditor(s, nav, kNavRecordingView, kNavCutProfile);
    ASSERT_NE(editor, nullptr) << "the recording view's cut-profile button opens no editor";
    std::vector<HWND> fields = Fields(editor, 2);
    ASSERT_EQ(fields.size(), 2u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], "7", kEventMs));
    ASSERT_TRUE(journeys::TypeInto(fields[1], profile, kEventMs));
    s.Screenshot("cut-profile");
    ASSERT_TRUE(s.Click(kProfileSave, editor));
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs));
    const std::string profiles = s.UserFolder() + "schneiden.ini";
    EXPECT_TRUE(HasSection(profiles, profile)) << profiles;
    EXPECT_TRUE(tdtest::WaitFor([&] { return BoxShowing(s, profile) != nullptr; }, kEventMs, 200))
        << "the recording view does not show the new profile as chosen";

    // Deleted: the editor opens on the chosen profile.
    editor = OpenFromView(s, nav, kNavCutProfile);
    ASSERT_NE(editor, nullptr);
    fields = Fields(editor, 2);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(PlayerSession::TextOf(fields[1]), profile);
    const std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(s.Click(kProfileDelete, editor));
    HWND question = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(question, nullptr) << "deleting asks nothing";
    s.Screenshot("cut-profile-delete");
    ASSERT_TRUE(s.Click(kYes, question));
    ASSERT_TRUE(journeys::WaitGone(editor, kEventMs));
    EXPECT_FALSE(HasSection(profiles, profile));
    // The player is left on "do not cut", the view's first choice, and shows it.
    const std::string none = Catalogue(525);
    std::string stored;
    EXPECT_TRUE(tdtest::WaitFor([&] { return (stored = journeys::StoredSetting(s, "AutoCutMuster")) == none; },
                                kEventMs, 200))
        << "the player keeps the cut profile \"" << stored << "\"";
    EXPECT_TRUE(tdtest::WaitFor([&] { return BoxShowing(s, none) != nullptr && !BoxShowing(s, profile); }, kEventMs,
                                200))
        << "the recording view does not show \"" << none << "\"";
    s.Screenshot("cut-profile-deleted");
}

// The options button's menu, entries counted from the top: settings, the
// station database, then (past a separator) the converter.
constexpr int kConverterFromTop = 3;

TEST(DialogJourneys, AWavFileConvertedThroughTheConverterHoldsTheTone) {
    PlayerSession s;
    const std::string wav = s.UserFolder() + "Ton.wav";
    ASSERT_TRUE(tdtest::WriteFileBytes(wav, pe_test::MakeWav(pe_test::TestTone(4.0))));
    const std::string folder = s.UserFolder() + "Umgewandelt";
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(tdtest::WaitFor([&] { return journeys::NavigatorWindow(s) != nullptr; }, kEventMs, 100));
    const std::vector<HWND> before = s.Popups();
    ASSERT_TRUE(journeys::OpenElementMenu(s, kOptionsButton, kEventMs));
    journeys::ChooseMenuEntry(s, VK_DOWN, kConverterFromTop);
    HWND converter = journeys::WaitForNewPopup(s, before, kEventMs);
    ASSERT_NE(converter, nullptr) << "the options menu's converter entry opens no pop-up";
    // The WAV file, the MP3's name, its folder.
    std::vector<HWND> fields = Fields(converter, 3);
    ASSERT_EQ(fields.size(), 3u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], wav, kEventMs));
    ASSERT_TRUE(journeys::TypeInto(fields[1], "Ton umgewandelt", kEventMs));
    ASSERT_TRUE(journeys::TypeInto(fields[2], folder, kEventMs));
    s.Screenshot("converter");
    ASSERT_TRUE(s.Click(kConvert, converter));
    // Done, the stop button becomes the close button.
    ASSERT_TRUE(tdtest::WaitFor([&] { return s.Element(kConverterClose, converter).found; }, 2 * kEventMs, 200))
        << s.Log();
    s.Screenshot("converter-done");
    ASSERT_TRUE(s.Click(kConverterClose, converter));
    EXPECT_TRUE(journeys::WaitGone(converter, kEventMs));

    std::string mp3;
    ASSERT_TRUE(tdtest::ReadFileBytes(folder + "\\Ton umgewandelt.mp3", &mp3)) << "no MP3 in " << folder;
    pe::AudioDecoder decoder;
    std::vector<int16_t> pcm;
    // In pieces, as a player reads a file: the decoder gives what it has
    // after each.
    for (size_t at = 0; at < mp3.size(); at += 4096)
        decoder.Feed(reinterpret_cast<const uint8_t*>(mp3.data()) + at, std::min<size_t>(4096, mp3.size() - at), &pcm);
    ASSERT_TRUE(decoder.IsMp3()) << mp3.size() << " bytes that are no MP3";
    ASSERT_EQ(decoder.Channels(), 2);
    const size_t frames = pcm.size() / 2;
    const double seconds = double(frames) / decoder.SampleRate();
    EXPECT_NEAR(seconds, 4.0, 0.3);
    ASSERT_GT(frames, size_t(decoder.SampleRate()) * 2);
    // The middle second, away from the encoder's start and end.
    const tdtest::ToneStats st =
        tdtest::Measure(pcm.data() + (frames / 2 - decoder.SampleRate() / 2) * 2, decoder.SampleRate(),
                        static_cast<int>(decoder.SampleRate()));
    EXPECT_GT(st.rms, 6000) << "the MP3 is quieter than the tone";
    EXPECT_NEAR(st.frequency, 1000, 30);
}

}  // namespace
