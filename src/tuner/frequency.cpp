#include "tuner/frequency.h"

#include <cmath>

namespace orv {

namespace {
constexpr double displayCorrection = 0.001;  // absorbs the float error: 88.0999985 shows 88.100
constexpr int displayStepKHz = 5;
constexpr int kiloHertzPerMHz = 1000;
}  // namespace

FrequencyDigits frequencyDigits(double f) {
    int whole = int(f);
    int thousandths = int((f - whole) * kiloHertzPerMHz);
    if (thousandths % displayStepKHz != 0) {
        whole = int(f + displayCorrection);
        thousandths = int((f - whole + displayCorrection) * kiloHertzPerMHz);
        thousandths = thousandths / displayStepKHz * displayStepKHz;
    }
    return {whole, thousandths};
}

int64_t shownKiloHertz(const FrequencyDigits& digits) {
    return int64_t(digits.whole) * kiloHertzPerMHz + digits.thousandths;
}

double roundToKiloHertz(double frequency) {
    return std::nearbyint(frequency * kiloHertzPerMHz) / kiloHertzPerMHz;
}

}  // namespace orv
