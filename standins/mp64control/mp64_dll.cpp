// The in-process server of the stand-in control: class factory, unloading
// and registration for the current user.
#include <windows.h>
#include <ole2.h>

#include "bounded_text.h"
#include "mp64_control.h"
#include "mp64_ids.h"
#include "win_handles.h"

namespace {

HMODULE g_module = nullptr;

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }   // one static object
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv) *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return mp64::Control::Create(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&mp64::g_objects);
        else InterlockedDecrement(&mp64::g_objects);
        return S_OK;
    }
};
Factory g_factory;

// Classes of the current user: the control is registered per user, so that
// no administrator rights are needed.
const char kClassKey[] = "Software\\Classes\\CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";

bool SetText(HKEY key, const char* name, const char* value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(strlen(value) + 1)) == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != mp64::kClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return mp64::g_objects == 0 ? S_OK : S_FALSE; }

namespace {

// Writes the class under root\key; false when a step fails.
bool WriteClass(HKEY root, const char* key, const char* path) {
    bk::ScopedRegKey cls, server, control;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, cls.Receive(), nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = SetText(cls.Get(), nullptr, "Windows Media Player (tunerdeck stand-in)");
    ok = ok && RegCreateKeyExA(cls.Get(), "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, server.Receive(),
                               nullptr) == ERROR_SUCCESS;
    ok = ok && SetText(server.Get(), nullptr, path) && SetText(server.Get(), "ThreadingModel", "Apartment");
    ok = ok && RegCreateKeyExA(cls.Get(), "Control", 0, nullptr, 0, KEY_WRITE, nullptr, control.Receive(), nullptr) ==
                   ERROR_SUCCESS;
    return ok;
}

const char kRootClassKey[] = "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";

}  // namespace

extern "C" HRESULT WINAPI DllRegisterServer() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_module, path, sizeof path);
    if (n == 0 || n >= sizeof path) return SELFREG_E_CLASS;
    if (!WriteClass(HKEY_CURRENT_USER, kClassKey, path)) return SELFREG_E_CLASS;
    // The player's settings keys exist once a player is installed; the main
    // program only writes into existing ones.
    static const char* const kSettingsKeys[] = {"Software\\Microsoft\\NetShow\\Player\\General",
                                                "Software\\Microsoft\\NetShow\\Player\\Local"};
    for (const char* settings : kSettingsKeys) {
        bk::ScopedRegKey k;
        RegCreateKeyExA(HKEY_CURRENT_USER, settings, 0, nullptr, 0, KEY_WRITE, nullptr, k.Receive(), nullptr);
    }
    // Windows shows the user's classes in the merged class view; Wine 8 does
    // not, so there the class also goes where COM looks for it.
    bk::ScopedRegKey seen;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kRootClassKey, 0, KEY_READ, seen.Receive()) == ERROR_SUCCESS) return S_OK;
    return WriteClass(HKEY_CLASSES_ROOT, kRootClassKey, path) ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    LONG rc = RegDeleteTreeA(HKEY_CURRENT_USER, kClassKey);
    LONG rc2 = RegDeleteTreeA(HKEY_CLASSES_ROOT, kRootClassKey);
    bool ok = (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) && (rc2 == ERROR_SUCCESS || rc2 == ERROR_FILE_NOT_FOUND);
    return ok ? S_OK : SELFREG_E_CLASS;
}
