// What the dialogs' tests share: the standard skin's resources, a recording
// host interface and host callback plugged into the library, the notices
// the dialogs would show, a bounded modal run, clicks as the buttons send
// them, and registry values put back after the test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "../facetkit_fixtures.h"
#include "../skin_wnd_fixture.h"
#include "bounded_text.h"
#include "button_list.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "library_state.h"
#include "popup_wnd.h"
#include "recording_host.h"
#include "registry.h"
#include "resource_manager.h"
#include "tdtest.h"
#include "win_handles.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace dlgtest {

struct HostCall {
    int code;
    int ch;
    std::string text;
};

// The calls the library made to the host, and what the fake host does for
// the codes the dialogs wait on.
inline std::vector<HostCall>& Calls() {
    static std::vector<HostCall> calls;
    return calls;
}
inline RecordingHost*& CurrentHost() {
    static RecordingHost* host = nullptr;
    return host;
}
inline int RecordCall(int code, int ch, void* text) {
    Calls().push_back({code, ch, text ? static_cast<const char*>(text) : ""});
    RecordingHost* host = CurrentHost();
    if (code == 78 && host) {
        // The host's proxy detection.
        host->m_ProxyHost = "proxy.example";
        host->m_ProxyPort = "3128";
        host->m_ProxyEnabled = 1;
    }
    return 0;
}
inline std::vector<HostCall> CallsWithCode(int code) {
    std::vector<HostCall> out;
    for (const HostCall& c : Calls())
        if (c.code == code) out.push_back(c);
    return out;
}

inline std::vector<std::string>& Notices() {
    static std::vector<std::string> notices;
    return notices;
}
inline void TakeNotice(const char* text) { Notices().push_back(text); }

// The navigator's recording-list replies as a test scripts them.
struct ScriptedLists {
    std::string inputs;
    std::string devices;
    std::vector<int> pending;
};
inline ScriptedLists& Lists() {
    static ScriptedLists lists;
    return lists;
}
inline void MarkPending(int which) { Lists().pending.push_back(which); }
inline bool WaitList(int which, char* out, int size, DWORD, const volatile LONG*) {
    const std::string& text = which == dlgs::REPLY_INPUTS ? Lists().inputs : Lists().devices;
    bk::TextCopy(out, static_cast<size_t>(size), text.c_str());
    return !text.empty();
}

// Sets a value under the player's settings key for the test and puts the
// previous one back (or removes it) afterwards.
class ScopedValue {
public:
    ScopedValue(const char* name, const char* value) : name_(name) {
        char old[1024] = {};
        GetValue(name, old, sizeof old);
        old_ = old;
        hadOld_ = old[0] != 0;
        SetValue(name, value);
    }
    ~ScopedValue() { SetValue(name_.c_str(), hadOld_ ? old_.c_str() : nullptr); }

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// A skin window (1 main, 6 navigator) in the library's window list holding
// one element, taken out of the list again when the test ends.
class ScopedSkinWindow {
public:
    ScopedSkinWindow(unsigned long windowId, unsigned long elementId, cResourceManager* res)
        : wnd_(new fk::TestSkinWnd(windowId, 0, 0, 50, 50)) {
        wnd_->GetButtonList()->AddWndButton(wnd_, res, elementId, POINT{0, 0}, elementId, 0, nullptr, 0);
    }
    ~ScopedSkinWindow() {
        GetWindowList().RemoveWithoutDelete(wnd_);
        HWND hwnd = wnd_->GetWindow();
        delete wnd_;
        if (hwnd) DestroyWindow(hwnd);
    }
    ScopedSkinWindow(const ScopedSkinWindow&) = delete;
    ScopedSkinWindow& operator=(const ScopedSkinWindow&) = delete;

private:
    fk::TestSkinWnd* wnd_;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fk::LoadStockface(&skin_), nullptr);
        res_.reset(new cResourceManager(skin_.Get(), 0));
        host_.m_Language = 1;
        CurrentHost() = &host_;
        Library().host = &host_;
        Library().callback = &RecordCall;
        Calls().clear();
        Notices().clear();
        Lists() = ScriptedLists();
        dlgs::SetNoticeSink(&TakeNotice);
        dlgs::SetRecListReplies(dlgs::RecListReplies{&MarkPending, &WaitList});
    }
    void TearDown() override {
        fk::PumpPasses();
        dlgs::SetNoticeSink(nullptr);
        dlgs::SetRecListReplies(dlgs::RecListReplies{nullptr, nullptr});
        Library().host = nullptr;
        Library().callback = nullptr;
        CurrentHost() = nullptr;
        res_.reset();
    }

    // A press as the button sends it; check boxes change state first, as a
    // click on them does.
    static void Click(cPopUpWnd* popup, unsigned long id) {
        auto* b = dynamic_cast<cWndButton*>(popup->GetButtonList()->GetById(id));
        ASSERT_NE(b, nullptr) << "element " << id;
        b->Invoke();
        fk::PumpPasses(2);
    }
    static void Post(cPopUpWnd* popup, unsigned long id) {
        PostMessageA(popup->GetWindow(), WM_USER + 119, 0, static_cast<LPARAM>(id));
        fk::PumpPasses(2);
    }
    static int Status(cPopUpWnd* popup, unsigned long id) {
        auto* b = dynamic_cast<cWndButton*>(popup->GetButtonList()->GetById(id));
        return b ? b->GetStatus() : -1;
    }
    static bool Has(cPopUpWnd* popup, unsigned long id) { return popup->GetButtonList()->GetById(id) != nullptr; }
    // Chooses a list entry as the user does: the list tells its parent.
    static void Choose(cSkinComboBox* list, int index) {
        ASSERT_NE(list, nullptr);
        SendMessageA(list->GetWindow(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageA(list->GetParentWindow(), WM_SKIN_COMBO_SELCHANGE, reinterpret_cast<WPARAM>(list->GetWindow()), 0);
        fk::PumpPasses(2);
    }
    // Typing into an emptied field, one keystroke per character, so the
    // field and its pop-up see what they see from the keyboard.
    static void Type(cVLEditBox* field, const char* text) {
        ASSERT_NE(field, nullptr);
        SetWindowTextA(field->GetWindow(), "");
        for (const char* p = text; *p; ++p)
            SendMessageA(field->GetWindow(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*p)), 1);
        fk::PumpPasses(1);
    }
    static std::string TextOf(cVLEditBox* field) {
        char text[260] = {};
        if (field) field->GetText(text, sizeof text);
        return text;
    }
    static std::string TextOf(cSkinComboBox* list) {
        char text[260] = {};
        if (list) list->GetText(text, sizeof text);
        return text;
    }
    // Runs the pop-up's modal loop; a pop-up still open after `ms` is closed
    // so a fault cannot hold the test program.
    static bool RunModal(cPopUpWnd* popup, DWORD ms = 5000) {
        HWND hwnd = popup->GetWindow();
        if (!hwnd) return true;
        Watched() = hwnd;
        Expired() = false;
        UINT_PTR timer = SetTimer(nullptr, 0, ms, &DialogTest::OnWatchdog);
        popup->MessageLoop();
        KillTimer(nullptr, timer);
        return !Expired();
    }
    static HWND& Watched() {
        static HWND watched = nullptr;
        return watched;
    }
    static bool& Expired() {
        static bool expired = false;
        return expired;
    }
    static void CALLBACK OnWatchdog(HWND, UINT, UINT_PTR, DWORD) {
        if (IsWindow(Watched())) {
            Expired() = true;
            DestroyWindow(Watched());
        }
    }
    static void Screenshot(cPopUpWnd* popup, const std::string& name) {
        RedrawWindow(popup->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        fk::PumpPasses();
        EXPECT_TRUE(tdtest::SaveWindowPng(popup->GetWindow(), tdtest::ArtifactDir() + "\\" + name + ".png")) << name;
    }

    bk::ScopedModule skin_;
    std::unique_ptr<cResourceManager> res_;
    RecordingHost host_;
};

}  // namespace dlgtest
