// Shared set-up of the player core's tests: the player's folders in a
// temporary place and a clean settings key.
#pragma once

#include <memory>
#include <string>

#include "online_host.h"
#include "player_globals.h"
#include "registry.h"
#include "tdtest.h"
#include "user_data_store.h"

namespace coretest {

class PlayerFolders {
public:
    PlayerFolders() : registry_(GetSettingsKeyName()) {
        CreateDirectoryA(root_.File("program").c_str(), nullptr);
        CreateDirectoryA(root_.File("user").c_str(), nullptr);
        CreateDirectoryA(root_.File("docs").c_str(), nullptr);
        td::SetProgramFolder(Program().c_str());
        td::SetUserFolder((User() + "\\").c_str());
        td::SetDocumentsFolder(Docs().c_str());
    }
    ~PlayerFolders() {
        td::SetProgramFolder("");
        td::SetUserFolder("");
        td::SetDocumentsFolder("");
    }
    std::string Program() const { return root_.File("program"); }
    std::string User() const { return root_.File("user"); }
    std::string Docs() const { return root_.File("docs"); }
    const tdtest::RegistrySandbox& Registry() const { return registry_; }

private:
    tdtest::TempFolder root_{"core"};
    tdtest::RegistrySandbox registry_;
};

// A user data store over a temporary user folder (the setting PathUser and
// the program folder of the core and the online services), its station
// database read on the calling thread, in a clean settings key.
class StoreFolder {
public:
    explicit StoreFolder(const char* tag) : registry_(GetSettingsKeyName()), user_(tag) {
        SetValue("PathUser", (user_.Path() + "\\").c_str());   // stored with its backslash
        online::SetProgramFolder(user_.Path());
        td::SetProgramFolder(user_.Path().c_str());
        store_.reset(new cUserDataStore(false));
    }
    ~StoreFolder() {
        store_.reset();
        online::SetProgramFolder("");
        td::SetProgramFolder("");
    }
    cUserDataStore* Store() const { return store_.get(); }
    const tdtest::TempFolder& User() const { return user_; }

private:
    tdtest::RegistrySandbox registry_;
    tdtest::TempFolder user_;
    std::unique_ptr<cUserDataStore> store_;
};

}  // namespace coretest
