#include "receiver/iq_input.h"

#include <cstring>

namespace orv::receiver {

namespace {
constexpr float cs8Scale = 1.0f / 128.0f;
constexpr float cu8Middle = 127.5f;  // offset binary: 0 and 255 lie symmetric about it
constexpr float cs16Scale = 1.0f / 32768.0f;
}  // namespace

size_t bytesPerIqPair(IqFormat format) {
    switch (format) {
    case IqFormat::CS8:
    case IqFormat::CU8: return 2;
    case IqFormat::CS16: return 4;
    case IqFormat::CF32: return 8;
    }
    return 0;
}

void convertIq(const void* data, size_t count, IqFormat format, Complex* out) {
    switch (format) {
    case IqFormat::CS8: {
        const int8_t* s = static_cast<const int8_t*>(data);
        for (size_t i = 0; i < count; ++i) out[i] = {s[2 * i] * cs8Scale, s[2 * i + 1] * cs8Scale};
        break;
    }
    case IqFormat::CU8: {
        const uint8_t* s = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < count; ++i)
            out[i] = {(s[2 * i] - cu8Middle) * cs8Scale, (s[2 * i + 1] - cu8Middle) * cs8Scale};
        break;
    }
    case IqFormat::CS16: {
        const int16_t* s = static_cast<const int16_t*>(data);
        for (size_t i = 0; i < count; ++i) out[i] = {s[2 * i] * cs16Scale, s[2 * i + 1] * cs16Scale};
        break;
    }
    case IqFormat::CF32:
        std::memcpy(out, data, count * sizeof(Complex));
        break;
    }
}

}  // namespace orv::receiver
