// A panel on the headless back end with a "coordinate skin": every skin pixel
// encodes its own position, so any window pixel tells where it was copied from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "shell/receiver_state.h"
#include "tuner/simulated_card.h"

namespace orv::test {

constexpr int kSkinW = 430, kSkinH = 344;
const char* const kModulePath = "C:\\Orvanta\\orvanta.exe";
const char* const kSkinPath = "C:\\Orvanta\\text.dat";

// The colour that marks skin pixel (x, y).
inline uint32_t coordinateColour(int x, int y) { return uint32_t(x) << 9 | uint32_t(y); }
inline int sourceX(uint32_t pixel) { return int(pixel >> 9); }
inline int sourceY(uint32_t pixel) { return int(pixel & 0x1FF); }

// A 24-bit DIB file of 430 x 344 whose pixels are coordinateColour(x, y).
std::vector<uint8_t> coordinateSkinFile();

struct PanelFixture {
    Headless h;
    App app{h.platform};

    explicit PanelFixture(bool withSkin = true);
    // Runs start-up: settings, first tuning, messages, show and the first paint.
    int start();
    // Writes a settings key before start-up.
    void setting(const char* section, const char* key, const char* value) {
        h.profile->writeString(section, key, value);
    }
    ReceiverState& s() { return app.state; }
    HeadlessDisplay& display() { return h.display; }

    // True when the window's w x h at (x, y) shows the skin's w x h at (sx, sy)
    // as it was loaded (before any copy into the skin).
    bool shows(int x, int y, int w, int h, int sx, int sy) const;
    // The skin source of the window pixel at (x, y), as "(sx,sy)".
    std::string sourceOf(int x, int y) const;

    // Mouse, with the pointer placed at the same client point.
    void press(int x, int y);
    void move(int x, int y, bool leftOnly = true);
    void release();
};

// A started panel with the simulated card on its port. With clearRecords the
// port operations and the window log of start-up are forgotten.
struct CardPanel : PanelFixture {
    SimulatedCard card;
    explicit CardPanel(bool clearRecords = false, SimulatorConfig config = SimulatorConfig()) : card(config) {
        h.port.attached = &card;
        start();
        if (clearRecords) {
            h.port.ops.clear();
            h.window.log.clear();
        }
    }
    void click(int x, int y) {
        press(x, y);
        release();
    }
    // A settings value as the file holds it, "<none>" when the key is missing.
    std::string saved(const char* section, const char* key) { return h.profile->readText(section, key, "<none>", 64); }
    // The big readout's cell at x shows big digit d.
    bool bigDigit(int x, int d) const { return shows(x, 23, 14, 21, 265 + 14 * d, 299); }
};

}  // namespace orv::test
