// Tells the user that a recording was saved, with its file name, folder and
// number of pieces, and offers OK, saving it under another name or place,
// or deleting it. Result 1 keeps the recording, 0 asks for its deletion
// (the caller confirms and deletes).
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "popup_wnd.h"

class cElementHost;
class cResourceManager;
struct RecordingStartRecord;

class FACETKIT_API cRecordSavedWnd : public cPopUpWnd {
public:
    enum { WIDTH = 370, HEIGHT = 215, PATH_SIZE = 1024 };
    enum { BUTTON_OK = 187, BUTTON_SAVE_AS = 312, BUTTON_DELETE = 313 };

    // What the save-file question is asked with; `path` holds the proposal
    // and receives the choice. False when the user cancelled.
    struct SaveRequest {
        const char* filter;             // double-NUL list, or null
        const char* title;
        const char* defaultExtension;
        char* path;
        int size;
    };
    typedef bool (*SaveChooser)(const SaveRequest& request);
    // A test may answer the question instead of the system's dialog.
    static void SetSaveChooser(SaveChooser chooser);

    cRecordSavedWnd(cElementHost* owner, HWND parent, cResourceManager* res);
    ~cRecordSavedWnd() override;

    void SetRecording(const RecordingStartRecord* record);
    void OnPaint(HDC dc, PAINTSTRUCT& ps) override;
    void SaveAs();
    void Close();

    const char* GetFolder() const { return folder_; }
    const char* GetFileName() const { return name_; }
    int GetPieces() const { return pieces_; }

    // A skinned button was pressed.
    void OnButton(unsigned long id);
    HBRUSH WhiteBrush() const { return white_; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    cElementHost* owner_;
    cResourceManager* res_;
    int pieces_;
    char folder_[PATH_SIZE];
    char name_[PATH_SIZE];
    HBRUSH white_;
};

// The file type a recorded file is offered as: its filter (double-NUL list,
// null for none) and its default extension (the path's last three
// characters).
struct RecordedFileType {
    const char* filter;
    char extension[4];
};
FACETKIT_API RecordedFileType RecordedFileTypeOf(const char* path);

// Runs the pop-up modally over the main window for a finished recording.
FACETKIT_API int OpenRecordSaved(RecordingStartRecord* record);
