// The player as a user meets it: the real program, started in a fresh user
// folder, driven by clicks, keys and links, and judged by what it shows,
// what it plays and what it writes.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "catalogue.h"
#include "player_session.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;
constexpr UINT kNoticeMessage = WM_USER + 141;   // 1165: a notice by its number

std::string Catalogue(unsigned id) {
    char text[512] = {};
    GetResourceString(nullptr, id, kLanguageGerman, text, sizeof text);
    return text;
}

// As a web page hands it over: blanks of the name escaped. Kind 1 (the
// RealAudio engine of the stand-in host) because under Wine the Media
// Player 7+ control plays local files only.
std::string CustomLink(const ToneStation& station, const std::string& name) {
    std::string escaped;
    for (char c : name) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
    return "tunerdeck://|CUSTOMURL|" + station.Url() + "|1|" + escaped;
}

bool IsRunningTime(const std::string& text) { return std::regex_search(text, std::regex("\\d\\d:\\d\\d:\\d\\d")); }

// Starts the player and plays the station through a link, as a web page would hand it over.
void StartAndPlay(PlayerSession& s, const ToneStation& station, const std::string& name) {
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(station, name)));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency << "\n" << s.Log();
}

// The 16-bit stereo samples of a WAV file's data chunk.
bool WavSamples(const std::string& path, std::vector<int16_t>* pcm) {
    std::string bytes;
    if (!tdtest::ReadFileBytes(path, &bytes) || bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0) return false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        uint32_t size = 0;
        memcpy(&size, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "data") == 0) {
            size_t n = std::min<size_t>(size, bytes.size() - at - 8) / 2;
            pcm->resize(n);
            memcpy(pcm->data(), bytes.data() + at + 8, n * 2);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

TEST(Journeys, FirstStartShowsTheReadyText) {
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Element(journeys::kCloseButton).found) << "the main window does not answer the element query";
    ASSERT_TRUE(s.Element(journeys::kStatusLine).found);
    const std::string ready = Catalogue(414);
    ASSERT_FALSE(ready.empty());
    std::string seen;
    EXPECT_TRUE(s.WaitForText(journeys::kStatusLine, [&](const std::string& t) { return t == ready; }, kEventMs, &seen))
        << "status line shows \"" << seen << "\"";
    EXPECT_TRUE(s.Element(journeys::kStatusLine).visible);
    s.Screenshot("first-start");
    EXPECT_TRUE(s.CloseByButton());
}

TEST(Journeys, ALinkWithAnAddressPlaysIt) {
    ToneStation station;
    PlayerSession s;
    StartAndPlay(s, station, "Journey Station");
    EXPECT_GE(station.Connections(), 1u);
    s.Screenshot("custom-url-link");
}

TEST(Journeys, ALinkWithAChannelIdPlaysThatStation) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;
    EXPECT_GE(station.Connections(), 1u);
    s.Screenshot("channel-id-link");
}

TEST(Journeys, PlayingShowsStationTitleBitRateAndRunningTime) {
    ToneStation station;
    PlayerSession s;
    StartAndPlay(s, station, "Journey Station");
    std::string seen;
    EXPECT_TRUE(s.WaitForText(journeys::kStationLine, [](const std::string& t) { return t.find("Journey Station") != std::string::npos; },
                              kEventMs, &seen))
        << "station line shows \"" << seen << "\"";
    EXPECT_TRUE(s.WaitForText(journeys::kTitleLine, [](const std::string& t) { return t.find("Test Tone") != std::string::npos; },
                              kEventMs, &seen))
        << "title shows \"" << seen << "\"";
    EXPECT_TRUE(s.WaitForText(journeys::kBitrateLine, [](const std::string& t) { return t.find("128") != std::string::npos; },
                              kEventMs, &seen))
        << "bit rate shows \"" << seen << "\"";
    EXPECT_TRUE(s.Element(journeys::kBitrateLine).visible);
    bool timeShown = tdtest::WaitFor([&] {
        for (unsigned id : journeys::kStreamFactLines) {
            journeys::ElementView v = s.Element(id);
            if (v.visible && IsRunningTime(v.text)) return true;
        }
        return false;
    }, kEventMs, 200);
    EXPECT_TRUE(timeShown) << "no running time in elements 52, 55, 56, 57";
    s.Screenshot("playing");
}

TEST(Journeys, ATitleChangeInTheStreamIsShown) {
    ToneStation station;
    PlayerSession s;
    StartAndPlay(s, station, "Journey Station");
    std::string seen;
    ASSERT_TRUE(s.WaitForText(journeys::kTitleLine, [](const std::string& t) { return t.find("Test Tone") != std::string::npos; },
                              kEventMs, &seen))
        << "title shows \"" << seen << "\"";
    station.SetTitle("Second Artist - Another Song");
    EXPECT_TRUE(s.WaitForText(journeys::kTitleLine, [](const std::string& t) { return t.find("Another Song") != std::string::npos; },
                              kEventMs, &seen))
        << "title shows \"" << seen << "\"";
    s.Screenshot("title-change");
}

// The middle of a recording, away from its start and its end, holds the tone.
void ExpectToneIn(const std::string& file) {
    std::vector<int16_t> pcm;
    ASSERT_TRUE(WavSamples(file, &pcm)) << file;
    ASSERT_GE(pcm.size(), 2u * 44100 * 4) << file;
    tdtest::ToneStats st = tdtest::Measure(pcm.data() + 2 * 44100, 44100 * 2);
    EXPECT_GT(st.rms, 1500) << file;
    EXPECT_NEAR(st.frequency, 1000, 60) << file;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

TEST(Journeys, ARecordingByHandIsSavedAndHoldsTheTone) {
    ToneStation station;
    PlayerSession s;
    StartAndPlay(s, station, "Journey Station");
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    const std::string recordings = s.RecordingFolder();
    // Five seconds of 44.1 kHz stereo.
    std::string file = s.WaitForFile(recordings, ".wav", 5 * 176400, kEventMs);
    ASSERT_FALSE(file.empty()) << "nothing recorded into " << recordings << "\n" << s.Log();
    // Named after the station the link named, not as an unknown one.
    EXPECT_EQ(0u, FileNameOf(file).rfind("Journey Station", 0)) << file;
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    std::string text;
    HWND saved = s.WaitForPopup(kEventMs, &text);
    ASSERT_NE(saved, nullptr) << "no recording-saved pop-up\n" << s.Log();
    EXPECT_NE(text.find(Catalogue(23)), std::string::npos) << text;
    EXPECT_NE(text.find(FileNameOf(file)), std::string::npos) << text;
    s.Screenshot("recording-saved");
    // Its OK button keeps the recording.
    ASSERT_TRUE(s.Click(187, saved));
    EXPECT_TRUE(tdtest::WaitFor([&] { return !IsWindow(saved); }, kEventMs, 100)) << "the pop-up stays open";
    // The record button no longer shows a recording (the mouse that
    // clicked it may still hover over it).
    const int status = s.Element(journeys::kRecordButton).status;
    EXPECT_TRUE(status == journeys::kButtonUp || status == journeys::kButtonHovered) << status;
    ExpectToneIn(file);
}

TEST(Journeys, ClosingWhileRecordingAsksFirst) {
    ToneStation station;
    PlayerSession s;
    StartAndPlay(s, station, "Journey Station");
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    const std::string file = s.WaitForFile(s.RecordingFolder(), ".wav", 176400, kEventMs);
    ASSERT_FALSE(file.empty()) << s.Log();
    ASSERT_TRUE(s.Click(journeys::kCloseButton));
    std::string text;
    HWND question = s.WaitForPopup(kEventMs, &text);
    ASSERT_NE(question, nullptr) << "closed without asking";
    EXPECT_EQ(Catalogue(600), text);
    s.Screenshot("close-while-recording");
    // No: the player stays and records on.
    s.Key(VK_ESCAPE, question);
    ASSERT_TRUE(tdtest::WaitFor([&] { return !IsWindow(question); }, kEventMs, 100)) << "the question stays open";
    ASSERT_TRUE(s.Program().Running()) << "ended although the user said no";
    EXPECT_FALSE(s.WaitForFile(s.RecordingFolder(), ".wav", 5 * 176400, kEventMs).empty()) << "the recording stopped";
    // Yes: the player ends and the recording is kept whole.
    ASSERT_TRUE(s.Click(journeys::kCloseButton));
    question = s.WaitForPopup(kEventMs, &text);
    ASSERT_NE(question, nullptr) << "closed without asking the second time";
    s.Key(VK_RETURN, question);
    ASSERT_TRUE(s.WaitForExit(kEventMs)) << "still running after yes";
    ExpectToneIn(file);
}

// A pop-up of the player whose text begins like `text` (up to its first
// conversion), or null.
HWND WaitForPopupSaying(PlayerSession& s, const std::string& text, DWORD ms) {
    const std::string start = text.substr(0, std::min<size_t>(text.find('%'), 60));
    HWND found = nullptr;
    tdtest::WaitFor([&] {
        for (HWND p : s.Popups())
            if (PlayerSession::TextOf(p).compare(0, start.size(), start) == 0) found = p;
        return found != nullptr || !s.Program().Running();
    }, ms, 100);
    return found;
}

// The player's navigator window once it is shown, or null.
HWND NavigatorOf(const PlayerSession& s) {
    struct Search {
        DWORD pid;
        HWND found;
    } search{s.Program().Pid(), nullptr};
    EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
        auto* look = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        char cls[64] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (pid != look->pid || strcmp(cls, "tunerdeck Nav Wnd Class") != 0 || !IsWindowVisible(hwnd)) return TRUE;
        look->found = hwnd;
        return FALSE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitGone(HWND window) {
    return tdtest::WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kEventMs, 100);
}

// Text that runs past a box's right edge leaves dark grey pixels in the
// strip just inside its frame; the frame itself is blue. Counted from the
// title bar down to `bottom`.
int TextPixelsAtRightEdge(HWND box, int bottom) {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    if (!tdtest::CaptureWindow(box, &w, &h, &px)) return -1;
    // Not painted at all yet: the screen still shows black where it stands.
    if ((px[size_t(h / 2) * w + 12] & 0xFFFFFF) == 0) return -1;
    int dark = 0;
    for (int y = 30; y < std::min(bottom, h); ++y)
        for (int x = std::max(0, w - 16); x < w - 8; ++x) {
            const uint32_t c = px[size_t(y) * w + x];
            const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            if (std::max(r, std::max(g, b)) < 110 && b - r < 30) ++dark;
        }
    return dark;
}

enum class Way { kEnter, kEscape, kClick, kClose };
const char* NameOf(Way way) {
    switch (way) {
    case Way::kEnter: return "enter";
    case Way::kEscape: return "escape";
    case Way::kClick: return "click";
    default: return "close";
    }
}

TEST(Journeys, EachNoticeOfTheHostIsShownAndCloses) {
    // The button of a box with one: a hint's OK, a plain message's single
    // confirming button (both element 187), a mark-up message's 289.
    constexpr unsigned kConfirm = 289, kCancel = 290, kHintOk = 187, kSingle = 187;
    struct Notice {
        WPARAM notice;
        LPARAM value;
        unsigned text;     // the catalogue text it begins with
        unsigned button;   // the button a click closes it with
        bool enter;        // Enter is tried (it answers yes)
    };
    const Notice notices[] = {
        // Enter would answer yes and start the encoder's download.
        {1, 0, 631, kCancel, false},
        {2, 0, 136, kHintOk, true},
        {3, 112, 123, kSingle, true},   // the disk is full
        {4, 0, 472, kCancel, true},
        {5, 0, 557, kConfirm, true},
        {6, 0, 610, kCancel, true},
    };
    PlayerSession s;
    ASSERT_TRUE(s.Start());
    // The notices are the navigator's: none is shown before it is there.
    // Once the player is ready the station update's box has gone too.
    ASSERT_TRUE(tdtest::WaitFor([&] { return NavigatorOf(s) != nullptr; }, kEventMs, 100)) << "no navigator";
    ASSERT_TRUE(s.WaitForText(journeys::kStatusLine, [](const std::string& t) { return t == Catalogue(414); }, kEventMs));
    for (const Notice& n : notices) {
        for (Way way : {Way::kEnter, Way::kEscape, Way::kClick, Way::kClose}) {
            if (way == Way::kEnter && !n.enter) continue;
            SCOPED_TRACE(testing::Message() << "notice " << n.notice << ", " << NameOf(way));
            PostMessageA(s.Main(), kNoticeMessage, n.notice, n.value);
            HWND box = WaitForPopupSaying(s, Catalogue(n.text), kEventMs);
            ASSERT_NE(box, nullptr) << "not shown; open: " << [&] {
                std::string all;
                for (HWND p : s.Popups()) all += "[" + PlayerSession::TextOf(p).substr(0, 80) + "] ";
                return all;
            }() << "\nexpected: " << Catalogue(n.text).substr(0, 80);
            journeys::ElementView button = s.Element(n.button, box);
            ASSERT_TRUE(button.found && button.visible) << "no button " << n.button;
            RECT inside = {};
            GetClientRect(box, &inside);
            EXPECT_LE(button.rect.right, inside.right);
            EXPECT_LE(button.rect.bottom, inside.bottom);
            if (way == Way::kEscape) {
                // Painted by now: its button answered.
                // A box still being painted shows black where its text will
                // be: what counts is the strip once painted.
                int dark = -1;
                tdtest::WaitFor([&] { return (dark = TextPixelsAtRightEdge(box, button.rect.top)) == 0; }, kEventMs, 100);
                EXPECT_EQ(0, dark) << "text past the right edge (-1: never painted)";
                s.Screenshot("notice-" + std::to_string(n.notice));
            }
            switch (way) {
            case Way::kEnter: s.Key(VK_RETURN, box); break;
            case Way::kEscape: s.Key(VK_ESCAPE, box); break;
            case Way::kClick: s.Click(n.button, box); break;
            case Way::kClose: PostMessageA(box, WM_CLOSE, 0, 0); break;
            }
            ASSERT_TRUE(WaitGone(box)) << "does not close";
        }
    }
    // While a notice is open the player's close button still ends it.
    PostMessageA(s.Main(), kNoticeMessage, 6, 0);
    ASSERT_NE(WaitForPopupSaying(s, Catalogue(610), kEventMs), nullptr);
    EXPECT_TRUE(s.CloseByButton());
}

// A user who has not turned the hint off starts the player and plays a
// link: without Internet access the hint opens.
void PlayUntilNoConnectionHint(PlayerSession& s, const ToneStation& station, HWND* hint) {
    ASSERT_TRUE(s.Settings().SetString("SHOW_KEINEVERBINDUNG", "0"));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link(CustomLink(station, "Journey Station")));
    *hint = WaitForPopupSaying(s, Catalogue(165), kEventMs);
    ASSERT_NE(*hint, nullptr) << "no hint";
}

// The no-connection hint, at the first play on a machine without Internet
// access: in its box with its OK button, its texts readable, and the
// player's close button still ends the player while it is open.
TEST(Journeys, TheNoConnectionHintHasItsButtonAndLetsThePlayerClose) {
    ToneStation station;
    PlayerSession s;
    HWND hint = nullptr;
    ASSERT_NO_FATAL_FAILURE(PlayUntilNoConnectionHint(s, station, &hint));
    RECT box = {};
    GetClientRect(hint, &box);
    journeys::ElementView ok = s.Element(187, hint);
    ASSERT_TRUE(ok.found && ok.visible) << "no OK button";
    EXPECT_TRUE(ok.rect.left >= 0 && ok.rect.right <= box.right && ok.rect.bottom <= box.bottom);
    s.Screenshot("no-connection-hint");
    EXPECT_TRUE(s.CloseByButton()) << "the player does not end while the hint is open";
}

// Its box asks never to show it again; ticked and confirmed, the choice is kept.
TEST(Journeys, TheNoConnectionHintRemembersNotToShowAgain) {
    ToneStation station;
    PlayerSession s;
    HWND hint = nullptr;
    ASSERT_NO_FATAL_FAILURE(PlayUntilNoConnectionHint(s, station, &hint));
    ASSERT_TRUE(s.Click(214, hint));
    // Ticked reads 1 (or 8 while the mouse still holds it).
    int status = 0;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        status = s.Element(214, hint).status;
        return status == 1 || status == 8;
    }, kEventMs, 100)) << "not ticked: " << status;
    ASSERT_TRUE(s.Click(187, hint));
    ASSERT_TRUE(WaitGone(hint));
    std::string value;
    EXPECT_TRUE(s.Settings().GetString("SHOW_KEINEVERBINDUNG", &value));
    EXPECT_EQ("1", value);
    EXPECT_TRUE(s.Program().Running());
}

}  // namespace
