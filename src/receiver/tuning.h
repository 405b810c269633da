// Where the radio is tuned for a station. The RTL-SDR has a spike at its own
// centre frequency, so the hardware sits below the station and the receiver
// mixes the station down from the side of the captured band.
#pragma once

namespace orv::receiver {

// The station lies this far above the hardware centre. It is an eighth of
// 2.048 MS/s (a quarter of 1.024 MS/s), so the mixer is a short fixed table.
constexpr double stationOffsetHz = 256000.0;

// Stations sit on a 25 kHz grid; a carrier measured further than half a step
// from the tuned point belongs to the neighbouring grid point or station.
constexpr double channelGridHz = 25000.0;
constexpr double carrierCaptureHz = channelGridHz / 2.0;

// The broadcast channel: 200 kHz wide, levels are carrier over the noise in it.
constexpr double channelWidthHz = 200000.0;

// The hardware frequency to tune to for a station at stationHz (both in Hz).
double hardwareFrequencyFor(double stationHz);

// The station frequency a hardware frequency puts in the channel.
double stationFrequencyFor(double hardwareHz);

}  // namespace orv::receiver
