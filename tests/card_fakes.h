// Stand-ins for what surrounds a Linux card in tests: a radio device that
// is never there, no port access, a sound output that takes anything, and
// a wait for what another thread does; and RDS as a V4L2 driver delivers it.
#pragma once

#include <linux/videodev2.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio_player.h"
#include "platform/linux/linux_card.h"
#include "synth/rds_encoder.h"

namespace orv::linuxcard {

class NoRadio : public RadioDevice {
public:
    int open(const char*) override {
        errno = ENOENT;
        return -1;
    }
    int ioctl(int, unsigned long, void*) override { return -1; }
    long read(int, void*, unsigned long) override { return -1; }
    void close(int) override {}
};

class NoPorts : public PortInstructions {
public:
    int grant(unsigned long, unsigned long) override { return -1; }
    void outByte(uint16_t, uint8_t) override {}
    uint8_t inByte(uint16_t) override { return 0xFF; }
    uint16_t inWord(uint16_t) override { return 0xFFFF; }
};

// Takes the sound and plays nothing.
class SilentOutput : public audio::AudioOutput {
public:
    bool start(audio::AudioPlayer&, std::string&) override { return true; }
    void stop() override {}
};

// True once condition holds, looked at every 2 ms; false after limit.
template <typename Condition>
bool within(std::chrono::milliseconds limit, Condition condition) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A station's groups as a V4L2 driver hands them over: three bytes a block,
// its place in bits 0-2 (and again in 3-5, as drivers still fill them).
inline std::vector<v4l2_rds_data> driverBlocks(const std::vector<synth::RdsGroup>& groups) {
    std::vector<v4l2_rds_data> out;
    for (const synth::RdsGroup& g : groups) {
        const bool versionB = (g[1] >> 11) & 1;
        for (uint8_t b = 0; b < 4; ++b) {
            const uint8_t place = b == 2 && versionB ? uint8_t(V4L2_RDS_BLOCK_C_ALT) : b;
            out.push_back(v4l2_rds_data{uint8_t(g[b] & 0xFF), uint8_t(g[b] >> 8), uint8_t(place | place << 3)});
        }
    }
    return out;
}

}  // namespace orv::linuxcard
