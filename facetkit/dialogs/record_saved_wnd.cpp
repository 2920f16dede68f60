#include "record_saved_wnd.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "dialogs_b_strings.h"
#include "popup_paint.h"
#include "recording_record.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "small_popup.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {
enum { SPRITE_TITLE = 314 };
enum { TXT_SAVED = 23, TXT_FILE_NAME = 24, TXT_LOCATION = 25, TXT_SAVE_AS_TITLE = 373, TXT_FILES = 527 };
enum { LEFT = 7, RIGHT = 363, BUTTON_GAP = 15, BUTTON_BOTTOM = 200 };

bool SystemSaveChooser(const cRecordSavedWnd::SaveRequest& request) {
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = request.filter;
    ofn.lpstrFile = request.path;
    ofn.nMaxFile = static_cast<DWORD>(request.size);
    ofn.lpstrTitle = request.title;
    ofn.lpstrDefExt = request.defaultExtension;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    return GetSaveFileNameA(&ofn) != 0;
}
cRecordSavedWnd::SaveChooser g_chooser = &SystemSaveChooser;

void DrawLine(HDC dc, cResourceManager* res, int font, const char* text, int top, UINT align) {
    HFONT f = res ? res->GetFont(font) : nullptr;
    HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
    RECT r = {LEFT, top, RIGHT, top + 15};
    dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE | align);
    if (old) SelectObject(dc, old);
}

void DrawCatalogueLine(HDC dc, cResourceManager* res, int font, unsigned id, int top, UINT align) {
    char text[500] = {};
    dlgs::Text(id, text, sizeof text);
    DrawLine(dc, res, font, text, top, align);
}
}  // namespace

RecordedFileType RecordedFileTypeOf(const char* path) {
    RecordedFileType type = {nullptr, {}};
    if (!path) return type;
    // The tests are plain substring tests, in this order: a name holding
    // both gets the MP3 filter.
    if (strstr(path, ".mp3"))
        type.filter = "MP3 (*.mp3)\0*.mp3\0";
    else if (strstr(path, ".wav"))
        type.filter = "WAV (*.wav)\0*.wav\0";
    const size_t n = strlen(path);
    bk::TextCopy(type.extension, sizeof type.extension, n >= 3 ? path + n - 3 : path);
    return type;
}

void cRecordSavedWnd::SetSaveChooser(SaveChooser chooser) { g_chooser = chooser ? chooser : &SystemSaveChooser; }

cRecordSavedWnd::cRecordSavedWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), pieces_(0), folder_{}, name_{},
      white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    // Only the delete button discards the recording; any other way out
    // (the window closed, gone with its owner) keeps it.
    SetResult(1);
    PreparePopup(this, &cRecordSavedWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    int x = 55;
    for (unsigned long id : {BUTTON_OK, BUTTON_SAVE_AS, BUTTON_DELETE}) {
        cWndButton* b = AddPopupButton(this, owner_, res_, id, id, x, 10, 0, false);
        if (!b) continue;
        b->SetPos(POINT{x, BUTTON_BOTTOM - b->GetGfxHeight()}, 1);
        x += b->GetGfxWidth() + BUTTON_GAP;
    }
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    Invalidate();
}

cRecordSavedWnd::~cRecordSavedWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

void cRecordSavedWnd::SetRecording(const RecordingStartRecord* record) {
    folder_[0] = name_[0] = 0;
    pieces_ = 0;
    if (!record) return;
    pieces_ = record->pieceCount;
    char path[PATH_SIZE] = {};
    // The record comes from another module: its text is taken only up to
    // the field's end.
    bk::TextCopy(path, sizeof path, std::string(record->name, strnlen(record->name, sizeof record->name)).c_str());
    const char* slash = strrchr(path, '\\');
    if (!slash) {
        bk::TextCopy(folder_, sizeof folder_, path);
        bk::TextCopy(name_, sizeof name_, path);
    } else {
        bk::TextCopy(name_, sizeof name_, slash + 1);
        bk::TextCopy(folder_, sizeof folder_, std::string(path, static_cast<size_t>(slash - path)).c_str());
    }
    // What it says as the window's own text too, for screen readers and
    // tests acting as the user.
    char saved[500] = {}, fileLabel[500] = {}, locationLabel[500] = {};
    dlgs::Text(TXT_SAVED, saved, sizeof saved);
    dlgs::Text(TXT_FILE_NAME, fileLabel, sizeof fileLabel);
    dlgs::Text(TXT_LOCATION, locationLabel, sizeof locationLabel);
    char text[sizeof saved + sizeof fileLabel + sizeof locationLabel + 2 * PATH_SIZE + 8];
    bk::TextFormat(text, sizeof text, "%s\n%s %s\n%s %s", saved, fileLabel, name_, locationLabel, folder_);
    if (GetWindow()) SetWindowTextA(GetWindow(), text);
    Invalidate();
}

void cRecordSavedWnd::SaveAs() {
    char source[PATH_SIZE] = {};
    if (strcmp(folder_, name_) == 0)
        bk::TextCopy(source, sizeof source, name_);
    else
        bk::TextFormat(source, sizeof source, "%s\\%s", folder_, name_);
    const RecordedFileType type = RecordedFileTypeOf(source);
    char title[500] = {};
    dlgs::Text(TXT_SAVE_AS_TITLE, title, sizeof title);
    char chosen[PATH_SIZE] = {};
    bk::TextCopy(chosen, sizeof chosen, source);

    HWND hwnd = GetWindow();
    ::ShowWindow(hwnd, SW_HIDE);
    const bool confirmed = g_chooser(SaveRequest{type.filter, title, type.extension, chosen, sizeof chosen});
    if (!confirmed || !chosen[0]) {
        ::ShowWindow(hwnd, SW_SHOW);
        return;
    }
    if (_stricmp(chosen, source) != 0) {
        if (!CopyFileA(source, chosen, FALSE)) {
            // Closing now would tell the user the file is where it is not.
            ::ShowWindow(hwnd, SW_SHOW);
            char format[500] = {}, text[2600] = {};
            dlgs::OwnText(DLG_TEXT_COPY_FAILED, format, sizeof format);
            bk::TextFormat(text, sizeof text, format, chosen, source);
            dlgs::Notice(owner_, hwnd, res_, text);
            return;
        }
        DeleteFileA(source);
    }
    SetResult(1);
    Close();
}

void cRecordSavedWnd::Close() { DestroyPopupWindow(); }

void cRecordSavedWnd::OnButton(unsigned long id) {
    if (id == BUTTON_OK) {
        SetResult(1);
        Close();
    } else if (id == BUTTON_SAVE_AS) {
        SaveAs();
    } else if (id == BUTTON_DELETE) {
        SetResult(0);
        Close();
    }
}

LRESULT CALLBACK cRecordSavedWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return dlgs::SmallPopupProc<cRecordSavedWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cRecordSavedWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawCatalogueLine(dc, res_, 0, TXT_SAVED, 48, DT_CENTER);
    DrawCatalogueLine(dc, res_, 0, TXT_FILE_NAME, 78, DT_LEFT);
    int location = 123;
    if (pieces_ < 1) {
        DrawLine(dc, res_, 1, name_, 93, DT_LEFT);
    } else {
        char stem[PATH_SIZE] = {};
        bk::TextCopy(stem, sizeof stem, name_);
        if (char* dot = strrchr(stem, '.')) *dot = 0;
        DrawLine(dc, res_, 1, stem, 93, DT_LEFT);
        char format[500] = {}, text[600] = {};
        dlgs::Text(TXT_FILES, format, sizeof format);
        bk::TextFormat(text, sizeof text, format, pieces_);
        DrawLine(dc, res_, 1, text, 108, DT_LEFT);
        location = 126;
    }
    DrawCatalogueLine(dc, res_, 0, TXT_LOCATION, location, DT_LEFT);
    DrawLine(dc, res_, 1, folder_, location + 15, DT_LEFT);
    cPopUpWnd::OnPaint(dc, ps);
}

int OpenRecordSaved(RecordingStartRecord* record) {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    cRecordSavedWnd* wnd =
        new cRecordSavedWnd(main, main ? main->GetWindow() : nullptr, main ? main->GetResourceManager() : nullptr);
    wnd->SetRecording(record);
    wnd->MessageLoop();
    const int result = wnd->GetResult();
    delete wnd;
    return result;
}
