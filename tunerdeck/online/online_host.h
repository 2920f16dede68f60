// What the online services need of the player core: the program folder and
// the user's documents folder. The core sets them at start; until then they
// come from the running program's path and the shell.
#pragma once

#include <string>

namespace online {

void SetProgramFolder(const std::string& folder);     // without a trailing backslash
void SetDocumentsFolder(const std::string& folder);
std::string ProgramFolder();
std::string DocumentsFolder();

// The folder the user's files live in: the setting "PathUser" (a missing
// trailing backslash is added), or the program folder when it is empty.
// Always ends with a backslash.
std::string UserFolder();

}  // namespace online
