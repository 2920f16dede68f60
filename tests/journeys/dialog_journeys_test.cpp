// The player's pop-ups as a user opens them: from the main window's menus,
// the navigator's folder box and its menu, typed into and confirmed with
// their buttons; judged by what the player then keeps in its settings,
// lists, plays and leaves on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue.h"
#include "player_session.h"
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

TEST(DialogJourneys, AnOwnStationIsCreatedAndListed) {
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
    std::vector<HWND> fields = Fields(editor, 4);
    ASSERT_EQ(fields.size(), 4u);
    ASSERT_TRUE(journeys::TypeInto(fields[0], "Journey Eigenfunk", kEventMs));
    ASSERT_TRUE(journeys::TypeInto(fields[3], "http://127.0.0.1:9/eigenfunk", kEventMs));
    // The stream format is required: the box's first entry ("all formats")
    // is none, the next one is.
    std::vector<HWND> boxes = journeys::ChildWindows(editor, "ComboBox");
    ASSERT_EQ(boxes.size(), 5u);
    HWND format = boxes.back();
    const std::string none = PlayerSession::TextOf(format);
    s.Key(VK_DOWN, format);
    ASSERT_TRUE(tdtest::WaitFor([&] { return PlayerSession::TextOf(format) != none; }, kEventMs, 50));
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
    EXPECT_TRUE(listed) << "the new station is in no folder of the favourites view; rows:\n" << journeys::NavigatorRows(s);
    s.Screenshot("own-station-listed");
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
