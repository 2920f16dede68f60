#include "main_menu.h"

#include "button_list.h"
#include "catalogue.h"

namespace {

constexpr int kMenuTextSize = 500;

void SetText(HMENU menu, UINT command, unsigned textId, int language) {
    char text[kMenuTextSize];
    GetResourceString(nullptr, textId, language, text, sizeof text);
    ModifyMenuA(menu, command, MF_BYCOMMAND | MF_STRING, command, text);
}

void Enable(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : (MF_GRAYED | MF_DISABLED)));
}

bool NavHas(const MainMenuState& s, DWORD id) { return s.navigator && s.navigator->GetById(id); }

void RemoveUnless(HMENU menu, UINT command, bool keep) {
    if (!keep) DeleteMenu(menu, command, MF_BYCOMMAND);
}

// The "Goto" entries with the navigator button each stands for.
struct GotoEntry {
    UINT command;
    unsigned textId;
    DWORD navElement;   // 0: always there
};
const GotoEntry kGotoEntries[] = {
    {32778, 310, 6},   {32779, 309, 5},   {32780, 312, 7},   {32848, 311, 265}, {32851, 313, 322},
    {32862, 506, 356}, {32866, 602, 375}, {32810, 314, 8},   {32803, 315, 0},
};

}  // namespace

void BuildMainMenu(HMENU menu, const MainMenuState& s) {
    if (!menu) return;
    int lang = s.language;
    SetText(menu, CMD_PLAY_STOP, s.playing ? 287 : 180, lang);
    SetText(menu, CMD_RECORD, s.recording ? 173 : 174, lang);
    RemoveUnless(menu, CMD_RECORD, NavHas(s, 265));
    SetText(menu, CMD_PREVIOUS_TRACK, 259, lang);
    Enable(menu, CMD_PREVIOUS_TRACK, s.track > 0);
    SetText(menu, CMD_NEXT_TRACK, 262, lang);
    Enable(menu, CMD_NEXT_TRACK, s.track + 1 < s.trackCount);
    SetText(menu, CMD_NEW_TIMER, 425, lang);
    RemoveUnless(menu, CMD_NEW_TIMER, NavHas(s, 322));
    SetText(menu, CMD_ADD_OWN_STATION, 426, lang);
    SetText(menu, CMD_OPEN_STREAM_URL, 427, lang);
    SetText(menu, CMD_MINIMISE, 241, lang);
    SetText(menu, CMD_CLOSE, 434, lang);

    if (!s.navigator) return;
    HMENU go = CreatePopupMenu();
    char text[kMenuTextSize];
    for (const GotoEntry& e : kGotoEntries) {
        if (e.navElement && !NavHas(s, e.navElement)) continue;
        GetResourceString(nullptr, e.textId, lang, text, sizeof text);
        AppendMenuA(go, MF_STRING, e.command, text);
    }
    GetResourceString(nullptr, 443, lang, text, sizeof text);
    InsertMenuA(menu, CMD_MINIMISE, MF_BYCOMMAND | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(go), text);
    InsertMenuA(menu, CMD_MINIMISE, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}
