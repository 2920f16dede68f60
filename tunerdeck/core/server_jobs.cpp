#include "server_jobs.h"

#include <shellapi.h>

#include <memory>
#include <vector>

#include "bounded_text.h"
#include "catalogue.h"
#include "debug_log.h"
#include "player_globals.h"
#include "registry.h"
#include "requests.h"
#include "settings.h"
#include "user_data_store.h"

namespace td {

namespace {

// A help page is a file name inside the help archive: anything that could
// leave it or end the argument is refused.
bool IsPlainPage(const char* page) {
    for (const char* p = page; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == '"' || c == ':' || c == '\\' || c == '%') return false;
    }
    return strstr(page, "..") == nullptr;
}

}  // namespace

cServerJobs::cServerJobs(cSettings* settings, cUserDataStore* store, const SkinListApi& skin)
    : settings_(settings), store_(store), skin_(skin) {
    messageBox_ = [](const char* text, const char* title, UINT flags) {
        return MessageBoxA(nullptr, text, title, flags);
    };
    shell_ = [](const char* file, const char* params) {
        ShellExecuteA(nullptr, "open", file, params, nullptr, SW_SHOWNORMAL);
    };
    browser_ = [](const char* address) { ShellExecuteA(nullptr, "open", address, nullptr, nullptr, SW_SHOWNORMAL); };
}

std::string cServerJobs::Message(unsigned id) {
    char buf[1024] = {};
    GetResourceString(GetBasekitModule(), id, settings_ ? settings_->GetLanguage() : 1, buf, sizeof buf);
    return buf;
}

void cServerJobs::Status(const char* text, int code) { skin_.Status(text, code); }

int cServerJobs::OfferUpdate(int kind, const char* text) {
    if (kind != 1 && kind != 2) return 0;
    char body[2048];
    const std::string question = Message(kind == 1 ? 356 : 357);
    bk::TextFormat(body, sizeof body, "%s\n\n%s", question.c_str(), text ? text : "");
    if (messageBox_(body, "velmirant-Player", MB_YESNO | MB_SYSTEMMODAL | MB_ICONQUESTION) != IDYES) return 0;
    InterlockedExchange(&updateMode_, kind);
    Status(nullptr, 21);
    // The program ends for the installer; bounded, so a player that never
    // ends cannot hold this thread for ever.
    for (int i = 0; kind == 1 && state_ && *state_ != 2 && i < 3000; ++i) Sleep(20);
    return 1;
}

void cServerJobs::ShowHelp(const char* page) {
    const int language = settings_ ? settings_->GetLanguage() : 1;
    char folder[MAX_PATH + 2] = {};
    GetValue("PathUser", folder, MAX_PATH);
    if (!folder[0]) bk::TextCopy(folder, sizeof folder, ProgramFolder());
    const size_t n = strlen(folder);
    if (n && folder[n - 1] != '\\') bk::TextAppend(folder, sizeof folder, "\\");
    const char* file = language == 2 ? "vl_hilfe_eng.chm" : "vl_hilfe.chm";
    const std::string path = std::string(folder) + file;

    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const char* shown = page && *page && IsPlainPage(page) ? page : "startseite.htm";
        char params[2 * MAX_PATH + 64];
        if (bk::TextFormat(params, sizeof params, "mk:@MSITStore:%s%s::/%s", folder, file, shown))
            shell_("HH.EXE", params);
        return;
    }
    const std::string& address = language == 2 ? helpEn_ : helpDe_;
    if (address.empty()) {
        browser_(language == 2 ? "http://www.velmirant.com/pages/faq.php"
                               : "http://www.velmirant.de/pages/velmirant_player/support/faq/");
        return;
    }
    const char* title = language == 2 ? "velmirant-Player" : "Hilfe zum velmirant-Player";
    const char* question = language == 2 ? "The help file is not installed. Download it now?"
                                         : "Die Hilfe-Datei ist nicht installiert. Jetzt herunterladen?";
    if (messageBox_(question, title, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (download_) {
        download_(address.c_str(), path.c_str());
    } else {
        cOnlineClient client("", settings_ ? settings_->GetUserNameAuth() : "",
                             settings_ ? settings_->GetUserPasswortAuth() : "");
        client.Downloadfile(address.c_str(), path.c_str(), 0);
    }
}

void cServerJobs::UpdateTopStations() {
    Status(Message(354).c_str(), 0);
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    if (!server_.empty()) client.SetServerName(server_.c_str());
    const std::string today = TodayText();
    std::string date;
    const std::vector<int32_t> ids = client.GetTopSender(settings_->GetPID(), &date);
    // The date moves on only with a list: a failed request is asked again
    // at the next start, not a week later.
    if (!ids.empty()) SetValue("TopSenderDate", today.c_str());
    if (!ids.empty() && store_) {
        cListe* tops = store_->LockTopSender();
        tops->Delete();
        for (int32_t id : ids) {
            auto* e = new cValueElement;
            e->SetId(static_cast<unsigned long>(id));
            tops->Add(e);
        }
        store_->UnlockTopSender();
        store_->SaveTopSender();
        cStationLister(store_, skin_).PushTopStations(settings_->GetLanguage(), today.c_str());
    }
    Status(Message(355).c_str(), 0);
}

int cServerJobs::SendRecommendation(RecommendationRecord* record) {
    if (!record) return 0;
    // The skin's texts need not end inside their fields.
    char senderName[RecommendationRecord::NAME_SIZE + 1], recipientName[RecommendationRecord::NAME_SIZE + 1];
    char senderMail[RecommendationRecord::NAME_SIZE + 1], recipientMail[RecommendationRecord::NAME_SIZE + 1];
    char message[RecommendationRecord::MESSAGE_SIZE];
    bk::TextCopyN(senderName, sizeof senderName, record->senderName, sizeof record->senderName);
    bk::TextCopyN(recipientName, sizeof recipientName, record->recipientName, sizeof record->recipientName);
    bk::TextCopyN(senderMail, sizeof senderMail, record->senderMail, sizeof record->senderMail);
    bk::TextCopyN(recipientMail, sizeof recipientMail, record->recipientMail, sizeof record->recipientMail);
    // At most 1023 characters: the skin keeps the last byte for the end.
    bk::TextCopyN(message, sizeof message, record->message, sizeof record->message);
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    if (!server_.empty()) client.SetServerName(server_.c_str());
    const int sent = client.SendEmpfehlung(settings_->GetPID(), record->id, record->kind, senderName, senderMail,
                                           recipientName, recipientMail, message, settings_->GetLanguage());
    record->kind = sent ? 1 : 0;
    return record->kind;
}

int cServerJobs::SendSkinData(const char* text, int skinId) {
    if (!text) return 0;
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    if (!server_.empty()) client.SetServerName(server_.c_str());
    char id[16];
    bk::TextFormat(id, sizeof id, "%d", skinId);
    return client.SendSkinData(settings_->GetPID(), id, text);
}

int cServerJobs::ShowDeadStreams() {
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    client.SetServerName(server_.empty() ? kAvoidStreamsHost : server_.c_str());
    std::vector<std::string> locked;
    client.GetListenAvoidDeadStreams(&locked);
    std::vector<uint32_t> channels;
    if (store_) {
        cListe* streams = store_->LockStreamList();
        for (const std::string& s : locked) {
            auto* st = static_cast<cStreamElement*>(streams->GetById(strtoul(s.c_str(), nullptr, 10)));
            if (!st) continue;   // unknown ids are left out
            bool seen = false;
            for (uint32_t c : channels) seen = seen || c == st->GetCID();
            if (!seen) channels.push_back(st->GetCID());
        }
        store_->UnlockStreamList();
    }
    cStationLister lister(store_, skin_);
    const int language = settings_->GetLanguage();
    int shown = 0;
    for (uint32_t c : channels) {
        const std::string details = lister.StationDetails(c, language);
        if (details.empty() || !skin_.SearchResult) continue;
        skin_.SearchResult(details.c_str(), static_cast<int>(c));
        ++shown;
    }
    Status("", 7);
    return shown;
}

void cServerJobs::KeepOfferedInfo(const cUpdateInfoDoc& answer) {
    if (answer.INFOSTATUS != "1") return;
    // Sizes from the server: a window size cannot be negative.
    const int cx = atoi(answer.INFOCX.c_str()), cy = atoi(answer.INFOCY.c_str());
    bk::ScopedLock lock(offerLock_);
    offerText_ = answer.INFOURL;
    offerCx_ = cx > 0 ? cx : 0;
    offerCy_ = cy > 0 ? cy : 0;
    offered_ = 1;
}

void cServerJobs::OfferedInfo(std::string* address, int* cx, int* cy) {
    bk::ScopedLock lock(offerLock_);
    const bool kept = offered_ == 1;
    *address = kept ? offerText_ : std::string();
    *cx = kept ? offerCx_ : 0;
    *cy = kept ? offerCy_ : 0;
}

int cServerJobs::ShowOfferedUpdate() {
    std::string text;
    int cx = 0, cy = 0;
    {
        bk::ScopedLock lock(offerLock_);
        if (offered_ != 1) return 0;
        text = offerText_;
        cx = offerCx_;
        cy = offerCy_;
    }
    if (!skin_.ShowInfo || !skin_.Up()) return 0;
    skin_.ShowInfo(cx, cy, text.c_str());
    return 1;
}

int cServerJobs::UpdateDatabase() {
    bk::ScopedLock serial(databaseLock_);
    const int language = settings_->GetLanguage();
    Status(Message(351).c_str(), 0);
    if (store_ && !store_->IsLoaded()) settings_->SetDBTime("");
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    if (!server_.empty()) client.SetServerName(server_.c_str());
    std::unique_ptr<cDbTimeDoc> time;
    std::unique_ptr<cStationDbDoc> db;
    const int answered = client.GetDBVersion(settings_->GetPID(), settings_->GetDBTime(), &time, &db);
    WriteDebugLog("Datenbank aktualisieren...", 7);
    int ok = answered;
    if (answered && db && store_) {
        if (store_->SaveStationDatabase(db) && store_->IsLoaded()) {
            WriteDebugLog("Datenbank aktualisieren...ok", 7);
            Status(Message(348).c_str(), 0);
            Status("3|1", 66);
        } else {
            WriteDebugLog("Datenbank aktualisieren...fehlgeschlagen", 1);
            Status(Message(352).c_str(), 0);
            Status("4|0", 66);
            ok = 0;
        }
    } else if (!answered) {
        Status(Message(352).c_str(), 0);
        Status("4|0", 66);
    } else {
        Status(Message(353).c_str(), 0);
        Status("3|0", 66);
    }
    if (store_) {
        cStationLister lister(store_, skin_);
        lister.PushCategoryLists(language);
        lister.PushTopStations(language, nullptr);
        lister.PushFavorites(language);
    }
    Status(nullptr, 2);
    // The date moves on only when the server answered, so a failed update
    // is asked again with the old date.
    if (ok) {
        SYSTEMTIME t;
        GetLocalTime(&t);
        char today[32];
        bk::TextFormat(today, sizeof today, "%04d%02d%02d000000", t.wYear, t.wMonth, t.wDay);
        settings_->SetDBTime(today);
    }
    return ok;
}

int cServerJobs::UpdateProgrammTips() {
    char last[32] = {};
    GetValue("ProgrammtippsDate", last, sizeof last);
    const std::string today = TodayText();
    // The tips of one day are asked once; a date ahead of today counts as today.
    if (strlen(last) >= 8 && strncmp(last, today.c_str(), 8) >= 0) {
        Status("3|0", 65);
        return -1;
    }
    cOnlineClient client("", settings_->GetUserNameAuth(), settings_->GetUserPasswortAuth());
    if (!server_.empty()) client.SetServerName(server_.c_str());
    std::vector<std::unique_ptr<cProgrammtipp>> received;
    client.GetListenProgrammtipps(&received);
    if (received.empty() || !store_) {
        Status("4|0", 65);
        return -1;
    }
    std::vector<std::unique_ptr<cProgrammtipp>> known;
    store_->LoadProgrammtipps(&known, -1);
    for (auto& r : received) {
        cProgrammtipp* match = nullptr;
        for (auto& k : known)
            if (k->tippId == r->tippId) match = k.get();
        if (match) {
            match->sender = r->sender;
            match->channel = r->channel;
            match->channelid = r->channelid;
            match->start = r->start;
            match->stop = r->stop;
            match->title = r->title;
            match->link = r->link;
        } else {
            r->received = today;
            known.push_back(std::move(r));
        }
    }
    if (!store_->SaveProgrammtipps(known)) {
        Status("4|0", 65);
        return -1;
    }
    SetValue("ProgrammtippsDate", today.c_str());
    std::vector<std::unique_ptr<cProgrammtipp>> reloaded;
    store_->LoadProgrammtipps(&reloaded, settings_->GetDeleteOldPrgTipps());
    char text[32];
    bk::TextFormat(text, sizeof text, "3|%d", static_cast<int>(reloaded.size()));
    Status(text, 65);
    cStationLister(store_, skin_).PushProgrammTips(reloaded, today.c_str());
    return static_cast<int>(reloaded.size());
}

}  // namespace td
