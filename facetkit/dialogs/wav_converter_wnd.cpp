#include "wav_converter_wnd.h"

#include <commdlg.h>

#include <cctype>
#include <cstring>
#include <initializer_list>

#include "../../tunerdeck/core/settings_interface.h"
#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "popup_paint.h"
#include "dialogs_b_strings.h"
#include "element_host.h"
#include "fill_bars.h"
#include "mp3_quality_wnd.h"
#include "profile_editors.h"
#include "registry.h"
#include "resource_manager.h"
#include "textutil.h"
#include "window_binding.h"
#include "win_handles.h"
#include "wnd_button.h"

namespace {

enum { SPRITE_TITLE = 354, SPRITE_QUALITY = 406, SPRITE_HELP = 286, SPRITE_OK = 187, SPRITE_CANCEL = 226 };
enum { SPRITE_BROWSE = 264 };
enum {
    TXT_SELECT_DIR = 61, TXT_STEREO = 465, TXT_JOINT = 466, TXT_SELECT_WAV = 529, TXT_TYPE_NAME = 530,
    TXT_LOCATION = 531, TXT_QUALITY = 532, TXT_QUALITY_LINE = 533, TXT_CONVERTS = 534, TXT_INTO = 535,
    TXT_SUCCESS = 536, TXT_ABORTED = 537, TXT_PROGRESS = 538, TXT_PERCENT = 539, TXT_NOT_FOUND = 591,
    TXT_UNREADABLE = 592, TXT_BAD_CHARACTERS = 593,
};
enum { CODE_HELP = 10, CODE_CONVERT = 62, CODE_STOP = 63 };
const UINT_PTR kStopTimer = 5523;
const COLORREF kMissingRed = RGB(204, 51, 51);

bool SystemFileChooser(const char* title, const char* firstFolder, char* out, int size) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "WAV (*.wav)\0*.wav\0";
    ofn.lpstrFile = out;
    ofn.nMaxFile = static_cast<DWORD>(size);
    ofn.lpstrTitle = title;
    ofn.lpstrInitialDir = firstFolder;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&ofn) != 0;
}
cWavConverterWnd::FileChooser g_fileChooser = &SystemFileChooser;

const char* AfterLastBackslash(const char* path) {
    const char* slash = strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

}  // namespace

namespace convert {

NameCheck CheckMp3Name(const char* name) {
    if (!name) return NAME_FORBIDDEN_CHARACTER;
    if (strpbrk(name, "/\\:*?\"<>|")) return NAME_FORBIDDEN_CHARACTER;
    return IsDeviceName(name) ? NAME_RESERVED : NAME_OK;
}

bool BuildMp3Path(const char* folder, const char* name, char* out, int size) {
    if (!out || size <= 0) return false;
    out[0] = 0;
    const size_t n = static_cast<size_t>(size);
    bool ok = bk::TextCopy(out, n, folder ? folder : "");
    const size_t len = strlen(out);
    if (len && out[len - 1] != '\\' && out[len - 1] != '/') ok = ok && bk::TextAppend(out, n, "\\");
    ok = ok && bk::TextAppend(out, n, name ? name : "") && bk::TextAppend(out, n, ".mp3");
    if (!ok) out[0] = 0;
    return ok;
}

void ProposeFromWav(const char* wavPath, char* name, int nameSize, char* folder, int folderSize) {
    char path[1024] = {};
    bk::TextCopy(path, wavPath ? wavPath : "");
    char* slash = strrchr(path, '\\');
    const char* file = path;
    if (slash) {
        *slash = 0;
        file = slash + 1;
    }
    if (name && nameSize > 0) {
        bk::TextCopy(name, static_cast<size_t>(nameSize), file);
        if (char* dot = strrchr(name, '.')) *dot = 0;
    }
    if (folder && folderSize > 0) bk::TextCopy(folder, static_cast<size_t>(folderSize), slash ? path : "");
}

}  // namespace convert

void cWavConverterWnd::SetFileChooser(FileChooser chooser) { g_fileChooser = chooser ? chooser : &SystemFileChooser; }

cWavConverterWnd::cWavConverterWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), progress_(nullptr), state_(STATE_INPUT), percent_(0),
      aborted_(0), missing_{}, chooserOpen_(false), stopRequested_(false), rateText_{}, channelText_{},
      vbrText_{}, qualityLine_{}, order_{}, white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    // Handles are 32-bit values on every Windows; the record carries the low word.
    order_.notifyWindow = static_cast<int32_t>(reinterpret_cast<intptr_t>(hwnd));
    ReadQuality();
    if (!hwnd) return;
    PreparePopup(this, &cWavConverterWnd::ConverterProc, WIDTH, HEIGHT, SPRITE_TITLE);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    ::ShowWindow(hwnd, SW_SHOW);

    if (cWndButton* q = AddPopupButton(this, owner_, res_, BUTTON_MP3_QUALITY, SPRITE_QUALITY, 200, 0, 0, false))
        q->SetPos(POINT{200, 157 - q->GetGfxHeight()}, 1);
    AddPopupButton(this, owner_, res_, BUTTON_HELP, SPRITE_HELP, WIDTH - 23, 7, 0, false);
    AddPopupButton(this, owner_, res_, BUTTON_CONVERT, SPRITE_OK, 60, 215, 0, false);
    AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 143, 215, 0, false);
    cVLEditBox* wav = AddEdit(10, 57, 245, nullptr);
    if (cWndButton* b = AddPopupButton(this, owner_, res_, BUTTON_BROWSE_WAV, SPRITE_BROWSE, 0, 56, 0, false))
        b->SetPos(POINT{272 - b->GetGfxWidth(), 56}, 1);
    cVLEditBox* name = AddEdit(10, 100, 237, wav->GetWindow());
    AddEdit(10, 183, 245, name->GetWindow());
    if (cWndButton* b = AddPopupButton(this, owner_, res_, BUTTON_BROWSE_FOLDER, SPRITE_BROWSE, 0, 183, 0, false))
        b->SetPos(POINT{272 - b->GetGfxWidth(), 183}, 1);
    progress_ = new cVLProgressBar(hwnd, res_);
    progress_->SetPos(POINT{10, 173});
    progress_->SetVisible(0);
    SetFocus(wav->GetWindow());
    Invalidate();
}

cWavConverterWnd::~cWavConverterWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

cVLEditBox* cWavConverterWnd::GetEdit(int index) { return static_cast<cVLEditBox*>(edits_.GetById(index + 1)); }

cVLEditBox* cWavConverterWnd::AddEdit(int x, int y, int width, HWND behind) {
    auto* edit = new cVLEditBox(GetWindow(), res_, POINT{x, y}, SIZE{width, 16}, 2, 0);
    edit->SetId(edits_.GetAnzElement() + 1);
    edits_.Add(edit);
    PlaceBehind(edit->GetWindow(), behind);
    return edit;
}

void cWavConverterWnd::ReadQuality() {
    GetValue("MP3_Bitrate", rateText_, sizeof rateText_);
    // A stored 0 means the encoder's default as well.
    if (!rateText_[0] || strcmp(rateText_, "0") == 0) bk::TextCopy(rateText_, "128");
    char art[16] = {};
    GetValue("STEREO_ART", art, sizeof art);
    dlgs::Text(strcmp(art, "STEREO") == 0 ? TXT_STEREO : TXT_JOINT, channelText_, sizeof channelText_);
    unsigned long vbr = 0;
    GetValue("MP3_VBR", &vbr);
    bk::TextCopy(vbrText_, vbr == 1 ? ", VBR" : " ");
}

const char* cWavConverterWnd::GetQualityLine() {
    char format[128] = {};
    dlgs::Text(TXT_QUALITY_LINE, format, sizeof format);
    bk::TextFormat(qualityLine_, sizeof qualityLine_, format, rateText_, channelText_, vbrText_);
    return qualityLine_;
}

void cWavConverterWnd::Tell(unsigned textId, bool own, const char* argument) {
    char format[1024] = {}, text[2200] = {};
    if (own)
        dlgs::OwnText(textId, format, sizeof format);
    else
        dlgs::Text(textId, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, argument ? argument : "");
    // The catalogue's texts carry mark-up; the library's own are plain.
    if (own)
        dlgs::Notice(owner_, GetWindow(), res_, text);
    else
        dlgs::MarkupNotice(owner_, GetWindow(), res_, text);
}

void cWavConverterWnd::OnChooseWav() {
    if (chooserOpen_) return;
    chooserOpen_ = true;
    char title[256] = {}, path[1024] = {};
    dlgs::Text(TXT_SELECT_WAV, title, sizeof title);
    cSettingsInterface* host = dlgs::Host();
    if (g_fileChooser(title, host ? host->GetRecordingDir() : nullptr, path, sizeof path)) {
        if (cVLEditBox* e = GetEdit(EDIT_WAV)) e->SetText(path);
        char name[1024] = {}, folder[1024] = {}, current[cVLEditBox::TEXT_LIMIT] = {};
        convert::ProposeFromWav(path, name, sizeof name, folder, sizeof folder);
        cVLEditBox* nameEdit = GetEdit(EDIT_NAME);
        if (nameEdit && nameEdit->GetText(current, sizeof current) >= 0 && !current[0]) nameEdit->SetText(name);
        current[0] = 0;
        cVLEditBox* folderEdit = GetEdit(EDIT_FOLDER);
        if (folderEdit && folderEdit->GetText(current, sizeof current) >= 0 && !current[0] && folder[0])
            folderEdit->SetText(folder);
    }
    chooserOpen_ = false;
    Invalidate();
}

void cWavConverterWnd::OnChooseFolder() {
    if (chooserOpen_) return;
    chooserOpen_ = true;
    char title[256] = {}, folder[MAX_PATH] = {};
    dlgs::Text(TXT_SELECT_DIR, title, sizeof title);
    if (dlgs::ChooseFolder(GetWindow(), title, folder, sizeof folder))
        if (cVLEditBox* e = GetEdit(EDIT_FOLDER)) e->SetText(folder);
    chooserOpen_ = false;
    Invalidate();
}

void cWavConverterWnd::OnMp3Quality() {
    auto* editor = new cMp3QualityWnd(owner_, GetWindow(), res_);
    editor->MessageLoop();
    delete editor;
    ReadQuality();
    Invalidate();
}

void cWavConverterWnd::OnConvert() {
    if (chooserOpen_ || state_ != STATE_INPUT) return;
    stopRequested_ = false;
    char wav[1024] = {}, folder[1024] = {}, name[1024] = {};
    char* fields[3] = {wav, name, folder};
    bool missing = false;
    for (int i = 0; i < 3; ++i) {
        if (cVLEditBox* e = GetEdit(i)) e->GetText(fields[i], 1024);
        missing_[i] = fields[i][0] ? 0 : 1;
        missing = missing || missing_[i];
    }
    if (missing) {
        Invalidate();
        return;
    }
    bk::ScopedFile file(CreateFileA(wav, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        Tell(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TXT_NOT_FOUND : TXT_UNREADABLE, false,
             wav);
        return;
    }
    file.Reset();
    switch (convert::CheckMp3Name(name)) {
    case convert::NAME_FORBIDDEN_CHARACTER: Tell(TXT_BAD_CHARACTERS, false, nullptr); return;
    case convert::NAME_RESERVED: Tell(DLG_TEXT_RESERVED_NAME, true, name); return;
    default: break;
    }
    char mp3[1024] = {};
    if (!convert::BuildMp3Path(folder, name, mp3, sizeof mp3)) {
        Tell(TXT_BAD_CHARACTERS, false, nullptr);
        return;
    }
    char fullWav[MAX_PATH * 4] = {}, fullMp3[MAX_PATH * 4] = {};
    GetFullPathNameA(wav, sizeof fullWav, fullWav, nullptr);
    GetFullPathNameA(mp3, sizeof fullMp3, fullMp3, nullptr);
    if (_stricmp(fullWav, fullMp3) == 0) {
        Tell(DLG_TEXT_SAME_FILE, true, mp3);
        return;
    }
    CreateDirectoryA(folder, nullptr);
    if (GetFileAttributesA(mp3) != INVALID_FILE_ATTRIBUTES) {
        // A stopped conversion deletes its output: never over an older file unasked.
        char format[512] = {}, text[1600] = {};
        dlgs::OwnText(DLG_TEXT_MP3_EXISTS, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, mp3);
        if (!dlgs::ProfileHooks().confirm(owner_, GetWindow(), res_, text)) return;
    }
    state_ = STATE_CONVERTING;
    bk::TextCopy(order_.wavPath, wav);
    bk::TextCopy(order_.mp3Path, mp3);
    order_.lastWParam = 0;
    order_.lastLParam = 0;
    for (int id : {BUTTON_CONVERT, BUTTON_BROWSE_WAV, BUTTON_BROWSE_FOLDER, BUTTON_MP3_QUALITY})
        if (auto* b = static_cast<cWndButton*>(GetButtonList()->GetById(id))) b->SetVisible(0);
    for (int i = 0; i < 3; ++i)
        if (cVLEditBox* e = GetEdit(i)) e->SetVisible(0);
    if (auto* cancel = static_cast<cWndButton*>(GetButtonList()->GetById(BUTTON_CANCEL))) {
        cancel->SetPos(POINT{(WIDTH - cancel->GetGfxWidth()) / 2, 215}, 1);
        cancel->SetId(BUTTON_STOP);
    }
    if (progress_) progress_->SetVisible(1);
    dlgs::Callback(CODE_CONVERT, 0, &order_);
    Invalidate();
}

void cWavConverterWnd::OnStop() {
    if (state_ != STATE_CONVERTING || stopRequested_) return;
    stopRequested_ = true;
    dlgs::Callback(CODE_STOP, 0, nullptr);
    // A worker that never answers must not leave the user with only a stop button.
    SetTimer(GetWindow(), kStopTimer, STOP_WAIT_MS, nullptr);
}

void cWavConverterWnd::Finish(bool aborted) {
    aborted_ = aborted ? 1 : 0;
    state_ = STATE_FINISHED;
    KillTimer(GetWindow(), kStopTimer);
    if (auto* b = static_cast<cWndButton*>(GetButtonList()->GetById(BUTTON_STOP))) {
        b->SetPos(POINT{(WIDTH - b->GetGfxWidth()) / 2, 215}, 1);
        b->SetId(BUTTON_CLOSE);
    }
}

void cWavConverterWnd::OnProgress(WPARAM wParam, LPARAM lParam) {
    // Late or stray reports after the end change nothing.
    if (state_ != STATE_CONVERTING) return;
    if (wParam == 0 && lParam == 0) {
        Finish(true);
    } else if (lParam >= 0 && lParam <= 100) {
        if (progress_) progress_->SetBufferPos(100, static_cast<int>(lParam));
        if (lParam == 100)
            Finish(false);
        else
            percent_ = static_cast<int>(lParam);
    }
    Invalidate();
}

void cWavConverterWnd::Close() {
    if (state_ == STATE_CONVERTING && !stopRequested_ && GetWindow()) {
        stopRequested_ = true;
        dlgs::Callback(CODE_STOP, 0, nullptr);
    }
    edits_.Delete();
    delete progress_;
    progress_ = nullptr;
    DestroyPopupWindow();
}

LRESULT CALLBACK cWavConverterWnd::ConverterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cWavConverterWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SKIN_BUTTON_PRESSED:
        switch (lParam) {
        case BUTTON_BROWSE_WAV: self->OnChooseWav(); break;
        case BUTTON_BROWSE_FOLDER: self->OnChooseFolder(); break;
        case BUTTON_MP3_QUALITY: self->OnMp3Quality(); break;
        case BUTTON_CONVERT: self->OnConvert(); break;
        case BUTTON_STOP: self->OnStop(); break;
        case BUTTON_HELP: dlgs::Callback(CODE_HELP, 0, const_cast<char*>("wavkonverter.htm")); break;
        case BUTTON_CANCEL:
            if (self->state_ == STATE_INPUT && !self->chooserOpen_) self->Close();
            break;
        case BUTTON_CLOSE:
            if (self->state_ == STATE_FINISHED && !self->chooserOpen_) self->Close();
            break;
        default: break;
        }
        return 0;
    case td::kConvertProgressMessage: self->OnProgress(wParam, lParam); return 0;
    case WM_TIMER:
        if (wParam == kStopTimer) {
            if (self->state_ == STATE_CONVERTING) self->Finish(true);
            KillTimer(hwnd, kStopTimer);
            self->Invalidate();
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return dlgs::WhiteControl(wParam, self->white_);
    case WM_WINDOWPOSCHANGED: return DefWindowProcA(hwnd, msg, wParam, lParam);
    default: break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cWavConverterWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    cPopUpWnd::OnPaint(dc, ps);
    SetBkMode(dc, TRANSPARENT);
    auto draw = [&](const char* text, int font, RECT r, COLORREF colour, UINT extra) {
        HFONT f = res_ ? res_->GetFont(font) : nullptr;
        HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
        SetTextColor(dc, colour);
        dlgs::DrawLabel(dc, text, &r, DT_SINGLELINE | DT_NOPREFIX | extra);
        if (old) SelectObject(dc, old);
    };
    auto drawText = [&](unsigned id, int font, RECT r, COLORREF colour) {
        char text[512] = {};
        dlgs::Text(id, text, sizeof text);
        draw(text, font, r, colour, 0);
    };
    const COLORREF black = RGB(0, 0, 0);
    if (state_ == STATE_INPUT) {
        drawText(TXT_SELECT_WAV, 0, RECT{10, 39, 290, 54}, missing_[EDIT_WAV] ? kMissingRed : black);
        drawText(TXT_TYPE_NAME, 0, RECT{10, 83, 290, 98}, missing_[EDIT_NAME] ? kMissingRed : black);
        drawText(TXT_LOCATION, 0, RECT{10, 166, 290, 181}, missing_[EDIT_FOLDER] ? kMissingRed : black);
        drawText(TXT_QUALITY, 0, RECT{10, 128, 290, 143}, black);
        draw(GetQualityLine(), 1, RECT{10, 143, 290, 158}, black, 0);
        draw(".mp3", 1, RECT{250, 101, 300, 116}, black, 0);
        for (cListElement* e = edits_.First(); e; e = e->Next()) static_cast<cVLEditBox*>(e)->Show(dc);
        return;
    }
    char line[1200] = {}, format[256] = {};
    drawText(TXT_CONVERTS, 0, RECT{10, 39, 250, 54}, black);
    draw(AfterLastBackslash(order_.wavPath), 1, RECT{10, 56, 280, 71}, black, DT_END_ELLIPSIS);
    dlgs::Text(TXT_INTO, format, sizeof format);
    bk::TextFormat(line, sizeof line, format, AfterLastBackslash(order_.mp3Path));
    draw(line, 1, RECT{10, 71, 280, 86}, black, DT_END_ELLIPSIS);
    drawText(TXT_QUALITY, 0, RECT{10, 99, 280, 114}, black);
    draw(GetQualityLine(), 1, RECT{10, 116, 280, 131}, black, 0);
    if (state_ == STATE_FINISHED) {
        drawText(aborted_ ? TXT_ABORTED : TXT_SUCCESS, 0, RECT{10, 156, 240, 171}, black);
    } else {
        drawText(TXT_PROGRESS, 0, RECT{10, 156, 240, 171}, black);
        dlgs::Text(TXT_PERCENT, format, sizeof format);
        bk::TextFormat(line, sizeof line, format, percent_);
        draw(line, 1, RECT{66, 156, 296, 171}, black, 0);
    }
}
