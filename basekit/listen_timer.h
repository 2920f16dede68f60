// What the status reporter calls on the timer of one listening session.
// The timer itself (with the listening record it fills) belongs to the
// player core and derives from this; basekit only knows these four calls.
#pragma once

#include <cstdint>

namespace bk {

class ListenTimerSlots {
public:
    virtual void OnConnected() = 0;
    virtual void OnFirstData() = 0;
    virtual int OnStop(int32_t quality) = 0;   // 0 when the session had already ended
    virtual uint32_t GetStartupDelay() const = 0;

protected:
    ~ListenTimerSlots() = default;   // owned and deleted by the player core
};

}  // namespace bk
