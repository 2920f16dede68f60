// Fixtures shared by the test executables: a temporary user folder, a
// registry sandbox, a second process of the same test executable, a local
// HTTP server, window screenshots and sound measurement.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tdtest {

// ---------------------------------------------------------------- files
// A fresh folder under %TEMP%, removed with everything in it afterwards.
class TempFolder {
public:
    explicit TempFolder(const char* tag = "td");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }           // no trailing backslash
    std::string File(const std::string& name) const { return path_ + "\\" + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;             // empty if missing
    bool Exists(const std::string& name) const;

private:
    std::string path_;
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string* bytes);
bool RemoveTree(const std::string& path);

// ---------------------------------------------------------------- registry
// Removes a key under HKEY_CURRENT_USER before and after a test so that each
// test starts from nothing and leaves nothing behind.
class RegistrySandbox {
public:
    explicit RegistrySandbox(const std::string& subkey);
    ~RegistrySandbox();
    const std::string& Key() const { return subkey_; }
    bool SetString(const std::string& name, const std::string& value) const;
    bool GetString(const std::string& name, std::string* value) const;
    bool Exists() const;

private:
    std::string subkey_;
};

// ---------------------------------------------------------------- processes
// A test executable doubles as its own peer: started with "--td-child=NAME"
// it runs the function registered under NAME instead of the tests.
using ChildMain = int (*)(int argc, char** argv);
struct ChildRegistrar {
    ChildRegistrar(const char* name, ChildMain fn);
};
#define TD_CHILD(name)                                                          \
    static int td_child_##name(int argc, char** argv);                          \
    static ::tdtest::ChildRegistrar td_child_reg_##name(#name, td_child_##name); \
    static int td_child_##name(int argc, char** argv)

int RunChildIfRequested(int argc, char** argv, bool* handled);

// A second process: a child role of this executable or any program.
class Process {
public:
    Process() = default;
    ~Process();                       // ends the process if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool StartChild(const std::string& role, const std::vector<std::string>& args = {});
    bool Start(const std::string& exePath, const std::vector<std::string>& args = {},
               const std::string& workDir = "");
    // Waits until a top-level window of the class (and title, if given) owned
    // by this process exists.
    HWND WaitForWindow(const char* className, DWORD timeoutMs = 30000, const char* title = nullptr) const;
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    bool Running() const;
    DWORD Pid() const { return pi_.dwProcessId; }
    HANDLE Handle() const { return pi_.hProcess; }
    DWORD MainThreadId() const { return pi_.dwThreadId; }
    // Takes a process that another program started as this one's (ended
    // like one started here when the object goes).
    bool Attach(DWORD pid);

private:
    PROCESS_INFORMATION pi_ = {};
};

std::string SelfPath();
std::string QuoteArg(const std::string& arg);
std::string BinDir();                 // folder of the test executable
std::string ArtifactDir();            // <build>/artifacts, created on demand

// ---------------------------------------------------------------- benchmarks
// Benchmarks run only when scripts/bench asks for them (TD_BENCH set); a
// plain test run skips them, and no test fails on a time.
bool BenchRequested();
// The median of a few measurements.
double Median(std::vector<double> values);
// One figure for scripts/bench: "[ FIGURE   ] name|value|unit|<=|target"
// (`atMost` false: the value must reach the target, ">=").
void Figure(const char* name, double value, const char* unit, double target, bool atMost = true);

// Finds a top-level window of a class owned by a process (0 = any process).
HWND FindWindowOf(const char* className, DWORD pid, const char* title = nullptr);
// The lines of a list box, also of another process's (read through the wide
// messages: Wine hands another process's texts to LB_GETTEXT's narrow form
// as wide characters).
std::vector<std::string> ListBoxLines(HWND list);
// Waits for a condition while pumping this thread's messages.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs, DWORD stepMs = 10);
void PumpMessages();

// ---------------------------------------------------------------- HTTP
struct HttpRequest {
    std::string method, target, path, query, version;
    std::map<std::string, std::string> headers;   // lower-case names
    std::string body;
    std::string Header(const std::string& lowerName) const;
};

struct HttpResponse {
    int status = 200;
    std::string reason;                    // default text for the status when empty
    std::string statusLine;                // replaces the whole status line ("ICY 200 OK")
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool gzip = false;                     // gzip the body and say so
    bool noContentLength = false;          // close the connection to end the body
    size_t truncateAfter = SIZE_MAX;       // close after this many body bytes
    DWORD delayMs = 0;                     // before anything is sent
    size_t chunkSize = 0;                  // >0: send the body in pieces ...
    DWORD chunkDelayMs = 0;                // ... with a pause between them
    // Endless bodies (streams): called until it returns false, the client
    // goes away or the server stops. Runs on the connection's thread.
    std::function<bool(std::string* more)> stream;

    HttpResponse& Header(const std::string& name, const std::string& value) {
        headers.emplace_back(name, value);
        return *this;
    }
    static HttpResponse Text(int status, const std::string& body, const std::string& type = "text/plain");
    static HttpResponse Redirect(int status, const std::string& location);
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

// A scripted HTTP/1.0-style server on 127.0.0.1 with an ephemeral port.
// Each response goes out in one write (with TCP_NODELAY), so WinINet does
// not wait on delayed acknowledgements.
class HttpServer {
public:
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    int Port() const { return port_; }
    std::string Host() const;                          // "127.0.0.1:port"
    std::string Url(const std::string& path) const;    // "http://127.0.0.1:port" + path

    // Routes match the path exactly, or by prefix when the pattern ends in "*".
    void Route(const std::string& path, HttpHandler handler);
    void Serve(const std::string& path, const std::string& body, const std::string& type = "text/plain");
    void Clear();

    std::vector<HttpRequest> Requests() const;
    size_t Count(const std::string& path) const;
    void Stop();

private:
    void AcceptLoop();
    void Handle(uintptr_t sock);

    uintptr_t listen_ = ~uintptr_t(0);
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;
    mutable std::mutex mu_;
    std::vector<std::pair<std::string, HttpHandler>> routes_;
    std::vector<HttpRequest> requests_;
    std::vector<std::thread> workers_;
    std::vector<uintptr_t> open_;
};

std::string GzipBytes(const std::string& data);
bool GunzipBytes(const std::string& data, std::string* out);

// ---------------------------------------------------------------- pictures
// Captures a window (client and frame) as it shows on the screen and writes
// it as PNG; returns false if nothing could be read.
bool SaveWindowPng(HWND hwnd, const std::string& path);
bool CaptureWindow(HWND hwnd, int* width, int* height, std::vector<uint32_t>* pixels);  // 0x00RRGGBB
bool WritePng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels);

// ---------------------------------------------------------------- sound
std::vector<int16_t> SineStereo(double freq, double seconds, int16_t amplitude, int rate = 44100);
struct ToneStats {
    double rms = 0;
    int peak = 0;
    double frequency = 0;                  // from zero crossings of the left channel
    size_t frames = 0;
};
ToneStats Measure(const int16_t* interleavedStereo, size_t frames, int rate = 44100);
// Measures only the blocks of `blockFrames` whose level reaches `minRms`.
// On a loaded machine Wine's output now and then runs dry, and a capture of
// the sink's monitor then holds stretches of silence between stretches of
// the tone: a recording is judged by what it made of the sound it got. The
// frames of the result count only the sounding blocks.
ToneStats MeasureSounding(const int16_t* interleavedStereo, size_t frames, double minRms, int rate = 44100,
                          size_t blockFrames = 2205);
// Records the default capture device (the null sink's monitor) for a while.
bool CaptureDefault(DWORD ms, std::vector<int16_t>* stereo);
// Plays PCM through the default output device on a thread of its own.
class TonePlayer {
public:
    explicit TonePlayer(std::vector<int16_t> stereo);
    ~TonePlayer();
    void Wait();
    void Stop();   // ends the sound early and waits for the thread
private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<int16_t> pcm_;
};

}  // namespace tdtest
