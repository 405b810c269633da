// Stereo frames on their way from the receiver's thread to the sound
// device's callback: a bounded ring with one writer and one reader, neither
// of which ever waits for the other.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv::audio {

class AudioQueue {
public:
    // capacityFrames: the most the ring holds; primeFrames: the fill the
    // reader waits for before it plays, at the start and after running dry.
    AudioQueue(size_t capacityFrames, size_t primeFrames);

    // Writer: appends count interleaved left,right frames. Frames that do
    // not fit are dropped; a push that drops any counts one overrun.
    // Returns the frames taken.
    size_t push(const float* frames, size_t count);

    // Reader: fills count frames of out. Until the queue is primed the whole
    // of out is silence; a primed queue that runs short fills the rest with
    // silence, counts one underrun and primes again. Returns the frames of sound.
    size_t pop(float* out, size_t count);

    // Frames waiting now (either side).
    size_t fill() const;
    size_t capacity() const { return capacity_; }
    uint64_t underruns() const { return underruns_.load(); }
    uint64_t overruns() const { return overruns_.load(); }

private:
    size_t capacity_, prime_;
    std::vector<float> ring_;               // capacity_ + 1 frames, two floats each
    std::atomic<size_t> head_{0}, tail_{0};  // frame indices: the reader's, the writer's
    bool primed_ = false;                    // the reader's alone
    std::atomic<uint64_t> underruns_{0}, overruns_{0};
};

}  // namespace orv::audio
