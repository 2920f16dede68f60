// A player object for the pipe's tests: settings and profiles from fields,
// and a record of every status, display call and message box.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "pipe_host.h"
#include "record_job.h"

struct StatusEntry {
    int code;
    std::string text;
};

struct Profile {
    int sps = 44100, bps = 16, nch = 2;
};

class FakeHost : public cPipeHost {
public:
    std::string folder;               // recording folder, with no trailing backslash
    std::string quality = "CD";
    std::map<std::string, Profile> profiles{{"CD", Profile{}}};
    int skipSilence = 0, adjustVol = 0, device = -1, source = -1, language = 1;
    int recBits = 16, recRate = 44100, recChannels = 2;
    bool noNames = false;
    std::string pieceFolder;   // where later pieces go, when not beside the first

    mutable std::mutex mu;
    std::vector<StatusEntry> statuses;
    std::vector<RecordJob*> finished;       // jobs handed back with 46 (freed by the host)
    std::vector<std::pair<int, int>> peaks;
    std::vector<std::vector<int>> recTimes;
    std::vector<std::string> messages, logs;
    std::vector<std::string> madeNames;
    bool skinGone = false;                  // any display call after this is a fault
    int callsAfterGone = 0;

    ~FakeHost() override {
        for (RecordJob* j : finished) FreeRecordJob(j);
    }

    void SendStatus(char* text, int code) override {
        std::lock_guard<std::mutex> g(mu);
        if (code == 46) {
            RecordJob* job = reinterpret_cast<RecordJob*>(text);
            finished.push_back(job);
            statuses.push_back({code, job ? job->fileName : ""});
            return;
        }
        statuses.push_back({code, text ? text : ""});
    }
    void SetPeakLevel(int l, int r) override {
        std::lock_guard<std::mutex> g(mu);
        if (skinGone) ++callsAfterGone;
        peaks.emplace_back(l, r);
    }
    void SetRecTime(int a, int b, int c, int d) override {
        std::lock_guard<std::mutex> g(mu);
        if (skinGone) ++callsAfterGone;
        recTimes.push_back({a, b, c, d});
    }
    void DebugLog(const char* text, int) override {
        std::lock_guard<std::mutex> g(mu);
        logs.push_back(text);
    }
    void ShowMessage(const char* text, const char*) override {
        std::lock_guard<std::mutex> g(mu);
        messages.push_back(text);
    }
    int GetRecBitsPerSample() override { return recBits; }
    int GetRecSampleRate() override { return recRate; }
    int GetRecChannels() override { return recChannels; }

    // Pieces: "<name>_<n>.<ext>" from the current name, first free counter above the given one.
    int MakeRecordFileName(const char* current, int counter, char* out, size_t outSize, RecordJob*) override {
        if (noNames) {   // the folder is gone: the player's naming gives up
            if (outSize) out[0] = 0;
            return -1;
        }
        std::string cur = current;
        size_t dot = cur.find_last_of('.');
        std::string ext = dot == std::string::npos ? "" : cur.substr(dot);
        std::string stem = dot == std::string::npos ? cur : cur.substr(0, dot);
        size_t us = stem.find_last_of('_');
        if (us != std::string::npos && stem.find_first_not_of("0123456789", us + 1) == std::string::npos)
            stem = stem.substr(0, us);
        int n = counter + 1;
        char name[1024];
        if (!pieceFolder.empty()) stem = pieceFolder + stem.substr(stem.find_last_of('\\'));
        bk::TextFormat(name, sizeof name, "%s_%d%s", stem.c_str(), n, ext.c_str());
        bk::TextCopy(out, outSize, name);
        std::lock_guard<std::mutex> g(mu);
        madeNames.push_back(name);
        return n;
    }
    void GetRecordingDir(char* b, size_t n) override { bk::TextCopy(b, n, folder.c_str()); }
    int GetRecordSkipSilents() override { return skipSilence; }
    int GetAdjustRecordVol() override { return adjustVol; }
    int GetLanguage() override { return language; }
    int GetRecordingDevice() override { return device; }
    int GetRecordingSource() override { return source; }
    void GetQualityMuster(char* b, size_t n) override { bk::TextCopy(b, n, quality.c_str()); }
    void SetRecordingSource(int i) override { source = i; }
    void SetRecordingDevice(int i) override { device = i; }
    void GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch) override {
        std::lock_guard<std::mutex> g(mu);
        auto it = profiles.find(name ? name : "");
        Profile p = it == profiles.end() ? Profile{} : it->second;
        *sps = p.sps;
        *bps = p.bps;
        *nch = p.nch;
    }
    void SetRecQualitySettings(const char* name, int sps, int bps, int nch) override {
        std::lock_guard<std::mutex> g(mu);
        profiles[name] = Profile{sps, bps, nch};
    }
    void GetMessageText(unsigned, int, char* b, size_t n) override {
        bk::TextCopy(b, n, "Initialisation of lame_enc.dll failed!\nAttempted to create following file: %s");
    }
    void SendVolumeStatus() override { ++volumeStatusCalls; }
    void PostVolumeChange(int v) override { postedVolumes.push_back(v); }
    int volumeStatusCalls = 0;
    std::vector<int> postedVolumes;

    std::vector<int> Codes() const {
        std::lock_guard<std::mutex> g(mu);
        std::vector<int> c;
        for (const auto& s : statuses) c.push_back(s.code);
        return c;
    }
    std::vector<StatusEntry> Statuses() const {
        std::lock_guard<std::mutex> g(mu);
        return statuses;
    }
    // The loudest left peak the level meter showed, in percent.
    int BestPeak() const {
        std::lock_guard<std::mutex> g(mu);
        int best = -1;
        for (const auto& p : peaks) best = p.first > best ? p.first : best;
        return best;
    }
    size_t RecTimeCount() const {
        std::lock_guard<std::mutex> g(mu);
        return recTimes.size();
    }
    // A recording-time report after the first `after` ones counts at least
    // this many recorded seconds.
    bool RecordedAtLeast(size_t after, int seconds) const {
        std::lock_guard<std::mutex> g(mu);
        for (size_t i = after; i < recTimes.size(); ++i)
            if (recTimes[i][2] >= seconds) return true;
        return false;
    }
};

inline RecordJob* MakeJob(const std::string& file, int format = 0, int rate = 44100, int bits = 16,
                          int channels = 2, int cutType = 0, int cutValue = 0, const char* quality = "CD") {
    RecordJob* job = NewRecordJob();
    job->timerEntryId = -1;
    job->createFolder = -1;
    bk::TextCopy(job->quality, quality);
    bk::TextCopy(job->fileName, file.c_str());
    size_t slash = file.find_last_of('\\');
    bk::TextCopy(job->folder, file.substr(0, slash == std::string::npos ? 0 : slash).c_str());
    job->recordFormat = format;
    job->sampleRate = rate;
    job->bitsPerSample = bits;
    job->channels = channels;
    job->cutType = cutType;
    job->cutValue = cutValue;
    return job;
}
