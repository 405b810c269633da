// A Video4Linux2 FM receiver that is not there: an LD_PRELOAD library for the
// end-to-end tests that answers open, ioctl and close for one device path, so
// that the native program drives a "radio" outside its own code. Everything
// else goes to the real functions.
//
//   FAKE_RADIO_PATH      the device path it answers for (default /dev/orvanta-fake-radio)
//   FAKE_RADIO_STATIONS  comma-separated MHz with a signal (default 98.1,104.6)
//   FAKE_RADIO_LOG       a file that gets one line per setting the device
//                        received: "FREQ <62.5 kHz units>", "MUTE 0|1", "VOLUME n"
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
#include <string>
#include <vector>

namespace {

constexpr uint32_t rangeLow = 1400;   // 87.5 MHz in 62.5 kHz
constexpr uint32_t rangeHigh = 1728;  // 108 MHz
constexpr int volumeMax = 15;

struct Radio {
    int fd = -1;
    uint32_t frequency = rangeLow;
    int volume = 8;
    int muted = 0;
};
Radio radio;

// True for the one path this device answers for.
bool isRadioPath(const char* path) {
    const char* p = std::getenv("FAKE_RADIO_PATH");
    return path != nullptr && std::strcmp(path, p && *p ? p : "/dev/orvanta-fake-radio") == 0;
}

void logLine(const char* format, long value) {
    const char* path = std::getenv("FAKE_RADIO_LOG");
    if (!path || !*path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fprintf(f, format, value);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

uint16_t signalAt(uint32_t units) {
    const char* list = std::getenv("FAKE_RADIO_STATIONS");
    std::string text = list ? list : "98.1,104.6";
    const double mhz = units / 16.0;
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

int fail(int e) {
    errno = e;
    return -1;
}

int radioIoctl(unsigned long request, void* arg) {
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto* cap = static_cast<v4l2_capability*>(arg);
        std::memset(cap, 0, sizeof *cap);
        std::strcpy(reinterpret_cast<char*>(cap->driver), "fake-radio");
        std::strcpy(reinterpret_cast<char*>(cap->card), "Orvanta test receiver");
        cap->capabilities = V4L2_CAP_RADIO | V4L2_CAP_TUNER | V4L2_CAP_DEVICE_CAPS;
        cap->device_caps = V4L2_CAP_RADIO | V4L2_CAP_TUNER;
        return 0;
    }
    case VIDIOC_G_TUNER: {
        auto* t = static_cast<v4l2_tuner*>(arg);
        if (t->index != 0) return fail(EINVAL);
        t->type = V4L2_TUNER_RADIO;
        t->capability = V4L2_TUNER_CAP_STEREO;
        t->rangelow = rangeLow;
        t->rangehigh = rangeHigh;
        t->signal = signalAt(radio.frequency);
        return 0;
    }
    case VIDIOC_S_FREQUENCY: {
        auto* f = static_cast<v4l2_frequency*>(arg);
        if (f->tuner != 0 || f->frequency < rangeLow || f->frequency > rangeHigh) return fail(EINVAL);
        radio.frequency = f->frequency;
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

int close(int fd) {
    if (fd >= 0 && fd == radio.fd) radio.fd = -1;
    return real<int (*)(int)>("close")(fd);
}

}  // extern "C"
