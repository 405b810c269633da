#include "platform/linux/v4l2_radio.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace orv::linuxcard {

namespace {

constexpr uint8_t statusSignal = 0xFD;  // the status line pulled low
constexpr uint8_t statusNone = 0xFF;
constexpr uint16_t wordNone = 0xFFFF;
constexpr double unitsPerMHzLow = 16000.0;  // 62.5 Hz units
constexpr double unitsPerMHz = 16.0;        // 62.5 kHz units

// Errors that mean the device itself is gone (a USB receiver pulled out).
bool deviceGone(int error) { return error == ENODEV || error == EIO || error == EBADF || error == ENXIO; }

std::string errorText(int error) { return std::strerror(error); }

using Lock = std::lock_guard<std::recursive_mutex>;

// RDS blocks as the driver hands them over: 3 bytes each.
constexpr size_t rdsBlocksARead = 64;

// The block's place as the driver names it (V4L2_RDS_BLOCK_MSK bits).
bool rdsOffsetOf(uint8_t blockByte, receiver::BlockOffset& offset) {
    switch (blockByte & V4L2_RDS_BLOCK_MSK) {
        case V4L2_RDS_BLOCK_A: offset = receiver::BlockOffset::A; return true;
        case V4L2_RDS_BLOCK_B: offset = receiver::BlockOffset::B; return true;
        case V4L2_RDS_BLOCK_C: offset = receiver::BlockOffset::C; return true;
        case V4L2_RDS_BLOCK_D: offset = receiver::BlockOffset::D; return true;
        case V4L2_RDS_BLOCK_C_ALT: offset = receiver::BlockOffset::CPrime; return true;
        default: return false;
    }
}

receiver::BlockError rdsErrorOf(uint8_t blockByte) {
    if (blockByte & V4L2_RDS_BLOCK_ERROR) return receiver::BlockError::Uncorrectable;
    if (blockByte & V4L2_RDS_BLOCK_CORRECTED) return receiver::BlockError::Corrected;
    return receiver::BlockError::None;
}

// The offset of the block at a place in the group, for blocks the driver could not place.
constexpr receiver::BlockOffset offsetAtPlace[] = {receiver::BlockOffset::A, receiver::BlockOffset::B,
                                                   receiver::BlockOffset::C, receiver::BlockOffset::D};

}  // namespace

uint32_t tunerUnits(double mhz, bool lowUnits, uint32_t low, uint32_t high) {
    double units = std::nearbyint(mhz * (lowUnits ? unitsPerMHzLow : unitsPerMHz));
    if (!(units >= 0)) units = 0;
    units = std::min(units, double(UINT32_MAX));
    const uint32_t value = uint32_t(units);
    if (high < low) return value;
    return std::clamp(value, low, high);
}

V4l2Radio::V4l2Radio(RadioDevice& device, RadioSettings settings)
    : device_(device), settings_(std::move(settings)) {}

V4l2Radio::~V4l2Radio() {
    stopRds();
    disconnect();
}

bool V4l2Radio::open(std::string& whyNot) { return connect(&whyNot); }

bool V4l2Radio::connected() const {
    Lock lock(deviceMutex_);
    return fd_ >= 0;
}

bool V4l2Radio::connect(std::string* whyNot) {
    Lock lock(deviceMutex_);
    disconnect();
    const std::string& path = settings_.device;
    const int fd = device_.open(path.c_str());
    if (fd < 0) {
        if (whyNot) *whyNot = "Can't open the radio device " + path + ": " + errorText(errno);
        return false;
    }
    v4l2_capability cap{};
    if (device_.ioctl(fd, VIDIOC_QUERYCAP, &cap) < 0) {
        if (whyNot) *whyNot = path + " is not a Video4Linux2 device: " + errorText(errno);
        device_.close(fd);
        return false;
    }
    const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    if (!(caps & V4L2_CAP_RADIO) || !(caps & V4L2_CAP_TUNER)) {
        if (whyNot) *whyNot = path + " is not a radio tuner";
        device_.close(fd);
        return false;
    }
    v4l2_tuner tuner{};
    tuner.index = 0;
    if (device_.ioctl(fd, VIDIOC_G_TUNER, &tuner) < 0) {
        if (whyNot) *whyNot = "Can't read the tuner of " + path + ": " + errorText(errno);
        device_.close(fd);
        return false;
    }
    fd_ = fd;
    lowUnits_ = (tuner.capability & V4L2_TUNER_CAP_LOW) != 0;
    // RDS as blocks on read(); receivers that give it only as controls are left out.
    const bool controlsOnly = (tuner.capability & V4L2_TUNER_CAP_RDS_CONTROLS) &&
                              !(tuner.capability & V4L2_TUNER_CAP_RDS_BLOCK_IO);
    hasRds_ = (caps & V4L2_CAP_RDS_CAPTURE) && !controlsOnly;
    rangeLow_ = tuner.rangelow;
    rangeHigh_ = tuner.rangehigh;

    v4l2_queryctrl mute{};
    mute.id = V4L2_CID_AUDIO_MUTE;
    hasMute_ = device_.ioctl(fd, VIDIOC_QUERYCTRL, &mute) == 0 && !(mute.flags & V4L2_CTRL_FLAG_DISABLED);
    v4l2_queryctrl volume{};
    volume.id = V4L2_CID_AUDIO_VOLUME;
    hasVolume_ = device_.ioctl(fd, VIDIOC_QUERYCTRL, &volume) == 0 && !(volume.flags & V4L2_CTRL_FLAG_DISABLED);
    if (hasVolume_) {
        volumeMin_ = volume.minimum;
        volumeMax_ = volume.maximum;
        volumeStep_ = volume.step > 0 ? volume.step : 1;
    }
    // A device that came back gets what the panel last sent.
    if (decoder_.transfers() > 0) applyTuning();
    if (hasRds_) startRds();
    return connected();
}

void V4l2Radio::disconnect() {
    Lock lock(deviceMutex_);
    if (fd_ >= 0) device_.close(fd_);
    fd_ = -1;
    restartRds();  // what the station sent goes with the device
}

bool V4l2Radio::call(unsigned long request, void* arg) {
    Lock lock(deviceMutex_);
    if (fd_ < 0) return false;
    if (device_.ioctl(fd_, request, arg) == 0) return true;
    if (deviceGone(errno)) disconnect();
    return false;
}

bool V4l2Radio::reachDevice() { return connected() || connect(nullptr); }

// The old station's RDS goes at once, also the blocks of it still waiting in the driver.
void V4l2Radio::applyTuning() {
    Lock lock(deviceMutex_);
    v4l2_frequency frequency{};
    frequency.tuner = 0;
    frequency.type = V4L2_TUNER_RADIO;
    frequency.frequency = tunerUnits(decoder_.frequencyMHz(), lowUnits_, rangeLow_, rangeHigh_);
    restartRds();
    call(VIDIOC_S_FREQUENCY, &frequency);
    if (hasRds_) takeRdsBlocks(false);
    if (hasMute_) {
        v4l2_control mute{};
        mute.id = V4L2_CID_AUDIO_MUTE;
        mute.value = decoder_.muted() ? 1 : 0;
        call(VIDIOC_S_CTRL, &mute);
    }
}

void V4l2Radio::stepVolume(int direction) {
    if (!hasVolume_) return;
    v4l2_control volume{};
    volume.id = V4L2_CID_AUDIO_VOLUME;
    if (!call(VIDIOC_G_CTRL, &volume)) return;
    volume.value = std::clamp(volume.value + direction * volumeStep_, volumeMin_, volumeMax_);
    call(VIDIOC_S_CTRL, &volume);
}

bool V4l2Radio::hearsStation() {
    v4l2_tuner tuner{};
    tuner.index = 0;
    if (!call(VIDIOC_G_TUNER, &tuner)) return false;
    return int(tuner.signal) >= settings_.signalThreshold;
}

void V4l2Radio::writeByte(uint16_t, uint8_t value) {
    const SerialDecoder::Events events = decoder_.write(value);
    if (!events.transfer && !events.volumeUp && !events.volumeDown) return;
    Lock lock(deviceMutex_);
    if (!reachDevice()) return;
    if (events.transfer) applyTuning();
    if (events.volumeUp) stepVolume(+1);
    if (events.volumeDown) stepVolume(-1);
}

uint8_t V4l2Radio::readByte(uint16_t) {
    Lock lock(deviceMutex_);
    if (!decoder_.probing() || !reachDevice()) return statusNone;
    return hearsStation() ? statusSignal : statusNone;
}

uint16_t V4l2Radio::readWord(uint16_t) { return wordNone; }

receiver::RdsState V4l2Radio::rds() const {
    std::lock_guard<std::mutex> lock(rdsMutex_);
    return rdsDecoder_.state();
}

void V4l2Radio::restartRds() {
    std::lock_guard<std::mutex> lock(rdsMutex_);
    rdsDecoder_.reset();
    rdsNextPosition_ = 0;
}

void V4l2Radio::readRds() {
    Lock lock(deviceMutex_);
    if (hasRds_) takeRdsBlocks(true);
}

void V4l2Radio::takeRdsBlocks(bool keep) {
    Lock lock(deviceMutex_);
    v4l2_rds_data blocks[rdsBlocksARead];
    for (;;) {
        if (fd_ < 0) return;
        const long n = device_.read(fd_, blocks, sizeof blocks);
        if (n < 0) {
            if (deviceGone(errno)) disconnect();
            return;
        }
        const size_t count = size_t(n) / sizeof blocks[0];
        if (keep) {
            std::lock_guard<std::mutex> rdsLock(rdsMutex_);
            for (size_t i = 0; i < count; ++i) {
                const v4l2_rds_data& b = blocks[i];
                receiver::BlockOffset offset;
                receiver::BlockError error = rdsErrorOf(b.block);
                if (!rdsOffsetOf(b.block, offset)) {
                    // Placed nowhere: a failed block where the next one was due.
                    offset = offsetAtPlace[rdsNextPosition_];
                    error = receiver::BlockError::Uncorrectable;
                }
                rdsDecoder_.feed(uint16_t(b.msb << 8 | b.lsb), offset, error);
                rdsDecoder_.setSynchronized(error != receiver::BlockError::Uncorrectable);
                rdsNextPosition_ = (receiver::blockPosition(offset) + 1) % 4;
            }
        }
        if (count < rdsBlocksARead) return;
    }
}

void V4l2Radio::startRds() {
    if (rdsThread_.joinable()) return;
    rdsRunning_ = true;
    rdsThread_ = std::thread([this] { rdsLoop(); });
}

void V4l2Radio::stopRds() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        rdsRunning_ = false;
    }
    wake_.notify_all();
    if (rdsThread_.joinable()) rdsThread_.join();
}

void V4l2Radio::rdsLoop() {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    while (rdsRunning_) {
        lock.unlock();
        readRds();
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(rdsReadMilliseconds), [this] { return !rdsRunning_; });
    }
}

}  // namespace orv::linuxcard
