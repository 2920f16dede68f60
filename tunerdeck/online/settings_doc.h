// The settings record (the player's settings as one XML text), the
// listening records kept inside it until they are reported, the timer of a
// listening period and the byte-cursor helpers of compact records. Free of
// Windows calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "listen_timer.h"
#include "xml_core.h"

// One "Action" element as read back.
class cListenActionDoc : public cXmlDocument {
public:
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& action);
    std::string ListenStart, ListenStop, ConnectTime, StreamID, Typ, Quality, UserURL, SkinID;
};

class cSettingsDoc : public cXmlDocument {
public:
    static constexpr int kElements = 68;
    static const char* const kElementNames[kElements];   // record order; index 11 is UserAction
    // Newest listening records kept when a record holds more: an unreachable
    // server must not let the record grow without end.
    static constexpr size_t kMaxListenActions = 500;

    // `documentsFolder` gives the default PodcastDir (documents folder + "\Podcast").
    explicit cSettingsDoc(const std::string& documentsFolder = std::string());
    void SetField(std::string name, std::string value) override;
    void Parse(const std::string& text);
    // The text of an element by name; null for UserAction or an unknown name.
    const std::string* Get(const std::string& name) const;

    std::string values[kElements];
    std::vector<std::unique_ptr<cListenActionDoc>> actions;
};

struct ListenRecord {
    uint32_t start = 0, stop = 0;   // seconds since 1970
    int32_t connectTime = 0;
    int32_t streamId = 0;           // -1: an address the user entered
    std::string userUrl;
    std::string skinId;
    int32_t quality = 0;
};

// One listening record.
class CUSERACTION {
public:
    explicit CUSERACTION(const ListenRecord& r);
    virtual ~CUSERACTION() = default;
    // The "Action" element, address and skin id escaped.
    void GetActionXml(std::string* out) const;
    int32_t GetStreamId() const { return streamId_; }

private:
    uint32_t start_, stop_;
    int32_t connect_, streamId_;
    std::string userUrl_;
    int32_t typ_;
    std::string skinId_;
    int32_t quality_;
};

// Measures one listening period by the millisecond tick counter; the
// playback status reporter drives it through its four slots.
class cListenTimer : public bk::ListenTimerSlots {
public:
    cListenTimer();
    virtual ~cListenTimer() = default;
    void OnConnected() override;
    void OnFirstData() override;
    int OnStop(int32_t quality) override;
    uint32_t GetStartupDelay() const override { return startupDelay_; }

    uint32_t GetListenStart() const { return startTime_ + (connectDelay_ + startupDelay_) / 1000; }
    uint32_t GetListenStop() const { return startTime_ + duration_ / 1000; }
    uint32_t GetDuration() const { return duration_; }
    int32_t GetQuality() const { return quality_; }

protected:
    // Milliseconds of a steady clock; tests put a clock of their own here.
    virtual uint32_t Ticks() const;
    void Restart(uint32_t nowSeconds);

private:
    uint32_t startTick_ = 0;
    uint32_t startTime_ = 0;
    uint32_t connectDelay_ = 0, duration_ = 0, startupDelay_ = 0;
    int32_t quality_ = 0;
};

// Compact records: little-endian numbers, texts as a 16-bit length and the
// text with its zero, blobs as a 32-bit length and the bytes. Every call is
// bounded by `end`; a value that does not fit fails and leaves the cursor.
bool PutUInt16ToBuffer(uint16_t value, unsigned char** cursor, const unsigned char* end);
bool PutUInt32ToBuffer(uint32_t value, unsigned char** cursor, const unsigned char* end);
// Advances by 2 + length, so the next value overwrites the zero.
bool WriteCountedString(const char* text, unsigned char** cursor, const unsigned char* end);
bool WriteCountedBlob(const void* bytes, uint32_t length, unsigned char** cursor, const unsigned char* end);
bool ReadUInt16(const unsigned char** cursor, const unsigned char* end, uint16_t* value);
bool ReadUInt32(const unsigned char** cursor, const unsigned char* end, uint32_t* value);
// The stored length, or -1 when the stored length runs past `end` or (with
// a buffer) does not fit `capacity` with its zero. Without a buffer the
// cursor stays where it is.
int32_t ReadCountedString(const unsigned char** cursor, const unsigned char* end, char* buffer, size_t capacity);
int64_t ReadCountedBlob(const unsigned char** cursor, const unsigned char* end, void* buffer, size_t capacity);
