// Our reading of a V4L2 receiver's RDS blocks beside libv4l2rds, the
// parser Video4Linux ships, on the very same blocks: after every group,
// wherever both know a PI, name, text, programme type or the traffic flags,
// they agree (text compared through the RDS character set). libv4l2rds is
// linked into this test only, never into the program.
//
// With the fake device preloaded (LD_PRELOAD=libfake_radio.so,
// FAKE_RADIO_RDS set) the blocks come from read() on the device through
// the system's own calls, as the program gets them.
#include <gtest/gtest.h>

#include <libv4l2rds.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>

#include "card_fakes.h"
#include "platform/headless/headless.h"
#include "platform/linux/v4l2_radio.h"
#include "receiver/rds_charset.h"
#include "synth/rds_encoder.h"
#include "tuner/tuner.h"

namespace orv::linuxcard {
namespace {

// Both parsers' view after the same blocks.
struct Oracle {
    Oracle() : handle(v4l2_rds_create(false)) {}
    ~Oracle() { v4l2_rds_destroy(handle); }
    void add(v4l2_rds_data block) {
        std::lock_guard<std::mutex> lock(mutex);
        v4l2_rds_add(handle, &block);
        ++blocks;
    }
    bool has(uint32_t field) const { return handle->valid_fields & field; }
    // Their text, raw bytes up to the end code, read as ours reads it.
    std::string text() const {
        size_t n = 0;
        while (n < sizeof handle->rt && handle->rt[n] && handle->rt[n] != 0x0D) ++n;
        while (n > 0 && handle->rt[n - 1] == ' ') --n;
        return receiver::rdsTextToUtf8(handle->rt, n);
    }
    std::string name() const { return receiver::rdsTextToUtf8(handle->ps, 8); }
    v4l2_rds* handle;
    std::mutex mutex;
    size_t blocks = 0;
};

// Compares what both know; counts the fields compared.
struct Agreement {
    int pi = 0, name = 0, text = 0, pty = 0, flags = 0;
};
void compare(const receiver::RdsState& ours, const Oracle& theirs, Agreement& seen) {
    if (ours.piValid && theirs.has(V4L2_RDS_PI)) {
        EXPECT_EQ(ours.pi, theirs.handle->pi);
        ++seen.pi;
    }
    if (!ours.ps.empty() && theirs.has(V4L2_RDS_PS)) {
        EXPECT_EQ(ours.ps, theirs.name());
        ++seen.name;
    }
    if (!ours.text.empty() && theirs.has(V4L2_RDS_RT)) {
        EXPECT_EQ(ours.text, theirs.text());
        ++seen.text;
    }
    if (ours.ptyValid && theirs.has(V4L2_RDS_PTY)) {
        EXPECT_EQ(ours.pty, theirs.handle->pty);
        EXPECT_STREQ(ours.ptyName, v4l2_rds_get_pty_str(theirs.handle));
        ++seen.pty;
    }
    if (ours.ptyValid && theirs.has(V4L2_RDS_TP) && theirs.has(V4L2_RDS_TA)) {
        EXPECT_EQ(ours.tp, theirs.handle->tp);
        EXPECT_EQ(ours.ta, theirs.handle->ta);
        ++seen.flags;
    }
}

// A receiver with RDS whose driver holds the blocks the test puts there;
// each block read also goes to the oracle.
class BlockRadio : public RadioDevice {
public:
    explicit BlockRadio(Oracle& oracle) : oracle_(oracle) {}
    std::vector<v4l2_rds_data> waiting;
    int open(const char*) override { return 3; }
    void close(int) override {}
    int ioctl(int, unsigned long request, void* arg) override {
        if (request == VIDIOC_QUERYCAP) {
            auto* cap = static_cast<v4l2_capability*>(arg);
            cap->capabilities = V4L2_CAP_RADIO | V4L2_CAP_TUNER | V4L2_CAP_RDS_CAPTURE;
            return 0;
        }
        if (request == VIDIOC_G_TUNER) {
            auto* t = static_cast<v4l2_tuner*>(arg);
            t->capability = V4L2_TUNER_CAP_RDS | V4L2_TUNER_CAP_RDS_BLOCK_IO;
            t->rangelow = 1400, t->rangehigh = 1728;
            return 0;
        }
        if (request == VIDIOC_S_FREQUENCY) return 0;
        errno = EINVAL;
        return -1;
    }
    long read(int, void* buffer, unsigned long bytes) override {
        const size_t n = std::min(waiting.size(), size_t(bytes / sizeof(v4l2_rds_data)));
        if (n == 0) {
            errno = EAGAIN;
            return -1;
        }
        std::memcpy(buffer, waiting.data(), n * sizeof(v4l2_rds_data));
        for (size_t i = 0; i < n; ++i) oracle_.add(waiting[i]);
        waiting.erase(waiting.begin(), waiting.begin() + long(n));
        return long(n * sizeof(v4l2_rds_data));
    }

private:
    Oracle& oracle_;
};

struct Panel {
    explicit Panel(Port& card) { h.port.attached = &card; initControlBytes(app); }
    void tune(float mhz) { writeSynthesizer(app, dividerFor(mhz), app.state.controlSoundOn); }
    Headless h;
    App app{h.platform};
};

struct Station {
    const char* what;
    synth::RdsProgramme programme;
    int lossPercent;  // blocks the driver flags as errors, at random
};

synth::RdsProgramme station(std::vector<std::string> names, std::vector<std::string> texts) {
    synth::RdsProgramme p;
    p.on = true;
    p.pi = 0xA3C5;
    p.pty = 7;  // Culture
    p.tp = true;
    p.names = std::move(names);
    p.texts = std::move(texts);
    p.textPasses = 1;
    return p;
}

class AgainstLibv4l2rds : public ::testing::TestWithParam<Station> {};

TEST_P(AgainstLibv4l2rds, SameBlocksSameStation) {
    const Station& s = GetParam();
    Oracle oracle;
    BlockRadio device(oracle);
    V4l2Radio radio(device, RadioSettings{});
    std::string why;
    ASSERT_TRUE(radio.open(why));
    Panel panel(radio);
    panel.tune(98.1f);
    std::vector<v4l2_rds_data> blocks = driverBlocks(synth::rdsGroups(s.programme, 200));
    std::mt19937 random(7);
    for (v4l2_rds_data& b : blocks)
        if (int(random() % 100) < s.lossPercent) {
            b.lsb ^= uint8_t(random());
            b.block |= V4L2_RDS_BLOCK_ERROR;
        }
    Agreement seen;
    for (size_t i = 0; i < blocks.size(); i += 4) {
        device.waiting.assign(blocks.begin() + long(i), blocks.begin() + long(i + 4));
        radio.readRds();
        compare(radio.rds(), oracle, seen);
    }
    std::printf("%s: compared PI %d, name %d, text %d, PTY %d, flags %d times\n", s.what, seen.pi, seen.name,
                seen.text, seen.pty, seen.flags);
    EXPECT_GT(seen.pi, 100);
    EXPECT_GT(seen.name, 20);
    EXPECT_GT(seen.text, 20);
    EXPECT_GT(seen.pty, 100);
    EXPECT_GT(seen.flags, 100);
}

INSTANTIATE_TEST_SUITE_P(
    V4l2Rds, AgainstLibv4l2rds,
    ::testing::Values(Station{"fixed name, two texts", station({"CULTURE "}, {"Radio text one", "And two"}), 0},
                      Station{"accented text, 5% lost", station({"KULTUR  "}, {"Gr\x99\x8D" "e, K\x91lte"}), 5},
                      Station{"64 characters, 2% lost",
                              station({"LONGTEXT"}, {"0123456789012345678901234567890123456789012345678901234567890123"}),
                              2}),
    [](const ::testing::TestParamInfo<Station>& info) { return "Station" + std::to_string(info.index); });

// The program's own calls on the fake device, preloaded: the blocks come in
// as the air would bring them and both parsers read the same station.
class TeeRadio : public SystemRadioDevice {
public:
    explicit TeeRadio(Oracle& oracle) : oracle_(oracle) {}
    long read(int fd, void* buffer, unsigned long bytes) override {
        const long n = SystemRadioDevice::read(fd, buffer, bytes);
        for (long i = 0; i + long(sizeof(v4l2_rds_data)) <= n; i += long(sizeof(v4l2_rds_data)))
            oracle_.add(*reinterpret_cast<v4l2_rds_data*>(static_cast<uint8_t*>(buffer) + i));
        return n;
    }

private:
    Oracle& oracle_;
};

TEST(V4l2Rds, FakeDeviceThroughTheSystemsCalls) {
    const char* path = std::getenv("FAKE_RADIO_PATH");
    if (!path || !std::getenv("FAKE_RADIO_RDS")) GTEST_SKIP() << "runs with the fake device preloaded";
    Oracle oracle;
    TeeRadio device(oracle);
    RadioSettings settings;
    settings.device = path;
    V4l2Radio radio(device, settings);
    std::string why;
    ASSERT_TRUE(radio.open(why)) << why;
    ASSERT_TRUE(radio.hasRds());
    Panel panel(radio);
    panel.tune(98.1f);  // FAKE_RADIO_RDS=98.1=FAKE FM
    const auto start = std::chrono::steady_clock::now();
    while (radio.rds().ps.empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(4))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::printf("name after %.2f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    EXPECT_EQ(radio.rds().ps, "FAKE FM ");
    EXPECT_EQ(radio.rds().pi, 0xF000);
    while (radio.rds().text.empty() && std::chrono::steady_clock::now() - start < std::chrono::seconds(8))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(radio.rds().text, "Grüße von FAKE FM, Café");
    EXPECT_TRUE(radio.rds().clock.valid);
    {
        std::lock_guard<std::mutex> lock(oracle.mutex);
        Agreement seen;
        compare(radio.rds(), oracle, seen);
        EXPECT_EQ(seen.pi + seen.name + seen.text, 3);
    }
    panel.tune(104.6f);  // no RDS there
    EXPECT_EQ(radio.rds().ps, "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(radio.rds().ps, "");
    EXPECT_FALSE(radio.rds().piValid);
}

}  // namespace
}  // namespace orv::linuxcard
