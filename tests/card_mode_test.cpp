// Which card the settings name, including files from before the "Card" section.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "tuner/card_mode.h"

namespace orv {
namespace {

TEST(CardMode, CardSectionWinsAndOlderFilesKeepTheirSimulatedCard) {
    const struct {
        const char* card;       // [Card] MODE, null: absent
        const char* simulator;  // [Simulator] MODE, null: absent
        CardMode expected;
    } cases[] = {
        {nullptr, nullptr, CardMode::Auto},
        {nullptr, "simulated", CardMode::Simulated},
        {nullptr, " Simulated ", CardMode::Simulated},
        {nullptr, "auto", CardMode::Auto},
        {"port", nullptr, CardMode::Port},
        {"PORT", "simulated", CardMode::Port},  // the newer section decides
        {"simulated", nullptr, CardMode::Simulated},
        {"v4l2", nullptr, CardMode::V4l2},
        {"auto", "simulated", CardMode::Auto},
        {"", "simulated", CardMode::Simulated},  // an empty value is no value
        {"prot", nullptr, CardMode::Auto},       // unknown values take the default
        {"portable", nullptr, CardMode::Auto},
    };
    for (const auto& c : cases) {
        Headless h;
        if (c.card) h.profile->writeString("Card", "MODE", c.card);
        if (c.simulator) h.profile->writeString("Simulator", "MODE", c.simulator);
        EXPECT_EQ(readCardMode(*h.profile), c.expected)
            << (c.card ? c.card : "-") << " / " << (c.simulator ? c.simulator : "-");
    }
}

}  // namespace
}  // namespace orv
