#pragma once

#include <memory>
#include <string>

#include "tdtest.h"

namespace journeys {

// The local stream a journey plays: an endless MP3 of the test tone with
// in-band titles that the test may change while it runs.
class ToneStation {
public:
    ToneStation();
    ~ToneStation();
    std::string Url() const;
    void SetTitle(const std::string& title);
    size_t Connections() const;

private:
    struct State;
    std::shared_ptr<State> state_;
    tdtest::HttpServer server_;
};

}  // namespace journeys
