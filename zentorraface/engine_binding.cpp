// Binding to the skin engine. The engine loaded this library itself, so its
// module is already in the process: looking it up takes no reference, and
// nothing has to be given back under the loader lock later.
#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "win_handles.h"
#include "zentorra_skin.h"

namespace zf {

namespace {
EngineFunctions g_engine;
SkinState g_state;

template <typename Fn>
bool Find(HMODULE engine, const char* name, Fn* out, bool required = true) {
    *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(engine, name)));
    return *out != nullptr || !required;
}
}  // namespace

bool BindEngine(HMODULE engine, EngineFunctions* e) {
    *e = EngineFunctions();
    if (!engine) return false;
    bool ok = true;
    ok &= Find(engine, "InvokeWndButton", &e->InvokeWndButton);
    ok &= Find(engine, "AddWndButtonToList", &e->AddWndButtonToList);
    ok &= Find(engine, "WndButtonAddAnim", &e->WndButtonAddAnim);
    ok &= Find(engine, "VelmoWinGetSkinData", &e->VelmoWinGetSkinData);
    ok &= Find(engine, "ButtonListAddVolume", &e->ButtonListAddVolume);
    ok &= Find(engine, "VelmoWinGetWindow", &e->VelmoWinGetWindow);
    ok &= Find(engine, "VelmoWinSetShowStatusSym", &e->VelmoWinSetShowStatusSym);
    ok &= Find(engine, "VelmoWinSetShowBuffer", &e->VelmoWinSetShowBuffer);
    ok &= Find(engine, "WndButtonSetPos", &e->WndButtonSetPos);
    ok &= Find(engine, "VolumeSetPosition", &e->VolumeSetPosition);
    ok &= Find(engine, "VolumeGetPosition", &e->VolumeGetPosition);
    ok &= Find(engine, "ListeMarkForDelete", &e->ListeMarkForDelete);
    ok &= Find(engine, "ListeDeleteById", &e->ListeDeleteById);
    ok &= Find(engine, "ActiveElementSetRect", &e->ActiveElementSetRect);
    ok &= Find(engine, "ActiveElementGetRect", &e->ActiveElementGetRect);
    ok &= Find(engine, "ActiveElementGetStatus", &e->ActiveElementGetStatus);
    ok &= Find(engine, "ActiveElementSetStatus", &e->ActiveElementSetStatus, false);
    ok &= Find(engine, "ActiveElementSetVisible", &e->ActiveElementSetVisible);
    ok &= Find(engine, "ActiveElementSetBtnLook", &e->ActiveElementSetBtnLook);
    ok &= Find(engine, "ButtonListAddScrollText", &e->ButtonListAddScrollText);
    ok &= Find(engine, "ResourceManagerGetDC", &e->ResourceManagerGetDC);
    ok &= Find(engine, "VelmoWinUpdateDisplayStrings", &e->VelmoWinUpdateDisplayStrings);
    ok &= Find(engine, "VelmoWinGetButtonList", &e->VelmoWinGetButtonList);
    ok &= Find(engine, "SetSkinData", &e->SetSkinData, false);
    ok &= Find(engine, "AddMotionPictureToList", &e->AddMotionPictureToList);
    ok &= Find(engine, "ActiveElementSetTransparenz", &e->ActiveElementSetTransparenz);
    return ok;
}

const EngineFunctions& Engine() { return g_engine; }
SkinState& State() { return g_state; }

void ResetState() {
    g_state = SkinState();
    bk::TextCopy(g_state.settingsKey, "SOFTWARE\\Velmirant\\Radio");
}

}  // namespace zf

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    zf::ResetState();
    // Without every required engine function the library does not load, and
    // the engine falls back to its standard skin.
    return zf::BindEngine(GetModuleHandleA("facetkit.dll"), &zf::g_engine) ? TRUE : FALSE;
}
