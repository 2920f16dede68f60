// The flat C entry points the host binds by name from the loaded library.
#pragma once

#include "facetkit_api.h"

class cTimerEntry;

#define FK_EXPORT extern "C" FACETKIT_API

// Lists: a null text (or entry) ends a series.
FK_EXPORT void AddToFavoriten(const char* text, int id, int folder);
FK_EXPORT void AddToTopTen(const char* text, int id, const char* date);
FK_EXPORT void AddToProgrammtipps(const char* text, int id, const char* date);
FK_EXPORT void AddToSkinDefinedSender(const char* text, int id);
FK_EXPORT void AddUserDefinedSender(const char* text, int id);
FK_EXPORT void AddToTimerEntrie(cTimerEntry* entry);
FK_EXPORT void SearchResult(const char* text, int id);
FK_EXPORT int AddToPodcast(const char* address, int id, int subscribed);
FK_EXPORT void AddToList(int kind, const char* text, int id, int folder);
FK_EXPORT void ClearList(int kind);

// Status from the host (any host thread).
FK_EXPORT int ReceiveStatus(const char* text, int code);
FK_EXPORT void SetPeakLevel(int left, int right);
FK_EXPORT void SetRecTime(int a, int b, int c, int d);
FK_EXPORT void SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                             const char* text2);
FK_EXPORT void SetStreamRunInfo(unsigned long position, unsigned long nominalRate, unsigned long rate,
                                unsigned long buffer);
