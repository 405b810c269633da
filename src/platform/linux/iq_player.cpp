#include "platform/linux/iq_player.h"

#include <chrono>
#include <memory>

#include "audio/audio_player.h"
#include "receiver/tuning.h"

namespace orv::linuxcard {

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t maxBlocksWaiting = 16;  // about 130 ms of IQ
constexpr auto idlePause = std::chrono::milliseconds(20);
constexpr auto blockWait = std::chrono::milliseconds(100);

receiver::ReceiverConfig receiverConfig(double rate, const PlayerConfig& config) {
    receiver::ReceiverConfig c;
    c.inputRate = rate;
    c.deemphasisSeconds = config.deemphasisSeconds;
    c.stereo = config.stereo;
    c.threshold = config.threshold;
    return c;
}

}  // namespace

IqPlayer::IqPlayer(IqSource& source, audio::AudioQueue* sound, const PlayerConfig& config)
    : source_(source), sound_(sound), receiver_(receiverConfig(source.sampleRate(), config)),
      rate_(double(audio::targetFillFrames), audio::outputRate), sampleRate_(source.sampleRate()),
      pairBytes_(receiver::bytesPerIqPair(source.format())) {
    receiver_.retune(generation_);
}

IqPlayer::~IqPlayer() {
    running_ = false;
    blocksReady_.notify_all();
    if (reader_.joinable()) reader_.join();
    if (processor_.joinable()) processor_.join();
    if (connected_) source_.close();
}

void IqPlayer::start(bool sourceOpen) {
    connected_ = sourceOpen;
    running_ = true;
    reader_ = std::thread([this] { readLoop(); });
    processor_ = std::thread([this] { processLoop(); });
}

void IqPlayer::retuneLocked() {
    ++generation_;
    receiver_.retune(generation_);
}

void IqPlayer::tune(double stationHz) {
    std::lock_guard<std::mutex> lock(tuningMutex_);
    // The panel sends the same frequency again to mute and unmute: the
    // station goes on as it is, with what it said about itself.
    if (stationHz == stationHz_ && stationHz > 0.0) return;
    stationHz_ = stationHz;
    retuneLocked();
}

uint32_t IqPlayer::generation() const {
    std::lock_guard<std::mutex> lock(tuningMutex_);
    return generation_;
}

receiver::Measurement IqPlayer::measurement() const {
    if (!connected_) return receiver::Measurement{};
    const uint32_t wanted = generation();
    receiver::Measurement m = receiver_.measurement();
    if (m.generation != wanted) return receiver::Measurement{};
    return m;
}

receiver::RdsState IqPlayer::rds() const {
    if (!connected_) return receiver::RdsState{};
    const uint32_t wanted = generation();
    receiver::RdsState s = receiver_.rds();
    if (s.generation != wanted) return receiver::RdsState{};
    return s;
}

// The device went away: its last measurements no longer stand.
void IqPlayer::lose() {
    source_.close();
    connected_ = false;
    Block end;  // the sound so far fades out
    end.silent = true;
    hand(std::move(end));
    std::lock_guard<std::mutex> lock(tuningMutex_);
    retuneLocked();
}

bool IqPlayer::reconnect() {
    std::string whyNot;
    if (!source_.open(whyNot)) return false;
    std::lock_guard<std::mutex> lock(tuningMutex_);
    retuneLocked();  // the device comes back at the panel's frequency
    connected_ = true;
    return true;
}

void IqPlayer::hand(Block&& block) {
    std::lock_guard<std::mutex> lock(blocksMutex_);
    if (blocks_.size() >= maxBlocksWaiting) blocks_.pop_front();
    blocks_.push_back(std::move(block));
    blocksReady_.notify_one();
}

void IqPlayer::readLoop() {
    uint32_t applied = 0;
    size_t discard = 0;
    auto lastAttempt = Clock::now();
    const size_t stalePairs = size_t(staleSeconds * sampleRate_);
    while (running_) {
        if (!connected_) {
            const auto now = Clock::now();
            if (now - lastAttempt >= std::chrono::duration<double>(reopenSeconds)) {
                lastAttempt = now;
                if (reconnect()) applied = 0;
            }
            std::this_thread::sleep_for(idlePause);
            continue;
        }
        uint32_t generation;
        double stationHz;
        {
            std::lock_guard<std::mutex> lock(tuningMutex_);
            generation = generation_;
            stationHz = stationHz_;
        }
        if (generation != applied) {
            if (stationHz > 0.0 && !source_.tune(receiver::hardwareFrequencyFor(stationHz))) {
                lose();
                lastAttempt = Clock::now();
                continue;
            }
            applied = generation;
            discard = stalePairs;
        }
        Block block;
        block.data.resize(blockPairs * pairBytes_);
        const long n = source_.read(block.data.data(), blockPairs);
        if (n < 0) {
            lose();
            lastAttempt = Clock::now();
            continue;
        }
        if (n == 0) continue;
        block.pairs = size_t(n);
        block.generation = applied;
        if (discard > 0) {
            block.silent = true;
            discard = block.pairs >= discard ? 0 : discard - block.pairs;
        }
        hand(std::move(block));
    }
}

bool IqPlayer::takeBlock(Block& block) {
    std::unique_lock<std::mutex> lock(blocksMutex_);
    blocksReady_.wait_for(lock, blockWait, [this] { return !blocks_.empty() || !running_; });
    if (blocks_.empty()) return false;
    block = std::move(blocks_.front());
    blocks_.pop_front();
    return true;
}

void IqPlayer::processLoop() {
    std::vector<float> audio;
    Block block;
    std::unique_ptr<audio::Joints> joints;
    if (sound_) joints = std::make_unique<audio::Joints>(*sound_);
    while (running_) {
        if (!takeBlock(block)) continue;
        audio.clear();
        const size_t frames = block.silent ? 0
            : receiver_.process(block.data.data(), block.pairs, source_.format(), block.generation, audio);
        if (!sound_) continue;
        // Time that brought no sound keeps its place in the queue as silence.
        if (frames == 0)
            joints->silence(size_t(double(block.pairs) / sampleRate_ * audio::outputRate));
        else
            joints->sound(audio.data(), frames);
        receiver_.setRateTrim(rate_.update(double(sound_->fill()), double(block.pairs) / sampleRate_));
    }
}

}  // namespace orv::linuxcard
