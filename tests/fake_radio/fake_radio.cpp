// A Video4Linux2 FM receiver that is not there: an LD_PRELOAD library for the
// end-to-end tests that answers open, ioctl and close for one device path, so
// that the native program drives a "radio" outside its own code. Everything
// else goes to the real functions.
//
//   FAKE_RADIO_PATH      the device path it answers for (default /dev/orvanta-fake-radio)
//   FAKE_RADIO_STATIONS  comma-separated MHz with a signal (default 98.1,104.6)
//   FAKE_RADIO_LOG       a file that gets one line per setting the device
//                        received: "FREQ <62.5 Hz units>", "MUTE 0|1", "VOLUME n",
//                        and "RDS <62.5 Hz units>" when a tuning's first RDS blocks were read
//   FAKE_RADIO_RDS       stations that send RDS, comma-separated MHz=NAME (e.g.
//                        98.1=FAKE FM): the device then decodes RDS, and read()
//                        on it hands over the blocks of the tuned station as
//                        they would come in (1187.5 bit/s): PI 0xF0nn (nn its
//                        place in the list), the fixed name, programme type 10,
//                        TP, the text "Grüße von NAME, Café" in the RDS character
//                        set and the clock on this machine's time.
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "synth/rds_encoder.h"

namespace {

// Frequencies in 62.5 Hz (V4L2_TUNER_CAP_LOW), fine enough for the 25 kHz grid.
constexpr double unitsPerMHz = 16000.0;
constexpr uint32_t rangeLow = 1400000;   // 87.5 MHz
constexpr uint32_t rangeHigh = 1728000;  // 108 MHz
constexpr int volumeMax = 15;

void logLine(const char* format, long value) {
    const char* path = std::getenv("FAKE_RADIO_LOG");
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, format, value);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

int fail(int e) {
    errno = e;
    return -1;
}

using Clock = std::chrono::steady_clock;
constexpr double blocksPerSecond = orv::synth::rdsBitRate / 26.0;
constexpr size_t maxBlocksKept = 100;  // as much as a driver keeps; older blocks are lost

struct Radio {
    int fd = -1;
    uint32_t frequency = rangeLow;
    int volume = 8;
    int muted = 0;
    // RDS of the tuned station: its schedule, and the blocks handed over since the tuning.
    std::unique_ptr<orv::synth::RdsGroupSchedule> rds;
    Clock::time_point tunedAt = Clock::now();
    uint64_t blocksMade = 0;
    bool rdsLogged = false;
    orv::synth::RdsGroup group{};
};
Radio radio;

std::vector<std::string> splitList(const char* text) {
    std::vector<std::string> out;
    std::string list = text ? text : "";
    size_t pos = 0;
    while (pos < list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        out.push_back(list.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return out;
}

// The RDS programme of the station at units, if it sends one.
std::unique_ptr<orv::synth::RdsGroupSchedule> rdsAt(uint32_t units) {
    const std::vector<std::string> stations = splitList(std::getenv("FAKE_RADIO_RDS"));
    for (size_t i = 0; i < stations.size(); ++i) {
        const size_t equals = stations[i].find('=');
        if (equals == std::string::npos) continue;
        const double mhz = std::atof(stations[i].substr(0, equals).c_str());
        if (std::fabs(mhz - units / unitsPerMHz) > 0.0125 + 1e-9) continue;
        std::string name = stations[i].substr(equals + 1);
        name.resize(8, ' ');
        orv::synth::RdsProgramme p;
        p.on = true;
        p.pi = uint16_t(0xF000 + i);
        p.pty = 10;
        p.tp = true;
        p.names = {name};
        p.texts = {"Gr\x99\x8D" "e von " + stations[i].substr(equals + 1) + ", Caf\x82"};
        p.clock = true;
        auto schedule = std::make_unique<orv::synth::RdsGroupSchedule>(p);
        schedule->setTime(orv::synth::rdsTimeNow());
        return schedule;
    }
    return nullptr;
}

void tuneRds() {
    radio.rds = rdsAt(radio.frequency);
    radio.tunedAt = Clock::now();
    radio.blocksMade = 0;
    radio.rdsLogged = false;
}

// The blocks that came in since the last read, as the driver hands them over.
ssize_t readRds(void* buffer, size_t bytes) {
    if (!radio.rds) return fail(EAGAIN);
    const double seconds = std::chrono::duration<double>(Clock::now() - radio.tunedAt).count();
    const uint64_t due = uint64_t(seconds * blocksPerSecond);
    if (due - radio.blocksMade > maxBlocksKept) radio.blocksMade = due - maxBlocksKept;
    auto* out = static_cast<v4l2_rds_data*>(buffer);
    size_t n = 0;
    for (; n < bytes / sizeof(v4l2_rds_data) && radio.blocksMade < due; ++n, ++radio.blocksMade) {
        const size_t place = size_t(radio.blocksMade % 4);
        if (place == 0) {
            radio.rds->setTime(orv::synth::rdsTimeNow());
            radio.group = radio.rds->next();
        }
        const uint16_t word = radio.group[place];
        const bool versionB = (radio.group[1] >> 11) & 1;
        const uint8_t block = place == 2 && versionB ? uint8_t(V4L2_RDS_BLOCK_C_ALT) : uint8_t(place);
        out[n] = v4l2_rds_data{uint8_t(word & 0xFF), uint8_t(word >> 8), uint8_t(block | block << 3)};
    }
    if (n == 0) return fail(EAGAIN);
    if (!radio.rdsLogged) logLine("RDS %ld", long(radio.frequency));
    radio.rdsLogged = true;
    return ssize_t(n * sizeof(v4l2_rds_data));
}

// True for the one path this device answers for.
bool isRadioPath(const char* path) {
    const char* p = std::getenv("FAKE_RADIO_PATH");
    return path != nullptr && std::strcmp(path, p && *p ? p : "/dev/orvanta-fake-radio") == 0;
}

uint16_t signalAt(uint32_t units) {
    const char* list = std::getenv("FAKE_RADIO_STATIONS");
    std::string text = list ? list : "98.1,104.6";
    const double mhz = units / unitsPerMHz;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t comma = text.find(',', pos);
        if (comma == std::string::npos) comma = text.size();
        const double station = std::atof(text.substr(pos, comma - pos).c_str());
        if (std::fabs(station - mhz) <= 0.0125 + 1e-9) return 65535;
        pos = comma + 1;
    }
    return 0;
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

int radioIoctl(unsigned long request, void* arg) {
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* cap = static_cast<v4l2_capability*>(arg);
        std::memset(cap, 0, sizeof *cap);
        std::strcpy(reinterpret_cast<char*>(cap->driver), "fake-radio");
        std::strcpy(reinterpret_cast<char*>(cap->card), "Orvanta test receiver");
        const uint32_t rds = std::getenv("FAKE_RADIO_RDS") ? V4L2_CAP_RDS_CAPTURE | V4L2_CAP_READWRITE : 0;
        cap->capabilities = V4L2_CAP_RADIO | V4L2_CAP_TUNER | V4L2_CAP_DEVICE_CAPS | rds;
        cap->device_caps = V4L2_CAP_RADIO | V4L2_CAP_TUNER | rds;
        return 0;
    }
    case VIDIOC_G_TUNER: {
        auto* t = static_cast<v4l2_tuner*>(arg);
        if (t->index != 0) return fail(EINVAL);
        t->type = V4L2_TUNER_RADIO;
        t->capability = V4L2_TUNER_CAP_STEREO | V4L2_TUNER_CAP_LOW;
        if (std::getenv("FAKE_RADIO_RDS")) t->capability |= V4L2_TUNER_CAP_RDS | V4L2_TUNER_CAP_RDS_BLOCK_IO;
        t->rxsubchans = radio.rds ? V4L2_TUNER_SUB_RDS : 0;
        t->rangelow = rangeLow;
        t->rangehigh = rangeHigh;
        t->signal = signalAt(radio.frequency);
        return 0;
    }
    case VIDIOC_S_FREQUENCY: {
        auto* f = static_cast<v4l2_frequency*>(arg);
        if (f->tuner != 0 || f->frequency < rangeLow || f->frequency > rangeHigh) return fail(EINVAL);
        radio.frequency = f->frequency;
        tuneRds();
        logLine("FREQ %ld", long(f->frequency));
        return 0;
    }
    case VIDIOC_QUERYCTRL: {
        auto* q = static_cast<v4l2_queryctrl*>(arg);
        if (q->id == V4L2_CID_AUDIO_MUTE) {
            q->minimum = 0, q->maximum = 1, q->step = 1, q->flags = 0;
            return 0;
        }
        if (q->id == V4L2_CID_AUDIO_VOLUME) {
            q->minimum = 0, q->maximum = volumeMax, q->step = 1, q->flags = 0;
            return 0;
        }
        return fail(EINVAL);
    }
    case VIDIOC_G_CTRL: {
        auto* c = static_cast<v4l2_control*>(arg);
        if (c->id == V4L2_CID_AUDIO_VOLUME) c->value = radio.volume;
        else if (c->id == V4L2_CID_AUDIO_MUTE) c->value = radio.muted;
        else return fail(EINVAL);
        return 0;
    }
    case VIDIOC_S_CTRL: {
        auto* c = static_cast<v4l2_control*>(arg);
        if (c->id == V4L2_CID_AUDIO_VOLUME) {
            if (c->value < 0 || c->value > volumeMax) return fail(ERANGE);
            radio.volume = c->value;
            logLine("VOLUME %ld", c->value);
        } else if (c->id == V4L2_CID_AUDIO_MUTE) {
            radio.muted = c->value ? 1 : 0;
            logLine("MUTE %ld", radio.muted);
        } else {
            return fail(EINVAL);
        }
        return 0;
    }
    default: return fail(ENOTTY);
    }
}

int openRadio() {
    // A real descriptor, so that close and the descriptor table stay sound.
    int fd = real<int (*)(const char*, int, ...)>("open")("/dev/null", O_RDWR | O_CLOEXEC);
    if (fd >= 0) radio.fd = fd;
    return fd;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    if (isRadioPath(path)) return openRadio();
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & O_CREAT) ? mode_t(va_arg(ap, int)) : 0;
    va_end(ap);
    return real<int (*)(const char*, int, ...)>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    if (isRadioPath(path)) return openRadio();
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & O_CREAT) ? mode_t(va_arg(ap, int)) : 0;
    va_end(ap);
    return real<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (fd >= 0 && fd == radio.fd) return radioIoctl(request, arg);
    return real<int (*)(int, unsigned long, ...)>("ioctl")(fd, request, arg);
}

ssize_t read(int fd, void* buffer, size_t bytes) {
    if (fd >= 0 && fd == radio.fd) return readRds(buffer, bytes);
    return real<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, bytes);
}

int close(int fd) {
    if (fd >= 0 && fd == radio.fd) radio.fd = -1;
    return real<int (*)(int)>("close")(fd);
}

}  // extern "C"
