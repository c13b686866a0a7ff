// The accompaniment on the real synthesizer (FluidSynth with TimGM6mb), heard through its
// own render call instead of an audio driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/beat_engine.h"
#include "platform/crt.h"
#include "platform/fluid_synth_sink.h"
#include "platform/midi_out.h"
#include "platform/midi_sink.h"

using namespace plat;

namespace {

class RealSynth : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMidiSinkFactory([this] {
            FluidSynthSink::Options options;
            options.soundFonts = {"/usr/share/sounds/sf2/TimGM6mb.sf2"};
            options.audioDriver = false;
            auto sink = std::make_unique<FluidSynthSink>(options);
            synth = sink.get();  // owned by the open device until it closes
            return sink;
        });
    }
    void TearDown() override {
        engine.StopMidi();
        SetMidiSinkFactory(nullptr);
    }
    float peakOf(double seconds) {
        const int frames = static_cast<int>(seconds * synth->sampleRate());
        std::vector<float> left(frames), right(frames);
        EXPECT_TRUE(synth->render(left.data(), right.data(), frames));
        float peak = 0;
        for (int i = 0; i < frames; ++i) {
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
        return peak;
    }
    void chordOfAllFiveVoices() {
        engine.m_fLogX = 0.5f;
        engine.m_fLogR = 3.0f;
        crt::srand(29);
        engine.PlayChord();
    }
    FluidSynthSink* synth = nullptr;
    CBeatEngine engine;
};

TEST_F(RealSynth, ChordsAndHitsSoundQuietlyAtFirstAndAResetSilencesThem) {
    engine.StartMidi();
    ASSERT_NE(synth, nullptr);
    EXPECT_LT(peakOf(0.2), 1e-6f);  // System On and the volume make no sound
    chordOfAllFiveVoices();
    const float quiet = peakOf(0.5);  // at the start-up level 1
    midiOutReset(engine.m_hMidiOut);
    peakOf(1.5);  // the reverb's tail
    engine.SetMidiVolume(100);
    chordOfAllFiveVoices();
    const float full = peakOf(0.5);
    EXPECT_GT(quiet, 0.0f);
    EXPECT_LT(quiet * 50, full);
    EXPECT_GT(full, 0.05f);
    engine.m_nTick = 400;  // the hit as the schedule sends it
    engine.m_nDrumCount = 399;
    crt::srand(3);  // no chord on this decision
    engine.MusicTick();
    EXPECT_GT(peakOf(0.3), 0.02f);
    midiOutReset(engine.m_hMidiOut);
    peakOf(1.0);
    EXPECT_LT(peakOf(0.5), 1e-4f);  // below -80 dBFS
}

}  // namespace
