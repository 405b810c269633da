#!/usr/bin/python3
"""GNU Radio 3.10's stock FM stereo receiver on a raw CS8 file at 2.048 MS/s
whose station sits STATION_OFFSET Hz above the centre, as our figures
compare it with our own receiver (scripts/figures.sh):

  freq_xlating_fir_filter_ccc (decimation 8, Hamming low-pass, 100 kHz
  cutoff, 50 kHz transition) -> analog.wfm_rcv_pll(256e3, 4, 50e-6)
  -> rational_resampler_fff(3, 4) on each channel -> file sinks

no throttle, timed from tb.start() to tb.wait() (Python's own start-up is
not counted), in CPU seconds of all the flow graph's threads. Prints
"cpu: X" (CPU-s per s of IQ) and "separation: L dB left, R dB right" for a
station playing 1 kHz left and 3 kHz right (the last second of the output).

Usage: gnuradio_receiver.py FILE.cs8 STATION_OFFSET_HZ WORK_FOLDER
"""
import os
import resource
import sys

import numpy
from gnuradio import analog, blocks, filter, gr
from gnuradio.fft import window
from gnuradio.filter import firdes

INPUT_RATE = 2.048e6
OUTPUT_RATE = 48000


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return usage.ru_utime + usage.ru_stime


def tone_power(samples, hz):
    n = numpy.arange(len(samples))
    return abs(numpy.sum(samples * numpy.exp(-2j * numpy.pi * hz * n / OUTPUT_RATE))) ** 2


def main():
    path, offset, work = sys.argv[1], float(sys.argv[2]), sys.argv[3]
    left_path, right_path = os.path.join(work, "gr_left.f32"), os.path.join(work, "gr_right.f32")
    tb = gr.top_block()
    source = blocks.file_source(gr.sizeof_char, path, False)
    to_complex = blocks.interleaved_char_to_complex(False, 1.0 / 128)
    taps = firdes.low_pass(1.0, INPUT_RATE, 100e3, 50e3, window.WIN_HAMMING)
    channel = filter.freq_xlating_fir_filter_ccc(8, taps, offset, INPUT_RATE)
    demod = analog.wfm_rcv_pll(256e3, 4, 50e-6)
    left_rate = filter.rational_resampler_fff(3, 4)
    right_rate = filter.rational_resampler_fff(3, 4)
    left_sink = blocks.file_sink(gr.sizeof_float, left_path, False)
    right_sink = blocks.file_sink(gr.sizeof_float, right_path, False)
    tb.connect(source, to_complex, channel, demod)
    tb.connect((demod, 0), left_rate, left_sink)
    tb.connect((demod, 1), right_rate, right_sink)
    seconds = os.path.getsize(path) / 2 / INPUT_RATE
    before = cpu_seconds()
    tb.start()
    tb.wait()
    used = cpu_seconds() - before
    left_sink.close()
    right_sink.close()
    left = numpy.fromfile(left_path, dtype=numpy.float32)[-OUTPUT_RATE:]
    right = numpy.fromfile(right_path, dtype=numpy.float32)[-OUTPUT_RATE:]
    print("cpu: %.4f" % (used / seconds))
    print("separation: %.1f dB left, %.1f dB right" % (
        10 * numpy.log10(tone_power(left, 1000) / tone_power(right, 1000)),
        10 * numpy.log10(tone_power(right, 3000) / tone_power(left, 3000))))


if __name__ == "__main__":
    main()
