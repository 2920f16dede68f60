#include "download.h"

#include <wininet.h>

#include <cstring>
#include <new>

#include "blowfish.h"
#include "bounded_text.h"
#include "debugtext.h"
#include "netcommon.h"
#include "webparse.h"

namespace {
constexpr int kTrace = 15;

HANDLE Heap() { return GetProcessHeap(); }
}  // namespace

// ------------------------------------------------------------ job
cDownloadJob::cDownloadJob(unsigned long id, const unsigned char* body, unsigned long bodyLength, const char* url,
                           char** answer, HANDLE file, unsigned long sizeLimit, int option, int encipher,
                           const char* user, const char* password)
    : encipher_(encipher),
      answer_(answer),
      file_(file),
      sizeLimit_(sizeLimit),
      option_(option) {
    SetId(id);
    InitializeCriticalSection(&lock_);
    bk::TextCopy(user_, user);
    bk::TextCopy(password_, password);
    bk::TextCopy(address_, url);
    if (body && bodyLength <= kMaxBody) {
        memcpy(body_, body, bodyLength);
        bodyLength_ = bodyLength;
    }
    if (answer_) *answer_ = nullptr;
}

cDownloadJob::~cDownloadJob() {
    bk3::CloseShared(&request_);
    bk3::CloseShared(&connection_);
    bk3::CloseShared(&internet_);
    CloseFileHandle();
    DeleteCriticalSection(&lock_);
}

bool cDownloadJob::StartJob() {
    if (InterlockedExchange(&started_, 1) != 0) return false;   // a job runs once
    AddRef();   // the thread's
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread) {
        Release();
        Fail(kDownloadFailed, static_cast<int>(::GetLastError()));
        Notify();
        return false;
    }
    CloseHandle(thread);
    return true;
}

void cDownloadJob::Orphan() {
    EnterCriticalSection(&lock_);
    orphaned_ = true;
    callback_ = nullptr;
    userData_ = nullptr;
    LeaveCriticalSection(&lock_);
    CloseFileHandle();
}

int cDownloadJob::CancelDownload() {
    InterlockedExchange(&cancelled_, 1);
    // Closing the handles makes a blocked send or read fail at once.
    bk3::CloseShared(&internet_);
    bk3::CloseShared(&request_);
    bk3::CloseShared(&connection_);
    // Where closing does not wake a blocked call at once (Wine), the caller
    // still sees the job ended; the thread follows when the call returns.
    int s = status_;
    if (s != kDownloadFinished && s != kDownloadFailed) status_ = kDownloadCancelled;
    InterlockedExchange(&started_, 1);   // a job not yet started never runs
    Notify();
    return 1;
}

void cDownloadJob::CloseFileHandle() {
    HANDLE h = InterlockedExchangePointer(&file_, nullptr);
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

void cDownloadJob::Notify() {
    EnterCriticalSection(&lock_);   // an orphaning owner waits for a running callback
    DownloadCallback cb = orphaned_ ? nullptr : callback_;
    if (cb) {
        try {
            cb(GetId(), status_, userData_);
        } catch (...) {
            OutputDebugStringA("exception while trying to call callback from download-job");
        }
    }
    LeaveCriticalSection(&lock_);
}

void cDownloadJob::SetStatus(int status, bool notify) {
    status_ = Cancelled() ? kDownloadCancelled : status;   // a cancelled job never looks alive again
    if (notify) Notify();
}

void cDownloadJob::Fail(int status, int error) {
    if (Cancelled()) status = kDownloadCancelled;
    status_ = status;
    lastError_ = error;
}

DWORD WINAPI cDownloadJob::ThreadMain(LPVOID self) {
    auto* job = static_cast<cDownloadJob*>(self);
    job->Run();
    job->Release();
    return 0;
}

void cDownloadJob::Run() {
    DebugLog(kTrace, "cDownloadJob MakeRequest-start");
    SetStatus(kDownloadOpening, false);
    DebugLog(kTrace, "internet: cInternet::IOpenHandle - Eingang");
    HINTERNET session = bk3::OpenSession(bk3::kAgentName, &viaProxy_);
    DebugLog(kTrace, "internet: cInternet::IOpenHandle - Ausgang");
    if (session) {
        bk3::Publish(&internet_, session);
        if (Cancelled()) bk3::CloseShared(&internet_);   // a cancel came while it opened
    }
    bool ok = false;
    if (!session) {
        DebugLog(1, "cDownloadJob: MakeRequest-IOpenHandle - kein Handle ->cleanup");
        Fail(kDownloadFailed, static_cast<int>(::GetLastError()));
    } else if (Cancelled()) {
        Fail(kDownloadCancelled, ERROR_INTERNET_OPERATION_CANCELLED);
    } else if (FollowRedirects()) {
        bk::UrlParts url;
        if (!bk::SplitUrl(address_, sizeof address_, &url)) {
            DebugLog(1, "cDownloadJob: address not usable (%s) -> cleanup", address_);
            Fail(kDownloadFailed, ERROR_INTERNET_INVALID_URL);
        } else {
            // Wine hands out small handle numbers again soon after a close,
            // so every step looks for a cancel before it uses a handle.
            HINTERNET session2 = Cancelled() ? nullptr : internet_;
            HINTERNET connection =
                session2 ? bk3::Connect(session2, url, viaProxy_, user_, password_) : nullptr;
            if (connection && Cancelled()) {
                InternetCloseHandle(connection);
                connection = nullptr;
            }
            if (!connection) {
                DebugLog(1, "cDownloadJob: InternetConnect - kein hConnect -> cleanup");
                Fail(kDownloadFailed, static_cast<int>(::GetLastError()));
            } else {
                bk3::Publish(&connection_, connection);
                ok = Attempt(connection, url);
                if (!ok && lastError_ == 405 && !Cancelled()) {
                    method_ = method_ ? 0 : 1;
                    bk3::CloseShared(&request_);
                    ok = Attempt(connection, url);
                }
            }
        }
    }
    bk3::CloseShared(&request_);
    DebugLog(kTrace, "internet: cInternet::CloseRequest");
    bk3::CloseShared(&connection_);
    DebugLog(kTrace, "internet: cInternet::CloseConnection");
    bk3::CloseShared(&internet_);
    DebugLog(kTrace, "internet: cInternet::CloseHandle");
    if (Cancelled() && status_ != kDownloadFailed)
        status_ = kDownloadCancelled;
    else if (ok)
        status_ = kDownloadFinished;
    Notify();
    DebugLog(kTrace, "cDownloadJob  MakeRequest - Ausgang, ret=%d", ok ? 1 : 0);
}

bool cDownloadJob::FollowRedirects() {
    for (int hops = 0;; ++hops) {
        HINTERNET session = internet_;
        if (!session || Cancelled()) {
            Fail(kDownloadCancelled, ERROR_INTERNET_OPERATION_CANCELLED);
            return false;
        }
        char target[bk3::kAddressSize];
        bk3::RedirectResult r = bk3::CheckRedirect(session, address_, viaProxy_, user_, password_, target,
                                                   sizeof target, "internet: cInternet::", &request_);
        if (Cancelled()) {
            Fail(kDownloadCancelled, ERROR_INTERNET_OPERATION_CANCELLED);
            return false;
        }
        if (r == bk3::RedirectResult::kNone) return true;
        if (r == bk3::RedirectResult::kBadTarget) {
            Fail(kDownloadFailed, ERROR_INTERNET_INVALID_URL);
            return false;
        }
        if (hops >= bk3::kMaxRedirects) {
            DebugLog(1, "cDownloadJob: too many redirects (%s)", address_);
            Fail(kDownloadFailed, ERROR_HTTP_REDIRECT_FAILED);
            return false;
        }
        bk::TextCopy(address_, target);
    }
}

bool cDownloadJob::Attempt(HINTERNET connection, const bk::UrlParts& url) {
    const char* verb = method_ ? "POST" : "GET";
    DebugLog(kTrace, "internet: cInternet::OpenRequest - Eingang, Params: seite=%s", url.path);
    HINTERNET request = Cancelled() ? nullptr : bk3::OpenRequest(connection, verb, url);
    DebugLog(kTrace, "cDownloadJob OpenRequest - Ausgang");
    if (!request) {
        DebugLog(1, "cDownloadJob MakeRequest - kein Request ->cleanup");
        Fail(kDownloadFailed, static_cast<int>(::GetLastError()));
        return false;
    }
    bk3::Publish(&request_, request);
    if (Cancelled()) bk3::CloseShared(&request_);
    static const char kHeaders[] = "Content-Type: text/xml; charset=utf-8\r\nUser-Agent: Mozilla\r\n";
    HttpAddRequestHeadersA(request, kHeaders, static_cast<DWORD>(strlen(kHeaders)), HTTP_ADDREQ_FLAG_ADD);

    unsigned char sendBody[kMaxBody] = {};
    unsigned long sendLength = bodyLength_;
    memcpy(sendBody, body_, bodyLength_);
    if (encipher_ && bodyLength_ > 0) {
        sendLength = (bodyLength_ + 7) & ~7ul;   // at most kMaxBody, which is a multiple of 8
        try {
            CBlowFish fish(const_cast<unsigned char*>(kPlayerCipherKey), sizeof kPlayerCipherKey, SBlock(0, 0));
            fish.Encrypt(sendBody, static_cast<unsigned int>(sendLength), CBlowFish::ECB);
        } catch (...) {
            DebugLog(1, "cDownloadJob: enciphering the body failed");
            Fail(kDownloadFailed, ERROR_INVALID_DATA);
            return false;
        }
    }

    DebugLog(kTrace, "internet: cInternet::ComputeRequest - Eingang");
    SetStatus(kDownloadSending);
    bk3::SetReceiveTimeout(request, bk3::kAnswerTimeoutMs);
    if (!HttpSendRequestA(request, nullptr, 0, sendLength ? sendBody : nullptr, sendLength)) {
        int err = static_cast<int>(::GetLastError());
        DebugLog(1, "SendRequest Error: %d", err);
        Fail(kDownloadFailed, err);
        Notify();
        return false;
    }
    DWORD httpStatus = bk3::QueryStatus(request);
    if (httpStatus >= 300 || httpStatus == 0) {
        DebugLog(1, "HTTP-Response Error: %lu", httpStatus);
        Fail(kDownloadFailed, static_cast<int>(httpStatus));
        Notify();
        return false;
    }
    bool ok = Receive(request);
    DebugLog(7, "ComputeRequest...ende");
    if (ok && encipher_ && answer_) DecipherAnswer();
    return ok;
}

bool cDownloadJob::Receive(HINTERNET request) {
    SetStatus(kDownloadReceiving, false);
    unsigned long long announced = 0;
    bool hasLength = bk3::QueryContentLength(request, &announced);
    unsigned char block[kBlockSize];
    int empties = 0;
    bk3::SetReceiveTimeout(request, bk3::kReadSliceMs);
    DWORD lastData = GetTickCount();
    for (;;) {
        if (sizeLimit_ && received_ > sizeLimit_) {
            DebugLog(1, "cDownloadJob ComputeRequest - zuviele Daten! (-> ret=FALSE)");
            Fail(kDownloadFailed, ERROR_FILE_TOO_LARGE);
            return false;
        }
        DWORD got = 0;
        bk3::ReadResult rr = bk3::ReadAvailable(request, block, sizeof block, &got);
        if (Cancelled()) {
            Fail(kDownloadCancelled, ERROR_INTERNET_OPERATION_CANCELLED);
            return false;
        }
        if (rr == bk3::ReadResult::kNothingYet) {
            if (GetTickCount() - lastData < bk3::kStallLimitMs) continue;
            SetLastError(ERROR_INTERNET_TIMEOUT);
            rr = bk3::ReadResult::kError;
        }
        if (rr == bk3::ReadResult::kError) {
            int err = static_cast<int>(::GetLastError());
            DebugLog(1, "cDownloadJob ComputeRequest - InternetReadFile failed (-> ret=FALSE)");
            Fail(kDownloadFailed, err);
            return false;
        }
        if (rr == bk3::ReadResult::kEnd) {
            DebugLog(kTrace, "cDownloadJob ComputeRequest - !dwSize");
            if (++empties >= 3) break;
            continue;
        }
        lastData = GetTickCount();
        DebugLog(kTrace, "gelesen %lu bytes", got);
        if (answer_) {
            if (!Append(block, got)) {
                DebugLog(1, "cDownloadJob ComputeRequest - kein Speicher (-> ret=FALSE)");
                Fail(kDownloadFailed, ERROR_NOT_ENOUGH_MEMORY);
                return false;
            }
        } else {
            HANDLE file = file_;
            DWORD written = 0;
            if (!file || !WriteFile(file, block, got, &written, nullptr) || written != got) {
                DebugLog(1, "cDownloadJob ComputeRequest - nicht alle daten geschrieben! (-> ret=FALSE)");
                Fail(kDownloadFailed, static_cast<int>(::GetLastError()));
                return false;
            }
            DebugLog(kTrace, "geschrieben %lu bytes", written);
        }
        received_ = received_ + got;
        Notify();
    }
    if (hasLength && received_ < announced) {   // the server closed early
        DebugLog(1, "cDownloadJob ComputeRequest - unvollstaendig (%lu von %llu)", received_, announced);
        Fail(kDownloadFailed, ERROR_INTERNET_CONNECTION_ABORTED);
        return false;
    }
    return true;
}

bool cDownloadJob::Append(const unsigned char* data, DWORD n) {
    EnterCriticalSection(&lock_);
    bool ok = !orphaned_ && AppendLocked(data, n);
    LeaveCriticalSection(&lock_);
    return ok;
}

bool cDownloadJob::AppendLocked(const unsigned char* data, DWORD n) {
    // The buffer always keeps a zero byte after the data for text readers.
    unsigned long used = received_;
    if (n > 0xFFFFFFFFul - used - 1) return false;
    if (!*answer_ || capacity_ - used < n + 1) {
        unsigned long need = used + n + 1;
        unsigned long grown = capacity_ + kAnswerStep;
        while (grown < need) grown += kAnswerStep;
        void* fresh = HeapAlloc(Heap(), HEAP_ZERO_MEMORY, grown);
        if (!fresh) return false;
        if (*answer_) {
            memcpy(fresh, *answer_, used);
            HeapFree(Heap(), 0, *answer_);
        }
        *answer_ = static_cast<char*>(fresh);
        capacity_ = grown;
    }
    memcpy(*answer_ + used, data, n);
    return true;
}

void cDownloadJob::DecipherAnswer() {
    EnterCriticalSection(&lock_);
    if (!orphaned_) DecipherLocked();
    LeaveCriticalSection(&lock_);
}

void cDownloadJob::DecipherLocked() {
    unsigned long n = received_;
    if (!*answer_ || n == 0) return;
    unsigned long rounded = (n + 7) & ~7ul;
    auto* fresh = static_cast<unsigned char*>(HeapAlloc(Heap(), HEAP_ZERO_MEMORY, n + 20));
    if (!fresh) {
        DebugLog(1, "Exceptrion decrypting incoming...");
        return;
    }
    memcpy(fresh, *answer_, n);
    try {
        CBlowFish fish(const_cast<unsigned char*>(kPlayerCipherKey), sizeof kPlayerCipherKey, SBlock(0, 0));
        fish.Decrypt(fresh, static_cast<unsigned int>(rounded), CBlowFish::ECB);
    } catch (...) {
        DebugLog(1, "Exceptrion decrypting incoming...");
        memset(fresh, 0, n + 20);
    }
    HeapFree(Heap(), 0, *answer_);
    *answer_ = reinterpret_cast<char*>(fresh);
    capacity_ = n + 20;
}

// ------------------------------------------------------------ manager
cDownloadManager::cDownloadManager() { InitializeCriticalSection(&lock_); }

cDownloadManager::~cDownloadManager() {
    for (;;) {
        EnterCriticalSection(&lock_);
        auto* job = static_cast<cDownloadJob*>(jobs_.First());
        if (job) jobs_.RemoveWithoutDelete(job);
        LeaveCriticalSection(&lock_);
        if (!job) break;
        job->CancelDownload();
        job->Orphan();
        job->Release();
    }
    DeleteCriticalSection(&lock_);
}

cDownloadJob* cDownloadManager::Take(unsigned long id) {
    EnterCriticalSection(&lock_);
    auto* job = id ? static_cast<cDownloadJob*>(jobs_.GetById(id)) : nullptr;
    if (job) job->AddRef();
    LeaveCriticalSection(&lock_);
    return job;
}

unsigned long cDownloadManager::Create(unsigned char* body, unsigned long bodyLength, char* url, char** answer,
                                       HANDLE file, unsigned long sizeLimit, int option, int encipher) {
    if (bodyLength > cDownloadJob::kMaxBody || (bodyLength && !body)) {
        DebugLog(1, "cDownloadManager: request body of %lu bytes refused", bodyLength);
        return 0;
    }
    if (!url || !url[0] || strnlen(url, bk3::kAddressSize) >= bk3::kAddressSize) {
        DebugLog(1, "cDownloadManager: address missing or too long");
        return 0;
    }
    const char* user = settings_ ? settings_->GetUserNameAuth() : "";
    const char* password = settings_ ? settings_->GetUserPasswortAuth() : "";
    EnterCriticalSection(&lock_);
    unsigned long id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    auto* job = new (std::nothrow) cDownloadJob(id, body, bodyLength, url, answer, file, sizeLimit, option, encipher,
                                                user, password);
    if (job) jobs_.Add(job);
    LeaveCriticalSection(&lock_);
    return job ? id : 0;
}

unsigned long cDownloadManager::Download(unsigned char* body, unsigned long bodyLength, char* url, char** answer,
                                         unsigned long sizeLimit, int option, int encipher) {
    if (!answer) return 0;
    *answer = nullptr;
    return Create(body, bodyLength, url, answer, nullptr, sizeLimit, option, encipher);
}

unsigned long cDownloadManager::Download(unsigned char* body, unsigned long bodyLength, char* url, void* file,
                                         unsigned long sizeLimit, int option, int encipher) {
    if (!file || file == INVALID_HANDLE_VALUE) return 0;
    return Create(body, bodyLength, url, nullptr, static_cast<HANDLE>(file), sizeLimit, option, encipher);
}

// Runs an operation on a job, kept alive meanwhile but outside the
// manager's lock (callbacks may call back into the manager); nothing for an
// id that no job has.
#define WITH_JOB(id, stmt)                   \
    do {                                     \
        if (cDownloadJob* job = Take(id)) {  \
            stmt;                            \
            job->Release();                  \
        }                                    \
    } while (0)

void cDownloadManager::StartJob(unsigned long id) { WITH_JOB(id, job->StartJob()); }
void cDownloadManager::CancelDownload(unsigned long id) { WITH_JOB(id, job->CancelDownload()); }
void cDownloadManager::CloseFileHandle(unsigned long id) { WITH_JOB(id, job->CloseFileHandle()); }
void cDownloadManager::SetMethod(unsigned long id, int method) { WITH_JOB(id, job->SetMethod(method)); }
void cDownloadManager::SetUserData(unsigned long id, void* data) { WITH_JOB(id, job->SetUserData(data)); }
void cDownloadManager::SetCallback(unsigned long id, DownloadCallback cb) { WITH_JOB(id, job->SetCallback(cb)); }

int cDownloadManager::GetStatus(unsigned long id) {
    int v = 0;
    WITH_JOB(id, v = job->GetStatus());
    return v;
}

int cDownloadManager::GetLastError(unsigned long id) {
    int v = 0;
    WITH_JOB(id, v = job->GetLastError());
    return v;
}

unsigned long cDownloadManager::GetAktSize(unsigned long id) {
    unsigned long v = 0;
    WITH_JOB(id, v = job->GetAktSize());
    return v;
}

#undef WITH_JOB

void cDownloadManager::DeleteJob(unsigned long id) {
    EnterCriticalSection(&lock_);
    auto* job = id ? static_cast<cDownloadJob*>(jobs_.GetById(id)) : nullptr;
    if (job) jobs_.RemoveWithoutDelete(job);
    LeaveCriticalSection(&lock_);
    if (!job) return;
    int status = job->GetStatus();
    if (status != kDownloadFinished && status != kDownloadCancelled && status != kDownloadFailed)
        job->CancelDownload();
    job->Orphan();
    job->Release();   // the list's reference; a running thread holds its own
}
