// Hand-over of GPS results from the reader thread to the GUI thread.
//
// One slot per kind of result: while a position waits to be processed, the
// next position is dropped, not queued, so a slow position pipeline never
// falls behind the receiver. Every result carries its own copy of the fix,
// so the GUI never sees one that is half written.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "gps/dispatch.h"

namespace mw {

template <typename T>
class OneSlotMailbox {
public:
    // Stores `value` unless one is still waiting; false when it was dropped.
    bool Offer(T value) {
        std::lock_guard lock(mutex_);
        if (slot_) return false;
        slot_.emplace(std::move(value));
        return true;
    }
    // Stores `value` in place of any waiting one, for states where only the
    // newest matters.
    void Replace(T value) {
        std::lock_guard lock(mutex_);
        slot_ = std::move(value);
    }
    bool Waiting() const {
        std::lock_guard lock(mutex_);
        return slot_.has_value();
    }
    std::optional<T> Take() {
        std::lock_guard lock(mutex_);
        std::optional<T> out = std::move(slot_);
        slot_.reset();
        return out;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        slot_.reset();
    }

private:
    mutable std::mutex mutex_;
    std::optional<T> slot_;
};

struct GpsPositionResult {
    PositionReport position;
    GpsFix fix;
};

// The mailboxes the GUI thread drains. Positions and speeds are dropped
// while one of their kind waits; the status and the satellites snapshot keep
// only the newest. Drain the status before the position, so that the
// pipeline's own statusText changes come last.
class GpsMailboxes : public GpsResultSink {
public:
    // Called from the reader thread after something was stored (for the Qt
    // layer: post an event to the GUI thread). Set it before the reader
    // starts.
    void SetArrivalHandler(std::function<void()> handler) { onArrival_ = std::move(handler); }

    void OnPosition(const PositionReport& position, const GpsFix& fix) override;
    void OnSpeed(const GpsFix& fix) override;
    void OnStatus(const std::string& statusText) override;
    void OnSatellites(const GpsFix& fix) override;

    std::optional<GpsPositionResult> TakePosition() { return positions_.Take(); }
    std::optional<GpsFix> TakeSpeed() { return speeds_.Take(); }
    std::optional<std::string> TakeStatus() { return status_.Take(); }
    std::optional<GpsFix> TakeSatellites() { return satellites_.Take(); }
    void Clear();

    // Results dropped because one of their kind was waiting.
    int DroppedPositions() const { return droppedPositions_.load(); }
    int DroppedSpeeds() const { return droppedSpeeds_.load(); }

private:
    void Arrived() {
        if (onArrival_) onArrival_();
    }

    OneSlotMailbox<GpsPositionResult> positions_;
    OneSlotMailbox<GpsFix> speeds_;
    OneSlotMailbox<std::string> status_;
    OneSlotMailbox<GpsFix> satellites_;
    std::atomic<int> droppedPositions_{0};
    std::atomic<int> droppedSpeeds_{0};
    std::function<void()> onArrival_;
};

}  // namespace mw
