// Plain downloads: files by GET, redirect checks, installer and skin
// updates with their progress dialog, and the ".za" and "_crypt." files.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <thread>

#include "player_cipher.h"
#include "registry.h"
#include "requests.h"
#include "tdtest.h"

namespace {

std::string Bytes(size_t n, unsigned seed = 1) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(seed >> 16);
    }
    return s;
}

TEST(DownloadNames, BareNamesOnly) {
    struct Case {
        const char* name;
        const char* ext;
        bool ok;
    } cases[] = {
        {"zentorraface.dll", ".dll", true},  {"Skin.DLL", ".dll", true},      {"skin.dll.exe", ".dll", false},
        {"..\\tunerdeck.dll", ".dll", false}, {"a/b.dll", ".dll", false},     {"C:x.dll", ".dll", false},
        {"..", nullptr, false},              {".", nullptr, false},          {"", nullptr, false},
        {"x..dll", ".dll", false},           {"name.dll.", nullptr, false},  {"tab\t.dll", ".dll", false},
        {".dll", ".dll", false},             {"update.exe", ".exe", true},   {"file.za", nullptr, true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ok, online::IsBareFileName(c.name, c.ext)) << c.name;
}

TEST(DownloadNames, LocationHeader) {
    struct Case {
        const char* headers;
        bool found;
        const char* value;
    } cases[] = {
        {"HTTP/1.1 302 Found\r\nLocation: http://a.example/x\r\nServer: y\r\n\r\n", true, "http://a.example/x"},
        {"HTTP/1.1 302 Found\r\nContent-Location: /wrong\r\nlocation:http://b.example/\r\n\r\n", true,
         "http://b.example/"},
        {"HTTP/1.1 301 Moved\r\nServer: y\r\nLocation: http://last.example/\r", true, "http://last.example/"},
        {"HTTP/1.1 301 Moved\nLocation: http://lf.example/\n", true, "http://lf.example/"},
        {"HTTP/1.1 302 Found\r\nX-Location: http://no/\r\n\r\n", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::string v;
        EXPECT_EQ(c.found, online::FindLocationHeader(c.headers, strlen(c.headers), &v)) << c.headers;
        EXPECT_EQ(c.value, v) << c.headers;
    }
}

TEST(DownloadNames, CryptCopyNameSplitsTheFileNamePart) {
    EXPECT_EQ("radiodb_crypt.rdb", online::CryptCopyName("radiodb.rdb"));
    EXPECT_EQ("C:\\Users\\a.b\\radiodb_crypt.rdb", online::CryptCopyName("C:\\Users\\a.b\\radiodb.rdb"));
    EXPECT_EQ("C:\\a.b\\noext_crypt.", online::CryptCopyName("C:\\a.b\\noext"));
    EXPECT_EQ("radiodb.rdb_crypt.bak", online::CryptCopyName("radiodb.rdb.bak"));
}

// The signature check of downloaded code (the system's verifier is tested
// with the player).
bool g_signedWell = true;
bool FakeVerifier(const char*) { return g_signedWell; }

class DownloadsTest : public ::testing::Test {
protected:
    DownloadsTest() : reg_(GetSettingsKeyName()) {
        SetValue("PathUser", folder_.Path().c_str());
        client_.reset(new cOnlineClient(nullptr, nullptr, nullptr));
        g_signedWell = true;
        SetCodeVerifier(FakeVerifier);
    }
    ~DownloadsTest() override { SetCodeVerifier(nullptr); }
    std::vector<std::string> FolderFiles() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(folder_.File("*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
        return names;
    }

    tdtest::RegistrySandbox reg_;
    tdtest::TempFolder folder_{"dl"};
    tdtest::HttpServer http_;
    std::unique_ptr<cOnlineClient> client_;
};

TEST_F(DownloadsTest, FileIsReplacedOnlyByACompleteAnswer) {
    const std::string body = Bytes(70000);
    http_.Serve("/file.bin", body, "application/octet-stream");
    http_.Route("/gz", [&](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r = tdtest::HttpResponse::Text(200, "packed text");
        r.gzip = true;
        return r;
    });
    http_.Route("/missing", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(404, "no"); });
    http_.Route("/cut", [&](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r = tdtest::HttpResponse::Text(200, body);
        r.truncateAfter = 30000;
        return r;
    });
    http_.Route("/empty", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(200, ""); });
    struct Case {
        const char* path;
        int result;
        std::string content;   // of the target afterwards
    } cases[] = {
        {"/file.bin", 1, body},       {"/gz", 1, "packed text"}, {"/missing", 0, "old"},
        {"/cut", 0, "old"},           {"/empty", 0, "old"},
    };
    for (const Case& c : cases) {
        folder_.Write("target.bin", "old");
        EXPECT_EQ(c.result, client_->Downloadfile(http_.Url(c.path).c_str(), folder_.File("target.bin").c_str(), 0))
            << c.path;
        EXPECT_EQ(c.content, folder_.Read("target.bin")) << c.path;
        EXPECT_EQ(std::vector<std::string>{"target.bin"}, FolderFiles()) << c.path;
    }
    auto reqs = http_.Requests();
    ASSERT_FALSE(reqs.empty());
    EXPECT_EQ("GET", reqs[0].method);
    EXPECT_EQ("Mozilla", reqs[0].Header("user-agent"));
    EXPECT_EQ(0, client_->Downloadfile("no address", folder_.File("x").c_str(), 0));
    EXPECT_EQ(0, client_->Downloadfile(http_.Url("/file.bin").c_str(), folder_.File("no\\such\\folder").c_str(), 0));
}

TEST_F(DownloadsTest, PlaylistOfAnEndlessStreamIsCut) {
    std::atomic<int> sent{0};
    http_.Route("/live", [&](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.noContentLength = true;
        r.Header("Content-Type", "audio/mpeg");
        r.stream = [&](std::string* more) {
            if (sent > 4 * 1024 * 1024) return false;
            *more = Bytes(1000, static_cast<unsigned>(sent));
            sent += 1000;
            return true;
        };
        return r;
    });
    const std::string path = folder_.File("list.pls");
    ASSERT_EQ(1, client_->Downloadfile(http_.Url("/live").c_str(), path.c_str(), kPlaylistMaxBytes));
    size_t size = folder_.Read("list.pls").size();
    EXPECT_GT(size, 20000u);
    EXPECT_LE(size, 24096u);
}

TEST_F(DownloadsTest, RedirectChecks) {
    const std::string longTarget = "http://far.example/" + std::string(1100, 'a');
    struct Case {
        int status;
        std::string location;
        int result;
    } cases[] = {
        {301, "http://one.example/a", 1}, {302, "http://two.example/b?x=1", 1}, {303, "http://three.example/", 1},
        {307, "http://seven.example/", 0}, {200, "", 0},                      {302, longTarget, 0},
    };
    for (const Case& c : cases) {
        http_.Route("/r", [&](const tdtest::HttpRequest&) {
            if (c.status == 200) return tdtest::HttpResponse::Text(200, "plain");
            return tdtest::HttpResponse::Redirect(c.status, c.location);
        });
        char target[kRedirectTargetSize] = "untouched";
        EXPECT_EQ(c.result, client_->CheckURLRedirected(http_.Url("/r").c_str(), target, sizeof target)) << c.status;
        EXPECT_STREQ(c.result ? c.location.c_str() : "untouched", target) << c.status;
    }
    // A target that does not fit a small buffer is refused, not cut.
    http_.Route("/r", [](const tdtest::HttpRequest&) {
        return tdtest::HttpResponse::Redirect(302, "http://somewhere.example/long/path");
    });
    char small[16] = "";
    EXPECT_EQ(0, client_->CheckURLRedirected(http_.Url("/r").c_str(), small, sizeof small));
    EXPECT_STREQ("", small);
}

TEST_F(DownloadsTest, PackAndUnpackZaFiles) {
    const std::string data = Bytes(100000) + std::string(50000, 'x');
    folder_.Write("skin.dll", data);
    ASSERT_EQ(1, cOnlineClient::PackFile(folder_.File("skin.dll").c_str()));
    EXPECT_FALSE(folder_.Exists("skin.dll"));
    std::string packed = folder_.Read("skin.dll.za");
    std::string plain;
    ASSERT_TRUE(tdtest::GunzipBytes(packed, &plain));
    EXPECT_EQ(data, plain);

    // Named with ".za": the target is the name without it.
    ASSERT_EQ(1, cOnlineClient::UnpackFile(folder_.File("skin.dll.za").c_str()));
    EXPECT_EQ(data, folder_.Read("skin.dll"));
    EXPECT_FALSE(folder_.Exists("skin.dll.za"));
    // Named without: the packed file of that name is read.
    folder_.Write("other.dll.za", packed);
    ASSERT_EQ(1, cOnlineClient::UnpackFile(folder_.File("other.dll").c_str()));
    EXPECT_EQ(data, folder_.Read("other.dll"));
    EXPECT_FALSE(folder_.Exists("other.dll.za"));

    // Damaged sources stay; no half-written target is left.
    struct Case {
        const char* name;
        std::string bytes;
    } bad[] = {{"plain", "this is no gzip file at all"},
               {"truncated", packed.substr(0, packed.size() / 2)},
               {"crc", packed.substr(0, packed.size() - 8) + std::string(8, '\x01')}};
    for (const Case& c : bad) {
        folder_.Write("bad.dll.za", c.bytes);
        EXPECT_EQ(0, cOnlineClient::UnpackFile(folder_.File("bad.dll.za").c_str())) << c.name;
        EXPECT_TRUE(folder_.Exists("bad.dll.za")) << c.name;
        EXPECT_FALSE(folder_.Exists("bad.dll")) << c.name;
    }
    EXPECT_EQ(0, cOnlineClient::UnpackFile(folder_.File("absent.dll").c_str()));
    EXPECT_EQ(0, cOnlineClient::PackFile(folder_.File("absent.dll").c_str()));
}

TEST_F(DownloadsTest, CryptCopyDeciphersToTheFilePaddedWithFD) {
    tdtest::TempFolder dotted("a.b");
    const std::string data = "<db>" + Bytes(1001) + "</db>";
    dotted.Write("radiodb.rdb", data);
    ASSERT_EQ(1, cOnlineClient::MakeCryptCopy(dotted.File("radiodb.rdb").c_str()));
    std::string sealed = dotted.Read("radiodb_crypt.rdb");
    ASSERT_EQ(RoundUpTo8(data.size()), sealed.size());
    std::string plain = DecipherRaised(reinterpret_cast<const unsigned char*>(sealed.data()), sealed.size());
    EXPECT_EQ(data + std::string(sealed.size() - data.size(), '\xFD'), plain);
    EXPECT_EQ(0, cOnlineClient::MakeCryptCopy(dotted.File("absent.rdb").c_str()));
}

// The installer and a skin run only when they came whole and signed; else
// nothing of them stays. The signature is the verifier seam here.
TEST_F(DownloadsTest, DownloadedCodeIsRefusedWhenItsSizeOrSignatureIsWrong) {
    const std::string exe = "MZ" + Bytes(5000);
    const std::string skin = "MZ" + Bytes(3000);
    const std::string packed = tdtest::GzipBytes(skin);
    http_.Serve("/update.exe", exe, "application/octet-stream");
    http_.Serve("/skin.za", packed, "application/octet-stream");
    struct Case {
        const char* what;
        long sizeDelta;
        bool signedWell;
    } cases[] = {{"one byte short", -1, true}, {"one byte over", 1, true}, {"not signed", 0, false}};
    for (const Case& c : cases) {
        g_signedWell = c.signedWell;
        EXPECT_EQ(cOnlineClient::kRefusedCode,
                  client_->GetPlayerUpdate(static_cast<unsigned long>(exe.size() + c.sizeDelta),
                                           http_.Url("/update.exe").c_str()))
            << c.what;
        EXPECT_FALSE(folder_.Exists("update.exe")) << c.what;
        std::string local = "unchanged";
        EXPECT_EQ(cOnlineClient::kRefusedCode,
                  client_->GetSkinUpdate(static_cast<unsigned long>(packed.size() + c.sizeDelta),
                                         http_.Url("/skin.za").c_str(), &local))
            << c.what;
        EXPECT_EQ("unchanged", local) << c.what;
        EXPECT_TRUE(FolderFiles().empty()) << c.what;
    }
    g_signedWell = true;
    EXPECT_EQ(0, client_->GetPlayerUpdate(0, http_.Url("/none").c_str()));
}

// The certificate the signed fixture carries, made trusted in this prefix
// (the tests' own Wine prefix; on Windows the test needs the rights to it).
void TrustTestSigner(const std::string& pemPath) {
    std::string pem;
    if (!tdtest::ReadFileBytes(pemPath, &pem)) return;
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr, &size,
                              nullptr, nullptr))
        return;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(), &size,
                              nullptr, nullptr))
        return;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!root) return;
    CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_USE_EXISTING, nullptr);
    CertCloseStore(root, 0);
}

// The system's verifier (WinVerifyTrust), with the installer stand-in signed
// by the tests' certificate at build time, fetched over plain HTTP as an
// update is. Wine tells a signed file from an unsigned one and from one
// changed after signing; it does not check who signed (a file signed with
// any self-made certificate passes there), so that refusal is shown through
// the verifier seam above.
TEST_F(DownloadsTest, TheSystemsVerifierRefusesUnsignedAndChangedCode) {
    const std::string dir = tdtest::BinDir() + "\\codesign\\";
    std::string signedExe, unsignedExe;
    if (!tdtest::ReadFileBytes(dir + "update_signed.exe", &signedExe))
        GTEST_SKIP() << "no signed fixture: osslsigncode was missing at build time";
    ASSERT_TRUE(tdtest::ReadFileBytes(tdtest::BinDir() + "\\update_standin.exe", &unsignedExe));
    TrustTestSigner(dir + "test_signer.pem");
    std::string changed = signedExe;
    changed[0x600] ^= 0x01;   // in the code, which the signature covers
    SetCodeVerifier(nullptr);
    struct Case {
        const char* what;
        const std::string* bytes;
        bool accepted;
    } cases[] = {{"signed", &signedExe, true}, {"one byte changed", &changed, false}, {"not signed", &unsignedExe, false}};
    for (const Case& c : cases) {
        folder_.Write("probe.exe", *c.bytes);
        EXPECT_EQ(c.accepted, VerifyAuthenticode(folder_.File("probe.exe").c_str())) << c.what;
        DeleteFileA(folder_.File("probe.exe").c_str());

        http_.Serve("/update.exe", *c.bytes, "application/octet-stream");
        EXPECT_EQ(c.accepted ? 1 : cOnlineClient::kRefusedCode,
                  client_->GetPlayerUpdate(static_cast<unsigned long>(c.bytes->size()), http_.Url("/update.exe").c_str()))
            << c.what;
        EXPECT_EQ(c.accepted, folder_.Exists("update.exe")) << c.what;
        DeleteFileA(folder_.File("update.exe").c_str());
    }
}

TEST_F(DownloadsTest, InstallerGoesToTheUserFolder) {
    const std::string exe = "MZ" + Bytes(5000);
    http_.Serve("/update.exe", exe, "application/octet-stream");
    ASSERT_EQ(1, client_->GetPlayerUpdate(static_cast<unsigned long>(exe.size()), http_.Url("/update.exe").c_str()));
    EXPECT_EQ(exe, folder_.Read("update.exe"));
    EXPECT_EQ(nullptr, cOnlineClient::ProgressDialog());
    folder_.Write("update.exe", "old");
    EXPECT_EQ(0, client_->GetPlayerUpdate(100, http_.Url("/none").c_str()));
    EXPECT_EQ("old", folder_.Read("update.exe"));
}

TEST_F(DownloadsTest, SkinUpdateLeavesNothingWhenItDoesNotUnpack) {
    const std::string skin = "MZ" + Bytes(20000);
    http_.Serve("/skin.za", tdtest::GzipBytes(skin), "application/octet-stream");
    http_.Serve("/junk.za", "<html>not a skin</html>", "text/html");
    std::string local;
    const std::string packed = tdtest::GzipBytes(skin);
    ASSERT_EQ(1, client_->GetSkinUpdate(static_cast<unsigned long>(packed.size()), http_.Url("/skin.za").c_str(), &local));
    std::string got;
    ASSERT_TRUE(tdtest::ReadFileBytes(local, &got));
    EXPECT_EQ(skin, got);
    EXPECT_EQ(0, _strnicmp(local.c_str(), folder_.File("ZAP").c_str(), folder_.File("ZAP").size())) << local;
    EXPECT_EQ(1u, FolderFiles().size());
    DeleteFileA(local.c_str());

    for (const char* path : {"/junk.za", "/missing.za"}) {
        local = "unchanged";
        EXPECT_NE(1, client_->GetSkinUpdate(100, http_.Url(path).c_str(), &local)) << path;
        EXPECT_EQ("unchanged", local);
        EXPECT_TRUE(FolderFiles().empty()) << path;
    }
}

TEST_F(DownloadsTest, SkinIsInstalledOnlyUnderABareName) {
    tdtest::TempFolder program("prog");
    CreateDirectoryA(program.File("skins").c_str(), nullptr);
    const std::string skins = program.File("skins");
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {
        {"newskin.dll", true},          {"..\\tunerdeck.exe", false}, {"..\\basekit.dll", false},
        {"C:\\Windows\\evil.dll", false}, {"sub/evil.dll", false},     {"", false},
        {"skin.exe", false},
    };
    for (const Case& c : cases) {
        folder_.Write("ZAP1.tmp", "skin bytes");
        program.Write("basekit.dll", "program file");
        EXPECT_EQ(c.ok, online::InstallSkinFile(folder_.File("ZAP1.tmp"), skins, c.name)) << c.name;
        EXPECT_FALSE(folder_.Exists("ZAP1.tmp")) << c.name;
        EXPECT_EQ("program file", program.Read("basekit.dll")) << c.name;
        EXPECT_FALSE(program.Exists("tunerdeck.exe")) << c.name;
    }
    EXPECT_EQ("skin bytes", program.Read("skins\\newskin.dll"));
    // A file without the name of a skin library in its version record.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string standin = self;
    standin = standin.substr(0, standin.find_last_of('\\') + 1) + "update_standin.exe";
    ASSERT_TRUE(CopyFileA(standin.c_str(), folder_.File("ZAP2.tmp").c_str(), FALSE));
    std::string name;
    EXPECT_FALSE(online::InstallDownloadedSkin(folder_.File("ZAP2.tmp"), skins, &name));
    EXPECT_FALSE(folder_.Exists("ZAP2.tmp"));
}

// The downloaded installer is started the way the player starts it at its
// end; the stand-in records its command line.
TEST_F(DownloadsTest, DownloadedInstallerStarts) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string standin = self;
    standin = standin.substr(0, standin.find_last_of('\\') + 1) + "update_standin.exe";
    std::string exe;
    ASSERT_TRUE(tdtest::ReadFileBytes(standin, &exe)) << standin;
    http_.Serve("/setup/update.exe", exe, "application/octet-stream");
    ASSERT_EQ(1, client_->GetPlayerUpdate(static_cast<unsigned long>(exe.size()), http_.Url("/setup/update.exe").c_str()));

    const std::string folder = folder_.Path() + "\\";
    std::string command = "\"" + folder + "update.exe\" /SP- /noicons /silent /dir=\"C:\\Program Files\\velmirant\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 20000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);
    const std::string log = folder_.Read("update_started.log");
    EXPECT_NE(std::string::npos, log.find("dir=C:\\Program Files\\velmirant\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find("silent=1\r\nsp-=1\r\nnoicons=1")) << log;
    EXPECT_NE(std::string::npos, log.find("folder=" + folder_.Path())) << log;
}

// The dialog belongs to the downloading thread and is advanced after every
// block; the test watches it from outside while the answer trickles in.
TEST_F(DownloadsTest, ProgressDialogShowsTheKilobytes) {
    const std::string skin = Bytes(120000);
    const std::string packed = tdtest::GzipBytes(skin);
    http_.Route("/slow.za", [&](const tdtest::HttpRequest&) {
        tdtest::HttpResponse r;
        r.body = packed;
        r.chunkSize = 4096;
        r.chunkDelayMs = 60;
        return r;
    });
    std::atomic<int> result{-1};
    std::thread worker([&] {
        cOnlineClient client(nullptr, nullptr, nullptr);
        std::string local;
        result = client.GetSkinUpdate(static_cast<unsigned long>(packed.size()), http_.Url("/slow.za").c_str(), &local);
    });
    HWND dialog = nullptr;
    std::string text;
    char title[100] = {};
    // Watched until the download ends, or for a minute at most.
    for (const DWORD start = GetTickCount(); result < 0 && GetTickCount() - start < 60000;) {
        Sleep(10);
        dialog = cOnlineClient::ProgressDialog();
        if (!dialog) continue;
        char buf[100] = {};
        DWORD_PTR len = 0;
        HWND field = GetDlgItem(dialog, 1000);
        if (field && SendMessageTimeoutA(field, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                                         SMTO_ABORTIFHUNG, 1000, &len)) {
            text = buf;
            SendMessageTimeoutA(dialog, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title), SMTO_ABORTIFHUNG,
                                1000, &len);
            if (text.compare(0, 2, "0 ") != 0) break;
        }
    }
    if (dialog && result < 0) {
        Sleep(100);
        EXPECT_TRUE(tdtest::SaveWindowPng(dialog, tdtest::ArtifactDir() + "\\online_progress_dialog.png"));
    }
    worker.join();
    EXPECT_EQ(1, result.load());
    EXPECT_STREQ("velmirant-Player Update", title);
    const std::string total = " / " + std::to_string(packed.size() / 1024) + " KBytes";
    ASSERT_NE(std::string::npos, text.find(total)) << text;
    EXPECT_NE("0", text.substr(0, text.find(' '))) << text;
    EXPECT_EQ(nullptr, cOnlineClient::ProgressDialog());
}

}  // namespace
