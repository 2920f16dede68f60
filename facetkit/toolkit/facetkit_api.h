// Export macro of the skin and user-interface library.
#pragma once

#ifdef FACETKIT_BUILD
#define FACETKIT_API __declspec(dllexport)
#else
#define FACETKIT_API __declspec(dllimport)
#endif
