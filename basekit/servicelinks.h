// What the status reporter and the network code take from the other parts
// of the library (message catalogue, shared data section, settings), in one
// place so that each use reads the same way.
#pragma once

#include <cstddef>

namespace bk3 {

// Catalogue text id in the language (2 English, else German); an empty
// text when it is missing.
void LoadMessageText(unsigned id, int language, char* buffer, size_t size);

// The proxy of the shared data section: "host:port" when it is switched on
// and both texts are usable; false (and an empty text) otherwise.
bool ReadSharedProxy(char* hostPort, size_t size);

// Stores a resolved stream address in the shared data section.
void StoreResolvedAddress(const char* address);

// The user folder (settings value "PathUser"); false when it is not set.
bool ReadUserFolder(char* buffer, size_t size);

}  // namespace bk3
