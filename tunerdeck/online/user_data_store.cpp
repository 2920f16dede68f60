#include "user_data_store.h"

#include <cstring>
#include <ctime>
#include <set>

#include "debugtext.h"
#include "online_host.h"
#include "player_cipher.h"
#include "rdb_files.h"
#include "registry.h"
#include "timerlist.h"
#include "xml_interface.h"

std::string UserDataPath(const char* name) { return online::UserFolder() + name; }

namespace {

// A user file larger than this is not a file of ours.
constexpr LONGLONG kMaxUserFileBytes = 256ll * 1024 * 1024;

// Shared for deletion: a save may replace the file while a reader (the
// start-up loader on a large database) still has it open.
bool ReadWhole(const std::string& path, std::string* out, DWORD* error) {
    bk::ScopedFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        *error = GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.Get(), &size) || size.QuadPart > kMaxUserFileBytes) {
        *error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    out->resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (size.QuadPart && (!ReadFile(f.Get(), &(*out)[0], static_cast<DWORD>(size.QuadPart), &got, nullptr) ||
                          got != size.QuadPart)) {
        *error = GetLastError();
        return false;
    }
    return true;
}

// The user's file, else the program folder's copy when the user has none;
// shared for deletion like ReadWhole's.
bk::ScopedFile OpenUserDataFile(const char* name, LONGLONG* size, bool* fromUser) {
    for (int folder = 0; folder < 2; ++folder) {
        const std::string path = folder == 0 ? UserDataPath(name) : online::ProgramFolder() + "\\" + name;
        *fromUser = folder == 0;
        bk::ScopedFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
            return f;
        }
        LARGE_INTEGER length;
        if (!GetFileSizeEx(f.Get(), &length) || length.QuadPart > kMaxUserFileBytes) return bk::ScopedFile();
        *size = length.QuadPart;
        return f;
    }
    return bk::ScopedFile();
}

bool ReadExactly(HANDLE f, void* buffer, size_t size) {
    DWORD got = 0;
    return ReadFile(f, buffer, static_cast<DWORD>(size), &got, nullptr) && got == size;
}

void KeepAside(const std::string& path) {
    std::string aside = path + ".bad";
    if (MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DebugLog(DL_WAR, "userdatastore: %s fehlerhaft, beiseite gelegt", path.c_str());
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

template <typename T>
void ForEach(cListe* list, T fn) {
    cIterator* it = list->GetIterator();
    if (!it) return;
    while (cListElement* e = it->Next()) fn(e);
    list->FreeIterator(it);
}

// Store index of each category kind of the station text.
int StoreIndexOf(int kind) {
    switch (kind) {
        case kCatTyp: return kStoreKind;
        case kCatGenre: return kStoreGenre;
        case kCatTopGenre: return kStoreTopGenre;
        case kCatSprache: return kStoreLanguage;
        case kCatLand: return kStoreCountry;
        case kCatRegion: return kStoreRegion;
        case kCatKontinente: return kStoreContinent;
    }
    return kStoreFurther;
}

}  // namespace


int ReadUserDataFile(const char* name, std::string* content, bool check) {
    if (!name || !content) return 0;
    content->clear();
    std::string path = UserDataPath(name);
    DWORD error = 0;
    bool fromUser = ReadWhole(path, content, &error);
    if (!fromUser) {
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return 0;
        if (!ReadWhole(online::ProgramFolder() + "\\" + name, content, &error)) return 0;
    }
    if (!check) return 1;
    size_t size = content->size();
    if (!CheckCrc16(Bytes(*content), &size)) {
        content->clear();
        if (fromUser) KeepAside(path);
        return 0;
    }
    content->resize(size);
    return 1;
}

bool WriteUserDataFile(const char* name, const std::string& content, bool trailer) {
    std::string path = UserDataPath(name);
    std::string tmp = path + ".tmp";
    std::string bytes = content;
    if (trailer) AppendCrc16(&bytes);
    {
        bk::ScopedFile f(CreateFileA(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
        if (!f) {
            DebugLog(DL_ERR, "userdatastore: %s kann nicht angelegt werden (%lu)", tmp.c_str(), GetLastError());
            return false;
        }
        DWORD written = 0;
        bool ok = bytes.empty() ||
                  (WriteFile(f.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written == bytes.size());
        ok = ok && FlushFileBuffers(f.Get());
        if (!ok) {
            DebugLog(DL_ERR, "userdatastore: %s nicht vollstaendig geschrieben", tmp.c_str());
            f.Reset();
            DeleteFileA(tmp.c_str());
            return false;
        }
    }
    // Under Wine a reader that has the file open keeps it from being
    // replaced, though it shares it for deletion; the station database's
    // loader keeps it open while it reads it, which for a large database on
    // a busy machine takes a while: the replacement waits up to 5 s.
    const DWORD started = GetTickCount();
    while (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || GetTickCount() - started > 5000) {
            DebugLog(DL_ERR, "userdatastore: %s nicht ersetzt (%lu)", path.c_str(), error);
            DeleteFileA(tmp.c_str());
            return false;
        }
        Sleep(20);
    }
    return true;
}

bool AppendCrc16ToFile(const char* path, int add) {
    if (!path) return false;
    std::string bytes;
    DWORD error = 0;
    if (!ReadWhole(path, &bytes, &error)) return false;
    if (!add) return true;
    std::string trailer;
    uint16_t crc = CalcCrc16(Bytes(bytes), bytes.size());
    trailer.push_back(static_cast<char>(crc & 0xFF));
    trailer.push_back(static_cast<char>(crc >> 8));
    bk::ScopedFile f(CreateFileA(path, FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return f && WriteFile(f.Get(), trailer.data(), 2, &written, nullptr) && written == 2 && FlushFileBuffers(f.Get());
}

// ---------------------------------------------------------------- elements

cSenderElement::cSenderElement(cSenderDoc d)
    : name_(std::move(d.N)), homepage_(std::move(d.U)), T_(static_cast<uint16_t>(XmlToInt(d.T))),
      L_(static_cast<uint16_t>(XmlToInt(d.L))), R_(std::move(d.R)) {
    SetId(static_cast<uint32_t>(XmlToInt64(d.Id)));
}

cChannelElement::cChannelElement(cChannelDoc d)
    : SID(static_cast<uint32_t>(XmlToInt64(d.SID))), N(std::move(d.N)), Tx(std::move(d.Tx)),
      Tx_ENG(std::move(d.Tx_ENG)), S(std::move(d.S)), G(std::move(d.G)), D(std::move(d.D)), T(std::move(d.T)),
      R(std::move(d.R)), M(std::move(d.M)) {
    SetId(static_cast<uint32_t>(XmlToInt64(d.Id)));
}

cStreamElement::cStreamElement(cStreamDoc d)
    : url_(std::move(d.U)), F_(d.F), CID_(d.CID), D_(static_cast<uint32_t>(d.D)), Q_(static_cast<uint32_t>(d.Q)) {
    SetId(d.Id);
}

cSenderElement::cSenderElement(const StationDbFields& f)
    : name_(f.Text(kSeN)), homepage_(f.Text(kSeU)), T_(static_cast<uint16_t>(f.Number(kSeT))),
      L_(static_cast<uint16_t>(f.Number(kSeL))), R_(f.Text(kSeR)) {
    SetId(static_cast<uint32_t>(f.Number64(kSeId)));
}

cChannelElement::cChannelElement(const StationDbFields& f)
    : SID(static_cast<uint32_t>(f.Number64(kChSID))), N(f.Text(kChN)), Tx(f.Text(kChTx)), Tx_ENG(f.Text(kChTxEng)),
      S(f.Text(kChS)), G(f.Text(kChG)), D(f.Text(kChD)), T(f.Text(kChT)), R(f.Text(kChR)), M(f.Text(kChM)) {
    SetId(static_cast<uint32_t>(f.Number64(kChId)));
}

cStreamElement::cStreamElement(const StationDbFields& f)
    : url_(f.Text(kStU)), F_(static_cast<uint8_t>(f.Number(kStF))), CID_(static_cast<uint32_t>(f.Number64(kStCID))),
      D_(static_cast<uint32_t>(f.Number(kStD))), Q_(static_cast<uint32_t>(f.Number(kStQ))) {
    SetId(static_cast<uint32_t>(f.Number64(kStId)));
}

cChannelElement* cStreamElement::GetChannel(cUserDataStore* store) const {
    if (!store) return nullptr;
    cListe* channels = store->LockChannelList();
    auto* c = static_cast<cChannelElement*>(channels->GetById(CID_));
    store->UnlockChannelList();
    return c;
}

// ---------------------------------------------------------------- file counter

cFileCounter::~cFileCounter() { WaitPruning(); }

cNamedValueElement* cFileCounter::Find(const std::string& path) {
    cNamedValueElement* hit = nullptr;
    ForEach(list_, [&](cListElement* e) {
        auto* nv = static_cast<cNamedValueElement*>(e);
        if (!hit && nv->GetName() == path) hit = nv;
    });
    return hit;
}

void cFileCounter::CountFile(const std::string& path) {
    if (!list_) return;
    bk::ScopedLock lock(*lock_);
    if (cNamedValueElement* e = Find(path)) e->SetValue(e->GetValue() + 1);
    else list_->Add(new cNamedValueElement(0, path, 1));
}

int32_t cFileCounter::GetCount(const std::string& path) {
    if (!list_) return 0;
    bk::ScopedLock lock(*lock_);
    cNamedValueElement* e = Find(path);
    return e ? e->GetValue() : 0;
}

void cFileCounter::Prune() {
    if (!list_) return;
    std::vector<std::string> names;
    {
        bk::ScopedLock lock(*lock_);
        ForEach(list_, [&](cListElement* e) { names.push_back(static_cast<cNamedValueElement*>(e)->GetName()); });
    }
    std::set<std::string> gone;
    for (const std::string& n : names) {
        if (stop_) return;
        // Streamed episodes are counted by address: there is no file to look for.
        if (n.find("://") != std::string::npos) continue;
        HANDLE h = CreateFileA(n.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        else if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) gone.insert(n);
        Sleep(5);
    }
    if (gone.empty()) return;
    bk::ScopedLock lock(*lock_);
    ForEach(list_, [&](cListElement* e) {
        auto* nv = static_cast<cNamedValueElement*>(e);
        if (gone.count(nv->GetName())) list_->Delete(nv);
    });
}

DWORD WINAPI cFileCounter::PruneThread(void* self) {
    static_cast<cFileCounter*>(self)->Prune();
    return 0;
}

void cFileCounter::StartPruning() {
    if (!list_ || thread_) return;
    thread_.Reset(CreateThread(nullptr, 0, PruneThread, this, 0, nullptr));
}

void cFileCounter::WaitPruning() {
    if (!thread_) return;
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    InterlockedExchange(&stop_, 0);
}

// ---------------------------------------------------------------- store

cUserDataStore::cUserDataStore(bool startThreads) {
    DebugScope scope("userdatastore.cpp: cUserDataStore::cUserDataStore");
    if (startThreads) {
        loader_.Reset(CreateThread(nullptr, 0, LoaderThread, this, 0, nullptr));
        if (!loader_) LoadStationDatabase();
    } else {
        LoadStationDatabase();
    }
    LoadUserFiles();
    LoadUserStations();
    fileCounter_.Bind(&counter_, &userLock_);
    if (startThreads) fileCounter_.StartPruning();
}

cUserDataStore::~cUserDataStore() {
    if (loader_) WaitForSingleObject(loader_.Get(), INFINITE);
    fileCounter_.WaitPruning();
    LockSenderList();
    stations_.Delete();
    UnlockSenderList();
    LockChannelList();
    channels_.Delete();
    UnlockChannelList();
    LockStreamList();
    streams_.Delete();
    UnlockStreamList();
}

DWORD WINAPI cUserDataStore::LoaderThread(void* self) {
    static_cast<cUserDataStore*>(self)->LoadStationDatabase();
    return 0;
}

bool cUserDataStore::WaitForStationDatabase(DWORD timeoutMs) {
    if (!loader_) return loading_ == 0;
    return WaitForSingleObject(loader_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

cListe* cUserDataStore::LockSenderList() {
    stationLock_.Enter();
    return &stations_;
}
void cUserDataStore::UnlockSenderList() { stationLock_.Leave(); }
cListe* cUserDataStore::LockChannelList() {
    channelLock_.Enter();
    return &channels_;
}
void cUserDataStore::UnlockChannelList() { channelLock_.Leave(); }
cListe* cUserDataStore::LockStreamList() {
    streamLock_.Enter();
    return &streams_;
}
void cUserDataStore::UnlockStreamList() { streamLock_.Leave(); }
cListe* cUserDataStore::LockTopSender() {
    topLock_.Enter();
    return &tops_;
}
void cUserDataStore::UnlockTopSender() { topLock_.Leave(); }

namespace {

// Reads radiodb.rdb into the sink through one buffer of kPiece bytes, so
// that a database of tens of megabytes is never held whole (first touching
// fresh memory is what a load costs most on a busy machine); a piece is
// large enough for its deciphering to be shared out to two threads. A
// first pass checks the trailer and looks for the plain text's mark, a
// second deciphers and reads piece by piece. 1 when read; 0 when there is no
// usable file (a damaged one of the user folder is kept aside); -1 when the
// text has a shape that only the whole-text reader takes.
int StreamStationDatabase(cStationDbSink* sink) {
    constexpr size_t kPiece = 4 * 1024 * 1024;   // a multiple of the cipher's 8 bytes
    LONGLONG fileSize = 0;
    bool fromUser = true;
    bk::ScopedFile f = OpenUserDataFile("radiodb.rdb", &fileSize, &fromUser);
    if (!f) return 0;
    auto damaged = [&]() {
        f.Reset();
        if (fromUser) KeepAside(UserDataPath("radiodb.rdb"));
        return 0;
    };
    if (fileSize <= 2) return damaged();
    const size_t size = static_cast<size_t>(fileSize) - 2;   // without the trailer
    const size_t overlap = kPlainStationDbMarkLength - 1;
    std::vector<char> buffer(overlap + kPiece);
    uint16_t crc = 0;
    bool plain = false;
    size_t kept = 0;   // the end of the previous piece, for a mark across two
    for (size_t done = 0; done < size;) {
        const size_t n = size - done < kPiece ? size - done : kPiece;
        if (!ReadExactly(f.Get(), buffer.data() + kept, n)) return 0;
        crc = UpdateCrc16(crc, reinterpret_cast<const unsigned char*>(buffer.data() + kept), n);
        plain = plain || HoldsPlainStationDbMark(buffer.data(), kept + n);
        const size_t tail = kept + n < overlap ? kept + n : overlap;
        memmove(buffer.data(), buffer.data() + kept + n - tail, tail);
        kept = tail;
        done += n;
    }
    unsigned char trailer[2];
    if (!ReadExactly(f.Get(), trailer, 2) || (trailer[0] | (trailer[1] << 8)) != crc) return damaged();
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(f.Get(), start, nullptr, FILE_BEGIN)) return 0;
    cStationDbStream stream(sink);
    auto* bytes = reinterpret_cast<unsigned char*>(buffer.data());
    for (size_t done = 0; done < size;) {
        const size_t n = size - done < kPiece ? size - done : kPiece;
        if (!ReadExactly(f.Get(), bytes, n)) return 0;
        done += n;
        size_t have = n;
        if (!plain) {
            // The last piece is raised to whole blocks with zero bytes.
            have = RoundUpTo8(n);
            memset(bytes + n, 0, have - n);
            DecipherInPlace(bytes, have);
        }
        // The text ends at its first zero byte.
        const void* zero = memchr(bytes, 0, have);
        const size_t text = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - bytes) : have;
        if (!stream.Feed(buffer.data(), text)) return -1;
        if (zero) break;
    }
    return stream.Finish() ? 1 : -1;
}

// Makes the store's elements straight from the fields of the text, into
// lists of its own that the store takes over under its locks.
class ElementSink : public cStationDbSink {
public:
    void Sender(const StationDbFields& f) override { stations.Add(new cSenderElement(f)); }
    void Channel(const StationDbFields& f) override { channels.Add(new cChannelElement(f)); }
    void Stream(const StationDbFields& f) override { streams.Add(new cStreamElement(f)); }
    void Category(int kind, CategoryItem item) override { lists[kind].push_back(std::move(item)); }
    void Clear() {
        stations.Delete();
        channels.Delete();
        streams.Delete();
        for (auto& l : lists) l.clear();
    }

    cListe stations, channels, streams;
    std::vector<CategoryItem> lists[kCatKinds];
};

// Puts the chain of `from` in place of the chain of `to`; the old chain
// goes to `old`.
void TakeChain(cListe* to, cListe* from, cListe* old) {
    *old = *to;
    to->RemoveWithoutDelete();
    *to = *from;
    from->RemoveWithoutDelete();
}

}  // namespace

void cUserDataStore::LoadStationDatabase() {
    DebugScope scope("userdatastore.cpp: cUserDataStore::LoadStationDatabase");
    InterlockedExchange(&loading_, 1);
    // A database saved while this one was read and parsed is newer: what
    // was read then is dropped, never put in its place.
    const LONG readAt = InterlockedCompareExchange(&dbGeneration_, 0, 0);
    ElementSink read;
    bool parsed = false;
    try {
        const int streamed = StreamStationDatabase(&read);
        parsed = streamed == 1;
        std::string content;
        if (streamed == -1 && ReadUserDataFile("radiodb.rdb", &content, true)) {
            read.Clear();
            DecodeStationDbText(&content);
            ReadStationDbText(content.data(), content.size(), &read);
            parsed = true;
        }
    } catch (const std::exception& e) {
        scope.Exception(e.what());
        parsed = false;
    }
    cListe oldStations, oldChannels, oldStreams;
    LockSenderList();
    LockChannelList();
    LockStreamList();
    const bool outdated = InterlockedCompareExchange(&dbGeneration_, 0, 0) != readAt;
    if (!parsed || outdated) {
        if (!outdated) {
            SetValue("DB_TIME", "");
            InterlockedExchange(&loaded_, 0);
        }
        UnlockStreamList();
        UnlockChannelList();
        UnlockSenderList();
        InterlockedExchange(&loading_, 0);
        return;
    }
    InterlockedExchange(&loaded_, 1);
    stationIndex_.Invalidate();
    TakeChain(&stations_, &read.stations, &oldStations);
    TakeChain(&channels_, &read.channels, &oldChannels);
    TakeChain(&streams_, &read.streams, &oldStreams);
    for (cListe& l : categories_) l.Delete();
    for (int kind = 0; kind < kCatKinds; ++kind) {
        int idx = StoreIndexOf(kind);
        for (const CategoryItem& ci : read.lists[kind]) {
            categories_[idx].Add(new cNamedValueElement(static_cast<uint32_t>(ci.id), ci.de, ci.pid));
            categories_[kStoreCategoriesPerLanguage + idx].Add(
                new cNamedValueElement(static_cast<uint32_t>(ci.id), ci.en, ci.pid));
        }
    }
    if (streams_.IsEmpty() || categories_[kStoreLanguage].IsEmpty()) {
        SetValue("DB_TIME", "");
        InterlockedExchange(&loaded_, 0);
    }
    UnlockStreamList();
    UnlockChannelList();
    UnlockSenderList();
    // The replaced elements are freed outside the locks (the locals' destructors).
    InterlockedExchange(&loading_, 0);
    scope.Ok();
}

int cUserDataStore::SaveStationDatabase(std::unique_ptr<cStationDbDoc>& doc) {
    if (!doc || doc->senders.empty()) return 0;
    // Written before the lists are locked: the replace may have to wait for
    // a reader of the old file, and the lists stay usable meanwhile.
    if (!WriteUserDataFile("radiodb.rdb", doc->Write(), true)) return 0;
    // Raised once the new file stands: a loader that took the generation
    // before this may have read either file and is dropped; one that takes
    // it after reads the new file.
    InterlockedIncrement(&dbGeneration_);
    doc.reset();
    LockSenderList();
    LockChannelList();
    LockStreamList();
    LoadStationDatabase();
    UnlockStreamList();
    UnlockChannelList();
    UnlockSenderList();
    return 1;
}

void cUserDataStore::LoadUserFiles() {
    std::string c;
    bk::ScopedLock lock(userLock_);
    if (ReadUserDataFile("radiofa.rdb", &c, true)) {
        for (const FavoriteEntry& f : ParseFavorites(Bytes(c), c.size())) {
            auto* e = new cValueElement;
            e->SetId(f.id);
            e->SetValue(static_cast<int32_t>(f.folder));
            favorites_.Add(e);
        }
    }
    {
        bk::ScopedLock top(topLock_);
        if (ReadUserDataFile("radiott.rdb", &c, true)) {
            tops_.Delete();
            for (uint32_t id : ParseTopStations(Bytes(c), c.size())) {
                auto* e = new cValueElement;
                e->SetId(id);
                tops_.Add(e);
            }
        }
    }
    if (ReadUserDataFile("radiopod.rdb", &c, false))
        for (const NamedValue& nv : ParsePodcasts(c.data(), c.size()))
            podcasts_.Add(new cNamedValueElement(nv.id, nv.name, nv.value));
    if (ReadUserDataFile("radiocnt.rdb", &c, false))
        for (const NamedValue& nv : ParseFileCounter(c.data(), c.size()))
            counter_.Add(new cNamedValueElement(nv.id, nv.name, nv.value));
    if (ReadUserDataFile("radioli.rdb", &c, true))
        for (const NamedValue& nv : ParseListFolders(Bytes(c), c.size()))
            lists_.Add(new cNamedValueElement(nv.id, nv.name, nv.value));
}

void cUserDataStore::LoadUserStations() {
    ownStations_.reset();
    std::string c;
    if (ReadUserDataFile("user_stations.rdb", &c, false)) {
        try {
            XmlRequest req;
            req.type = 14;
            req.text = c;
            cXmlInterface xi;
            std::unique_ptr<XmlResult> r = xi.Process(req);
            if (r && r->As<cUserDefinedStations>())
                ownStations_.reset(static_cast<cUserDefinedStations*>(r->doc.release()));
        } catch (const std::exception& e) {
            DebugLog(DL_ERR, "cUserDataStore::LoadUserStations EXCEPTION (%s)", e.what());
        }
    }
    if (!ownStations_) ownStations_.reset(new cUserDefinedStations);
}

int cUserDataStore::SaveFavoriten() {
    std::vector<FavoriteEntry> list;
    {
        bk::ScopedLock lock(userLock_);
        ForEach(&favorites_, [&](cListElement* e) {
            list.push_back({static_cast<uint32_t>(e->GetId()),
                            static_cast<uint32_t>(static_cast<cValueElement*>(e)->GetValue())});
        });
    }
    return WriteUserDataFile("radiofa.rdb", SerializeFavorites(list), true) ? 1 : 0;
}

int cUserDataStore::SaveTopSender() {
    std::vector<uint32_t> ids;
    {
        bk::ScopedLock lock(topLock_);
        ForEach(&tops_, [&](cListElement* e) { ids.push_back(static_cast<uint32_t>(e->GetId())); });
    }
    return WriteUserDataFile("radiott.rdb", SerializeTopStations(ids), true) ? 1 : 0;
}

namespace {
std::vector<NamedValue> Snapshot(cListe* list) {
    std::vector<NamedValue> out;
    ForEach(list, [&](cListElement* e) {
        auto* nv = static_cast<cNamedValueElement*>(e);
        out.push_back({static_cast<uint32_t>(nv->GetId()), nv->GetValue(), nv->GetName()});
    });
    return out;
}
}  // namespace

int cUserDataStore::SaveListFolders() {
    std::vector<NamedValue> l;
    {
        bk::ScopedLock lock(userLock_);
        l = Snapshot(&lists_);
    }
    return WriteUserDataFile("radioli.rdb", SerializeListFolders(l), true) ? 1 : 0;
}

int cUserDataStore::SavePodcasts() {
    std::vector<NamedValue> l;
    {
        bk::ScopedLock lock(userLock_);
        l = Snapshot(&podcasts_);
    }
    return WriteUserDataFile("radiopod.rdb", SerializePodcasts(l), false) ? 1 : -1;
}

int cUserDataStore::SaveFileCounter() {
    std::vector<NamedValue> l;
    {
        bk::ScopedLock lock(userLock_);
        l = Snapshot(&counter_);
    }
    return WriteUserDataFile("radiocnt.rdb", SerializeFileCounter(l), false) ? 1 : 0;
}

int cUserDataStore::SaveUserStations() {
    if (!ownStations_) return 0;
    return WriteUserDataFile("user_stations.rdb", ownStations_->WriteText(), false) ? 1 : 0;
}

int cUserDataStore::SaveProgrammtipps(const std::vector<std::unique_ptr<cProgrammtipp>>& list) {
    std::string text;
    for (const auto& t : list)
        if (t) t->WriteToBuffer(&text);
    return WriteUserDataFile("programmtipps.rdb", text, false) ? 1 : 0;
}

int cUserDataStore::LoadProgrammtipps(std::vector<std::unique_ptr<cProgrammtipp>>* list, int days) {
    std::string c;
    if (!ReadUserDataFile("programmtipps.rdb", &c, false)) return 0;
    time_t now = time(nullptr);
    for (auto& tip : ParseProgrammtipps(c)) {
        const std::string& s = tip->start;
        if (s.size() <= 11) continue;
        auto num = [&](size_t at, size_t n) { return XmlToInt(s.substr(at, n)); };
        struct tm t = {};
        t.tm_year = num(0, 4) - 1900;
        t.tm_mon = num(4, 2) - 1;
        t.tm_mday = num(6, 2);
        t.tm_hour = num(8, 2);
        t.tm_min = num(10, 2);
        t.tm_isdst = -1;
        if (t.tm_mday < 1 || t.tm_mday > 31 || t.tm_mon < 0 || t.tm_mon > 11) continue;
        if (days != -1) {
            time_t start = mktime(&t);
            if (start == static_cast<time_t>(-1) || start + static_cast<time_t>(days) * 86400 <= now) continue;
        }
        if (list) list->push_back(std::move(tip));
    }
    return 1;
}

void cUserDataStore::ReloadTimerList() {
    timers_.Delete();
    LoadTimerList(&timers_);
}

void cUserDataStore::CountFile(const std::string& path) {
    fileCounter_.CountFile(path);
    SaveFileCounter();
}

uint32_t cUserDataStore::NextPodcastId() {
    bk::ScopedLock lock(userLock_);
    uint32_t next = 0;
    ForEach(&podcasts_, [&](cListElement* e) {
        if (e->GetId() + 1 > next) next = static_cast<uint32_t>(e->GetId() + 1);
    });
    return next;
}

uint32_t cUserDataStore::FindSenderId(const std::string& name) {
    uint32_t id = 0;
    cListe* l = LockSenderList();
    ForEach(l, [&](cListElement* e) {
        if (!id && static_cast<cSenderElement*>(e)->GetName() == name) id = static_cast<uint32_t>(e->GetId());
    });
    UnlockSenderList();
    return id;
}

bool cUserDataStore::GetStreamUrl(uint32_t id, std::string* url) {
    cListe* l = LockStreamList();
    auto* s = static_cast<cStreamElement*>(l->GetById(id));
    if (s && url) *url = s->GetUrl();
    UnlockStreamList();
    return s != nullptr;
}

bool cUserDataStore::FindStreamUrlBySender(const std::string& name, std::string* url) {
    uint32_t id = FindSenderId(name);
    return id != 0 && GetStreamUrl(id, url);
}
