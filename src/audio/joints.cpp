#include "audio/joints.h"

#include <algorithm>

namespace orv::audio {

namespace {
constexpr size_t channels = 2;
}

void Joints::sound(const float* frames, size_t count) {
    std::vector<float> all(held_);
    const size_t start = all.size() / channels;
    all.insert(all.end(), frames, frames + count * channels);
    for (size_t i = start; i < all.size() / channels && fadedIn_ < fadeFrames; ++i, ++fadedIn_) {
        const float gain = float(fadedIn_) / float(fadeFrames);
        all[i * channels] *= gain;
        all[i * channels + 1] *= gain;
    }
    const size_t total = all.size() / channels;
    const size_t keep = std::min(total, fadeFrames);
    queue_.push(all.data(), total - keep);
    held_.assign(all.end() - long(keep * channels), all.end());
}

void Joints::silence(size_t count) {
    const size_t held = held_.size() / channels;
    for (size_t i = 0; i < held; ++i) {
        const float gain = float(held - i) / float(fadeFrames + 1);
        held_[i * channels] *= gain;
        held_[i * channels + 1] *= gain;
    }
    queue_.push(held_.data(), held);
    held_.clear();
    fadedIn_ = 0;
    if (count == 0) return;
    const std::vector<float> zeros(count * channels, 0.0f);
    queue_.push(zeros.data(), count);
}

}  // namespace orv::audio
