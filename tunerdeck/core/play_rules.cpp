#include "play_rules.h"

#include <algorithm>

namespace td {

unsigned long CapabilityOfType(int type) {
    switch (type) {
    case 1: return 1;
    case 2: return 2;
    default: return 4;
    }
}

const char* EngineNameOfType(int type, int language) {
    switch (type) {
    case 1: return "RealPlayer";
    case 2: return "Windows Media Player";
    case 3:
        return language == 1 ? "Windows Media Player ab Version 9 oder RealPlayer"
                             : "Windows Media Player Version 9 or better or RealPlayer";
    default: return language == 1 ? "<Unbekannt>" : "<unknown>";
    }
}

bool InBandwidthClass(int cls, long kbit) {
    switch (cls) {
        case 1: return kbit < 33;
        case 2: return kbit < 65;
        case 3: return kbit >= 32 && kbit <= 64;
        case 4: return kbit > 31;
        case 5: return kbit > 63;
        default: return true;
    }
}

StreamChoice ChooseStream(const std::vector<StreamCandidate>& streams, const StreamChoiceRules& rules) {
    StreamChoice choice;
    if (streams.empty()) return choice;
    choice.id = streams.front().id;

    std::vector<int> list;
    const unsigned long all = 1 | 2 | 4;
    bool filter = !((rules.capabilities & all) == all && rules.chosenWanted);
    for (int i = 0; i < static_cast<int>(streams.size()); ++i)
        if (!filter || (rules.capabilities & CapabilityOfType(streams[i].type))) list.push_back(i);
    if (list.empty()) return choice;
    choice.found = true;

    int autoSelect = rules.mode == 1 ? 0 : rules.autoSelect;
    // Equal bandwidths keep their order.
    std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
        return autoSelect ? streams[a].bandwidth < streams[b].bandwidth : streams[a].bandwidth > streams[b].bandwidth;
    });

    if (rules.mode == 1) {
        std::vector<int> kept;
        for (int i : list)
            if (InBandwidthClass(rules.bandwidthClass, streams[i].bandwidth) &&
                (rules.preferredType == 0 || streams[i].type == rules.preferredType))
                kept.push_back(i);
        // Filters that leave nothing fall back to the whole choice.
        if (!kept.empty()) list.swap(kept);
    } else {
        int limit = rules.internetAccess == 1 ? 60 : rules.internetAccess == 2 ? 0 : 40;
        if (limit > 0 && autoSelect == 0) {
            std::vector<int> within, above;
            for (int i : list) (streams[i].bandwidth > limit ? above : within).push_back(i);
            // Walked from the end, each one moved behind all: they end up reversed.
            std::reverse(above.begin(), above.end());
            within.insert(within.end(), above.begin(), above.end());
            list.swap(within);
        }
    }
    int attempt = rules.attempt < 1 ? 1 : rules.attempt;
    choice.index = list[static_cast<size_t>(attempt - 1) % list.size()];
    choice.id = streams[choice.index].id;
    return choice;
}

EndDecision DecideEnd(const EndFacts& f) {
    EndDecision d;
    bool unlimited = f.retryCount == 0;
    int32_t elapsed = f.elapsedSeconds < 0 ? 0 : f.elapsedSeconds;
    // A stream that never ran failed, whether or not an engine said so: a
    // host that could not start or a server that closed at once reports no
    // error, and taking that for a normal end would replay it for ever.
    const bool failed = f.hasError || (elapsed == 0 && !f.localFile);
    if (f.stoppedByUser || failed) {
        if (failed && !f.stoppedByUser) {
            if (elapsed > 0)
                d.keep = f.reconnectOnLost != 0;
            else if (!f.localFile)
                d.keep = unlimited || f.attempt < f.retryCount;
        }
    } else {
        d.keep = f.reconnectOnLost == 1 && !f.localFile;
    }
    if (elapsed < 1)
        d.statusText = d.keep ? "keep_record finished playing..." : "finished playing...";
    else
        d.statusText = d.keep ? "keep_record OK finished playing..." : "OK finished playing...";

    if (f.stoppedByUser || failed) {
        if (failed && !f.stoppedByUser) {
            if (elapsed == 0) {
                if (f.localFile)
                    d.action = EndAction::kLocalFileFailed;
                else if (d.keep)
                    d.action = EndAction::kRetryNextStream;
            } else if (f.reconnectOnLost) {
                d.action = EndAction::kReconnect;
            }
        }
    } else if (f.reconnectOnLost && !f.localFile) {
        d.action = EndAction::kReconnect;
    } else if (f.localFile) {
        d.action = EndAction::kLocalFileEnded;
    }
    return d;
}

bool IsInstallableSkinName(const std::string& name) {
    if (name.size() < 5 || name.size() > 200) return false;
    if (name.find_first_of("\\/:") != std::string::npos || name.find("..") != std::string::npos) return false;
    std::string ext = name.substr(name.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".dll";
}

uint32_t RetryPauseMs(int attempt) {
    int n = attempt < 2 ? 0 : attempt - 2;
    uint32_t ms = 1000u << (n > 5 ? 5 : n);
    return ms > 30000u ? 30000u : ms;
}

}  // namespace td
