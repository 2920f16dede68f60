#include "rec_source_search_wnd.h"

#include <windows.h>
#include <mmsystem.h>
#include <process.h>

#include <cstring>
#include <new>
#include <vector>

#include "bounded_text.h"
#include "button_list.h"
#include "debugtext.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "element_host.h"
#include "library_state.h"
#include "nav_window.h"
#include "resource_manager.h"
#include "small_popup.h"
#include "status_intake.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

enum { SPRITE_TITLE = 232, SPRITE_NEXT = 225, SPRITE_CLOSE = 187 };
enum {
    TXT_STEP1_TITLE = 603, TXT_PREPARE = 604, TXT_SEARCHING = 605, TXT_STEP2_TITLE = 606,
    TXT_STEP3_TITLE = 607, TXT_FOUND = 608, TXT_NOTHING = 609, TXT_WAIT = 612, TXT_USE_QUESTION = 613,
    TXT_CHANGE_LATER = 616, TEXT_SIZE = 500,
};
enum {
    CODE_STOP = 3, CODE_DEBUG_TEXT = 28, CODE_INPUT_NAMES = 42, CODE_SELECT_INPUT = 43, CODE_READ_LEVEL = 44,
    CODE_SET_LEVEL = 45, CODE_DEVICE_NAMES = 59, CODE_SELECT_DEVICE = 60, CODE_RESTORE_AUDIO = 75,
    CODE_SAVE_AUDIO = 76,
};
enum { MAX_DEVICES = 50, MAX_INPUTS = 100, REPLY_SIZE = 512, INPUT_LIST_SIZE = 1024 };
enum { MEASURE_LEVEL = 5000, PEAK_MAX = 100 };
constexpr DWORD kPollMs = 10;
constexpr DWORD kDevicePollMs = 20;
// Posted by the search thread when it has ended.
constexpr UINT WM_SEARCH_DONE = WM_APP + 31;
// Posted by the search thread when a measurement begins (wParam its number):
// peaks of the input before, still queued, arrive ahead of it and are not
// counted for this one.
constexpr UINT WM_MEASURE_START = WM_APP + 32;

const char kListSeparator = '\x01';
const char kChoiceMark = '\x02';

RecSourceSearchTiming g_timing = DefaultRecSourceSearchTiming();

bool NavigatorLevel(int* level) {
    auto* nav = dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR));
    cNavView* view = nav ? nav->GetNavView() : nullptr;
    if (!view || view->LevelMaximum() == 0) return false;
    *level = view->LevelValue();
    return true;
}
RecLevelReader g_levelReader = &NavigatorLevel;

// One search at a time: the peak messages and the selection flags are the
// whole process's.
volatile LONG g_searchRunning = 0;

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

// The names of a host list: entries split at the byte 1; an entry that
// starts with the byte 2 marks the current choice and is no name. An empty
// last entry (a list ending in the separator) is none either.
int SplitNames(const char* list, const char** starts, size_t* lengths, int max) {
    int count = 0;
    if (!list || !*list) return 0;
    const char* p = list;
    for (;;) {
        const char* end = strchr(p, kListSeparator);
        size_t len = end ? static_cast<size_t>(end - p) : strlen(p);
        bool last = end == nullptr;
        if (!(last && len == 0) && p[0] != kChoiceMark) {
            if (count >= max) break;
            starts[count] = p;
            lengths[count] = len;
            ++count;
        }
        if (last) break;
        p = end + 1;
    }
    return count;
}

// The catalogue's text with its first two "%s" replaced by the names; no
// other conversion is carried out, so a catalogue text cannot make the
// formatting read what is not there.
void FormatNames(char* out, size_t size, const char* format, const char* first, const char* second) {
    if (!out || size == 0) return;
    out[0] = 0;
    const char* names[2] = {first ? first : "", second ? second : ""};
    int used = 0;
    char one[2] = {0, 0};
    for (const char* p = format; p && *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            bk::TextAppend(out, size, used < 2 ? names[used] : "");
            ++used;
            ++p;
            continue;
        }
        if (p[0] == '%' && p[1] == '%') ++p;
        one[0] = *p;
        if (!bk::TextAppend(out, size, one)) return;
    }
}

typedef BOOL(WINAPI* PlaySoundFn)(LPCSTR, HMODULE, DWORD);

// The looping test sound (winmm is loaded only while the search needs it).
class TestSound {
public:
    TestSound() = default;
    ~TestSound() { Stop(); }
    TestSound(const TestSound&) = delete;
    TestSound& operator=(const TestSound&) = delete;

    void Start() {
        const char* folder = Library().programFolder;
        if (!folder[0]) return;
        char path[MAX_PATH] = {};
        size_t len = strlen(folder);
        const char* sep = folder[len - 1] == '\\' ? "" : "\\";
        if (!bk::TextFormat(path, sizeof path, "%s%stest.wav", folder, sep)) return;
        if (!winmm_) winmm_.Reset(LoadLibraryA("winmm.dll"));
        play_ = winmm_ ? reinterpret_cast<PlaySoundFn>(GetProcAddress(winmm_.Get(), "PlaySoundA")) : nullptr;
        // No default sound in place of a missing file: it would be measured.
        playing_ = play_ && play_(path, nullptr, SND_FILENAME | SND_ASYNC | SND_LOOP | SND_NODEFAULT);
        if (!playing_) DebugLog(DL_WAR, "cRecSourceSearchWnd test sound not played: %s", path);
    }
    void Stop() {
        if (playing_ && play_) play_(nullptr, nullptr, 0);
        playing_ = false;
    }

private:
    bk::ScopedModule winmm_;
    PlaySoundFn play_ = nullptr;
    bool playing_ = false;
};

}  // namespace

// What the pop-up and its search thread share. Each holds a reference; the
// last one to let go deletes it, so a search that outlives its pop-up (a
// host that holds a call) never writes into freed memory.
struct RecSourceSearchJob {
    volatile LONG refs = 2;
    volatile LONG stop = 0;
    volatile LONG done = 0;
    // Peak measurement: the search opens and closes it, the pop-up's window
    // thread fills it from the peak messages.
    volatile LONG measureNumber = 0;   // of the measurement under way, 0 none
    LONG measurements = 0;             // the search thread's count
    volatile LONG measuring = 0;
    volatile LONG clip = 0;
    volatile LONG highLeft = 0;
    volatile LONG highRight = 0;

    HWND window = nullptr;
    RecSourceSearchTiming timing = {};
    RecLevelReader readLevel = nullptr;

    bk::CriticalSection lock;   // the names the pop-up paints
    char device[REPLY_SIZE] = {};
    char input[REPLY_SIZE] = {};

    // The search thread's own from here on, until `done`.
    char log[cRecSourceSearchWnd::LOG_SIZE] = {};
    char reply[REPLY_SIZE] = {};
    int deviceCount = 0;
    char devices[MAX_DEVICES][REPLY_SIZE] = {};
    char inputLists[MAX_DEVICES][INPUT_LIST_SIZE] = {};
    int inputCount[MAX_DEVICES] = {};
    int left[MAX_DEVICES][MAX_INPUTS] = {};
    int right[MAX_DEVICES][MAX_INPUTS] = {};
    int offeredDevice = -1;
    int offeredInput = -1;
    char offeredDeviceName[REPLY_SIZE] = {};
    char offeredInputName[REPLY_SIZE] = {};

    void Release() {
        if (InterlockedDecrement(&refs) == 0) delete this;
    }
    bool Stopped() const { return stop != 0; }
    void SetNames(const char* dev, const char* in) {
        bk::ScopedLock hold(lock);
        if (dev) bk::TextCopy(device, dev);
        if (in) bk::TextCopy(input, in);
    }
    void Repaint() const {
        if (window) InvalidateRect(window, nullptr, FALSE);
    }
    // Texts beyond the log's room are dropped.
    void Log(const char* text) { bk::TextAppend(log, text); }
    // Polls `ready` every `stepMs` until it holds, the bound passes or the
    // pop-up is closed; true when it held.
    template <class Ready>
    bool WaitFor(DWORD stepMs, Ready ready) const {
        DWORD start = GetTickCount();
        for (;;) {
            if (ready()) return true;
            if (Stopped() || GetTickCount() - start >= timing.replyWaitMs) return false;
            Sleep(stepMs);
        }
    }
    bool ReadLevel(int* level) const { return readLevel && readLevel(level); }
};

namespace {

int Host(int code, int ch = 0, void* text = nullptr) { return dlgs::Callback(code, ch, text); }

// Measures one input of the current device; false when it could not be
// measured (not selectable, no level control, search stopped).
bool MeasureInput(RecSourceSearchJob* job, int d, int i, const char* name) {
    StatusFlags& flags = GetStatusFlags();
    InterlockedExchange(&flags.wizardAck1, 0);
    Host(CODE_SELECT_INPUT, i + 1);
    job->SetNames(nullptr, name);
    job->Log("\n ");
    job->Log(name);
    job->Repaint();
    if (!job->WaitFor(kPollMs, [&] { return flags.wizardAck1 != 0; })) {
        job->Log(" (nicht ausgew\xe4hlt)");
        return false;
    }

    int restore = 0;
    Host(CODE_READ_LEVEL);
    if (!job->ReadLevel(&restore)) {
        job->Log(" (kein Pegel)");
        return false;
    }
    Host(CODE_SET_LEVEL, MEASURE_LEVEL);
    // The host sets the level on a thread of its own; an input without a
    // level control never shows it.
    bool raised = job->WaitFor(kPollMs, [&] {
        int level = -1;
        Host(CODE_READ_LEVEL);
        return job->ReadLevel(&level) && level == MEASURE_LEVEL;
    });
    if (!raised) {
        Host(CODE_SET_LEVEL, restore);
        job->Log(" (Pegel nicht einstellbar)");
        return false;
    }

    const LONG number = ++job->measurements;
    InterlockedExchange(&job->highLeft, 0);
    InterlockedExchange(&job->highRight, 0);
    InterlockedExchange(&job->clip, 0);
    InterlockedExchange(&job->measureNumber, number);
    PostMessageA(job->window, WM_MEASURE_START, static_cast<WPARAM>(number), 0);
    OutputDebugStringA("abspielen gestartet...\n");
    int n = 0;
    const int minSteps = job->timing.measureMinSteps, maxSteps = job->timing.measureMaxSteps;
    while (!job->Stopped() && (n < minSteps || ((job->highLeft == 0 || job->highRight == 0) && n < maxSteps))) {
        ++n;
        Sleep(job->timing.measureStepMs);
    }
    InterlockedExchange(&job->measureNumber, 0);
    InterlockedExchange(&job->measuring, 0);
    Host(CODE_SET_LEVEL, restore);
    if (job->Stopped()) return false;

    const int clipped = job->clip ? 1 : 0;
    int l = job->highLeft, r = job->highRight;
    char line[64] = {};
    bk::TextFormat(line, sizeof line, "(-%d-) (%02d -- %02d)(%d)\n", clipped, l, r, n);
    job->Log(line);
    if (clipped) l = 0;
    job->left[d][i] = l;
    job->right[d][i] = r;
    job->Repaint();
    return true;
}

void SearchDevice(RecSourceSearchJob* job, int d) {
    job->SetNames(job->devices[d], "");
    job->Log("\n");
    job->Log(job->devices[d]);
    job->Log(": ");
    job->Repaint();

    StatusFlags& flags = GetStatusFlags();
    InterlockedExchange(&flags.wizardAck2, 0);
    Host(CODE_SELECT_DEVICE, d + 1);
    if (!job->WaitFor(kDevicePollMs, [&] { return flags.wizardAck2 != 0; })) {
        job->Log("(nicht ausgew\xe4hlt)");
        return;
    }

    dlgs::MarkRecListPending(dlgs::REPLY_INPUTS);
    Host(CODE_INPUT_NAMES);
    char reply[REPLY_SIZE] = {};
    if (!job->Stopped())
        dlgs::WaitRecList(dlgs::REPLY_INPUTS, reply, sizeof reply, job->timing.replyWaitMs, &job->stop);
    bk::TextCopy(job->inputLists[d], reply);
    const char* starts[MAX_INPUTS];
    size_t lengths[MAX_INPUTS];
    const int count = SplitNames(job->inputLists[d], starts, lengths, MAX_INPUTS);
    job->inputCount[d] = count;

    TestSound sound;
    if (count > 0 && !job->Stopped()) sound.Start();
    for (int i = 0; i < count && !job->Stopped(); ++i) {
        char name[REPLY_SIZE] = {};
        bk::TextCopyN(name, sizeof name, starts[i], lengths[i]);
        MeasureInput(job, d, i, name);
    }
}

void Choose(RecSourceSearchJob* job) {
    // Every measured input in the order measured: devices in list order,
    // each device's inputs in list order.
    std::vector<int> left, right, device, input;
    for (int d = 0; d < job->deviceCount; ++d)
        for (int i = 0; i < job->inputCount[d]; ++i) {
            left.push_back(job->left[d][i]);
            right.push_back(job->right[d][i]);
            device.push_back(d);
            input.push_back(i);
        }
    const int best = ChooseRecSource(left.data(), right.data(), static_cast<int>(left.size()));
    if (best < 0) return;
    const int d = device[best], i = input[best];
    const char* starts[MAX_INPUTS];
    size_t lengths[MAX_INPUTS];
    SplitNames(job->inputLists[d], starts, lengths, MAX_INPUTS);
    job->offeredDevice = d;
    job->offeredInput = i;
    bk::TextCopy(job->offeredDeviceName, job->devices[d]);
    bk::TextCopyN(job->offeredInputName, sizeof job->offeredInputName, starts[i], lengths[i]);
}

void Search(RecSourceSearchJob* job) {
    job->SetNames("", "");
    Host(CODE_SAVE_AUDIO);
    bk::TextCopy(job->log, "Ermittele m\xf6gliche Aufnahmeger\xe4te...");
    job->Repaint();

    dlgs::MarkRecListPending(dlgs::REPLY_INPUTS);
    dlgs::MarkRecListPending(dlgs::REPLY_DEVICES);
    Host(CODE_DEVICE_NAMES);
    if (!job->Stopped())
        dlgs::WaitRecList(dlgs::REPLY_DEVICES, job->reply, sizeof job->reply, job->timing.replyWaitMs, &job->stop);
    const char* starts[MAX_DEVICES];
    size_t lengths[MAX_DEVICES];
    job->deviceCount = SplitNames(job->reply, starts, lengths, MAX_DEVICES);
    for (int d = 0; d < job->deviceCount; ++d) {
        bk::TextCopyN(job->devices[d], sizeof job->devices[d], starts[d], lengths[d]);
        job->Repaint();
    }

    if (!job->Stopped()) Host(CODE_STOP);
    InterlockedExchange(&job->measuring, 0);
    for (int d = 0; d < job->deviceCount && !job->Stopped(); ++d) SearchDevice(job, d);

    // The host put the audio state aside at the start; it is put back
    // whether or not the search ran to its end.
    Host(CODE_RESTORE_AUDIO);
    if (!job->Stopped()) Choose(job);
    Host(CODE_DEBUG_TEXT, 0, job->log);
}

unsigned __stdcall RecSourceSearchThread(void* param) {
    auto* job = static_cast<RecSourceSearchJob*>(param);
    StatusFlags& flags = GetStatusFlags();
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&flags.wizardWindow), job->window);
    Search(job);
    InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&flags.wizardWindow), nullptr, job->window);
    InterlockedExchange(&job->done, 1);
    HWND window = job->window;
    InterlockedExchange(&g_searchRunning, 0);
    if (window) PostMessageA(window, WM_SEARCH_DONE, 0, 0);
    job->Release();
    return 0;
}

}  // namespace

RecSourceSearchTiming DefaultRecSourceSearchTiming() { return RecSourceSearchTiming{2000, 20, 2, 5, 5000}; }

void SetRecSourceSearchTiming(const RecSourceSearchTiming& timing) {
    g_timing = timing;
    if (g_timing.measureMinSteps < 0) g_timing.measureMinSteps = 0;
    if (g_timing.measureMaxSteps < g_timing.measureMinSteps) g_timing.measureMaxSteps = g_timing.measureMinSteps;
}

void SetRecLevelReader(RecLevelReader reader) { g_levelReader = reader ? reader : &NavigatorLevel; }

bool QualifiesAsRecSource(int left, int right) { return left > 0 && right > 0 && right > left + right / 5; }

int ChooseRecSource(const int* left, const int* right, int count) {
    int best = -1, bestLeft = 0;
    for (int k = 0; left && right && k < count; ++k)
        if (QualifiesAsRecSource(left[k], right[k]) && left[k] > bestLeft) {
            best = k;
            bestLeft = left[k];
        }
    return best;
}

bool IsRecSourceSearchRunning() { return g_searchRunning != 0; }

// ------------------------------------------------------------------ pop-up

cRecSourceSearchWnd::cRecSourceSearchWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), step_(STEP_PREPARE), device_{}, input_{},
      offeredDevice_(-1), offeredInput_(-1), log_{}, white_(CreateSolidBrush(RGB(255, 255, 255))), job_(nullptr),
      thread_(nullptr), accepting_(false) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cRecSourceSearchWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    const struct {
        unsigned long id, sprite;
        int x, y;
    } buttons[] = {
        {BUTTON_NEXT, SPRITE_NEXT, 99, 214},
        {BUTTON_USE, BUTTON_USE, 76, 214},
        {BUTTON_DONT_USE, BUTTON_DONT_USE, 144, 214},
        {BUTTON_HELP, BUTTON_HELP, 7, 127},
    };
    for (const auto& b : buttons) {
        AddPopupButton(this, owner_, res_, b.id, b.sprite, b.x, b.y, 0, false);
        PlaceButton(b.id, b.x, b.y);
        ShowButton(b.id, false);
    }
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    EnterStep(STEP_PREPARE);
}

cRecSourceSearchWnd::~cRecSourceSearchWnd() {
    EndSearch();
    Close();
    if (white_) DeleteObject(white_);
}

cWndButton* cRecSourceSearchWnd::GetButton(unsigned long id) {
    return dynamic_cast<cWndButton*>(GetButtonList()->GetById(id));
}

void cRecSourceSearchWnd::PlaceButton(unsigned long id, int x, int y) {
    if (cWndButton* b = GetButton(id)) b->SetPos(POINT{x, y}, 1);
}

void cRecSourceSearchWnd::ShowButton(unsigned long id, bool show) {
    cWndButton* b = GetButton(id);
    if (b && b->GetWindow()) PostMessageA(b->GetWindow(), WM_SKIN_SHOW_ELEMENT, show ? 1 : 0, 0);
}

void cRecSourceSearchWnd::EnterStep(int step) {
    step_ = step;
    if (step == STEP_SEARCHING) device_[0] = input_[0] = 0;
    if (step == STEP_PREPARE || step == STEP_NOTHING) {
        const bool prepare = step == STEP_PREPARE;
        if (cWndButton* next = GetButton(BUTTON_NEXT)) next->SetBtnLook(prepare ? SPRITE_NEXT : SPRITE_CLOSE);
        PlaceButton(BUTTON_NEXT, prepare ? 99 : 101, 214);
    }
    ShowButton(BUTTON_NEXT, step == STEP_PREPARE || step == STEP_NOTHING);
    ShowButton(BUTTON_USE, step == STEP_FOUND);
    ShowButton(BUTTON_DONT_USE, step == STEP_FOUND);
    ShowButton(BUTTON_HELP, step == STEP_NOTHING);
    Invalidate();
}

bool cRecSourceSearchWnd::StartSearch() {
    HWND hwnd = GetWindow();
    if (!hwnd) return false;
    if (job_ && !job_->done) return false;
    if (InterlockedCompareExchange(&g_searchRunning, 1, 0) != 0) {
        DebugLog(DL_WAR, "cRecSourceSearchWnd another search is still running");
        return false;
    }
    EndSearch();
    auto* job = new (std::nothrow) RecSourceSearchJob;
    if (!job) {
        InterlockedExchange(&g_searchRunning, 0);
        return false;
    }
    job->window = hwnd;
    job->timing = g_timing;
    job->readLevel = g_levelReader;
    uintptr_t thread = _beginthreadex(nullptr, 0, &RecSourceSearchThread, job, 0, nullptr);
    if (!thread) {
        DebugLog(DL_ERR, "cRecSourceSearchWnd search thread not started");
        delete job;
        InterlockedExchange(&g_searchRunning, 0);
        return false;
    }
    job_ = job;
    thread_ = reinterpret_cast<HANDLE>(thread);
    return true;
}

void cRecSourceSearchWnd::EndSearch() {
    if (!job_) return;
    InterlockedExchange(&job_->stop, 1);
    if (thread_) {
        if (WaitForSingleObject(thread_, job_->timing.closeWaitMs) != WAIT_OBJECT_0)
            DebugLog(DL_ERR, "cRecSourceSearchWnd the search did not end in time (the host holds a call)");
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    // A search left running must not post its peaks to a window that is gone.
    InterlockedCompareExchangePointer(reinterpret_cast<PVOID volatile*>(&GetStatusFlags().wizardWindow), nullptr,
                                      job_->window);
    job_->Release();
    job_ = nullptr;
}

void cRecSourceSearchWnd::OnSearchDone() {
    if (!job_ || !job_->done) return;
    bk::TextCopy(log_, job_->log);
    offeredDevice_ = job_->offeredDevice;
    offeredInput_ = job_->offeredInput;
    if (offeredDevice_ >= 0 && offeredInput_ >= 0) {
        bk::TextCopy(device_, job_->offeredDeviceName);
        bk::TextCopy(input_, job_->offeredInputName);
        EnterStep(STEP_FOUND);
    } else {
        EnterStep(STEP_NOTHING);
    }
}

void cRecSourceSearchWnd::OnMeasureStart(long number) {
    RecSourceSearchJob* job = job_;
    if (!job || number == 0 || job->measureNumber != number) return;
    InterlockedExchange(&job->highLeft, 0);
    InterlockedExchange(&job->highRight, 0);
    InterlockedExchange(&job->clip, 0);
    InterlockedExchange(&job->measuring, 1);
}

void cRecSourceSearchWnd::OnPeakLevel(int left, int right) {
    RecSourceSearchJob* job = job_;
    if (!job || !job->measuring) return;
    // The pipe's values are percent; anything else is cut into that range.
    if (left > right) InterlockedExchange(&job->clip, 1);
    left = Clamp(left, 0, PEAK_MAX);
    right = Clamp(right, 0, PEAK_MAX);
    if (left > job->highLeft) InterlockedExchange(&job->highLeft, left);
    if (right > job->highRight) InterlockedExchange(&job->highRight, right);
}

void cRecSourceSearchWnd::UseOffered() {
    if (accepting_) return;
    accepting_ = true;
    if (offeredDevice_ >= 0 && offeredInput_ >= 0) {
        // The host selects on threads of its own, in no fixed order: the
        // input only once the device has been taken (status 76), or it lands
        // on the device that was selected before.
        StatusFlags& flags = GetStatusFlags();
        InterlockedExchange(&flags.wizardAck2, 0);
        dlgs::Callback(CODE_SELECT_DEVICE, offeredDevice_ + 1, nullptr);
        const DWORD bound = g_timing.replyWaitMs, start = GetTickCount();
        while (!flags.wizardAck2 && GetTickCount() - start < bound) dlgs::PumpFor(kPollMs);
        if (!flags.wizardAck2) DebugLog(DL_WAR, "cRecSourceSearchWnd device %d not confirmed", offeredDevice_ + 1);
        dlgs::Callback(CODE_SELECT_INPUT, offeredInput_ + 1, nullptr);
        SetResult(1);
    }
    Close();
}

void cRecSourceSearchWnd::OnButton(unsigned long id) {
    switch (id) {
    case BUTTON_NEXT:
        if (step_ == STEP_PREPARE) {
            EnterStep(STEP_SEARCHING);
            const bool underWay = job_ && !job_->done;
            if (!underWay && !StartSearch()) EnterStep(STEP_NOTHING);
        } else {
            Close();
        }
        break;
    case BUTTON_USE: UseOffered(); break;
    case BUTTON_DONT_USE: Close(); break;
    case BUTTON_HELP: {
        cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
        HWND parent = nav && nav->GetWindow() ? nav->GetWindow() : GetParentWindow();
        cElementHost* owner = nav && nav->GetWindow() ? static_cast<cElementHost*>(nav) : owner_;
        dlgs::Openers().hint(dlgs::HINT_SEARCH_FAILED, owner, parent, res_);
        break;
    }
    default: break;
    }
}

void cRecSourceSearchWnd::Close() {
    // The search winds down while the modal loop ends; the destructor waits.
    if (job_) InterlockedExchange(&job_->stop, 1);
    DestroyPopupWindow();
}

LRESULT CALLBACK cRecSourceSearchWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cRecSourceSearchWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return CallWindowProcA(&PopupProc, hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_START_SEARCH:
        self->StartSearch();
        return 0;
    case WM_FK_PEAK_LEVEL:
        self->OnPeakLevel(static_cast<int>(wParam), static_cast<int>(lParam));
        return 0;
    case WM_SEARCH_DONE:
        self->OnSearchDone();
        return 0;
    case WM_MEASURE_START:
        self->OnMeasureStart(static_cast<LONG>(wParam));
        return 0;
    default:
        return dlgs::SmallPopupProc<cRecSourceSearchWnd>(hwnd, msg, wParam, lParam, &PopupProc);
    }
}

void cRecSourceSearchWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    ClearScreen();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const int w = WIDTH, h = HEIGHT;
    HFONT titleFont = res_ ? res_->GetFont(0) : nullptr;
    HFONT bodyFont = res_ ? res_->GetFont(1) : nullptr;

    // What the search is at, as its thread last set it.
    char device[NAME_SIZE] = {}, input[NAME_SIZE] = {};
    if (step_ == STEP_SEARCHING && job_) {
        bk::ScopedLock hold(job_->lock);
        bk::TextCopy(device, job_->device);
        bk::TextCopy(input, job_->input);
    } else {
        bk::TextCopy(device, device_);
        bk::TextCopy(input, input_);
    }

    unsigned titleId = step_ == STEP_PREPARE ? TXT_STEP1_TITLE : step_ == STEP_SEARCHING ? TXT_STEP2_TITLE : TXT_STEP3_TITLE;
    char text[TEXT_SIZE] = {};
    dlgs::Text(titleId, text, sizeof text);
    {
        bk::ScopedSelect font(dc, titleFont);
        RECT r = {6, 35, w - 6, 55};
        dlgs::DrawLabel(dc, text, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    char body[TEXT_SIZE + 2 * NAME_SIZE] = {};
    switch (step_) {
    case STEP_PREPARE: dlgs::Text(TXT_PREPARE, body, TEXT_SIZE); break;
    case STEP_SEARCHING:
    case STEP_FOUND:
        dlgs::Text(step_ == STEP_SEARCHING ? TXT_SEARCHING : TXT_FOUND, text, sizeof text);
        FormatNames(body, sizeof body, text, device, input);
        break;
    default: dlgs::Text(TXT_NOTHING, body, TEXT_SIZE); break;
    }
    {
        bk::ScopedSelect font(dc, bodyFont);
        // Long device names are cut rather than run into the question below.
        RECT r = {6, 60, w - 6, step_ == STEP_FOUND ? 158 : h - 40};
        DrawTextA(dc, body, -1, &r, DT_WORDBREAK | DT_WORD_ELLIPSIS | DT_NOPREFIX);
        if (step_ == STEP_SEARCHING) {
            dlgs::Text(TXT_WAIT, text, sizeof text);
            RECT wait = {6, 210, w - 6, h - 25};
            DrawTextA(dc, text, -1, &wait, DT_WORDBREAK | DT_NOPREFIX);
        }
    }
    if (step_ == STEP_FOUND) {
        // The question takes one line where the skin's font allows; the
        // note follows below it either way.
        int noteTop = 175;
        {
            bk::ScopedSelect font(dc, titleFont);
            dlgs::Text(TXT_USE_QUESTION, text, sizeof text);
            RECT r = {6, 160, w - 6, h - 25};
            RECT need = r;
            DrawTextA(dc, text, -1, &need, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
            DrawTextA(dc, text, -1, &r, DT_WORDBREAK | DT_NOPREFIX);
            if (need.bottom > noteTop) noteTop = need.bottom;
        }
        bk::ScopedSelect font(dc, bodyFont);
        SetTextColor(dc, RGB(99, 109, 99));
        dlgs::Text(TXT_CHANGE_LATER, text, sizeof text);
        RECT r = {6, noteTop, w - 6, h - 25};
        DrawTextA(dc, text, -1, &r, DT_WORDBREAK | DT_NOPREFIX);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    cPopUpWnd::OnPaint(dc, ps);
}

void OpenRecSourceSearch(cElementHost* owner, HWND parent, cResourceManager* res) {
    auto* wnd = new cRecSourceSearchWnd(owner, parent, res);
    wnd->RunMessageLoop();
    delete wnd;
}
