// Interleaved IQ as the radio delivers it, turned into complex float.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>

namespace orv::receiver {

using Complex = std::complex<float>;

// The sample formats a card may hand over. The RTL-SDR's own bytes are
// offset binary (CU8); SoapySDR's driver turns them into signed CS8.
enum class IqFormat { CS8, CU8, CS16, CF32 };

// Bytes in one I,Q pair of the given format.
size_t bytesPerIqPair(IqFormat format);

// Converts count I,Q pairs at data to complex float, full scale reading 1.0.
void convertIq(const void* data, size_t count, IqFormat format, Complex* out);

}  // namespace orv::receiver
