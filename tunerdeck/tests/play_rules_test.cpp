// Choosing a channel's stream and deciding what follows the end of a stream.
#include <gtest/gtest.h>

#include "play_rules.h"

namespace {

using td::StreamCandidate;
using td::StreamChoiceRules;

const unsigned long kAll = 1 | 2 | 4;

// Streams: id, type, bandwidth.
const std::vector<StreamCandidate> kChannel = {
    {11, 3, 128}, {12, 3, 40}, {13, 2, 64}, {14, 1, 32}, {15, 3, 40}, {16, 3, 96},
};

struct ChoiceCase {
    const char* what;
    StreamChoiceRules rules;
    uint32_t id;
    bool found;
};

TEST(StreamChoice, FiltersSortsAndRotatesByAttempt) {
    const ChoiceCase cases[] = {
        // Mode 0, automatic choice off: descending, streams above 40 moved behind, reversed.
        {"auto off, limit 40", {kAll, 0, 0, 0, 0, 0, 1, false}, 12, true},
        {"auto off, attempt 2 keeps equal bandwidths in order", {kAll, 0, 0, 0, 0, 0, 2, false}, 15, true},
        {"auto off, attempt 3", {kAll, 0, 0, 0, 0, 0, 3, false}, 14, true},
        {"auto off, attempt 4: first of the reversed high ones", {kAll, 0, 0, 0, 0, 0, 4, false}, 13, true},
        {"auto off, attempt 6 ends with the highest", {kAll, 0, 0, 0, 0, 0, 6, false}, 11, true},
        {"attempt 7 wraps to the first", {kAll, 0, 0, 0, 0, 0, 7, false}, 12, true},
        {"access 2: no limit, descending", {kAll, 0, 0, 2, 0, 0, 1, false}, 11, true},
        {"access 1: limit 60", {kAll, 0, 0, 1, 0, 0, 1, false}, 12, true},
        {"auto on: ascending", {kAll, 0, 1, 0, 0, 0, 1, false}, 14, true},
        {"only MP3 playable", {4, 0, 0, 2, 0, 0, 3, false}, 12, true},
        {"only Windows Media", {2, 0, 0, 0, 0, 0, 2, false}, 13, true},
        {"nothing playable: first stream, not found", {0, 0, 0, 0, 0, 0, 1, false}, 11, false},
        {"mode 1 class 5 keeps above 63, descending", {kAll, 1, 1, 0, 5, 0, 1, false}, 11, true},
        {"mode 1 class 1 keeps below 33", {kAll, 1, 0, 0, 1, 0, 1, false}, 14, true},
        {"mode 1 class 3 with type MP3", {kAll, 1, 0, 0, 3, 3, 1, false}, 12, true},
        {"mode 1 filters that leave nothing fall back", {kAll, 1, 0, 0, 1, 2, 1, false}, 11, true},
        {"attempt 0 counts as 1", {kAll, 0, 0, 2, 0, 0, 0, false}, 11, true},
    };
    for (const ChoiceCase& c : cases) {
        td::StreamChoice choice = td::ChooseStream(kChannel, c.rules);
        EXPECT_EQ(choice.id, c.id) << c.what;
        EXPECT_EQ(choice.found, c.found) << c.what;
    }
}

TEST(StreamChoice, TwoCandidatesOnAttemptThreeGiveTheFirstAgain) {
    std::vector<StreamCandidate> two = {{1, 3, 64}, {2, 3, 32}};
    StreamChoiceRules rules{kAll, 0, 0, 2, 0, 0, 3, false};
    EXPECT_EQ(td::ChooseStream(two, rules).id, 1u);
    EXPECT_EQ(td::ChooseStream({}, rules).found, false);
}

TEST(StreamChoice, TypesAndEngineNames) {
    EXPECT_EQ(td::CapabilityOfType(1), 1ul);
    EXPECT_EQ(td::CapabilityOfType(2), 2ul);
    EXPECT_EQ(td::CapabilityOfType(3), 4ul);
    EXPECT_EQ(td::CapabilityOfType(9), 4ul);
    EXPECT_STREQ(td::EngineNameOfType(2, 2), "Windows Media Player");
    EXPECT_STREQ(td::EngineNameOfType(7, 1), "<Unbekannt>");
}

struct EndCase {
    const char* what;
    td::EndFacts facts;   // hasError, byUser, local, elapsed, attempt, retries, reconnect
    bool keep;
    td::EndAction action;
    const char* status;
};

TEST(StreamEnd, DecisionTable) {
    using A = td::EndAction;
    const EndCase cases[] = {
        {"never connected, attempt 1 of 3", {true, false, false, 0, 1, 3, 0}, true, A::kRetryNextStream,
         "keep_record finished playing..."},
        {"never connected, attempt 3 of 3", {true, false, false, 0, 3, 3, 0}, false, A::kNone, "finished playing..."},
        {"never connected, no limit", {true, false, false, 0, 9, 0, 0}, true, A::kRetryNextStream,
         "keep_record finished playing..."},
        {"ran 10 min and dropped, reconnect on", {true, false, false, 600, 1, 3, 1}, true, A::kReconnect,
         "keep_record OK finished playing..."},
        {"ran and dropped, reconnect off", {true, false, false, 600, 1, 3, 0}, false, A::kNone,
         "OK finished playing..."},
        {"user stop", {false, true, false, 600, 1, 3, 1}, false, A::kNone, "OK finished playing..."},
        {"user stop reported with an error never retries", {true, true, false, 0, 1, 0, 1}, false, A::kNone,
         "finished playing..."},
        {"stream simply ended, reconnect on", {false, false, false, 30, 1, 3, 1}, true, A::kReconnect,
         "keep_record OK finished playing..."},
        {"stream simply ended, reconnect off", {false, false, false, 30, 1, 3, 0}, false, A::kNone,
         "OK finished playing..."},
        {"local file failed", {true, false, true, 0, 1, 3, 1}, false, A::kLocalFileFailed, "finished playing..."},
        {"local file ended", {false, false, true, 100, 1, 3, 1}, false, A::kLocalFileEnded, "OK finished playing..."},
        {"clock set back counts as never connected", {true, false, false, -5, 1, 3, 0}, true, A::kRetryNextStream,
         "keep_record finished playing..."},
        // No host, or a server that closes at once: no error is reported, but
        // a stream that never ran failed; it is a try, not a reconnect.
        {"never ran, no error, reconnect on", {false, false, false, 0, 1, 3, 1}, true, A::kRetryNextStream,
         "keep_record finished playing..."},
        {"never ran, no error, last try", {false, false, false, 0, 3, 3, 1}, false, A::kNone, "finished playing..."},
        {"never ran, no error, no limit", {false, false, false, 0, 40, 0, 0}, true, A::kRetryNextStream,
         "keep_record finished playing..."},
        {"local file over at once", {false, false, true, 0, 1, 3, 1}, false, A::kLocalFileEnded, "finished playing..."},
    };
    for (const EndCase& c : cases) {
        td::EndDecision d = td::DecideEnd(c.facts);
        EXPECT_EQ(d.keep, c.keep) << c.what;
        EXPECT_EQ(static_cast<int>(d.action), static_cast<int>(c.action)) << c.what;
        EXPECT_STREQ(d.statusText, c.status) << c.what;
    }
}

TEST(SkinDownload, OnlyBareDllNamesAreInstalled) {
    EXPECT_TRUE(td::IsInstallableSkinName("zentorraface.dll"));
    EXPECT_TRUE(td::IsInstallableSkinName("Skin 2.DLL"));
    for (const char* bad : {"", ".dll", "..\\facetkit.dll", "sub/x.dll", "C:x.dll", "\\\\host\\s.dll", "skin.exe",
                            "a..dll", "skin.dll.txt"})
        EXPECT_FALSE(td::IsInstallableSkinName(bad)) << bad;
}

TEST(StreamEnd, RetryPausesGrowToHalfAMinute) {
    EXPECT_EQ(td::RetryPauseMs(2), 1000u);
    EXPECT_EQ(td::RetryPauseMs(3), 2000u);
    EXPECT_EQ(td::RetryPauseMs(6), 16000u);
    EXPECT_EQ(td::RetryPauseMs(7), 30000u);
    EXPECT_EQ(td::RetryPauseMs(100), 30000u);
}

}  // namespace
