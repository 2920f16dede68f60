#include "podcast_feed.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "download.h"
#include "library_state.h"
#include "list_store.h"
#include "mp3_frame_header.h"
#include "nav_window.h"
#include "podcast_rss.h"
#include "textutil.h"
#include "win_handles.h"

using bk::TextAppend;
using bk::TextCopy;
using bk::TextCopyN;
using bk::TextFormat;

namespace {

volatile LONG g_feature = 0;
volatile LONG g_viewShown = 0;
// One value for all feeds: progress reaches the rows at most every 800 ms.
volatile DWORD g_lastRowTick = 0;
// An episode file is measured only after its writer let go of it.
constexpr DWORD kEpisodeSettleMs = 2000;
// Longest part of an episode file searched for its first frame header.
constexpr int64_t kMaxDurationScan = 16 * 1024 * 1024;

PodcastQuestionFn g_question = nullptr;

cDownloadManager* Downloads() { return Library().downloads; }

// Without a test's answer the navigator asks (title 257, yes 289, no 290).
int Ask(const char* text) { return g_question ? g_question(text) : NavAsk(text); }

cSettingsInterface* Host() { return Library().host; }

std::string CatalogueText(unsigned id) {
    char text[500] = {};
    GetResourceString(nullptr, id, UiLanguage(), text, 200 + 1);
    return text;
}

void PostToNav(UINT msg, WPARAM wParam, LPARAM lParam) {
    cDownloadManager* dm = Downloads();
    HWND nav = dm ? dm->GetNavWindowHandle() : nullptr;
    if (nav && IsWindow(nav)) PostMessageA(nav, msg, wParam, lParam);
}

void RememberTick() { g_lastRowTick = GetTickCount(); }

void CreateFolder(const std::string& path) { CreateDirectoryA(path.c_str(), nullptr); }

bool ReadWholeFile(const char* path, std::string* out) {
    bk::ScopedFile f(CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.Get(), &size) || size.QuadPart <= 0 ||
        size.QuadPart > static_cast<LONGLONG>(rss::kMaxDocument))
        return false;
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(f.Get(), &(*out)[0], static_cast<DWORD>(out->size()), &got, nullptr)) return false;
    out->resize(got);
    return got > 0;
}

bool WriteWholeFile(const char* path, const std::string& text) {
    bk::ScopedFile f(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD put = 0;
    return WriteFile(f.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size();
}

// The feed document in the local ANSI code page. Converted into a buffer of
// its own: one source byte may become two in a double-byte code page.
std::string ToLocalAnsi(const std::string& text) {
    unsigned cp = rss::DeclaredCodePage(text.data(), text.size());
    if (cp == rss::kLocalAnsi || text.empty()) return text;
    int wide = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wide <= 0) return text;
    std::vector<wchar_t> w(static_cast<size_t>(wide));
    MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
    int narrow = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return text;
    std::string out(static_cast<size_t>(narrow), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

bool LooksLikeFeed(const std::string& text) {
    return rss::CountItems(text.c_str(), text.size(), 1) > 0 ||
           mystristr(text.c_str(), "<channel") != nullptr;
}

struct JobDone {
    cPodcastFeed* feed;
    unsigned long job;
};

DWORD WINAPI PodcastJobDoneThread(LPVOID param) {
    JobDone* done = static_cast<JobDone*>(param);
    done->feed->OnDownloadFinished(done->job);
    delete done;
    return 0;
}

cListe g_feeds;
CRITICAL_SECTION* FeedsLock() {
    static CRITICAL_SECTION* lock = [] {
        auto* cs = new CRITICAL_SECTION;
        InitializeCriticalSection(cs);
        return cs;
    }();
    return lock;
}

}  // namespace

void SetPodcastFeature(bool on) { InterlockedExchange(&g_feature, on ? 1 : 0); }
bool PodcastFeature() { return g_feature != 0; }
void SetPodcastViewShown(bool shown) { InterlockedExchange(&g_viewShown, shown ? 1 : 0); }
bool PodcastViewShown() { return g_viewShown != 0; }
void SetPodcastQuestion(PodcastQuestionFn fn) { g_question = fn; }

cPodcastFeed::cPodcastFeed() { InitializeCriticalSection(&lock_); }

cPodcastFeed::~cPodcastFeed() {
    InterlockedExchange(&closing_, 1);
    // Running downloads are stopped, not awaited: a host clearing its list
    // must not wait for episodes of hundreds of megabytes.
    CancelAllDownloads();
    for (int i = 0; i < 3000 && (inUse_ != 0 || IsBusy()); ++i) Sleep(5);
    DetachCallbacks();
    cDownloadManager* dm = Downloads();
    if (dm) {
        if (feedJob_) dm->DeleteJob(feedJob_);
        for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i)
            if (episodes_[i].job) dm->DeleteJob(episodes_[i].job);
    }
    delete[] document_;
    delete[] episodes_;
    DeleteCriticalSection(&lock_);
}

void cPodcastFeed::SetUrl(const char* url) { TextCopy(url_, url ? url : ""); }

char* cPodcastFeed::SwapText(char* text) {
    bk::ScopedLock hold(&lock_);
    char* old = document_;
    document_ = text;
    documentLength_ = text ? strlen(text) : 0;
    count_ = -1;
    return old;
}

bool cPodcastFeed::EnsureDocument() {
    if (document_) return true;
    return ReadRssLocked();
}

bool cPodcastFeed::EnsureRecords() {
    if (!episodes_) episodes_ = new cPodcastEpisode[rss::kEpisodeRecords];
    return true;
}

bool cPodcastFeed::ReadRss() {
    bk::ScopedLock hold(&lock_);
    return ReadRssLocked();
}

bool cPodcastFeed::ReadRssLocked() {
    if (feedJob_) return false;
    char path[MAX_PATH * 2];
    std::string text;
    if (!GetFeedFilePath(path, sizeof path) || !ReadWholeFile(path, &text)) {
        HostLog(7, "lese rss - fertig\n");
        return false;
    }
    text = ToLocalAnsi(text);
    count_ = -1;
    delete[] episodes_;
    episodes_ = nullptr;
    rss::PruneResult pruned = rss::PruneItems(&text);
    episodes_ = new cPodcastEpisode[rss::kEpisodeRecords];
    for (int i = 1; i <= pruned.count; ++i) {
        TextCopy(episodes_[i].dateText, pruned.dates[i].text);
        episodes_[i].dateNumber = pruned.dates[i].number;
    }
    count_ = pruned.count;
    // Entities stay in the document and are decoded per value read, so the
    // stored copy keeps its markup intact.
    char* doc = new char[text.size() + 1];
    memcpy(doc, text.c_str(), text.size() + 1);
    delete[] document_;
    document_ = doc;
    documentLength_ = text.size();
    WriteWholeFile(path, rss::MarkLocalAnsi(text));
    HostLog(7, "lese rss - fertig\n");
    return true;
}

bool cPodcastFeed::TakeFeedText(const std::string& text) {
    char path[MAX_PATH * 2];
    if (!GetFeedFilePath(path, sizeof path) || !WriteWholeFile(path, text)) return false;
    if (ReadRss() && GetEpisodeCount() > 0) return true;
    DeleteFileA(path);
    return false;
}

int cPodcastFeed::GetEpisodeCount() {
    bk::ScopedLock hold(&lock_);
    if (count_ == -1) {
        if (!EnsureDocument()) {
            count_ = 0;
            return 0;
        }
        if (count_ == -1) {
            count_ = rss::CountItems(document_, documentLength_, rss::kMaxEpisodes);
            if (count_ >= 1) EnsureRecords();
        }
    }
    return count_;
}

std::string cPodcastFeed::GetItem(int index) {
    bk::ScopedLock hold(&lock_);
    std::string item;
    if (index >= 1 && EnsureDocument()) rss::GetItem(document_, documentLength_, index, &item);
    return item;
}

bool cPodcastFeed::FindElementInText(const char* name, std::string* content, std::string* attributes,
                                     size_t* position) {
    bk::ScopedLock hold(&lock_);
    if (!document_) return false;
    return rss::FindElement(document_, documentLength_, name, content, attributes, position);
}

std::string cPodcastFeed::Element(int index, const char* name) {
    bk::ScopedLock hold(&lock_);
    std::string scope, value;
    if (!EnsureDocument()) return value;
    size_t pos = 0;
    if (index == 0) {
        if (!rss::FindElement(document_, documentLength_, "channel", &scope, nullptr, &pos)) return value;
        // The channel's own elements only, not those of its items.
        std::string own;
        rss::ElementSpan s;
        size_t from = 0;
        while (rss::LocateElement(scope.c_str(), scope.size(), "item", from, &s)) {
            own.append(scope, from, s.start - from);
            from = s.end;
        }
        own.append(scope, from, std::string::npos);
        scope.swap(own);
    } else if (!rss::GetItem(document_, documentLength_, index, &scope)) {
        return value;
    }
    pos = 0;
    rss::FindElement(scope.c_str(), scope.size(), name, &value, nullptr, &pos);
    rss::DecodeEntities(&value);
    return value;
}

std::string cPodcastFeed::EnclosureAttributes(int index) {
    if (index < 1) return std::string();
    std::string item = GetItem(index);
    rss::ElementSpan s;
    for (size_t from = 0; rss::LocateElement(item.c_str(), item.size(), "enclosure", from, &s); from = s.start + 1) {
        std::string attrs = item.substr(s.attrStart, s.attrLength), url;
        if (rss::GetAttribute(attrs, "url", &url) && !url.empty()) return attrs;
    }
    return std::string();
}

const char* cPodcastFeed::Result(const std::string& text) {
    TextCopyN(result_, sizeof result_, text.c_str(), text.size());
    return result_;
}

const char* cPodcastFeed::GetTitle(int index) {
    std::string t = Element(index, "title");
    rss::TrimTitle(&t);
    return Result(t.empty() ? std::string(url_) : t);
}

const char* cPodcastFeed::GetDescription(int index) {
    std::string t = Element(index, "description");
    rss::RemoveLineBreaks(&t);
    return Result(t);
}

const char* cPodcastFeed::GetCategory(int index) {
    std::string t = Element(index, "category");
    rss::RemoveLineBreaks(&t);
    return Result(t);
}

const char* cPodcastFeed::GetEpisodeDate(int index) {
    {
        bk::ScopedLock hold(&lock_);
        if (episodes_ && index >= 0 && index <= count_ && episodes_[index].dateText[0])
            return episodes_[index].dateText;
    }
    std::string pub = Element(index, "pubDate");
    if (pub.empty() && index == 0) pub = Element(0, "lastBuildDate");
    rss::EpisodeDate d = pub.empty() ? rss::EpisodeDate() : rss::ParseDate(pub.c_str());
    bk::ScopedLock hold(&lock_);
    if (episodes_ && index >= 0 && index <= count_ && index < rss::kEpisodeRecords) {
        TextCopy(episodes_[index].dateText, d.text);
        episodes_[index].dateNumber = d.number;
        return episodes_[index].dateText;
    }
    return Result(d.text);
}

int cPodcastFeed::GetEpisodeDateNumber(int index) {
    if (GetEpisodeCount() < 1) return 0;
    {
        bk::ScopedLock hold(&lock_);
        if (!episodes_ || index < 0 || index > count_) return 0;
        if (episodes_[index].dateNumber >= 1) return episodes_[index].dateNumber;
    }
    GetEpisodeDate(index);
    bk::ScopedLock hold(&lock_);
    return episodes_ && index <= count_ ? episodes_[index].dateNumber : 0;
}

const char* cPodcastFeed::GetEnclosureUrl(int index) {
    std::string url;
    rss::GetAttribute(EnclosureAttributes(index), "url", &url);
    rss::DecodeEntities(&url, false);
    return Result(url);
}

int64_t cPodcastFeed::GetEnclosureLength(int index) { return rss::EnclosureLength(EnclosureAttributes(index)); }

const char* cPodcastFeed::GetEpisodeSizeText(int index) {
    return Result(index < 1 ? std::string() : rss::SizeText(GetEnclosureLength(index)));
}

int cPodcastFeed::GetEpisodeStatus(int index) {
    bk::ScopedLock hold(&lock_);
    return InRange(index) ? episodes_[index].status : -1;
}

const char* cPodcastFeed::GetEpisodeStatusText(int index) {
    bk::ScopedLock hold(&lock_);
    return InRange(index) ? episodes_[index].statusText : "";
}

const char* cPodcastFeed::GetEpisodeRowText(int index) {
    bk::ScopedLock hold(&lock_);
    return InRange(index) ? episodes_[index].rowText : "";
}

int cPodcastFeed::GetEpisodeDuration(int index) {
    if (index < 1 || index > GetEpisodeCount()) return -1;
    {
        bk::ScopedLock hold(&lock_);
        if (!InRange(index)) return -1;
        if (episodes_[index].duration >= 0) return episodes_[index].duration;
    }
    char path[MAX_PATH * 2];
    if (!GetEpisodeFilePath(index, path, sizeof path)) return -1;
    bk::ScopedFile f(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.Get(), &size)) return -1;
    // Blocks of 4096 bytes; the last three bytes of a block go in front of
    // the next, so a header across two blocks is found too.
    unsigned char block[3 + 4096];
    size_t kept = 0;
    int64_t blockStart = 0;   // file offset of block[0]
    DWORD got = 0;
    while (blockStart < kMaxDurationScan && ReadFile(f.Get(), block + kept, 4096, &got, nullptr) && got > 0) {
        const size_t length = kept + got;
        const long long at = FindMp3FrameHeader(block, length);
        if (at >= 0) {
            cMp3FrameHeader header;
            header.Set(block + at);
            int64_t seconds = rss::Mp3Seconds(size.QuadPart, blockStart + at, static_cast<int>(header.GetBitrate()));
            int value = static_cast<int>(std::min<int64_t>(seconds, INT32_MAX));
            bk::ScopedLock hold(&lock_);
            if (InRange(index)) episodes_[index].duration = value;
            return value;
        }
        kept = length < 3 ? length : 3;
        memmove(block, block + length - kept, kept);
        blockStart += static_cast<int64_t>(length - kept);
    }
    // No frame: kept as 0, so rows and playlists do not read the file again.
    bk::ScopedLock hold(&lock_);
    if (InRange(index)) episodes_[index].duration = 0;
    return 0;
}

int cPodcastFeed::CachedEpisodeDuration(int index) {
    bk::ScopedLock hold(&lock_);
    return InRange(index) ? episodes_[index].duration : -1;
}

bool cPodcastFeed::GetFeedFilePath(char* buffer, size_t size) {
    std::string folder = Library().skinsFolder;
    for (int cut = 0; cut < 2; ++cut) {
        size_t at = folder.rfind('\\');
        if (at == std::string::npos) return false;
        folder.erase(at);
    }
    if (folder.empty()) return false;
    folder += "\\podcasts";
    CreateFolder(folder);
    std::string path = folder + "\\" + rss::FeedFileName(url_, GetId());
    return TextCopy(buffer, size, path.c_str());
}

std::string cPodcastFeed::FolderOfEpisodes() {
    cSettingsInterface* host = Host();
    const char* dir = host ? host->GetPodcastDir() : nullptr;
    if (!dir || !*dir) return std::string();
    std::string folder = dir;
    if (folder.back() != '\\') folder += '\\';
    CreateFolder(folder);
    std::string title = GetTitle(0);
    folder += rss::PodcastFolderName(title.c_str(), GetId());
    CreateFolder(folder);
    return folder + "\\";
}

bool cPodcastFeed::GetEpisodeFilePath(int index, char* buffer, size_t size) {
    if (index < 1 || index > GetEpisodeCount()) return false;
    {
        bk::ScopedLock hold(&lock_);
        if (!InRange(index)) return false;
        if (episodes_[index].filePath[0]) return TextCopy(buffer, size, episodes_[index].filePath);
    }
    std::string folder = FolderOfEpisodes();
    if (folder.empty()) return false;
    std::string url = GetEnclosureUrl(index);
    std::string name = rss::EpisodeFileName(url.c_str());
    // Two episodes whose addresses end in the same name ("audio.mp3" in
    // different folders) must not share one file.
    int count = GetEpisodeCount();
    for (int j = 1; j <= count; ++j) {
        if (j == index) continue;
        std::string other = GetEnclosureUrl(j);
        if (other != url && rss::EpisodeFileName(other.c_str()) == name) {
            size_t dot = name.rfind('.');
            std::string tag = "_" + rss::AddressTag(url.c_str());
            name = dot == std::string::npos ? name + tag : name.substr(0, dot) + tag + name.substr(dot);
            break;
        }
    }
    std::string path = folder + name;
    bk::ScopedLock hold(&lock_);
    if (InRange(index)) TextCopy(episodes_[index].filePath, path.c_str());
    return TextCopy(buffer, size, path.c_str());
}

void cPodcastFeed::ResetEpisodePaths() {
    bk::ScopedLock hold(&lock_);
    for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i) {
        if (!episodes_[i].filePath[0]) continue;
        episodes_[i].filePath[0] = 0;
        episodes_[i].duration = -1;
        episodes_[i].downloaded = -1;
    }
}

int cPodcastFeed::FindNewestEpisode() {
    int count = GetEpisodeCount();
    int best = -1;
    std::string bestKey;
    for (int i = 1; i <= count; ++i) {
        std::string d = GetEpisodeDate(i);
        if (d.size() != 10) continue;
        std::string key = d.substr(6, 4) + d.substr(3, 2) + d.substr(0, 2);
        if (best < 0 || key > bestKey) {
            best = i;
            bestKey = key;
        }
    }
    return best;
}

bool cPodcastFeed::IsEpisodeDownloaded(int index) {
    if (index < 1 || index > GetEpisodeCount()) return false;
    {
        bk::ScopedLock hold(&lock_);
        if (!InRange(index)) return false;
        if (episodes_[index].downloaded == 0 || episodes_[index].downloaded == 1) return episodes_[index].downloaded;
    }
    char path[MAX_PATH * 2];
    int present = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetEpisodeFilePath(index, path, sizeof path) && GetFileAttributesExA(path, GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow || data.nFileSizeHigh))
        present = 1;
    bk::ScopedLock hold(&lock_);
    if (InRange(index)) episodes_[index].downloaded = present;
    return present != 0;
}

bool cPodcastFeed::IsEpisodeNew(int index) {
    if (index < 1 || index > GetEpisodeCount()) return false;
    int plays;
    {
        bk::ScopedLock hold(&lock_);
        if (!InRange(index)) return false;
        plays = episodes_[index].playCount;
    }
    if (plays == -1) {
        char path[MAX_PATH * 2];
        if (!GetEpisodeFilePath(index, path, sizeof path)) return false;
        PlayCountQuery query{path, 0};
        HostCallback(73, 0, &query);
        plays = query.count;
        bk::ScopedLock hold(&lock_);
        if (InRange(index)) episodes_[index].playCount = plays;
    }
    return plays < 1;
}

void cPodcastFeed::IncPlayCount(int index) {
    bk::ScopedLock hold(&lock_);
    if (InRange(index)) ++episodes_[index].playCount;
}

bool cPodcastFeed::HasNewEpisodes() {
    int count = GetEpisodeCount();
    for (int i = 1; i <= count; ++i)
        if (!IsEpisodeDownloading(i) && IsEpisodeDownloaded(i) && IsEpisodeNew(i)) return true;
    return false;
}

std::string cPodcastFeed::DurationText(int seconds) {
    char text[200];
    std::string format = CatalogueText(seconds >= 3600 ? 587 : 588);
    if (seconds >= 3600)
        TextFormat(text, sizeof text, format.c_str(), seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        TextFormat(text, sizeof text, format.c_str(), seconds / 60, seconds % 60);
    return text;
}

// ------------------------------------------------------------------ downloads

void cPodcastFeed::StartDownload(int index) {
    cDownloadManager* dm = Downloads();
    if (!PodcastFeature() || !dm || closing_) return;
    char path[MAX_PATH * 2];
    std::string address;
    if (index == -1) {
        if (feedJob_ || !GetFeedFilePath(path, sizeof path)) return;
        // Into a file beside the feed's own: a broken or foreign answer must
        // not replace the feed that works.
        if (!TextAppend(path, sizeof path, ".part")) return;
        address = url_;
    } else {
        if (IsEpisodeDownloading(index) || !GetEpisodeFilePath(index, path, sizeof path)) return;
        if (IsEpisodeDownloaded(index)) return;
        address = GetEnclosureUrl(index);
    }
    if (address.empty()) return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        char line[MAX_PATH * 2 + 100];
        TextFormat(line, sizeof line, "downloadpodcast - error creating file\n%s\nerror: %d\n", path,
                   static_cast<int>(GetLastError()));
        OutputDebugStringA(line);
        return;
    }
    std::vector<char> url(address.begin(), address.end());
    url.push_back(0);
    unsigned long job = dm->Download(nullptr, 0, url.data(), file, 0, 0, 0);
    if (!job) {
        CloseHandle(file);
        DeleteFileA(path);
        return;
    }
    dm->SetUserData(job, this);
    dm->SetCallback(job, &PodcastDownloadCallback);
    {
        bk::ScopedLock hold(&lock_);
        if (index == -1) {
            feedJob_ = job;
            feedFinishing_ = 0;
        } else if (InRange(index)) {
            episodes_[index].job = job;
            episodes_[index].finishing = 0;
        }
    }
    dm->StartJob(job);
}

void cPodcastFeed::DownloadAllMissing() {
    int count = GetEpisodeCount();
    for (int i = 1; i <= count; ++i)
        if (!IsEpisodeDownloaded(i)) StartDownload(i);
}

bool cPodcastFeed::IsBusy() {
    bk::ScopedLock hold(&lock_);
    if (feedJob_) return true;
    for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i)
        if (episodes_[i].job) return true;
    return false;
}

bool cPodcastFeed::WaitIdle(DWORD timeoutMs) {
    for (DWORD waited = 0; IsBusy() || inUse_ != 0; waited += 5) {
        if (waited >= timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

bool cPodcastFeed::IsEpisodeDownloading(int index) {
    bk::ScopedLock hold(&lock_);
    return InRange(index) && episodes_[index].job != 0;
}

void cPodcastFeed::CancelEpisodeDownload(int index) {
    unsigned long job;
    {
        bk::ScopedLock hold(&lock_);
        job = InRange(index) ? episodes_[index].job : 0;
    }
    if (job && Downloads()) Downloads()->CancelDownload(job);
}

void cPodcastFeed::CancelAllDownloads() {
    cDownloadManager* dm = Downloads();
    if (!dm) return;
    std::vector<unsigned long> jobs;
    {
        bk::ScopedLock hold(&lock_);
        if (feedJob_) jobs.push_back(static_cast<unsigned long>(feedJob_));
        for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i)
            if (episodes_[i].job) jobs.push_back(episodes_[i].job);
    }
    // The cancel calls back on this thread, which takes the feed's lock.
    for (unsigned long job : jobs) dm->CancelDownload(job);
}

void cPodcastFeed::DetachCallbacks() {
    cDownloadManager* dm = Downloads();
    if (!dm) return;
    bk::ScopedLock hold(&lock_);
    if (feedJob_) dm->SetCallback(feedJob_, nullptr);
    for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i)
        if (episodes_[i].job) dm->SetCallback(episodes_[i].job, nullptr);
}

int cPodcastFeed::FindJob(unsigned long job) {
    if (!job) return -1;
    bk::ScopedLock hold(&lock_);
    if (job == feedJob_) return 0;
    for (int i = 1; episodes_ && i < rss::kEpisodeRecords; ++i)
        if (episodes_[i].job == job) return i;
    return -1;
}

void cPodcastFeed::SetEpisodeStatus(int index, const char* text, int status) {
    bk::ScopedLock hold(&lock_);
    if (!episodes_ || index < 0 || index >= rss::kEpisodeRecords) return;
    episodes_[index].status = status;
    TextCopy(episodes_[index].statusText, text ? text : "");
}

void cPodcastFeed::SetRowText(unsigned long job, const char* text) {
    if (!job) return;
    // Rows are set under the feed's lock, which ClearRows also takes before
    // the table lets its lines go.
    bk::ScopedLock hold(&lock_);
    if (job == feedJob_) {
        TextCopy(feedRowText_, text ? text : "");
        if (feedRow_) feedRow_->SetColumnText(2, feedRowText_);
        return;
    }
    for (int i = 1; episodes_ && i < rss::kEpisodeRecords; ++i) {
        if (episodes_[i].job != job) continue;
        TextCopy(episodes_[i].rowText, text ? text : "");
        if (episodes_[i].row) episodes_[i].row->SetColumnText(2, episodes_[i].rowText);
        return;
    }
}

void cPodcastFeed::RowTextForDuration(int index) {
    // Rows are bound on the user interface's thread: the download threads
    // measure.
    int seconds = CachedEpisodeDuration(index);
    std::string text = seconds > 0 ? DurationText(seconds) : std::string(GetEpisodeSizeText(index));
    bk::ScopedLock hold(&lock_);
    if (!InRange(index)) return;
    TextCopy(episodes_[index].rowText, text.c_str());
    if (episodes_[index].row) episodes_[index].row->SetColumnText(2, episodes_[index].rowText);
}

void cPodcastFeed::SetEpisodeRow(int index, cPodcastRow* row) {
    if (index == 0) {
        bk::ScopedLock hold(&lock_);
        feedRow_ = row;
        return;
    }
    int status;
    {
        bk::ScopedLock hold(&lock_);
        if (!InRange(index)) return;
        episodes_[index].row = row;
        if (!row) return;
        status = episodes_[index].status;
        if (status == 2 || status == 3 || status == 4 || status == 6 || status == 7) {
            row->SetColumnText(2, episodes_[index].statusText);
            return;
        }
    }
    RowTextForDuration(index);
}

void cPodcastFeed::ClearRows() {
    bk::ScopedLock hold(&lock_);
    feedRow_ = nullptr;
    for (int i = 0; episodes_ && i < rss::kEpisodeRecords; ++i) episodes_[i].row = nullptr;
}

void PodcastDownloadCallback(unsigned long job, int status, void* user) {
    char log[80];
    TextFormat(log, sizeof log, "Podcast-Callback-- JobId( %d ), Status ( %d)", static_cast<int>(job), status);
    HostLog(7, log);
    cPodcastFeed* feed = static_cast<cPodcastFeed*>(user);
    cDownloadManager* dm = Downloads();
    switch (status) {
        case 2:
        case 3: {
            int index = feed ? feed->FindJob(job) : -1;
            if (status == 3 && index < 1) return;
            std::string text = CatalogueText(status == 2 ? 305 : 586);
            if (feed) {
                feed->SetEpisodeStatus(index, text.c_str(), status);
                feed->SetRowText(job, text.c_str());
            }
            PostToNav(WM_FK_PODCAST_ROWS, 0, 0);
            RememberTick();
            return;
        }
        case 4: {
            if (GetTickCount() - g_lastRowTick <= 800) return;
            int index = feed ? feed->FindJob(job) : -1;
            if (feed && index >= 0 && dm) {
                int64_t total = index == 0 ? 0 : feed->GetEnclosureLength(index);
                int64_t received = static_cast<int64_t>(dm->GetAktSize(job));
                std::string size = index == 0 ? std::string() : std::string(feed->GetEpisodeSizeText(index));
                std::string progress = rss::ProgressText(received, total, size);
                const char* text = progress.c_str();
                feed->SetEpisodeStatus(index, text, 4);
                feed->SetRowText(job, text);
            }
            PostToNav(WM_FK_PODCAST_ROWS, 0, 0);
            RememberTick();
            return;
        }
        case 5:
        case 6:
        case 7:
            break;
        default:
            return;
    }
    if (!feed) {
        if (dm) dm->CloseFileHandle(job);
        return;
    }
    feed->OnFinalStatus(job, status);
}

void cPodcastFeed::OnFinalStatus(unsigned long job, int status) {
    cDownloadManager* dm = Downloads();
    int index;
    char path[MAX_PATH * 2] = {};
    {
        bk::ScopedLock hold(&lock_);
        index = -1;
        if (job == feedJob_) {
            if (InterlockedExchange(&feedFinishing_, 1)) return;
            index = 0;
        } else {
            for (int i = 1; episodes_ && i < rss::kEpisodeRecords; ++i) {
                if (episodes_[i].job != job) continue;
                if (InterlockedExchange(&episodes_[i].finishing, 1)) return;
                index = i;
                break;
            }
        }
    }
    if (dm) dm->CloseFileHandle(job);
    if (index < 0) return;
    std::string text = CatalogueText(status == 5 ? 583 : status == 6 ? 584 : 585);
    if (status != 5 && index >= 1 && GetEpisodeFilePath(index, path, sizeof path)) DeleteFileA(path);
    SetEpisodeStatus(index, text.c_str(), status);
    SetRowText(job, text.c_str());
    PostToNav(WM_FK_PODCAST_ROWS, 0, 0);
    RememberTick();
    // Counted here, not in the thread: the destructor must see the handler
    // before the thread has even started.
    InterlockedIncrement(&inUse_);
    JobDone* done = new JobDone{this, job};
    HANDLE thread = CreateThread(nullptr, 0, &PodcastJobDoneThread, done, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        delete done;
        InterlockedDecrement(&inUse_);
    }
}

void cPodcastFeed::OnDownloadFinished(unsigned long job) {
    cDownloadManager* dm = Downloads();
    int index = FindJob(job);
    if (index >= 0 && !closing_ && dm) {
        int status = dm->GetStatus(job);
        char path[MAX_PATH * 2] = {};
        int newest = -1, seconds = -1;
        if (index == 0) {
            newest = FindNewestEpisode();
            seconds = newest >= 1 ? GetEpisodeDuration(newest) : -1;
        } else {
            Sleep(kEpisodeSettleMs);
            {
                bk::ScopedLock hold(&lock_);
                if (InRange(index)) {
                    episodes_[index].duration = -1;
                    episodes_[index].downloaded = -1;
                }
            }
            seconds = GetEpisodeDuration(index);
        }
        if (status != 7) {
            int sizeOf = index == 0 ? newest : index;
            std::string text = seconds > 0 ? DurationText(seconds)
                                           : (sizeOf >= 1 ? std::string(GetEpisodeSizeText(sizeOf)) : std::string());
            SetRowText(job, text.c_str());
        }
        {
            bk::ScopedLock hold(&lock_);
            if (index >= 1 && InRange(index)) episodes_[index].job = 0;
        }
        dm->DeleteJob(job);
        if (index >= 1 && status != 5 && GetEpisodeFilePath(index, path, sizeof path)) DeleteFileA(path);
        if (index == 0) {
            char part[MAX_PATH * 2] = {};
            bool haveFile = GetFeedFilePath(path, sizeof path);
            TextFormat(part, sizeof part, "%s.part", path);
            int oldCount = GetEpisodeCount();
            std::string oldDate;
            int oldNewest = FindNewestEpisode();
            if (oldNewest >= 1) oldDate = std::string(GetEpisodeDate(oldNewest)).substr(0, 49);
            std::string fresh;
            bool accepted = haveFile && status == 5 && ReadWholeFile(part, &fresh) && LooksLikeFeed(fresh) &&
                            MoveFileExA(part, path, MOVEFILE_REPLACE_EXISTING);
            DeleteFileA(part);
            {
                bk::ScopedLock hold(&lock_);
                feedJob_ = 0;
            }
            for (int i = 0; accepted && IsBusy() && !closing_ && i < 12000; ++i) Sleep(5);
            // A record whose episode still downloads is never dropped: the
            // new text is read at the next refresh.
            if (accepted && !IsBusy()) {
                cPodcastEpisode* old = nullptr;
                {
                    bk::ScopedLock hold(&lock_);
                    old = episodes_;
                    episodes_ = nullptr;
                }
                ReadRss();
                int count = GetEpisodeCount();
                int now = FindNewestEpisode();
                std::string nowDate = now >= 1 ? std::string(GetEpisodeDate(now)) : std::string();
                bool changed = count != oldCount || nowDate != oldDate;
                CarryRecordsOver(old, oldCount, changed);
                // Measured here, on the download's thread, for the rows.
                for (int e = 1; e <= count && !closing_; ++e)
                    if (IsEpisodeDownloaded(e)) GetEpisodeDuration(e);
                if (changed) {
                    if (PodcastViewShown()) PostToNav(WM_FK_PODCAST_VIEW_CLICK, 0, kPodcastViewElement);
                    std::string size = now >= 1 ? std::string(GetEpisodeSizeText(now)) : std::string();
                    {
                        bk::ScopedLock hold(&lock_);
                        TextCopy(feedRowText_, size.c_str());
                        if (feedRow_) feedRow_->SetColumnText(2, feedRowText_);
                    }
                    int rule = Host() ? Host()->GetPodAutoDownload() : 0;
                    if (rule == 1 && now >= 1) StartDownload(now);
                    if (rule == 2) DownloadAllMissing();
                }
            }
        }
        if (PodcastViewShown()) PostToNav(WM_FK_PODCAST_VIEW_CLICK, 0, kPodcastViewElement);
    }
    {
        bk::ScopedLock hold(&lock_);
        if (index == 0) {
            feedJob_ = 0;
        } else if (index >= 1 && InRange(index)) {
            episodes_[index].job = 0;
        }
    }
    InterlockedDecrement(&inUse_);
}

void cPodcastFeed::CarryRecordsOver(cPodcastEpisode* old, int oldCount, bool changed) {
    bk::ScopedLock hold(&lock_);
    if (!old) return;
    if (!changed || !episodes_) {
        // The same episodes: the records stay as they were.
        delete[] episodes_;
        episodes_ = old;
        return;
    }
    int keep = count_ < oldCount ? count_ : oldCount;
    for (int i = 0; i <= keep && i < rss::kEpisodeRecords; ++i) {
        char dateText[sizeof old[i].dateText];
        TextCopy(dateText, episodes_[i].dateText);
        int32_t dateNumber = episodes_[i].dateNumber;
        episodes_[i] = old[i];
        TextCopy(episodes_[i].dateText, dateText);
        episodes_[i].dateNumber = dateNumber;
        // The file may belong to another episode now.
        episodes_[i].downloaded = -1;
        episodes_[i].filePath[0] = 0;
        episodes_[i].duration = -1;
    }
    delete[] old;
}

int cPodcastFeed::DeleteWithConfirm(int index) {
    cSettingsInterface* host = Host();
    char question[501];
    std::string title = GetTitle(index < 0 ? 0 : index);
    if (index < 0) {
        TextFormat(question, sizeof question, CatalogueText(576).c_str(), title.c_str());
    } else {
        if (index < 1 || index > GetEpisodeCount()) return 0;
        TextFormat(question, sizeof question, CatalogueText(577).c_str(), title.c_str());
    }
    if (Ask(question) != 1) return 0;
    if (index >= 1) {
        char path[MAX_PATH * 2];
        if (GetEpisodeFilePath(index, path, sizeof path) && DeleteFileA(path)) {
            bk::ScopedLock hold(&lock_);
            if (InRange(index)) {
                episodes_[index].downloaded = -1;
                episodes_[index].duration = -1;
            }
        }
        PostToNav(WM_FK_PODCAST_ROWS, 0, 0);
        return 1;
    }
    int rule = host ? host->GetPodDeletePodcasts() : 0;
    bool episodes = rule == 2 || (rule == 3 && Ask(CatalogueText(571).c_str()) == 1);
    CancelAllDownloads();
    WaitIdle(5000);
    char path[MAX_PATH * 2] = {};
    if (episodes) {
        int count = GetEpisodeCount();
        for (int i = 1; i <= count; ++i)
            if (GetEpisodeFilePath(i, path, sizeof path)) DeleteFileA(path);
        if (path[0]) {
            char* cut = strrchr(path, '\\');
            if (cut) {
                *cut = 0;
                RemoveDirectoryA(path);
            }
        }
    }
    if (GetFeedFilePath(path, sizeof path)) DeleteFileA(path);
    unsigned long id = GetId();
    HostCallback(70, static_cast<int>(id), nullptr);
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        cListElement* entry = store.List(LS_PODCASTS)->GetById(id);
        if (entry) store.List(LS_PODCASTS)->Delete(entry);
    }
    {
        bk::ScopedLock hold(FeedsLock());
        // Destroys this object: nothing of it is touched after this.
        if (g_feeds.GetById(id) == this) g_feeds.Delete(this);
    }
    PostToNav(WM_FK_PODCASTS_CHANGED, 0, 0);
    PostToNav(WM_FK_PODCAST_ROWS, 0, 0);
    return 1;
}

// ------------------------------------------------------------------ feed list

cListe& PodcastFeeds() { return g_feeds; }
CRITICAL_SECTION* PodcastFeedsLock() { return FeedsLock(); }

cPodcastFeed* FindPodcastFeed(unsigned long id) {
    bk::ScopedLock hold(FeedsLock());
    return static_cast<cPodcastFeed*>(g_feeds.GetById(id));
}

namespace {
// Set once the start-up refreshed the subscribed feeds: feeds the host
// pushes afterwards are refreshed when they arrive.
volatile LONG g_refreshArrivals = 0;
}  // namespace

void RefreshSubscribedFeeds() {
    SyncPodcastFeeds();
    {
        bk::ScopedLock hold(FeedsLock());
        for (cListElement* e = g_feeds.First(); e; e = e->Next()) {
            auto* feed = static_cast<cPodcastFeed*>(e);
            if (feed->IsSubscribed()) feed->StartDownload(-1);
        }
    }
    InterlockedExchange(&g_refreshArrivals, 1);
}

void StopRefreshingArrivals() { InterlockedExchange(&g_refreshArrivals, 0); }

void SyncPodcastFeeds() {
    struct Entry {
        unsigned long id;
        std::string url;
        int subscribed;
    };
    std::vector<Entry> entries;
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        for (cListElement* e = store.List(LS_PODCASTS)->First(); e; e = e->Next()) {
            auto* p = static_cast<cPodcastEntry*>(e);
            entries.push_back({p->GetId(), p->GetText() ? p->GetText() : "", p->subscribed});
        }
    }
    std::vector<cPodcastFeed*> gone;
    {
        bk::ScopedLock hold(FeedsLock());
        for (cListElement* e = g_feeds.First(); e;) {
            cListElement* next = e->Next();
            bool kept = std::any_of(entries.begin(), entries.end(), [&](const Entry& x) { return x.id == e->GetId(); });
            if (!kept) {
                g_feeds.RemoveWithoutDelete(e);
                gone.push_back(static_cast<cPodcastFeed*>(e));
            }
            e = next;
        }
        for (const Entry& x : entries) {
            auto* feed = static_cast<cPodcastFeed*>(g_feeds.GetById(x.id));
            bool arrived = !feed;
            if (!feed) {
                feed = new cPodcastFeed();
                feed->SetId(x.id);
                g_feeds.Add(feed);
            }
            if (strcmp(feed->GetUrl(), x.url.c_str()) != 0) feed->SetUrl(x.url.c_str());
            feed->SetSubscribed(x.subscribed);
            if (arrived && x.subscribed && g_refreshArrivals) feed->StartDownload(-1);
        }
    }
    // Outside the lock: a feed's destructor waits for its handlers.
    for (cPodcastFeed* feed : gone) delete feed;
}
