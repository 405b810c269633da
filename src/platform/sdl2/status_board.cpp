#include "platform/sdl2/status_board.h"

#include <chrono>

namespace orv::sdl2 {

bool sameStatus(const PanelStatus& a, const PanelStatus& b) {
    const StationInfo &x = a.station, &y = b.station;
    return a.frequencyKHz == b.frequencyKHz && a.preset == b.preset && a.presetTuned == b.presetTuned &&
           a.muted == b.muted && a.signal == b.signal && a.style == b.style && a.slumberOn == b.slumberOn &&
           a.slumberMinutes == b.slumberMinutes && a.alarmOn == b.alarmOn && a.alarmHour == b.alarmHour &&
           a.alarmMinute == b.alarmMinute && a.lowestMHz == b.lowestMHz && a.highestMHz == b.highestMHz &&
           a.card == b.card && a.levelKnown == b.levelKnown && a.levelDb == b.levelDb && x.name == y.name &&
           x.text == y.text && x.pi == y.pi && x.pty == y.pty && x.flagsKnown == y.flagsKnown && x.tp == y.tp &&
           x.ta == y.ta && x.clock == y.clock;
}

void StatusBoard::publish(const PanelStatus& status) {
    std::vector<std::function<void()>> listeners;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (published_ && sameStatus(status_, status)) return;
        status_ = status;
        published_ = true;
        ++generation_;
        listeners = listeners_;
    }
    for (const auto& listener : listeners) listener();
}

PanelStatus StatusBoard::read() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

uint64_t StatusBoard::generation() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
}

void StatusBoard::addListener(std::function<void()> listener) {
    std::lock_guard<std::mutex> lock(mutex_);
    listeners_.push_back(std::move(listener));
}

uint64_t StatusBoard::commandSent() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++sent_;
}

uint64_t StatusBoard::lastSent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

void StatusBoard::commandHandled() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (handled_ < sent_) ++handled_;
    }
    handledChanged_.notify_all();
}

bool StatusBoard::waitHandled(uint64_t number, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return handledChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return handled_ >= number; });
}

}  // namespace orv::sdl2
