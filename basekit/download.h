// Background HTTP downloads: each request is a job that runs once on a
// thread of its own, into a memory buffer or an open file, and reports
// through its status and an optional callback.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "basekit_api.h"
#include "liste.h"
#include "player_key.h"

namespace bk {
struct UrlParts;
}


// What the download manager needs of the host's settings: the user name and
// password of proxy authentication. The player core's settings object
// implements it beside its host interface.
class cDownloadCredentials {
public:
    virtual char* GetUserNameAuth() = 0;
    virtual char* GetUserPasswortAuth() = 0;

protected:
    ~cDownloadCredentials() = default;
};

// Called with (job id, status, user data) on the job's thread at every step
// and while data arrives; by CancelDownload also on the cancelling thread.
// Only the job thread's call with 5, 6 or 7 is final. The job's lock is held
// during the call and DeleteJob waits for it: a callback may post, but must
// never send (SendMessage) to a thread that may delete the job.
typedef void (*DownloadCallback)(unsigned long jobId, int status, void* userData);

enum DownloadStatus {
    kDownloadNone = 0,
    kDownloadCreated = 1,
    kDownloadOpening = 2,
    kDownloadSending = 3,
    kDownloadReceiving = 4,
    kDownloadFinished = 5,
    kDownloadCancelled = 6,
    kDownloadFailed = 7,
};

class BASEKIT_API cDownloadJob : public cListElement {
public:
    static constexpr unsigned long kMaxBody = 4096;
    static constexpr unsigned long kAnswerStep = 20480;
    static constexpr DWORD kBlockSize = 8192;

    // Memory job (answer != null) or file job (file != null). The credentials
    // are the proxy's.
    cDownloadJob(unsigned long id, const unsigned char* body, unsigned long bodyLength, const char* url, char** answer,
                 HANDLE file, unsigned long sizeLimit, int option, int encipher, const char* user,
                 const char* password);

protected:
    ~cDownloadJob() override;   // through Release

public:

    // Starts the request thread (once); false when it cannot be started.
    bool StartJob();
    int CancelDownload();
    void CloseFileHandle();
    int GetStatus() const { return status_; }
    int GetLastError() const { return lastError_; }
    unsigned long GetAktSize() const { return received_; }
    void SetMethod(int method) { method_ = method; }
    void SetUserData(void* data) { userData_ = data; }
    void SetCallback(DownloadCallback callback) { callback_ = callback; }

    // The job is shared by its owner and its request thread; the last one to
    // let go deletes it, so it never dies under a thread that still runs.
    void AddRef() { InterlockedIncrement(&refs_); }
    void Release() {
        if (InterlockedDecrement(&refs_) == 0) delete this;
    }
    // The owner lets go for good: no more callbacks, no more writes into the
    // caller's answer pointer or file, even if the thread runs on.
    void Orphan();

private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Run();
    bool FollowRedirects();
    bool Attempt(HINTERNET connection, const bk::UrlParts& url);
    bool Receive(HINTERNET request);
    bool Append(const unsigned char* data, DWORD n);
    bool AppendLocked(const unsigned char* data, DWORD n);
    void DecipherAnswer();
    void DecipherLocked();
    void SetStatus(int status, bool notify = true);
    void Fail(int status, int error);
    void Notify();
    bool Cancelled() const { return cancelled_ != 0; }

    HINTERNET volatile internet_ = nullptr;
    HINTERNET volatile connection_ = nullptr;
    HINTERNET volatile request_ = nullptr;
    int encipher_;
    char user_[1024] = {};
    char password_[1024] = {};
    char address_[1024] = {};
    unsigned char body_[kMaxBody] = {};
    unsigned long bodyLength_ = 0;
    char** answer_;
    unsigned long capacity_ = 0;
    HANDLE volatile file_;
    unsigned long sizeLimit_;
    volatile unsigned long received_ = 0;
    volatile int status_ = kDownloadCreated;
    volatile int method_ = 0;
    volatile int lastError_ = 0;
    int option_;
    void* volatile userData_ = nullptr;
    DownloadCallback volatile callback_ = nullptr;
    bool viaProxy_ = false;
    volatile LONG cancelled_ = 0;
    volatile LONG started_ = 0;
    volatile LONG refs_ = 1;
    bool orphaned_ = false;
    CRITICAL_SECTION lock_;   // callbacks, the answer buffer, orphaning
};

class BASEKIT_API cDownloadManager {
public:
    cDownloadManager();
    virtual ~cDownloadManager();
    cDownloadManager(const cDownloadManager&) = delete;
    cDownloadManager& operator=(const cDownloadManager&) = delete;

    void SetSettings(cDownloadCredentials* settings) { settings_ = settings; }
    void SetWindowHandle(HWND main, HWND nav) {
        mainWindow_ = main;
        navWindow_ = nav;
    }
    HWND GetMainWindowHandle() const { return mainWindow_; }
    HWND GetNavWindowHandle() const { return navWindow_; }

    // A memory job: *answer is null now and later receives a buffer from the
    // process heap (free it with HeapFree(GetProcessHeap(), 0, p)), always
    // followed by a zero byte. The buffer is the caller's only after
    // DeleteJob or after the job thread's final callback: a status of 6 read
    // after CancelDownload does not mean the thread has let go of it. 0 (no job) when the body exceeds 4096 bytes,
    // the address is missing or longer than 1023 characters.
    unsigned long Download(unsigned char* body, unsigned long bodyLength, char* url, char** answer,
                           unsigned long sizeLimit, int option, int encipher);
    // A file job writing into the open handle, which the job owns from a
    // successful call on (closed by CloseFileHandle or DeleteJob).
    unsigned long Download(unsigned char* body, unsigned long bodyLength, char* url, void* file,
                           unsigned long sizeLimit, int option, int encipher);

    void StartJob(unsigned long id);
    void CancelDownload(unsigned long id);
    int GetStatus(unsigned long id);
    int GetLastError(unsigned long id);
    unsigned long GetAktSize(unsigned long id);
    void CloseFileHandle(unsigned long id);
    void SetMethod(unsigned long id, int method);
    void SetUserData(unsigned long id, void* data);
    void SetCallback(unsigned long id, DownloadCallback callback);
    // Cancels a running job and forgets it: no callback comes after this.
    // The job itself is freed when its thread has ended.
    void DeleteJob(unsigned long id);

private:
    unsigned long Create(unsigned char* body, unsigned long bodyLength, char* url, char** answer, HANDLE file,
                         unsigned long sizeLimit, int option, int encipher);
    cDownloadJob* Take(unsigned long id);   // with a reference, or null

    cListe jobs_;
    unsigned long nextId_ = 1;
    cDownloadCredentials* settings_ = nullptr;
    HWND mainWindow_ = nullptr;
    HWND navWindow_ = nullptr;
    CRITICAL_SECTION lock_;   // callers use the manager from several threads
};
