// The recommendation record the skin engine fills and the player core sends
// to the interface server (callback code 36): one layout for both sides.
#pragma once

#include <cstddef>
#include <cstdint>

// The record the host sends a recommendation with (callback code 36); the
// host writes the outcome (1 sent) into the kind. Both sides live in one
// process, so the item text travels as a pointer.
struct RecommendRecord {
    enum { NAME_SIZE = 80, MESSAGE_SIZE = 1024 };
    int32_t kind;  // 1, 2 station; 3 the player; 4 a timer entry; 5 a podcast
    int32_t id;    // kind 4: index in the timer list; kind 5: the podcast's id
    const char* item;  // the opener's text of the item (at most 1023 characters)
    char senderName[NAME_SIZE];
    char recipientName[NAME_SIZE];
    char senderMail[NAME_SIZE];
    char recipientMail[NAME_SIZE];
    char message[MESSAGE_SIZE];  // the user's message with any appended link
};
static_assert(offsetof(RecommendRecord, item) == 8, "recommendation record: item");
static_assert(offsetof(RecommendRecord, senderName) == 8 + sizeof(void*), "recommendation record: sender name");
static_assert(offsetof(RecommendRecord, recipientName) == 88 + sizeof(void*), "recommendation record: recipient name");
static_assert(offsetof(RecommendRecord, senderMail) == 168 + sizeof(void*), "recommendation record: sender e-mail");
static_assert(offsetof(RecommendRecord, recipientMail) == 248 + sizeof(void*), "recommendation record: recipient e-mail");
static_assert(offsetof(RecommendRecord, message) == 328 + sizeof(void*), "recommendation record: message");
static_assert(sizeof(RecommendRecord) == (sizeof(void*) == 8 ? 1360 : 1356), "recommendation record: size");
