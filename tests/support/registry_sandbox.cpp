#include "tdtest.h"

namespace tdtest {

RegistrySandbox::RegistrySandbox(const std::string& subkey) : subkey_(subkey) {
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
}

RegistrySandbox::~RegistrySandbox() { RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str()); }

bool RegistrySandbox::SetString(const std::string& name, const std::string& value) const {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool RegistrySandbox::GetString(const std::string& name, std::string* value) const {
    value->clear();
    char buf[4096];
    DWORD size = sizeof buf - 1;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
    buf[size < sizeof buf ? size : sizeof buf - 1] = 0;
    *value = buf;
    return true;
}

bool RegistrySandbox::Exists() const {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace tdtest
