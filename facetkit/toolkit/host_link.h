// What the toolkit asks of the host at the moment it needs it: the
// user-interface language. The library's start-up plugs the host interface
// in; until then, and after the host is gone, the language is German.
#pragma once

#include "facetkit_api.h"

typedef int (*HostLanguageFn)(void* context);

FACETKIT_API void SetHostLanguageSource(HostLanguageFn fn, void* context);
// 2 English, anything else German.
FACETKIT_API int GetHostLanguage();
