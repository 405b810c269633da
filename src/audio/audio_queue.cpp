#include "audio/audio_queue.h"

#include <algorithm>

namespace orv::audio {

namespace {
constexpr size_t channels = 2;
}

AudioQueue::AudioQueue(size_t capacityFrames, size_t primeFrames)
    : capacity_(capacityFrames), prime_(std::min(primeFrames, capacityFrames)),
      ring_((capacityFrames + 1) * channels, 0.0f) {}

size_t AudioQueue::fill() const {
    const size_t slots = capacity_ + 1;
    return (tail_.load(std::memory_order_acquire) + slots - head_.load(std::memory_order_acquire)) % slots;
}

size_t AudioQueue::push(const float* frames, size_t count) {
    const size_t slots = capacity_ + 1;
    const size_t head = head_.load(std::memory_order_acquire);
    size_t tail = tail_.load(std::memory_order_relaxed);
    const size_t room = capacity_ - (tail + slots - head) % slots;
    const size_t taken = std::min(room, count);
    for (size_t i = 0; i < taken; ++i) {
        ring_[tail * channels] = frames[i * channels];
        ring_[tail * channels + 1] = frames[i * channels + 1];
        tail = (tail + 1) % slots;
    }
    tail_.store(tail, std::memory_order_release);
    if (taken < count) overruns_.fetch_add(1);
    return taken;
}

size_t AudioQueue::pop(float* out, size_t count) {
    const size_t slots = capacity_ + 1;
    const size_t tail = tail_.load(std::memory_order_acquire);
    size_t head = head_.load(std::memory_order_relaxed);
    const size_t available = (tail + slots - head) % slots;
    if (!primed_ && available >= std::max<size_t>(prime_, 1)) primed_ = true;
    size_t taken = 0;
    if (primed_) {
        taken = std::min(available, count);
        for (size_t i = 0; i < taken; ++i) {
            out[i * channels] = ring_[head * channels];
            out[i * channels + 1] = ring_[head * channels + 1];
            head = (head + 1) % slots;
        }
        head_.store(head, std::memory_order_release);
        if (taken < count) {
            underruns_.fetch_add(1);
            primed_ = false;
        }
    }
    std::fill(out + taken * channels, out + count * channels, 0.0f);
    return taken;
}

}  // namespace orv::audio
