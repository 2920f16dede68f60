// The download manager against the local HTTP server.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <memory>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "blowfish.h"
#include "download.h"
#include "shared_data.h"
#include "tdtest.h"

namespace {

using tdtest::HttpRequest;
using tdtest::HttpResponse;
using tdtest::HttpServer;

class FixedCredentials : public cDownloadCredentials {
public:
    char* GetUserNameAuth() override { return user; }
    char* GetUserPasswortAuth() override { return password; }
    char user[32] = "proxyuser";
    char password[32] = "proxypass";
};

bool Final(int status) { return status == kDownloadFinished || status == kDownloadCancelled || status == kDownloadFailed; }

int WaitFinal(cDownloadManager& m, unsigned long id, DWORD ms = 15000) {
    tdtest::WaitFor([&] { return Final(m.GetStatus(id)); }, ms);
    return m.GetStatus(id);
}

// A memory download from start to end: status, last error and answer.
struct Result {
    int status = 0;
    int lastError = 0;
    std::string answer;
    bool terminated = true;
};

Result Fetch(const std::string& url, int method = 0, unsigned long limit = 0, const std::string& body = "",
             int encipher = 0) {
    FixedCredentials creds;
    cDownloadManager m;
    m.SetSettings(&creds);
    char* answer = reinterpret_cast<char*>(1);
    std::string u = url;
    std::string b = body;
    unsigned long id = m.Download(reinterpret_cast<unsigned char*>(&b[0]), static_cast<unsigned long>(b.size()), &u[0],
                                  &answer, limit, 0, encipher);
    Result r;
    if (!id) return r;
    EXPECT_EQ(answer, nullptr);
    m.SetMethod(id, method);
    m.StartJob(id);
    r.status = WaitFinal(m, id);
    r.lastError = m.GetLastError(id);
    unsigned long size = m.GetAktSize(id);
    if (answer) {
        r.answer.assign(answer, size);
        r.terminated = answer[size] == 0;
        HeapFree(GetProcessHeap(), 0, answer);
    }
    m.DeleteJob(id);
    return r;
}

TEST(DownloadManager, AnswersArriveWholeAndTerminated) {
    HttpServer server;
    for (size_t n : {size_t(0), size_t(5), size_t(8192), size_t(20479), size_t(20480), size_t(100000)}) {
        SCOPED_TRACE(n);
        std::string body(n, 'a');
        for (size_t i = 0; i < n; ++i) body[i] = static_cast<char>('a' + i % 23);
        server.Serve("/data", body);
        Result r = Fetch(server.Url("/data"));
        EXPECT_EQ(r.status, kDownloadFinished);
        EXPECT_TRUE(r.answer == body);
        EXPECT_TRUE(r.terminated);
    }
}

TEST(DownloadManager, HttpErrorsFailWithTheirStatus) {
    HttpServer server;
    server.Route("/gone", [](const HttpRequest&) { return HttpResponse::Text(404, "no"); });
    server.Route("/broken", [](const HttpRequest&) { return HttpResponse::Text(500, "no"); });
    for (const char* path : {"/gone", "/broken"}) {
        Result r = Fetch(server.Url(path));
        EXPECT_EQ(r.status, kDownloadFailed) << path;
        EXPECT_EQ(r.lastError, std::string(path) == "/gone" ? 404 : 500);
    }
}

TEST(DownloadManager, A405IsTriedOnceWithTheOtherMethod) {
    HttpServer server;
    server.Route("/post-only", [](const HttpRequest& q) {
        return q.method == "POST" ? HttpResponse::Text(200, "posted") : HttpResponse::Text(405, "");
    });
    server.Route("/get-only", [](const HttpRequest& q) {
        return q.method == "GET" ? HttpResponse::Text(200, "got " + q.body) : HttpResponse::Text(405, "");
    });
    server.Route("/neither", [](const HttpRequest&) { return HttpResponse::Text(405, ""); });
    Result r = Fetch(server.Url("/get-only"), 1, 0, "x=1");
    EXPECT_EQ(r.status, kDownloadFinished);
    EXPECT_EQ(r.answer.substr(0, 3), "got");
    r = Fetch(server.Url("/post-only"), 0);
    EXPECT_EQ(r.status, kDownloadFinished);
    EXPECT_EQ(r.answer, "posted");
    r = Fetch(server.Url("/neither"), 1, 0, "x=1");
    EXPECT_EQ(r.status, kDownloadFailed);
    EXPECT_EQ(r.lastError, 405);
    std::vector<std::string> methods;
    for (auto& q : server.Requests())
        if (q.path == "/neither") methods.push_back(q.method);
    // the redirect check (GET), then POST, then GET once more
    EXPECT_EQ(methods, (std::vector<std::string>{"GET", "POST", "GET"}));
}

TEST(DownloadManager, SizeLimitFailsLargerAnswers) {
    HttpServer server;
    server.Serve("/big", std::string(30000, 'b'));
    EXPECT_EQ(Fetch(server.Url("/big"), 0, 10000).status, kDownloadFailed);
    EXPECT_EQ(Fetch(server.Url("/big"), 0, 40000).status, kDownloadFinished);
    EXPECT_EQ(Fetch(server.Url("/big"), 0, 0).status, kDownloadFinished);
}

TEST(DownloadManager, ACutAnswerFails) {
    HttpServer server;
    server.Route("/cut", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, std::string(5000, 'c'));
        r.truncateAfter = 1200;
        return r;
    });
    EXPECT_EQ(Fetch(server.Url("/cut")).status, kDownloadFailed);
}

std::string Cipher(std::string data, bool encipher) {
    data.resize((data.size() + 7) / 8 * 8, '\0');
    CBlowFish fish(const_cast<unsigned char*>(kPlayerCipherKey), 16, SBlock(0, 0));
    auto* p = reinterpret_cast<unsigned char*>(&data[0]);
    if (encipher)
        fish.Encrypt(p, static_cast<unsigned int>(data.size()));
    else
        fish.Decrypt(p, static_cast<unsigned int>(data.size()));
    return data;
}

TEST(DownloadManager, EncipheredBodyAndAnswerRoundTrip) {
    HttpServer server;
    std::string seen;
    std::mutex mu;
    server.Route("/secret", [&](const HttpRequest& q) {
        std::lock_guard<std::mutex> lock(mu);
        if (q.method == "POST") seen = q.body;
        return HttpResponse::Text(200, Cipher("<reply>fine</reply>", true));   // 19 bytes, sent as 24
    });
    const std::string body = "<request/>ab";   // 12 bytes
    Result r = Fetch(server.Url("/secret"), 1, 0, body + "c", 1);
    EXPECT_EQ(r.status, kDownloadFinished);
    {
        std::lock_guard<std::mutex> lock(mu);
        ASSERT_EQ(seen.size(), 16u);
        EXPECT_EQ(Cipher(seen, false), std::string(body + "c") + std::string(3, '\0'));
    }
    EXPECT_STREQ(r.answer.c_str(), "<reply>fine</reply>");
}

TEST(DownloadManager, RedirectsAreFollowedToAnEnd) {
    HttpServer server;
    server.Route("/a", [](const HttpRequest&) { return HttpResponse::Redirect(302, "b"); });   // relative
    server.Route("/b", [&](const HttpRequest&) { return HttpResponse::Redirect(301, "/dir/c"); });
    server.Route("/dir/c", [&](const HttpRequest&) {
        HttpResponse r;
        r.status = 303;
        r.Header("location", server.Url("/end"));   // lower-case name
        return r;
    });
    server.Serve("/end", "arrived");
    server.Route("/loop", [](const HttpRequest&) { return HttpResponse::Redirect(302, "/loop"); });
    server.Route("/long", [](const HttpRequest&) { return HttpResponse::Redirect(302, "/" + std::string(1500, 'x')); });
    server.Route("/content-location", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, "stay");
        r.Header("Content-Location", "/elsewhere");
        return r;
    });
    for (int n = 1; n <= 6; ++n)
        server.Route("/hop" + std::to_string(n), [n](const HttpRequest&) {
            return HttpResponse::Redirect(302, "/hop" + std::to_string(n + 1));
        });
    server.Serve("/hop7", "hopped");
    Result r = Fetch(server.Url("/a"));
    EXPECT_EQ(r.status, kDownloadFinished);
    EXPECT_EQ(r.answer, "arrived");
    EXPECT_EQ(Fetch(server.Url("/loop")).status, kDownloadFailed);
    EXPECT_EQ(Fetch(server.Url("/long")).status, kDownloadFailed);
    EXPECT_EQ(Fetch(server.Url("/content-location")).answer, "stay");
    EXPECT_EQ(Fetch(server.Url("/hop1")).status, kDownloadFailed);   // six redirects
    EXPECT_EQ(Fetch(server.Url("/hop2")).answer, "hopped");          // five
    EXPECT_EQ(server.Count("/loop"), 6u);
}

TEST(DownloadManager, RefusesWhatCannotBeSent) {
    cDownloadManager m;   // no settings: empty credentials
    char* answer = nullptr;
    std::vector<unsigned char> big(4097);
    char url[] = "http://127.0.0.1:1/x";
    EXPECT_EQ(m.Download(big.data(), 4097, url, &answer, 0, 0, 0), 0u);
    std::string longUrl = "http://127.0.0.1/" + std::string(1100, 'p');
    EXPECT_EQ(m.Download(nullptr, 0, &longUrl[0], &answer, 0, 0, 0), 0u);
    EXPECT_EQ(m.Download(nullptr, 0, nullptr, &answer, 0, 0, 0), 0u);
    unsigned long id = m.Download(big.data(), 4096, url, &answer, 0, 0, 0);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(m.GetStatus(id), kDownloadCreated);
    // Unknown ids do nothing.
    EXPECT_EQ(m.GetStatus(id + 100), 0);
    EXPECT_EQ(m.GetLastError(id + 100), 0);
    EXPECT_EQ(m.GetAktSize(id + 100), 0u);
    m.StartJob(id + 100);
    m.CancelDownload(id + 100);
    m.DeleteJob(id + 100);
    // A host that does not fit, or a control character, fails the job.
    for (std::string bad : {"http://" + std::string(250, 'h') + "/x", std::string("http://127.0.0.1/a\r\nX: y"),
                            std::string("ftp://127.0.0.1/x")}) {
        unsigned long j = m.Download(nullptr, 0, &bad[0], &answer, 0, 0, 0);
        ASSERT_NE(j, 0u);
        m.StartJob(j);
        EXPECT_EQ(WaitFinal(m, j), kDownloadFailed) << bad.substr(0, 40);
        m.DeleteJob(j);
    }
}

TEST(DownloadManager, FileJobsWriteTheAnswer) {
    HttpServer server;
    server.Serve("/file", std::string(50000, 'f'));
    server.Route("/missing", [](const HttpRequest&) { return HttpResponse::Text(404, ""); });
    tdtest::TempFolder dir;
    cDownloadManager m;
    for (const char* path : {"/file", "/missing"}) {
        HANDLE h = CreateFileA(dir.File("out.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        std::string url = server.Url(path);
        unsigned long id = m.Download(nullptr, 0, &url[0], static_cast<void*>(h), 0, 0, 0);
        m.StartJob(id);
        int status = WaitFinal(m, id);
        m.CloseFileHandle(id);
        m.DeleteJob(id);
        if (std::string(path) == "/file") {
            EXPECT_EQ(status, kDownloadFinished);
            EXPECT_EQ(dir.Read("out.bin").size(), 50000u);
        } else {
            EXPECT_EQ(status, kDownloadFailed);
        }
    }
}

// A server that sends headers, then nothing, until it is stopped.
void RouteStall(HttpServer& server, const std::string& path) {
    server.Route(path, [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, "");
        r.stream = [](std::string*) {
            Sleep(20);
            return true;
        };
        return r;
    });
}

struct CallbackLog {
    std::mutex mu;
    std::vector<std::pair<DWORD, int>> calls;   // thread, status
    static void Record(unsigned long, int status, void* self) {
        auto* log = static_cast<CallbackLog*>(self);
        std::lock_guard<std::mutex> lock(log->mu);
        log->calls.emplace_back(GetCurrentThreadId(), status);
    }
};

TEST(DownloadManager, CancelWhileWaitingForDataEndsCancelled) {
    auto server = std::make_unique<HttpServer>();
    RouteStall(*server, "/stall");
    cDownloadManager m;
    char* answer = nullptr;
    std::string url = server->Url("/stall");
    unsigned long id = m.Download(nullptr, 0, &url[0], &answer, 0, 0, 0);
    CallbackLog log;
    m.SetUserData(id, &log);
    m.SetCallback(id, CallbackLog::Record);
    m.StartJob(id);
    ASSERT_TRUE(tdtest::WaitFor([&] { return m.GetStatus(id) == kDownloadReceiving; }, 30000));
    Sleep(200);
    const DWORD me = GetCurrentThreadId();
    m.CancelDownload(id);
    EXPECT_EQ(m.GetStatus(id), kDownloadCancelled);
    // The job's thread ends too: at once where closing its handles wakes
    // the read, here at the latest when the server goes away.
    server.reset();
    auto finalFromJob = [&] {
        std::lock_guard<std::mutex> lock(log.mu);
        return !log.calls.empty() && log.calls.back().first != me && log.calls.back().second == kDownloadCancelled;
    };
    EXPECT_TRUE(tdtest::WaitFor(finalFromJob, 10000));
    m.DeleteJob(id);
    std::lock_guard<std::mutex> lock(log.mu);
    size_t fromMe = 0;
    for (auto& c : log.calls) fromMe += c.first == me;
    EXPECT_EQ(fromMe, 1u);
    if (answer) HeapFree(GetProcessHeap(), 0, answer);
}

TEST(DownloadManager, NoCallbackAfterDeleteJob) {
    HttpServer server;
    RouteStall(server, "/stall");
    cDownloadManager m;
    char* answer = nullptr;
    std::string url = server.Url("/stall");
    unsigned long id = m.Download(nullptr, 0, &url[0], &answer, 0, 0, 0);
    auto log = std::make_unique<CallbackLog>();
    m.SetUserData(id, log.get());
    m.SetCallback(id, CallbackLog::Record);
    m.StartJob(id);
    ASSERT_TRUE(tdtest::WaitFor([&] { return m.GetStatus(id) == kDownloadReceiving; }, 30000));
    m.DeleteJob(id);
    size_t calls = log->calls.size();
    server.Stop();   // the thread wakes and ends
    Sleep(500);
    EXPECT_EQ(log->calls.size(), calls);
    if (answer) HeapFree(GetProcessHeap(), 0, answer);
}

size_t ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 te;
    te.dwSize = sizeof te;
    size_t n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snap);
    return n;
}

TEST(DownloadManager, ManyCancelledJobsLeaveNothingBehind) {
    auto serverOwner = std::make_unique<HttpServer>();
    HttpServer& server = *serverOwner;
    RouteStall(server, "/stall");
    server.Route("/slow", [](const HttpRequest&) {
        HttpResponse r = HttpResponse::Text(200, "late");
        r.delayMs = 3000;
        return r;
    });
    cDownloadManager m;
    // Warm up WinINet's own threads before counting.
    Fetch(server.Url("/x"));
    const size_t threadsBefore = ThreadCount();
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    for (int i = 0; i < 50; ++i) {
        char* answer = nullptr;
        std::string url = server.Url(i % 2 ? "/stall" : "/slow");
        unsigned long id = m.Download(nullptr, 0, &url[0], &answer, 0, 0, 0);
        m.StartJob(id);
        if (i % 3) Sleep(i % 7 * 5);
        if (i % 4 == 0) m.CancelDownload(id);
        m.DeleteJob(id);   // cancels the others itself
        EXPECT_EQ(m.GetStatus(id), 0);
        if (answer) HeapFree(GetProcessHeap(), 0, answer);
    }
    serverOwner.reset();   // wakes whatever still waits for it
    ASSERT_TRUE(tdtest::WaitFor([&] { return ThreadCount() <= threadsBefore + 2; }, 30000))
        << ThreadCount() << " threads, before " << threadsBefore;
    EXPECT_TRUE(tdtest::WaitFor(
        [&] {
            GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
            return handlesAfter < handlesBefore + 20;
        },
        30000))
        << handlesAfter << " handles, before " << handlesBefore;
}

TEST(DownloadManager, DestroyingTheManagerEndsRunningJobs) {
    auto server = std::make_unique<HttpServer>();
    RouteStall(*server, "/stall");
    Fetch(server->Url("/x"));   // WinINet's own threads, before counting
    const size_t threadsBefore = ThreadCount();
    char* answers[5] = {};
    CallbackLog log;
    size_t callsAtEnd = 0;
    {
        cDownloadManager m;
        std::string url = server->Url("/stall");
        for (auto& a : answers) {
            unsigned long id = m.Download(nullptr, 0, &url[0], &a, 0, 0, 0);
            m.SetUserData(id, &log);
            m.SetCallback(id, CallbackLog::Record);
            m.StartJob(id);
            ASSERT_TRUE(tdtest::WaitFor([&] { return m.GetStatus(id) == kDownloadReceiving; }, 30000));
        }
    }
    {
        // The destructor's own cancel may report, but nothing after it returned.
        std::lock_guard<std::mutex> lock(log.mu);
        callsAtEnd = log.calls.size();
    }
    server.reset();   // wakes the reads that still wait
    ASSERT_TRUE(tdtest::WaitFor([&] { return ThreadCount() <= threadsBefore + 2; }, 30000))
        << ThreadCount() << " threads, before " << threadsBefore;
    {
        std::lock_guard<std::mutex> lock(log.mu);
        EXPECT_EQ(log.calls.size(), callsAtEnd) << "a callback after the manager was gone";
    }
    for (auto* a : answers)
        if (a) HeapFree(GetProcessHeap(), 0, a);
}

// The proxy user name and password reach a proxy that asks for them, and
// never a server.
TEST(DownloadManager, CredentialsGoOnlyToTheProxy) {
    HttpServer server;
    server.Route("/private", [](const HttpRequest& q) {
        HttpResponse r = HttpResponse::Text(401, "");
        r.Header("WWW-Authenticate", "Basic realm=\"x\"");
        if (!q.Header("authorization").empty()) r = HttpResponse::Text(200, "leaked");
        return r;
    });
    Result direct = Fetch(server.Url("/private"));
    EXPECT_EQ(direct.status, kDownloadFailed);
    EXPECT_EQ(direct.lastError, 401);
    for (auto& q : server.Requests()) EXPECT_EQ(q.Header("authorization"), "");

    HttpServer proxy;
    std::atomic<int> authorized{0};
    proxy.Route("/*", [&](const HttpRequest& q) {
        if (q.target.compare(0, 7, "http://") != 0) return HttpResponse::Text(400, "not a proxy request");
        if (q.Header("proxy-authorization").empty()) {
            HttpResponse r = HttpResponse::Text(407, "");
            r.Header("Proxy-Authenticate", "Basic realm=\"proxy\"");
            return r;
        }
        ++authorized;
        return HttpResponse::Text(200, "via proxy " + q.Header("proxy-authorization"));
    });
    std::string port = std::to_string(proxy.Port());
    SetProxySettings("127.0.0.1", port.c_str(), 1, 0);
    Result viaProxy = Fetch("http://radio.invalid/stream.pls");
    SetProxySettings("", "", 0, 0);
    EXPECT_EQ(viaProxy.status, kDownloadFinished);
    // "proxyuser:proxypass" in Base64
    EXPECT_EQ(viaProxy.answer, "via proxy Basic cHJveHl1c2VyOnByb3h5cGFzcw==");
}

}  // namespace
