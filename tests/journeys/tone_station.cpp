#include "tone_station.h"

#include <mutex>

#include "test_audio.h"

namespace journeys {

struct ToneStation::State {
    std::mutex lock;
    std::string title = "Test Artist - Test Tone";
};

ToneStation::ToneStation() : state_(std::make_shared<State>()) {
    static const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(4.0));
    std::shared_ptr<State> state = state_;
    server_.Route("/station", [state](const tdtest::HttpRequest&) {
        pe_test::IcyStreamOptions o;
        o.audio = mp3;
        o.bytesPerSecond = 16000;
        o.currentTitle = [state] {
            std::lock_guard<std::mutex> hold(state->lock);
            return state->title;
        };
        return pe_test::IcyStream(o);
    });
}

ToneStation::~ToneStation() { server_.Stop(); }

std::string ToneStation::Url() const { return server_.Url("/station"); }

void ToneStation::SetTitle(const std::string& title) {
    std::lock_guard<std::mutex> hold(state_->lock);
    state_->title = title;
}

size_t ToneStation::Connections() const { return server_.Count("/station"); }

}  // namespace journeys
