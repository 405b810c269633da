#include "receiver/tuning.h"

namespace orv::receiver {

double hardwareFrequencyFor(double stationHz) { return stationHz - stationOffsetHz; }

double stationFrequencyFor(double hardwareHz) { return hardwareHz + stationOffsetHz; }

}  // namespace orv::receiver
