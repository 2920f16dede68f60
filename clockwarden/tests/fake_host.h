// A scheduler host for tests: a clock the test sets, recorded commands and
// timers, an in-memory timer list "file" and the German catalogue texts.
#pragma once

#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scheduler.h"
#include "scheduler_host.h"
#include "scheduler_time.h"

class FakeHost : public cSchedulerHost {
public:
    uint64_t now = 0;
    // Running a command waits for the started program, as WinExec does: the
    // clock moves on meanwhile.
    uint64_t commandSeconds = 1;
    std::vector<std::string> commands;
    std::vector<UINT> timers;      // every interval the scheduler asked for
    int timerStops = 0;
    HWND mainWindow = nullptr;
    // Set to make the main window appear once the player has been started.
    HWND windowAfterStart = nullptr;
    std::vector<cTimerEntry> file;
    int saves = 0;
    int locks = 0;
    // Runs when the list is locked for the n-th time: another process's
    // write just before it.
    int writeAtLock = 0;
    std::function<void()> otherWriter;

    void SetNow(int y, int mo, int d, int h, int mi, int s) { now = cw::Count(cVLTime(y, mo, d, h, mi, s)); }
    void Advance(uint64_t seconds) { now += seconds * kTicksPerSecond; }

    uint64_t LocalNow() override { return now; }
    void RunCommand(const char* line) override {
        commands.push_back(line);
        Advance(commandSeconds);
        if (windowAfterStart && strcmp(line, "tunerdeck.exe tunerdeck://") == 0) mainWindow = windowAfterStart;
    }
    HWND FindMainWindow() override { return mainWindow; }
    void Pause(DWORD ms) override { now += static_cast<uint64_t>(ms) * 10000; }
    void StartTimer(HWND, UINT_PTR, UINT ms) override { timers.push_back(ms); }
    void StopTimer(HWND, UINT_PTR) override { ++timerStops; }
    int Language() override { return 0; }
    void Text(unsigned id, int, char* buffer, int size) override {
        static const std::map<unsigned, const char*> texts = {
            {3, "eingeplant"}, {7, "deaktiviert"}, {17, "wird ausgeführt"}, {18, "ausgeführt"},
            {19, "nicht ausgeführt"}, {91, "ersten"}, {92, "zweiten"}, {93, "dritten"}, {94, "vierten"},
            {104, "Uhr"}, {453, "um "}, {454, "Mo"}, {455, "Di"}, {456, "Mi"}, {457, "Do"}, {458, "Fr"},
            {459, "Sa"}, {460, "So"}, {461, "ab dem"}, {462, "jeden"}, {463, "am"}, {480, "Täglich"},
            {481, "Wöchentlich"}, {482, "Alle 2 Wochen"}, {483, "Monatlich"}, {488, "bis zum"},
        };
        auto it = texts.find(id);
        lstrcpynA(buffer, it == texts.end() ? "" : it->second, size);
    }
    bool LockList() override {
        if (++locks == writeAtLock && otherWriter) otherWriter();
        return true;
    }
    void UnlockList() override {}
    void LoadList(cListe* list) override {
        unsigned long id = 0;
        for (const cTimerEntry& e : file) {
            auto* copy = new cTimerEntry(&e);
            copy->SetId(id++);
            list->Add(copy);
        }
    }
    void SaveList(cListe* list) override {
        ++saves;
        file.clear();
        cIterator* it = list->GetIterator();
        while (cListElement* el = it->Next()) {
            auto* e = static_cast<cTimerEntry*>(el);
            if (e->GetLog() != 2) file.push_back(cTimerEntry(e));
        }
        list->FreeIterator(it);
    }
    bool ReadListFile(std::string* bytes) override {
        bytes->clear();
        for (const cTimerEntry& e : file) {
            TimerEntryRecord r;
            e.ToRecord(&r);
            r.id = 0;
            bytes->append(reinterpret_cast<const char*>(&r), sizeof(r));
        }
        return !file.empty();
    }
};

// A timer entry built field by field for the tests.
inline cTimerEntry MakeEntry(const char* name, int action, const char* start, const char* stop, int repeat = 0,
                             int days = 0, int week = 0) {
    cTimerEntry e;
    e.SetName(name);
    e.SetAction(action);
    e.SetStartTime(cVLTime(start));
    e.SetStopTime(cVLTime(stop));
    e.SetWiederholung(repeat);
    e.SetDayFlag(days);
    e.SetDayOfMonth(week);
    e.SetChannelID(4711);
    e.SetShowHints(1);
    return e;
}

// Weekday bits.
enum : int { SUN = 1, MON = 2, TUE = 4, WED = 8, THU = 16, FRI = 32, SAT = 64 };
