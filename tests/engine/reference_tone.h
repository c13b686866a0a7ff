// The tone worked straight from its definition, one frame at a time, for comparison with
// the engine: sample = trunc(sin(phase) * 32768), phase += (6.28318 * f) / 44100, wrapped
// by 6.28318 when strictly greater.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace reference {

struct Channel {
    double phase = 0.0;

    std::int16_t next(double hz) {
        double v = std::trunc(std::sin(phase) * 32768.0);
        if (v > 32767.0) {
            v = 32767.0;
        }
        phase = phase + (6.28318 * hz) / 44100.0;
        if (phase > 6.28318) {
            phase = phase - 6.28318;
        }
        return static_cast<std::int16_t>(v);
    }
};

// Interleaved left/right frames of `frames` frames, written to `out`.
inline void Fill(Channel& left, Channel& right, double leftHz, double rightHz, std::int16_t* out,
                 int frames) {
    for (int k = 0; k < frames; ++k) {
        out[2 * k] = left.next(leftHz);
        out[2 * k + 1] = right.next(rightHz);
    }
}

// Interleaved left/right frames of `frames` frames.
inline std::vector<std::int16_t> Frames(Channel& left, Channel& right, double leftHz,
                                        double rightHz, int frames) {
    std::vector<std::int16_t> out(2 * frames);
    Fill(left, right, leftHz, rightHz, out.data(), frames);
    return out;
}

}  // namespace reference
