#include "online_host.h"

#include <windows.h>
#include <shlobj.h>

#include <mutex>

#include "registry.h"

namespace online {
namespace {
std::mutex g_mu;
std::string g_program, g_documents;
}  // namespace

void SetProgramFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_mu);
    g_program = folder;
    while (!g_program.empty() && (g_program.back() == '\\' || g_program.back() == '/')) g_program.pop_back();
}

void SetDocumentsFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_mu);
    g_documents = folder;
}

std::string ProgramFolder() {
    {
        std::lock_guard<std::mutex> lock(g_mu);
        if (!g_program.empty()) return g_program;
    }
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    std::string s(path, n);
    size_t cut = s.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : s.substr(0, cut);
}

std::string DocumentsFolder() {
    {
        std::lock_guard<std::mutex> lock(g_mu);
        if (!g_documents.empty()) return g_documents;
    }
    char path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path))) return path;
    return ProgramFolder();
}

std::string UserFolder() {
    char buf[512] = {};
    GetValue("PathUser", buf, sizeof buf);
    std::string folder = buf[0] ? std::string(buf) : ProgramFolder();
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

}  // namespace online
