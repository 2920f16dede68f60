// Shared set-up of the player core's tests: the player's folders in a
// temporary place and a clean settings key.
#pragma once

#include <string>

#include "player_globals.h"
#include "registry.h"
#include "tdtest.h"

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

}  // namespace coretest
