// The bodies of the content view's kinds: the header line every view has,
// the selection boxes and buttons of the table views, the recording
// overview, the station details, the skins list and the search form.
#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "fill_bars.h"
#include "library_entry.h"
#include "library_state.h"
#include "list_store.h"
#include "main_window.h"
#include "nav_view.h"
#include "nav_window.h"
#include "profiles.h"
#include "registry.h"
#include "resource_manager.h"
#include "rows_skin.h"
#include "scroll_text.h"
#include "search_criteria.h"
#include "skin_combo.h"
#include "skin_edit.h"
#include "skin_preview.h"
#include "skin_scrollbar.h"
#include "station_details.h"
#include "table_ctrl.h"
#include "text_list_panel.h"
#include "textutil.h"
#include "txtelement.h"
#include "volume_slider.h"
#include "win_handles.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

std::string Text(unsigned id, int language) {
    char text[600] = {};
    GetResourceString(nullptr, id, language, text, sizeof text);
    return text;
}

// Section names of a profile file in the user folder, in file order.
std::vector<std::string> SectionNames(const char* file) {
    std::vector<std::string> names;
    char folder[512] = {}, path[1024];
    GetValue("PathUser", folder, sizeof folder);
    if (!folder[0]) return names;
    size_t n = strlen(folder);
    bk::TextFormat(path, sizeof path, "%s%s%s", folder, folder[n - 1] == '\\' ? "" : "\\", file);
    std::vector<char> buffer(4096, 0);
    DWORD got = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), path);
    for (DWORD i = 0; i < got && buffer[i];) {
        names.emplace_back(&buffer[i]);
        i += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

bool FitsLanguage(int profileLanguage, int language) { return profileLanguage == -1 || profileLanguage == language; }

// The preview asks the view for its area and repaint; the view's own
// rectangle and window are all it needs.
class PreviewOwner : public cPreviewOwner {
public:
    PreviewOwner(HWND nav, const RECT* rect) : nav_(nav), rect_(rect) {}
    RECT GetPreviewArea() override { return *rect_; }
    cVelmoSkinData* GetPreviewSkinData() override {
        cNavWindow* nav = NavWindow();
        return nav ? nav->GetSkinData() : nullptr;
    }
    void RepaintPreviewArea() override {
        if (nav_) InvalidateRect(nav_, rect_, FALSE);
    }

private:
    HWND nav_;
    const RECT* rect_;
};

// Measures a line in the panel's font as one line of text.
struct LineMeasure {
    HDC dc;
    int width;
};
bool LineFits(void* context, const char* line) {
    auto* m = static_cast<LineMeasure*>(context);
    RECT r = {0, 0, 0, 0};
    DrawTextA(m->dc, line, -1, &r, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    return r.right - r.left <= m->width;
}

bool IsOem() { return IsOEMPlayer() != 0; }

}  // namespace

std::string NavQualityFormatLine(const char* format, const char* cut, int language) {
    char text[1200];
    bk::TextFormat(text, sizeof text, Text(526, language).c_str(), format ? format : "", cut ? cut : "");
    return text;
}

std::string NavQualityValuesLine(const char* quality, int rate, int bits, int channels, int language) {
    char text[800];
    std::string mode = Text(channels == 1 ? 63 : 62, language);
    bk::TextFormat(text, sizeof text, "%s  |  %d kHz, %d Bit, %s", quality ? quality : "", rate / 1000, bits,
                   mode.c_str());
    return text;
}

std::vector<std::string> NavQualityProfiles(int language) {
    std::vector<std::string> names;
    std::vector<char> buffer(4096, 0);
    ReadFormate(buffer.data(), static_cast<int>(buffer.size()));
    buffer.back() = 0;
    for (size_t i = 0; i < buffer.size() && buffer[i];) {
        std::string name(&buffer[i]);
        i += name.size() + 1;
        int sps = 0, bps = 0, nch = 0, lang = -1;
        GetRecQualitySettings(name.c_str(), &sps, &bps, &nch, &lang);
        if (FitsLanguage(lang, language)) names.push_back(name);
    }
    return names;
}

std::vector<std::string> NavCutProfiles(int language) {
    std::vector<std::string> names;
    for (const std::string& name : SectionNames(kSchneidenFile)) {
        int type = 0, value = 0, folder = 0, lang = -1;
        GetAutoCutSettings(name.c_str(), &type, &value, &folder, &lang);
        if (FitsLanguage(lang, language)) names.push_back(name);
    }
    return names;
}

std::string NavStreamRowText(const char* record, int language, unsigned long* streamId) {
    std::vector<std::string> fields;
    std::string all = record ? record : "";
    for (size_t start = 0;;) {
        size_t end = all.find('\x02', start);
        fields.push_back(all.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos || fields.size() == 8) break;
        start = end + 1;
    }
    if (streamId) *streamId = strtoul(fields[0].c_str(), nullptr, 10);
    // Older records hold only the format digit at the front of field 0.
    const std::string& digit = fields.size() >= 4 ? fields[3] : fields[0];
    int rate = fields.size() >= 3 ? atoi(fields[2].c_str()) : 0;
    unsigned long formatId =
        !digit.empty() && digit[0] >= '0' && digit[0] <= '9' ? static_cast<unsigned long>(digit[0] - '0') : 0xFFFFFFFFul;
    std::string format;
    bool found = false;
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        if (cListElement* e = store.List(LS_STREAM_FORMATS)->GetById(formatId)) {
            char cut[51];
            bk::TextCopy(cut, static_cast<cTxtElement*>(e)->GetText());
            format = cut;
            found = true;
        }
    }
    std::string speed = Text(rate <= 28 ? 449 : rate <= 64 ? 450 : 451, language);
    char text[300];
    if (found)
        bk::TextFormat(text, sizeof text, "%3d kbit/s - %s |  %s ", rate, speed.c_str(), format.c_str());
    else
        bk::TextFormat(text, sizeof text, "%3d kbit/s - %s | unbekannt", rate, speed.c_str());
    return text;
}

std::string NavDetailsName(const char* nameText) {
    std::string all = nameText ? nameText : "";
    size_t first = all.find('\x02');
    if (first == std::string::npos) return all;
    size_t second = all.find('\x02', first + 1);
    return all.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::string NavDetailsDescription(const char* nameText) {
    std::string all = nameText ? nameText : "";
    size_t first = all.find('\x02');
    size_t second = first == std::string::npos ? first : all.find('\x02', first + 1);
    return second == std::string::npos ? std::string() : all.substr(second + 1);
}

std::vector<std::string> NavWrapText(const std::string& text, bool (*fits)(void*, const char*), void* context) {
    std::vector<std::string> lines;
    std::string plain = text;
    for (char& c : plain)
        if (c == '\t') c = ' ';
    size_t start = 0;
    while (start <= plain.size()) {
        size_t end = plain.find_first_of("\r\n", start);
        std::string line = plain.substr(start, end == std::string::npos ? std::string::npos : end - start);
        // A CR LF pair ends one line, not two.
        if (end != std::string::npos && plain[end] == '\r' && end + 1 < plain.size() && plain[end + 1] == '\n') ++end;
        while (!line.empty()) {
            std::string part = line;
            while (!fits(context, part.c_str())) {
                size_t blank = part.find_last_of(' ');
                if (blank == std::string::npos || blank == 0) break;
                part.resize(blank);
            }
            lines.push_back(part);
            line.erase(0, part.size());
            while (!line.empty() && line[0] == ' ') line.erase(0, 1);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

std::vector<NavSkinFile> NavSkinFiles(const char* skinsFolder) {
    std::vector<NavSkinFile> skins;
    std::string folder = skinsFolder ? skinsFolder : "";
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.dll").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return skins;
    int number = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        ++number;
        MyFileInfo info = {};
        if (!GetFileVersion((folder + found.cFileName).c_str(), &info)) continue;
        info.InternalName[sizeof info.InternalName - 1] = 0;
        info.FileVersion[sizeof info.FileVersion - 1] = 0;
        if (!info.InternalName[0] && !info.FileVersion[0]) continue;
        char text[512];
        bk::TextFormat(text, sizeof text, "%s\x02\x03%s\x05%s", info.InternalName, info.FileVersion, found.cFileName);
        skins.push_back(NavSkinFile{number, text, found.cFileName});
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return skins;
}

std::vector<std::string> NavTipFilterTexts() {
    return {"alle Programmtipps", "neue Programmtipps", "Heute", "Morgen"};
}

// ------------------------------------------------------------------ elements

cResourceManager* cNavView::Resources() const {
    cNavWindow* nav = NavWindow();
    if (nav && nav->GetResourceManager()) return nav->GetResourceManager();
    return GetResourceManager();
}

cSkinComboBox* cNavView::Box(int index) const {
    return index >= 0 && index < BoxCount() ? boxes_[static_cast<size_t>(index)].get() : nullptr;
}

cWndButton* cNavView::Button(unsigned long id) const {
    for (const auto& b : buttons_)
        if (b->GetId() == id) return b.get();
    return nullptr;
}

cWndButton* cNavView::AddButton(unsigned long id, unsigned sprite, int x, int y) {
    cNavWindow* nav = NavWindow();
    cResourceManager* res = Resources();
    if (!nav || !res) return nullptr;
    buttons_.emplace_back(new cWndButton(nav, nav_, res, sprite, POINT{x, y}, id, nullptr, 0, nullptr, 0));
    cWndButton* b = buttons_.back().get();
    b->SetVisible(1);
    return b;
}

cSkinComboBox* cNavView::AddBox(int x, int y, int cx, const std::vector<std::string>& texts, int selected,
                                bool folderMenu) {
    cResourceManager* res = Resources();
    if (!res || !nav_) return nullptr;
    boxes_.emplace_back(folderMenu ? new cSkinContextMenu(nav_, res, x, y, cx, 20, 0, 0)
                                   : new cSkinComboBox(nav_, res, x, y, cx, 20, 0, 0));
    cSkinComboBox* box = boxes_.back().get();
    for (const std::string& t : texts) box->AddString(t.c_str());
    box->SetCurSel(selected);
    box->SetVisible(1);
    return box;
}

int cNavView::CurrentSelections(int* out) const {
    int n = 0;
    for (const auto& box : boxes_) {
        if (n >= cNavHistory::kSelections) break;
        int sel = box->GetCurSel();
        out[n++] = sel < 0 ? 0 : sel;
    }
    return n;
}

void cNavView::MakePanel(unsigned background) {
    cResourceManager* res = Resources();
    cNavWindow* nav = NavWindow();
    if (!res || !nav) return;
    panel_.reset(new cTextListPanel(res, background));
    panel_->SetOwner(nav);
    int barWidth = res->GetGfxWidth(20) > 0 ? res->GetGfxWidth(20) : 14;
    panel_->SetRect(rect_.left + 4, rect_.top + 27, rect_.right - 4 - barWidth, rect_.bottom - 4);
    // The visible row count follows from the height: after the rectangle.
    panel_->SetRowHeight(16);
    bar_.reset(new cScrollBar(nav_, 1, nav, res));
    bar_->SetClient(panel_.get());
    bar_->SetRect(rect_.right - 4 - barWidth, rect_.top + 27, rect_.right - 4, rect_.bottom - 4);
    if (nav_) {
        bk::ScopedGetDC dc(nav_);
        bar_->SetVisible(dc.Get(), 1);
    }
}

void cNavView::SetElementsVisible(int show) {
    hidden_ = show ? 0 : 1;
    if (table_) table_->SetVisible(show);
    if (nameBox_) nameBox_->SetVisible(show);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        // The partner edition never shows the recording overview's cut box.
        const bool keptHidden = builtKind_ == NV_RECORDING && i == 2 && IsOem();
        boxes_[i]->SetVisible(show && !keptHidden ? 1 : 0);
    }
    for (auto& b : buttons_) b->SetVisible(show);
    const bool recording = builtKind_ == NV_RECORDING;
    for (auto& m : meters_)
        if (m) m->SetVisible(show && recording ? 1 : 0);
    if (slider_) slider_->SetVisible(show && !IsWindowsVista() ? 1 : 0);
    if (bar_) bar_->ShowButtons(show);
    if (nav_) InvalidateRect(nav_, &rect_, FALSE);
}

void cNavView::DropElements() {
    hidden_ = 0;
    // The first visible row was taken before the kind changed.
    delete table_;
    table_ = nullptr;
    bar_.reset();
    panel_.reset();
    if (slider_) {
        delete slider_;
        slider_ = nullptr;
    }
    boxes_.clear();
    buttons_.clear();
    nameBox_.reset();
    for (auto& m : meters_)
        if (m) m->SetVisible(0);
}

// ------------------------------------------------------------------ header

void cNavView::BuildHeader() {
    cResourceManager* res = Resources();
    if (!res) return;
    auto height = [&](unsigned s) { return res->GetGfxHeight(s); };
    auto width = [&](unsigned s) { return res->GetGfxWidth(s); };
    // Buttons sit centred on a 12-pixel line at the top of the view.
    auto top = [&](unsigned s) { return rect_.top + (12 - height(s)) / 2 + 2; };
    int x = rect_.left + 4;
    if (cWndButton* back = AddButton(41, 41, x, top(41))) {
        back->SetEnable(history_.CanGoBack() ? 1 : 0);
        x += width(41) + 2;
    }
    if (cWndButton* fwd = AddButton(184, 184, x, top(184))) fwd->SetEnable(history_.CanGoForward() ? 1 : 0);
    bool oem = IsOem();
    unsigned right = oem && res->HasSprite(317) ? 317u : 4u;
    int rx = rect_.right - 4 - width(right);
    AddButton(right, right, rx, top(right));
    if (!oem) {
        // The help button: its clicks come as element 400, its picture is
        // sprite 286.
        int hx = rx - width(286) / 5 - 6 - width(286);
        AddButton(400, 286, hx, top(286));
    }
}

// ------------------------------------------------------------------ bodies

void cNavView::BuildBody(int kind) {
    switch (kind) {
        case NV_RECORDING: BuildRecordingBody(); break;
        case NV_STATION_DETAILS: BuildDetailsBody(); break;
        case NV_SKINS: BuildSkinsBody(); break;
        case NV_SEARCH_FORM: BuildSearchForm(); break;
        default: BuildSelectionBoxes(kind); break;
    }
}

void cNavView::BuildSelectionBoxes(int kind) {
    cResourceManager* res = Resources();
    if (!res) return;
    const int* saved = history_.Selections(history_.Pos());
    int first = saved ? saved[0] : 0;
    // Boxes and buttons share the line under the header.
    int y = rect_.top + 16 - 10;
    int x = rect_.left + 4 + res->GetGfxWidth(41) + res->GetGfxWidth(184) + 12;
    switch (kind) {
        case NV_FAVOURITES: {
            std::vector<std::string> texts;
            std::vector<unsigned long> ids;
            {
                cListStore& store = GetListStore();
                bk::ScopedLock hold(store.Lock());
                for (cListElement* e = store.List(LS_FAVOURITE_FOLDERS)->First(); e; e = e->Next()) {
                    texts.emplace_back(static_cast<cTxtElement*>(e)->GetText());
                    ids.push_back(e->GetId());
                }
            }
            cSkinComboBox* box = AddBox(x, y, 150, texts, first, true);
            x += 156;
            AddButton(185, 185, x, y);
            x += res->GetGfxWidth(185) + 4;
            cWndButton* del = AddButton(186, 186, x, y);
            int sel = box ? box->GetCurSel() : -1;
            unsigned long folder = sel >= 0 && static_cast<size_t>(sel) < ids.size() ? ids[static_cast<size_t>(sel)] : 0;
            if (del && (folder == 0 || folder == 0xFFFF0001ul)) del->SetEnable(0);
            break;
        }
        case NV_TOP_STATIONS: {
            std::vector<std::string> texts;
            for (const CriteriaChoice& c : CriteriaBoxChoices(0)) texts.push_back(c.text);
            AddBox(x, y, 180, texts, first);
            break;
        }
        case NV_TIPS:
            AddButton(357, 357, x, y);
            AddBox(x + res->GetGfxWidth(357) + 6, y, 150, NavTipFilterTexts(), first);
            break;
        case NV_PODCASTS: AddButton(383, 383, x, y); break;
        case NV_SEARCH_RESULTS: {
            // Another search only once the last one has finished.
            auto* main = dynamic_cast<cVelmoWin*>(GetWindowList().Find(WND_ID_MAIN));
            if (main && main->IsSearchFinished()) AddButton(38, 38, x, y);
            break;
        }
        case NV_TIMERS: {
            int bx = rect_.right - 4 - res->GetGfxWidth(330);
            bool extra = !IsOem() && Library().host && Library().host->GetLanguage() == 1;
            if (extra) bx -= res->GetGfxWidth(404) + 4;
            AddButton(330, 330, bx, y);
            if (extra) AddButton(404, 404, bx + res->GetGfxWidth(330) + 4, y);
            break;
        }
        default: break;
    }
}

void cNavView::BuildRecordingBody() {
    cResourceManager* res = Resources();
    cNavWindow* nav = NavWindow();
    if (!res || !nav) return;
    cSettingsInterface* host = Library().host;
    int language = UiLanguage();
    bool oem = IsOem();
    for (int i = 0; i < 2; ++i) {
        if (!meters_[i]) continue;
        meters_[i]->SetPos(POINT{rect_.right - 60 + i * 20, rect_.top + 30});
        meters_[i]->SetVisible(1);
    }
    // The level slider runs along the right edge above the meters' lamps.
    int trackLeft = rect_.right - 180, trackRight = rect_.right - 80, trackY = rect_.top + 110;
    RECT knob = {trackLeft, trackY, trackLeft + res->GetGfxWidth(268), trackY + res->GetGfxHeight(268)};
    RECT own = {trackLeft, trackY, trackRight + res->GetGfxWidth(268), trackY + res->GetGfxHeight(268)};
    {
        bk::ScopedLock hold(&lock_);
        slider_ = new cVolumeSlider(nav, res, knob, POINT{-1, -1}, POINT{-1, -1}, own, POINT{trackLeft, trackY},
                                    POINT{trackRight, trackY}, nullptr, nullptr, nullptr, 268, 0, 0, 269);
        slider_->SetTrackSprites(266, 267);
        if (levelMax_ != 0) slider_->SetValue(level_, levelMax_, levelMin_, 0);
        slider_->SetVisible(IsWindowsVista() ? 0 : 1);
    }
    int lines = rect_.top + (rect_.bottom - rect_.top < 227 ? 136 : 150);
    int bx = rect_.left + 130;
    bool enable = recording_ == 0;
    AddBox(bx, lines + 23, 150, {"WAV", "MP3"}, host && host->GetRecordingFormat() ? 1 : 0);
    std::vector<std::string> qualities = NavQualityProfiles(language);
    int qsel = 0;
    for (size_t i = 0; host && i < qualities.size(); ++i)
        if (qualities[i] == (host->GetQualityMuster() ? host->GetQualityMuster() : "")) qsel = static_cast<int>(i);
    AddBox(bx, lines, 150, qualities, qsel);
    std::vector<std::string> cuts = NavCutProfiles(language);
    cuts.insert(cuts.begin(), Text(525, language));
    int csel = 0;
    for (size_t i = 1; host && i < cuts.size(); ++i)
        if (cuts[i] == (host->GetAutoCutMuster() ? host->GetAutoCutMuster() : "")) csel = static_cast<int>(i);
    cSkinComboBox* cut = AddBox(bx, lines + 46, 150, cuts, csel);
    if (oem && cut) PostMessageA(cut->GetWindow(), WM_SKIN_SHOW_ELEMENT, 0, 0);
    for (auto& b : boxes_) b->SetEnable(enable ? 1 : 0);

    // The quality lines and the edit buttons below the boxes.
    cResourceManager* r = res;
    panel_.reset(new cTextListPanel(r));
    panel_->SetOwner(nav);
    int panelTop = lines + 72;
    panel_->SetRect(rect_.left + 4, panelTop, rect_.right - 4, panelTop + 40 < rect_.bottom ? panelTop + 40 : rect_.bottom);
    panel_->SetRowHeight(16);
    for (int i = 0; i < 2; ++i) {
        auto* row = new cPlayRowElement(panel_.get(), nullptr, 0);
        row->SetId(static_cast<unsigned long>(i + 1));
        panel_->Add(row);
    }
    int ex = rect_.left + 4, ey = panelTop + 44;
    const unsigned edits[3] = {270, 329, 370};
    for (unsigned id : edits) {
        if (id == 370 && oem) continue;
        if (cWndButton* b = AddButton(id, 270, ex, ey)) {
            b->SetToolTipText(id == 270 ? 281u : id == 329 ? 283u : 284u);
            b->SetEnable(enable ? 1 : 0);
            ex += b->GetGfxWidth() + 6;
        }
    }
    ShowRecordingTexts();
    UpdateQualityLine();
}

void cNavView::BuildDetailsBody() {
    MakePanel(14);
    if (!panel_) return;
    int language = UiLanguage();
    StationDetails& details = LibraryStationDetails();
    char name[StationDetails::NAME_SIZE * 2] = {};
    long id = details.CopyName(name, sizeof name);
    auto addRow = [&](const std::string& text, unsigned long rowId, bool play) {
        auto* row = new cPlayRowElement(panel_.get(), nullptr, play ? 1 : 0);
        row->SetId(rowId);
        row->SetText(text.c_str());
        if (play) row->AddPlayButton();
        panel_->Add(row);
    };
    addRow(NavDetailsName(name), static_cast<unsigned long>(id), true);
    addRow("", 0, false);
    const RECT& pr = panel_->GetPanelRect();
    int width = pr.right - pr.left - 8;
    cResourceManager* res = Resources();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldFont = res && res->GetFont(0) ? SelectObject(dc, res->GetFont(0)) : nullptr;
    LineMeasure measure = {dc, width};
    for (const std::string& line : NavWrapText(NavDetailsDescription(name), &LineFits, &measure)) addRow(line, 0, false);
    char genres[StationDetails::SHORT_SIZE] = {}, type[StationDetails::SHORT_SIZE] = {};
    char country[StationDetails::SHORT_SIZE] = {}, regions[StationDetails::REGIONS_SIZE] = {};
    char languages[StationDetails::SHORT_SIZE] = {};
    details.CopyField(StationDetails::F_GENRES, genres, sizeof genres);
    details.CopyField(StationDetails::F_TYPE, type, sizeof type);
    details.CopyField(StationDetails::F_COUNTRY, country, sizeof country);
    details.CopyField(StationDetails::F_REGIONS, regions, sizeof regions);
    details.CopyField(StationDetails::F_LANGUAGES, languages, sizeof languages);
    char line[800];
    bk::TextFormat(line, sizeof line, "%s  |  %s", genres, type);
    measure.width = width - 30;
    for (const std::string& l : NavWrapText(line, &LineFits, &measure)) addRow(l, 0, false);
    if (regions[0])
        bk::TextFormat(line, sizeof line, "%s  |  %s | %s", country, regions, languages);
    else
        bk::TextFormat(line, sizeof line, "%s  |  %s", country, languages);
    addRow(line, 0, false);
    if (oldFont) SelectObject(dc, oldFont);
    DeleteDC(dc);
    std::vector<std::string> streams;
    {
        bk::ScopedLock hold(details.Lock());
        for (cListElement* e = details.Streams()->First(); e; e = e->Next())
            streams.emplace_back(static_cast<cTextElement*>(e)->GetText());
    }
    for (const std::string& s : streams) {
        unsigned long streamId = 0;
        std::string text = NavStreamRowText(s.c_str(), language, &streamId);
        addRow(text, streamId, true);
    }
}

void cNavView::BuildSkinsBody() {
    MakePanel(83);
    cResourceManager* res = Resources();
    if (res) {
        int x = rect_.right - 4 - res->GetGfxWidth(169) - res->GetGfxWidth(4) - 40;
        AddButton(169, 169, x, rect_.top + 2);
    }
    if (!preview_ && nav_) {
        previewOwner_.reset(new PreviewOwner(nav_, &rect_));
        preview_.reset(new cSkinPreview());
        bk::ScopedGetDC dc(nav_);
        preview_->CreateDC(dc.Get(), previewOwner_.get());
    }
    if (!panel_) return;
    for (const NavSkinFile& skin : NavSkinFiles(Library().skinsFolder)) {
        auto* row = new cSkinRowElement(panel_.get());
        row->SetId(static_cast<unsigned long>(skin.number));
        row->SetText(skin.text.c_str());
        panel_->Add(row);
    }
    auto* first = static_cast<cSkinRowElement*>(panel_->First());
    if (preview_ && first && first->FileName()) preview_->Load(first->FileName());
}

void cNavView::BuildSearchForm() {
    cResourceManager* res = Resources();
    if (!res || !nav_) return;
    int x = rect_.left + 110, y = rect_.top + 30, width = rect_.right - 4 - x;
    if (width > 220) width = 220;
    char name[301] = {};
    GetValue("NAME", name, sizeof name);
    nameBox_.reset(new cVLEditBox(nav_, res, POINT{x, y}, SIZE{width, 20}, 0, 0));
    nameBox_->SetText(name);
    nameBox_->SetVisible(1);
    int selections[kCriteriaBoxes] = {};
    StoredCriteriaSelections(selections);
    for (int b = 0; b < kCriteriaBoxes; ++b) {
        std::vector<std::string> texts;
        for (const CriteriaChoice& c : CriteriaBoxChoices(b)) texts.push_back(c.text);
        AddBox(x, y + 26 * (b + 1), width, texts, selections[b]);
    }
    int by = y + 26 * (kCriteriaBoxes + 1) + 4;
    int bx = x;
    for (unsigned id : {36u, 37u, 190u}) {
        if (cWndButton* b = AddButton(id, id, bx, by)) bx += b->GetGfxWidth() + 6;
    }
    AddButton(193, 193, rect_.right - 4 - res->GetGfxWidth(4) - res->GetGfxWidth(193) - 40, rect_.top + 2);
}

void cNavView::ResetSearchForm() {
    if (builtKind_ != NV_SEARCH_FORM) return;
    int selections[kCriteriaBoxes] = {};
    StoredCriteriaSelections(selections);
    for (size_t b = 0; b < boxes_.size() && b < static_cast<size_t>(kCriteriaBoxes); ++b)
        boxes_[b]->SetCurSel(selections[b]);
    if (nameBox_) {
        char name[301] = {};
        GetValue("NAME", name, sizeof name);
        nameBox_->SetText(name);
    }
}

void cNavView::CaptureForm() {
    int current[cNavHistory::kSelections] = {};
    int n = CurrentSelections(current);
    int* saved = history_.Selections(history_.ShownPos());
    if (saved)
        for (int i = 0; i < n; ++i) saved[i] = current[i];
    if (builtKind_ == NV_SEARCH_FORM && nameBox_) {
        char name[301] = {};
        nameBox_->GetText(name, sizeof name);
        SetValue("NAME", name);
    }
}

// ------------------------------------------------------------------ recording

void cNavView::SetQualityInfo(const char* format, const char* quality, int rate, int bits, int channels) {
    if (builtKind_ != NV_RECORDING || history_.Kind() != NV_RECORDING) return;
    char f[512], q[512];
    bk::TextCopy(f, format ? format : "");
    bk::TextCopy(q, quality ? quality : "");
    QualityFacts facts;
    facts.format = f;
    facts.quality = q;
    facts.rate = rate;
    facts.bits = bits;
    facts.channels = channels;
    {
        bk::ScopedLock hold(&lock_);
        quality_ = facts;
    }
    if (nav_) PostMessageA(nav_, WM_NAV_QUALITY_LINE, 0, 0);
}

std::string cNavView::FormatText() const {
    bk::ScopedLock hold(&lock_);
    return quality_.format;
}

void cNavView::UpdateQualityLine() {
    if (!panel_ || builtKind_ != NV_RECORDING) return;
    int language = UiLanguage();
    cSettingsInterface* host = Library().host;
    const char* cut = host && host->GetAutoCutMuster() ? host->GetAutoCutMuster() : "";
    auto* first = static_cast<cTextElement*>(panel_->GetById(1));
    auto* second = static_cast<cTextElement*>(panel_->GetById(2));
    QualityFacts facts;
    {
        bk::ScopedLock hold(&lock_);
        facts = quality_;
    }
    if (first) first->SetText(NavQualityFormatLine(facts.format.c_str(), cut, language).c_str());
    if (second)
        second->SetText(
            NavQualityValuesLine(facts.quality.c_str(), facts.rate, facts.bits, facts.channels, language).c_str());
    panel_->Invalidate(0);
}

bool cNavView::GetRecordingChoices(char* format, char* quality, char* cut, int size) {
    if (builtKind_ != NV_RECORDING || boxes_.size() < 3 || size < 1) return false;
    char* out[3] = {format, quality, cut};
    for (int i = 0; i < 3; ++i) {
        if (!out[i]) continue;
        char text[cSkinComboBox::TEXT_LIMIT + 1] = {};
        boxes_[static_cast<size_t>(i)]->GetText(text, sizeof text);
        bk::TextCopy(out[i], static_cast<size_t>(size), text);
    }
    return true;
}

std::string cNavView::StateText() const {
    unsigned id = NavRecordingStateText(state_);
    if (!id) return std::string();
    char text[200] = {};
    GetResourceString(nullptr, id, Library().host ? Library().host->GetLanguage() : UiLanguage(), text, sizeof text);
    return text;
}

void cNavView::ShowRecordingTexts() {
    cNavWindow* nav = NavWindow();
    if (!nav) return;
    auto put = [&](unsigned long id, const std::string& text) {
        auto* e = dynamic_cast<cScrollText*>(static_cast<cActiveElement*>(nav->GetButtonList()->GetById(id)));
        if (e) e->SetText(text.c_str());
    };
    std::string recorded, remaining;
    int state;
    {
        bk::ScopedLock hold(&lock_);
        recorded = RecordedText();
        remaining = RemainingText();
        state = state_;
    }
    put(271, recorded);
    put(273, remaining);
    if (NavRecordingStateText(state)) put(319, StateText());
}

void cNavView::ApplyRecordingFlag() {
    if (builtKind_ != NV_RECORDING) return;
    WPARAM enable = recording_ ? 0 : 1;
    for (auto& box : boxes_)
        if (box->GetWindow()) PostMessageA(box->GetWindow(), WM_SKIN_ENABLE_ELEMENT, enable, 0);
    for (unsigned long id : {270ul, 329ul, 370ul})
        if (cWndButton* b = Button(id))
            if (b->GetWindow()) PostMessageA(b->GetWindow(), WM_SKIN_ENABLE_ELEMENT, enable, 0);
}

// ------------------------------------------------------------------ folders

unsigned long cNavView::ChosenFolder(std::string* name) const {
    if (builtKind_ != NV_FAVOURITES || boxes_.empty()) return 0;
    int sel = boxes_[0]->GetCurSel();
    cListStore& store = GetListStore();
    bk::ScopedLock hold(store.Lock());
    cListElement* e = store.List(LS_FAVOURITE_FOLDERS)->GetByIndex(sel < 0 ? 0 : sel);
    if (!e) return 0;
    if (name) *name = static_cast<cTxtElement*>(e)->GetText();
    // The two fixed folders are neither renamed nor deleted.
    return e->GetId() == 0xFFFF0001ul ? 0 : e->GetId();
}

void cNavView::DeleteFolderQuestion() {
    std::string name;
    unsigned long folder = ChosenFolder(&name);
    if (folder == 0) return;
    char question[800];
    bk::TextFormat(question, sizeof question, Text(200, UiLanguage()).c_str(), name.c_str());
    if (NavAsk(question) != 1) return;
    HostCallback(34, static_cast<int>(folder), nullptr);
    boxes_[0]->SetCurSel(0);
    ShowView(0);
}

// ------------------------------------------------------------------ paint

void cNavView::Paint(HDC dc) {
    if (closing_ || !dc) return;
    cResourceManager* res = Resources();
    cNavWindow* nav = NavWindow();
    if (!res || !nav) return;
    int language = UiLanguage();
    // The view's ground first: nothing the previous view drew into the back
    // buffer (a skin preview, panel rows) stays under this one.
    if (HBRUSH ground = CreateSolidBrush(res->GetPixel(83))) {
        FillRect(dc, &rect_, ground);
        DeleteObject(ground);
    }
    COLORREF colour = nav->GetSkinData()->GetTextcolorN();
    COLORREF oldColour = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    auto label = [&](int font, unsigned id, int y) {
        HGDIOBJ old = res->GetFont(font) ? SelectObject(dc, res->GetFont(font)) : nullptr;
        std::string text = Text(id, language);
        RECT r = {rect_.left + 6, rect_.top + y, rect_.right - 6, rect_.top + y + 14};
        DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        if (old) SelectObject(dc, old);
    };
    if (builtKind_ == NV_RECORDING) {
        label(0, 207, 32);
        label(0, 208, 49);
        label(0, 209, 63);
        int y = rect_.bottom - rect_.top < 227 ? 136 : 150;
        label(0, 211, y);
        label(0, 212, y + 23);
        if (!IsOem()) label(0, 210, y + 46);
        if (!IsWindowsVista()) {
            unsigned sprite = Library().host && Library().host->GetAdjustRecordVol() ? 346u : 281u;
            res->DrawBitmap(dc, rect_.right - 4 - res->GetGfxWidth(sprite), rect_.top + 100, sprite, SRCCOPY);
            if (slider_) slider_->Show(dc);
        }
    }
    if (hidden_) {
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldColour);
        return;
    }
    if (panel_) panel_->Show(dc);
    if (bar_) bar_->Show(dc);
    for (auto& box : boxes_) box->Show(dc);
    if (nameBox_) nameBox_->Show(dc);
    if (preview_ && builtKind_ == NV_SKINS) preview_->Show(dc, rect_.right - 4 - cSkinPreview::THUMB_WIDTH, rect_.top + 30);
    if (table_) {
        SetFirstVisibleRow(table_->GetTopRow());
        std::string date;
        int percent = 0;
        {
            cListStore& store = GetListStore();
            bk::ScopedLock hold(store.Lock());
            date = builtKind_ == NV_TIPS ? store.TipsDate() : store.TopTenDate();
            percent = store.SearchPercent();
        }
        std::string status = NavStatusLine(builtKind_, rows_, searching_ != 0, percent, date.c_str(), language);
        if (!status.empty()) {
            HGDIOBJ old = res->GetFont(2) ? SelectObject(dc, res->GetFont(2)) : nullptr;
            RECT r = {rect_.left + 6, rect_.bottom - 16, rect_.right - 6, rect_.bottom - 2};
            DrawTextA(dc, status.c_str(), -1, &r, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
            if (old) SelectObject(dc, old);
        }
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}
