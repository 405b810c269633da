#!/usr/bin/python3
"""Writes a short stereo FM clip as CS8 for the receiver's tests.

Made with numpy alone, by other means than the C++ test band: pre-emphasis
as x + tau dx/dt on the sampled audio, the phase by a cumulative sum.
0.25 s at 1.024 MS/s; the station 256 kHz above the centre, 35 dB over the
noise in 200 kHz; left a 1 kHz tone, right a 2.5 kHz tone, each at 40% of
full scale; pilot 9% of the 75 kHz deviation.

    /usr/bin/python3 tools/make_fm_clip.py tests/data/stereo_clip_1024k.cs8   (Debian python3-numpy)
"""
import sys

import numpy as np

RATE = 1_024_000
SECONDS = 0.25
OFFSET = 256_000
DEVIATION = 75_000
PILOT = 19_000
TAU = 50e-6
SNR_DB = 35.0
NOISE_PER_200K = 4.0      # CS8 steps squared in 200 kHz
LEFT_HZ, RIGHT_HZ, LEVEL = 1000.0, 2500.0, 0.4


def main(path):
    t = np.arange(int(RATE * SECONDS)) / RATE
    left = LEVEL * np.sin(2 * np.pi * LEFT_HZ * t)
    right = LEVEL * np.sin(2 * np.pi * RIGHT_HZ * t)
    # Pre-emphasis: the analogue 1 + s tau on the finely sampled audio.
    left = left + TAU * np.gradient(left, 1.0 / RATE)
    right = right + TAU * np.gradient(right, 1.0 / RATE)
    pilot_angle = 2 * np.pi * PILOT * t + 1.1
    mpx = 0.9 * ((left + right) / 2 + (left - right) / 2 * np.sin(2 * pilot_angle)) + 0.09 * np.sin(pilot_angle)
    phase = 2 * np.pi * DEVIATION * np.cumsum(mpx) / RATE + 2 * np.pi * OFFSET * t
    amplitude = np.sqrt(NOISE_PER_200K * 10 ** (SNR_DB / 10))
    rng = np.random.default_rng(2024)
    sigma = np.sqrt(NOISE_PER_200K * RATE / 200_000 / 2)
    iq = amplitude * np.exp(1j * phase)
    iq += rng.normal(0, sigma, t.size) + 1j * rng.normal(0, sigma, t.size)
    out = np.empty(2 * t.size, dtype=np.int8)
    out[0::2] = np.clip(np.round(iq.real), -127, 127)
    out[1::2] = np.clip(np.round(iq.imag), -127, 127)
    out.tofile(path)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tests/data/stereo_clip_1024k.cs8")
