// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/sample.h"

#include <cmath>

namespace session {

std::int32_t ToSample(double mixed, const SampleFormat& format) {
    const double v = mixed * format.fullScale;
    if (v >= format.high) {
        return format.high;
    }
    // Written so that a NaN, which no finite voice makes, still ends as a defined value.
    if (v > format.low) {
        return static_cast<std::int32_t>(v);
    }
    return format.low;
}

void ReferenceFrame(const VoiceSample* voices, int count, const SampleFormat& format,
                    std::int32_t& left, std::int32_t& right) {
    double sumL = 0.0;
    double sumR = 0.0;
    for (int i = 0; i < count; ++i) {
        const VoiceSample& v = voices[i];
        switch (v.form) {
            case MixForm::Ears:
                sumL += v.amplitude * std::sin(v.phaseA);
                sumR += v.amplitude * std::sin(v.phaseB);
                break;
            case MixForm::Both: {
                const double term = v.amplitude * std::sin(v.phaseA);
                sumL += term;
                sumR += term;
                break;
            }
            case MixForm::Pulsed: {
                const double s = std::sin(v.phaseB);
                const double gain = v.phaseB < kPi ? s * s : 0.0;
                const double term = (v.amplitude * gain) * std::sin(v.phaseA);
                sumL += term;
                sumR += term;
                break;
            }
            case MixForm::Signal: {
                const double term = v.amplitude * v.noise;
                sumL += term;
                sumR += term;
                break;
            }
            case MixForm::Stereo:
                sumL += v.amplitude * v.noise;
                sumR += v.amplitude * v.noiseB;
                break;
        }
    }
    left = ToSample(sumL, format);
    right = ToSample(sumR, format);
}

}  // namespace session
