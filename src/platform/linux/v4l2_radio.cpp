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

V4l2Radio::~V4l2Radio() { disconnect(); }

bool V4l2Radio::open(std::string& whyNot) { return connect(&whyNot); }

bool V4l2Radio::connect(std::string* whyNot) {
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
    return connected();
}

void V4l2Radio::disconnect() {
    if (fd_ >= 0) device_.close(fd_);
    fd_ = -1;
}

bool V4l2Radio::call(unsigned long request, void* arg) {
    if (fd_ < 0) return false;
    if (device_.ioctl(fd_, request, arg) == 0) return true;
    if (deviceGone(errno)) disconnect();
    return false;
}

bool V4l2Radio::reachDevice() { return connected() || connect(nullptr); }

void V4l2Radio::applyTuning() {
    v4l2_frequency frequency{};
    frequency.tuner = 0;
    frequency.type = V4L2_TUNER_RADIO;
    frequency.frequency = tunerUnits(decoder_.frequencyMHz(), lowUnits_, rangeLow_, rangeHigh_);
    call(VIDIOC_S_FREQUENCY, &frequency);
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
    if (!reachDevice()) return;
    if (events.transfer) applyTuning();
    if (events.volumeUp) stepVolume(+1);
    if (events.volumeDown) stepVolume(-1);
}

uint8_t V4l2Radio::readByte(uint16_t) {
    if (!decoder_.probing() || !reachDevice()) return statusNone;
    return hearsStation() ? statusSignal : statusNone;
}

uint16_t V4l2Radio::readWord(uint16_t) { return wordNone; }

}  // namespace orv::linuxcard
