// The programs around the player as a user meets them: the scheduler that
// records a station at a set time, the tray agent, the log viewer and the
// partner skin, each with the real player and judged by what the user would
// hear, see or find on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "liste.h"
#include "player_session.h"
#include "settings_blob.h"
#include "test_audio.h"
#include "timerentry.h"
#include "timerlist.h"
#include "tone_station.h"

namespace {

using journeys::PlayerSession;
using journeys::ToneStation;

constexpr DWORD kEventMs = 30000;
constexpr int kExecutedState = 3;   // the scheduler's mark of a job that ran

// ---------------------------------------------------------------- helpers

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

cVLTime LocalTimeIn(int seconds) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    st.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER count;
    count.LowPart = ft.dwLowDateTime;
    count.HighPart = ft.dwHighDateTime;
    count.QuadPart += static_cast<uint64_t>(seconds) * 10000000ull;
    cVLTime t;
    t.SetAsULargeInteger(count);
    return t;
}

// A WAV file's format and 16-bit samples, as a player of the file reads it.
struct Wav {
    int rate = 0, channels = 0, bits = 0;
    uint32_t dataBytes = 0;
    std::vector<int16_t> samples;
    double Seconds() const {
        return rate && channels && bits ? double(dataBytes) / (double(rate) * channels * bits / 8) : 0;
    }
};

bool ReadWav(const std::string& path, Wav* wav) {
    std::string bytes;
    if (!tdtest::ReadFileBytes(path, &bytes) || bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 ||
        bytes.compare(8, 4, "WAVE") != 0)
        return false;
    bool haveFormat = false, haveData = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size = 0;
        memcpy(&size, bytes.data() + at + 4, 4);
        const char* body = bytes.data() + at + 8;
        const size_t avail = bytes.size() - at - 8;
        if (bytes.compare(at, 4, "fmt ") == 0 && avail >= 16) {
            uint16_t channels = 0, bits = 0;
            uint32_t rate = 0;
            memcpy(&channels, body + 2, 2);
            memcpy(&rate, body + 4, 4);
            memcpy(&bits, body + 14, 2);
            wav->channels = channels;
            wav->rate = static_cast<int>(rate);
            wav->bits = bits;
            haveFormat = true;
        } else if (bytes.compare(at, 4, "data") == 0) {
            wav->dataBytes = size;
            size_t n = std::min<size_t>(size, avail) / 2;
            wav->samples.resize(n);
            memcpy(wav->samples.data(), body, n * 2);
            haveData = true;
        }
        at += 8 + size + (size & 1);
    }
    return haveFormat && haveData;
}

// Ends a helper program the way its own close does, then by force.
void CloseProgram(tdtest::Process& p, const char* windowClass) {
    if (!p.Running()) return;
    if (HWND w = tdtest::FindWindowOf(windowClass, p.Pid())) PostMessageA(w, WM_CLOSE, 0, 0);
    if (!p.Wait(kEventMs)) p.Kill();
}

// ---------------------------------------------------------------- scheduler

// Files below a folder whose names end in `suffix`.
std::vector<std::string> FilesBelow(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::string& f : FilesBelow(path, suffix)) found.push_back(f);
        } else if (name.size() >= suffix.size() &&
                   _stricmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0) {
            found.push_back(path);
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

std::string FileNamed(const std::vector<std::string>& files, const std::string& part) {
    for (const std::string& f : files)
        if (f.find(part) != std::string::npos) return f;
    return std::string();
}

std::vector<int> EntryStates(const std::string& listFile) {
    cListe list;
    LoadTimerListFile(&list, listFile.c_str());
    std::vector<int> states;
    for (cListElement* e = list.First(); e; e = e->Next()) states.push_back(static_cast<cTimerEntry*>(e)->GetZustand());
    return states;
}

std::string Describe(const std::vector<int>& states) {
    std::string s;
    for (int v : states) s += std::to_string(v) + " ";
    return s;
}

// The player's stored settings, as an earlier run left them, with the given
// elements; the rest keep their defaults.
bool StoreSettings(const PlayerSession& s, const std::string& elements) {
    const std::vector<unsigned char> blob = td::SealSettings("<Setting>" + elements + "</Setting>");
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, s.Settings().Key().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok = RegSetValueExA(key, "VLSettings", 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size())) ==
                    ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// Two recordings programmed a minute ahead, the second starting when the
// first ends, as the timer editor saves them: the scheduler starts the
// player, which plays the station, records it from each start time and
// stops at each end time. The station plays on from the first recording
// into the second.
TEST(ToolJourneys, TimerRecordingsAMinuteAheadBackToBackBothRecordTheStation) {
    constexpr int kLeadSeconds = 60;
    constexpr int kLengthSeconds = 30;
    const char* const names[] = {"Journey Erste", "Journey Zweite"};
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Install("clockwarden.exe"));
    // The user folder as an earlier start of the player left it named.
    ASSERT_TRUE(s.Settings().SetString("PathUser", s.UserFolder()));
    // Silence is recorded too: sound that a busy machine drops on its way to
    // the capture would otherwise be left out and shorten the files.
    ASSERT_TRUE(StoreSettings(s, "<RecordSkipSilents>0</RecordSkipSilents>"));

    // Recordings go to the documents folder's "Aufnahmen" unless the user
    // chose another; none of an earlier run may count.
    const std::string recordings = ShellFolder(CSIDL_PERSONAL) + "\\Aufnahmen";
    for (const std::string& f : FilesBelow(recordings, ".wav"))
        if (f.find("Journey ") != std::string::npos) DeleteFileA(f.c_str());

    const std::string listFile = s.UserFolder() + "clockwarden.ini";
    {
        cListe list;
        for (int i = 0; i < 2; ++i) {
            auto* e = new cTimerEntry;
            e->SetName(names[i]);
            e->SetAction(TA_RECORD);
            e->SetChannelID(1);
            e->SetStartTime(LocalTimeIn(kLeadSeconds + i * kLengthSeconds));
            e->SetStopTime(LocalTimeIn(kLeadSeconds + (i + 1) * kLengthSeconds));
            e->SetUseDefault(1);
            e->SetActive(1);
            list.Add(e);
        }
        ASSERT_EQ(SaveTimerListFile(&list, listFile.c_str()), 1);
    }
    tdtest::Process scheduler;
    ASSERT_TRUE(scheduler.Start(s.ProgramFolder() + "\\clockwarden.exe", {}, s.ProgramFolder()));

    ASSERT_TRUE(s.AdoptPlayer(2 * kLeadSeconds * 1000)) << "the scheduler did not start the player\n" << s.Log();
    tdtest::ToneStats st;
    EXPECT_TRUE(s.WaitForTone(kLeadSeconds * 1000, &st)) << "rms " << st.rms << " frequency " << st.frequency;

    ASSERT_TRUE(tdtest::WaitFor([&] {
        const std::vector<int> states = EntryStates(listFile);
        return !states.empty() && states[0] == kExecutedState;
    }, (kLeadSeconds + 3 * kLengthSeconds) * 1000, 500))
        << "states of the entries: " << Describe(EntryStates(listFile)) << "\n" << s.Log();
    const size_t connections = station.Connections();
    ASSERT_TRUE(tdtest::WaitFor([&] { return EntryStates(listFile) == std::vector<int>{kExecutedState, kExecutedState}; },
                                (kLeadSeconds + 3 * kLengthSeconds) * 1000, 500))
        << "states of the entries: " << Describe(EntryStates(listFile)) << "\n" << s.Log();
    s.Screenshot("timer-recordings-done");
    // The first recording's end did not stop what the second one records:
    // no new connection to the station for it.
    EXPECT_EQ(station.Connections(), connections) << s.Log();

    std::vector<std::string> files = FilesBelow(recordings, ".wav");
    for (const std::string& f : FilesBelow(s.UserFolder() + "aufnahmen", ".wav")) files.push_back(f);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i]);
        const std::string file = FileNamed(files, names[i]);
        ASSERT_FALSE(file.empty()) << "no recording named after the entry among " << files.size() << " files in "
                                   << recordings << "\n" << s.Log();
        // The stop closed the file: its header counts the data that is there.
        Wav wav;
        ASSERT_TRUE(tdtest::WaitFor([&] {
            wav = Wav();
            return ReadWav(file, &wav) && wav.dataBytes > 0 && wav.samples.size() * 2 >= wav.dataBytes;
        }, kEventMs, 500)) << file;
        ASSERT_EQ(wav.bits, 16) << file;
        ASSERT_EQ(wav.channels, 2) << file;
        // Each start and stop reaches the player through a program start of
        // its own, which a busy machine delays by seconds. The second also
        // waits for the first one's stop and its own pre-roll: it may begin
        // late by all of those, but it ends with its entry.
        if (i == 0)
            EXPECT_NEAR(wav.Seconds(), kLengthSeconds, 10) << file << "\n" << s.Log();
        else
            EXPECT_TRUE(wav.Seconds() >= 5 && wav.Seconds() <= kLengthSeconds + 10)
                << wav.Seconds() << " s in " << file << "\n" << s.Log();
        // The middle of the recording, away from its start and its end.
        const size_t frames = wav.samples.size() / 2;
        ASSERT_GT(frames, size_t(wav.rate) * 3) << file;
        st = tdtest::Measure(wav.samples.data() + (frames / 2 - wav.rate / 2) * 2, wav.rate, wav.rate);
        EXPECT_GT(st.rms, 1500) << file;
        EXPECT_NEAR(st.frequency, 1000, 60) << file;
    }
    CloseProgram(scheduler, "clockwarden_class");
}

// ---------------------------------------------------------------- MP3 recordings

// MPEG audio layer III, read frame by frame as a player of the file does.
struct Mp3Frames {
    int count = 0;
    int rate = 0;            // of every frame; 0 when they differ
    double seconds = 0;      // of sound in the whole frames
    bool toTheEnd = false;   // the frames follow each other to the file's end
};

Mp3Frames WalkMp3(const std::string& bytes) {
    static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    static const int kKbpsV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int kKbpsV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    Mp3Frames walk;
    size_t at = 0;
    if (bytes.size() >= 10 && bytes.compare(0, 3, "ID3") == 0)
        at = 10 + ((size_t(bytes[6] & 0x7F) << 21) | (size_t(bytes[7] & 0x7F) << 14) | (size_t(bytes[8] & 0x7F) << 7) |
                   size_t(bytes[9] & 0x7F));
    size_t end = bytes.size();
    if (end >= 128 && bytes.compare(end - 128, 3, "TAG") == 0) end -= 128;
    while (at + 4 <= end) {
        const unsigned char* h = reinterpret_cast<const unsigned char*>(bytes.data() + at);
        const int version = (h[1] >> 3) & 3, layer = (h[1] >> 1) & 3;
        const int kbpsIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
        if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0 || version == 1 || layer != 1 || rateIndex == 3) return walk;
        const int rate = kRates[version][rateIndex];
        const int kbps = version == 3 ? kKbpsV1[kbpsIndex] : kKbpsV2[kbpsIndex];
        if (kbps == 0) return walk;
        const size_t length = size_t((version == 3 ? 144000 : 72000) * kbps / rate + padding);
        if (at + length > end) return walk;
        walk.rate = walk.count == 0 || walk.rate == rate ? rate : 0;
        ++walk.count;
        walk.seconds += (version == 3 ? 1152.0 : 576.0) / rate;
        at += length;
    }
    walk.toTheEnd = at == end;
    return walk;
}

std::string QualityProfile(const std::string& name, int rate, int bits, int channels) {
    return "[" + name + "]\r\nSPS=" + std::to_string(rate) + "\r\nBPS=" + std::to_string(bits) +
           "\r\nNCH=" + std::to_string(channels) + "\r\n";
}

struct Mp3Case {
    const char* profile;
    int rate, bits, channels;
    int mp3Rate;   // the encoder takes 16-bit samples at 16 kHz or more
};

class Mp3Recording : public ::testing::TestWithParam<Mp3Case> {};

// A recording by hand with MP3 chosen as the recording format and one of
// the quality profiles: the file is an MP3 of the profile's rate (raised
// to the encoder's least for a lower one) whose frames are whole and
// which holds the tone.
TEST_P(Mp3Recording, IsAValidMp3OfTheProfilesRateThatHoldsTheTone) {
    const Mp3Case& c = GetParam();
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Settings().SetString("PathUser", s.UserFolder()));
    ASSERT_TRUE(tdtest::WriteFileBytes(s.UserFolder() + "formate.ini",
                                       QualityProfile(c.profile, c.rate, c.bits, c.channels)));
    ASSERT_TRUE(StoreSettings(s, std::string("<RecordingFormat>1</RecordingFormat><QualityMuster>") + c.profile +
                                     "</QualityMuster><RecordSkipSilents>0</RecordSkipSilents>"));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(2 * kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;

    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    const std::string file = s.WaitForFile(s.RecordingFolder(), ".mp3", 1, 2 * kEventMs);
    ASSERT_FALSE(file.empty()) << "no MP3 recorded into " << s.RecordingFolder() << "\n" << s.Log();
    // Five seconds of sound in the file, then stopped.
    std::string bytes;
    EXPECT_TRUE(tdtest::WaitFor([&] { return tdtest::ReadFileBytes(file, &bytes) && WalkMp3(bytes).seconds >= 5; },
                                2 * kEventMs, 250))
        << WalkMp3(bytes).seconds << " s in " << file << "\n" << s.Log();
    ASSERT_TRUE(s.Click(journeys::kRecordButton));
    // The record button lets go once the recording has ended and its file
    // is closed (a notice about the raised quality may still be open).
    ASSERT_TRUE(tdtest::WaitFor([&] {
        const int status = s.Element(journeys::kRecordButton).status;
        return status == journeys::kButtonUp || status == journeys::kButtonHovered;
    }, kEventMs, 200)) << "still recording\n" << s.Log();
    for (HWND popup : s.Popups()) s.Key(VK_RETURN, popup);
    // The button may let go before the encoder's last frames are written:
    // the file is whole once the writer has closed it.
    EXPECT_TRUE(tdtest::WaitFor([&] {
        HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    }, kEventMs, 200)) << "the recording's file stays open: " << file;

    ASSERT_TRUE(tdtest::ReadFileBytes(file, &bytes)) << file;
    tdtest::WriteFileBytes(tdtest::ArtifactDir() + "\\journey-mp3-" + std::to_string(c.rate) + ".mp3", bytes);
    const Mp3Frames frames = WalkMp3(bytes);
    EXPECT_TRUE(frames.toTheEnd) << frames.count << " whole frames in " << bytes.size() << " bytes";
    EXPECT_EQ(frames.rate, c.mp3Rate) << frames.count << " frames";
    int decodedRate = 0;
    const std::vector<int16_t> pcm = pe_test::DecodeMp3(bytes, &decodedRate);
    EXPECT_EQ(decodedRate, c.mp3Rate);
    const size_t decoded = pcm.size() / 2;
    ASSERT_GT(decoded, size_t(c.mp3Rate) * 4) << "less than four seconds decoded";
    st = tdtest::Measure(pcm.data() + (decoded / 2 - size_t(c.mp3Rate) / 2) * 2, size_t(c.mp3Rate), c.mp3Rate);
    EXPECT_GT(st.rms, 1500);
    EXPECT_NEAR(st.frequency, 1000, 60);
}

INSTANTIATE_TEST_SUITE_P(ToolJourneys, Mp3Recording,
                         ::testing::Values(Mp3Case{"Journey CD", 44100, 16, 2, 44100},
                                           Mp3Case{"Journey Radio", 22050, 16, 1, 22050},
                                           Mp3Case{"Journey Telefon", 11025, 8, 1, 16000}),
                         [](const ::testing::TestParamInfo<Mp3Case>& info) {
                             return std::to_string(info.param.rate) + "Hz" + std::to_string(info.param.bits) + "Bit";
                         });

// ---------------------------------------------------------------- tray agent

HWND WaitForMenuOf(const tdtest::Process& p) {
    HWND menu = nullptr;
    tdtest::WaitFor([&] {
        menu = tdtest::FindWindowOf("#32768", p.Pid());
        return menu && IsWindowVisible(menu);
    }, kEventMs, 100);
    return menu;
}

void MenuKeys(HWND menu, std::initializer_list<WPARAM> keys) {
    for (WPARAM k : keys) {
        PostMessageA(menu, WM_KEYDOWN, k, 0);
        PostMessageA(menu, WM_KEYUP, k, 0xC0000000);
        tdtest::WaitFor([] { return false; }, 100);   // one key at a time, as typed
    }
}

// What the shell tells the agent when the user clicks its icon.
constexpr UINT kTrayNotify = WM_USER + 1;

TEST(ToolJourneys, TheTrayAgentStartsThePlayerAndStopsWhatPlays) {
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Install("traywatch.exe"));
    tdtest::Process agent;
    ASSERT_TRUE(agent.Start(s.ProgramFolder() + "\\traywatch.exe", {}, s.ProgramFolder()));
    HWND agentWnd = agent.WaitForWindow("vl_control_center_class", kEventMs);
    ASSERT_NE(agentWnd, nullptr);
    // The icon is in the notification area: changing nothing in it succeeds
    // only for an icon that is there.
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = agentWnd;
    nid.uID = 1;
    EXPECT_TRUE(tdtest::WaitFor([&] { return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE; }, kEventMs, 200));

    // No player yet: the menu offers to start it ("velmirant-Player starten"),
    // the item above the separator and the last one.
    PostMessageA(agentWnd, kTrayNotify, 1, WM_RBUTTONDOWN);
    HWND menu = WaitForMenuOf(agent);
    ASSERT_NE(menu, nullptr) << "no menu on a right click";
    s.Screenshot("tray-before-start");
    tdtest::SaveWindowPng(menu, tdtest::ArtifactDir() + "\\journey-tray-menu.png");
    MenuKeys(menu, {VK_UP, VK_UP, VK_RETURN});
    ASSERT_TRUE(s.AdoptPlayer(2 * kEventMs)) << "the tray agent did not start the player";

    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;

    // Playing: the second item says "Abspielen beenden" and stops the player.
    PostMessageA(agentWnd, kTrayNotify, 1, WM_RBUTTONDOWN);
    menu = WaitForMenuOf(agent);
    ASSERT_NE(menu, nullptr);
    tdtest::SaveWindowPng(menu, tdtest::ArtifactDir() + "\\journey-tray-menu-playing.png");
    MenuKeys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(tdtest::WaitFor([&] { return !s.WaitForTone(1500); }, kEventMs, 100)) << "still playing";
    EXPECT_TRUE(agent.Running());
    CloseProgram(agent, "vl_control_center_class");
    EXPECT_TRUE(s.CloseByButton());
}

// ---------------------------------------------------------------- log viewer

bool AnyHolds(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

void ClickButton(HWND button) {
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

TEST(ToolJourneys, TheLogViewerShowsAndKeepsThePlayersLines) {
    const std::string logFile = ShellFolder(CSIDL_PERSONAL) + "\\vl_LogFile.log";
    DeleteFileA(logFile.c_str());
    PlayerSession s;
    ASSERT_TRUE(s.Install("logscope.exe"));
    tdtest::Process viewer;
    ASSERT_TRUE(viewer.Start(s.ProgramFolder() + "\\logscope.exe", {}, s.ProgramFolder()));
    HWND dialog = nullptr;
    ASSERT_TRUE(tdtest::WaitFor([&] {
        dialog = tdtest::FindWindowOf("#32770", viewer.Pid());
        return dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, 1000);
    }, kEventMs, 100));
    HWND list = GetDlgItem(dialog, 1000);
    // Paused at first: "Start" begins collecting.
    ClickButton(GetDlgItem(dialog, 1001));
    ASSERT_TRUE(tdtest::WaitFor([&] { return PlayerSession::TextOf(GetDlgItem(dialog, 1001)) == "Pause"; },
                                kEventMs, 100));

    ASSERT_TRUE(s.Start());
    std::vector<std::string> shown;
    EXPECT_TRUE(tdtest::WaitFor([&] {
        shown = tdtest::ListBoxLines(list);
        return AnyHolds(shown, "Entering Start...");
    }, kEventMs, 200)) << shown.size() << " lines shown";
    tdtest::SaveWindowPng(dialog, tdtest::ArtifactDir() + "\\journey-logscope.png");
    EXPECT_TRUE(s.CloseByButton());

    // "Ende" writes what is still pending.
    ClickButton(GetDlgItem(dialog, 1002));
    ASSERT_TRUE(viewer.Wait(kEventMs)) << "the viewer did not end";
    std::string written;
    ASSERT_TRUE(tdtest::ReadFileBytes(logFile, &written)) << logFile;
    EXPECT_NE(written.find("Entering Start..."), std::string::npos);
    for (const std::string& line : shown) {
        if (line.find("Entering Start...") == std::string::npos) continue;
        EXPECT_NE(written.find(line + "\r\n"), std::string::npos) << "shown, not written: " << line;
        break;
    }
    DeleteFileA(logFile.c_str());
}

// ---------------------------------------------------------------- partner skin

// The pixels of an element's place in the main window.
std::vector<uint32_t> PixelsOf(HWND window, const RECT& r) {
    int w = 0, h = 0;
    std::vector<uint32_t> all, out;
    if (!tdtest::CaptureWindow(window, &w, &h, &all)) return out;
    for (LONG y = r.top; y < r.bottom && y < h; ++y)
        for (LONG x = r.left; x < r.right && x < w; ++x) out.push_back(all[size_t(y) * w + x]);
    return out;
}

// The pixels once the window has drawn the element (more than one colour).
std::vector<uint32_t> DrawnPixelsOf(HWND window, const RECT& r) {
    std::vector<uint32_t> px;
    tdtest::WaitFor([&] {
        px = PixelsOf(window, r);
        return !px.empty() && std::any_of(px.begin(), px.end(), [&](uint32_t c) { return c != px[0]; });
    }, kEventMs, 200);
    return px;
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

TEST(ToolJourneys, ThePartnerSkinPlaysStopsAndKeepsAnswering) {
    constexpr unsigned kPartnerPlay = 1, kPartnerPause = 2, kPartnerStop = 3, kCoupledLook = 44;
    ToneStation station;
    PlayerSession s;
    ASSERT_TRUE(s.RouteStation(1, station.Url()));
    ASSERT_TRUE(s.Install("zentorraface.dll", "skins\\zentorraface.dll"));
    ASSERT_TRUE(s.Settings().SetString("SKIN", "zentorraface.dll"));
    ASSERT_TRUE(s.Start());
    // The partner's layout: its play button at (85, 157).
    journeys::ElementView play = s.Element(kPartnerPlay);
    ASSERT_TRUE(play.found);
    EXPECT_EQ(play.rect.left, 85);
    EXPECT_EQ(play.rect.top, 157);
    std::string skin;
    EXPECT_TRUE(s.Settings().GetString("SKIN", &skin));
    EXPECT_EQ(skin, "zentorraface.dll");

    const RECT coupled = s.Element(kCoupledLook).rect;
    const std::vector<uint32_t> stoppedLook = DrawnPixelsOf(s.Main(), coupled);
    ASSERT_FALSE(stoppedLook.empty());
    s.Screenshot("partner-skin");

    // The last station comes from a link; then the skin's own buttons.
    ASSERT_TRUE(s.Link("tunerdeck://|CHANNELID|1"));
    tdtest::ToneStats st;
    ASSERT_TRUE(s.WaitForTone(kEventMs, &st)) << "rms " << st.rms << " frequency " << st.frequency;
    ASSERT_TRUE(s.Click(kPartnerStop));
    EXPECT_TRUE(tdtest::WaitFor([&] { return !s.WaitForTone(1500); }, kEventMs, 100)) << "stop did not stop";
    EXPECT_TRUE(Answers(s.Main()));

    ASSERT_TRUE(s.Click(kPartnerPlay));
    EXPECT_TRUE(s.WaitForTone(kEventMs, &st)) << "play did not play: rms " << st.rms;
    // Playing changes the coupled element's look.
    EXPECT_TRUE(tdtest::WaitFor([&] { return PixelsOf(s.Main(), coupled) != stoppedLook; }, kEventMs, 200))
        << "element 44 looks as when stopped";
    s.Screenshot("partner-skin-playing");
    EXPECT_TRUE(Answers(s.Main()));

    // Pausing gives the stop button its coupled look: the notice reached the
    // skin as (state, element), not the other way round.
    const RECT stopRect = s.Element(kPartnerStop).rect;
    const std::vector<uint32_t> stopWhilePlaying = DrawnPixelsOf(s.Main(), stopRect);
    ASSERT_TRUE(s.Click(kPartnerPause));
    EXPECT_TRUE(tdtest::WaitFor([&] { return !s.WaitForTone(1500); }, kEventMs, 100)) << "pause did not pause";
    EXPECT_TRUE(tdtest::WaitFor([&] { return PixelsOf(s.Main(), stopRect) != stopWhilePlaying; }, kEventMs, 200))
        << "the stop button keeps its look";
    s.Screenshot("partner-skin-paused");
    EXPECT_TRUE(Answers(s.Main()));
    ASSERT_TRUE(s.Click(kPartnerStop));
    EXPECT_TRUE(Answers(s.Main()));
    EXPECT_TRUE(tdtest::WaitFor([&] { return PixelsOf(s.Main(), coupled) == stoppedLook; }, kEventMs, 200))
        << "element 44 does not return to its stopped look";
    EXPECT_TRUE(s.CloseByButton());
}

}  // namespace
