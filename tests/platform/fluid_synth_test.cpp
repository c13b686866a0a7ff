// The default MIDI device: FluidSynth with a General MIDI SoundFont. Its sound is heard
// through its own render call, without an audio driver; the driver itself is run through
// ALSA's null device.
#include "platform/fluid_synth_sink.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/midi_out.h"
#include "platform/window.h"
#include "tests/support/paced_device.h"
#include "tests/support/pump.h"

using namespace plat;

namespace {

const std::string kTimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

std::unique_ptr<FluidSynthSink> openRendering() {
    FluidSynthSink::Options options;
    options.soundFonts = {kTimGM6mb};
    options.audioDriver = false;
    auto sink = std::make_unique<FluidSynthSink>(options);
    EXPECT_TRUE(sink->open());
    return sink;
}

struct Sound {
    std::vector<float> left, right;
    float peak() const {
        float p = 0;
        for (std::size_t i = 0; i < left.size(); ++i) {
            p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
        }
        return p;
    }
    bool operator==(const Sound& o) const { return left == o.left && right == o.right; }
};

Sound render(FluidSynthSink& sink, double seconds) {
    const int frames = static_cast<int>(seconds * sink.sampleRate());
    Sound s{std::vector<float>(frames), std::vector<float>(frames)};
    EXPECT_TRUE(sink.render(s.left.data(), s.right.data(), frames));
    return s;
}

void sendAll(FluidSynthSink& sink, std::initializer_list<DWORD> words) {
    for (DWORD w : words) {
        sink.send(w);
    }
}

TEST(SoundFont, TheSystemsDefaultComesFirstThenTheUsualPlaces) {
    const auto paths = DefaultSoundFontPaths();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.front(), "/usr/share/sounds/sf2/default-GM.sf2");
    EXPECT_NE(std::find(paths.begin(), paths.end(), kTimGM6mb), paths.end());
    EXPECT_NE(std::find(paths.begin(), paths.end(), "/usr/share/sounds/sf2/FluidR3_GM.sf2"),
              paths.end());
}

TEST(SoundFont, TheFirstReadableFileIsTaken) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("a.sf2").toStdString();
    std::ofstream(file) << "x";
    EXPECT_EQ(FindSoundFont({dir.filePath("missing.sf2").toStdString(), dir.path().toStdString(),
                             file, kTimGM6mb}),
              file);
    EXPECT_EQ(FindSoundFont({dir.filePath("missing.sf2").toStdString()}), "");
}

TEST(FluidSynth, WithoutASoundFontTheDeviceDoesNotOpen) {
    FluidSynthSink::Options options;
    options.soundFonts = {"/nonexistent/none.sf2"};
    options.audioDriver = false;
    FluidSynthSink sink(options);
    EXPECT_FALSE(sink.open());

    // Nor does a file that is no SoundFont.
    QTemporaryDir dir;
    const std::string junk = dir.filePath("junk.sf2").toStdString();
    std::ofstream(junk) << "not a soundfont";
    options.soundFonts = {junk};
    FluidSynthSink junkSink(options);
    EXPECT_FALSE(junkSink.open());
}

TEST(FluidSynth, GeneralMidiOnSentOneByteAWordResetsTheSynth) {
    // A fresh synth plays program 0; after a program change and GM System On, the same
    // note must sound exactly as on the fresh synth, and differently without the reset.
    auto fresh = openRendering();
    sendAll(*fresh, {0x00644090});
    const Sound expected = render(*fresh, 0.3);

    auto reset = openRendering();
    sendAll(*reset, {0x000062C0, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00644090});
    EXPECT_TRUE(render(*reset, 0.3) == expected);

    auto changed = openRendering();
    sendAll(*changed, {0x000062C0, 0x00644090});
    EXPECT_FALSE(render(*changed, 0.3) == expected);
}

// The loudest chord the accompaniment can play: five voices at full channel volume, with
// the percussion hit on top.
void loudestChord(FluidSynthSink& sink, int n) {
    for (int ch : {0, 1, 2, 3, 4, 9}) {
        sink.send(static_cast<DWORD>(0xB0 + ch) | 0x07u << 8 | 127u << 16);
    }
    sendAll(sink, {0x000062C0, 0x000062C1, 0x000062C2, 0x000033C3, 0x000033C4});
    sink.send(0x90u | static_cast<DWORD>(n) << 8 | 100u << 16);
    sink.send(0x91u | static_cast<DWORD>(n + 3) << 8 | 90u << 16);
    sink.send(0x92u | static_cast<DWORD>(n + 8) << 8 | 90u << 16);
    sink.send(0x93u | static_cast<DWORD>(n - 12) << 8 | 100u << 16);
    sink.send(0x94u | static_cast<DWORD>(n + 4) << 8 | 100u << 16);
    sink.send(0x00645099);
}

TEST(FluidSynth, FullVolumeIsClearlyAudibleAndFarFromClipping) {
    float loudest = 0;
    for (int n = 60; n <= 83; ++n) {
        auto sink = openRendering();
        sink->setVolume(0xFFFFFFFF);
        loudestChord(*sink, n);
        loudest = std::max(loudest, render(*sink, 1.0).peak());
    }
    RecordProperty("loudest_peak", std::to_string(loudest));
    EXPECT_GT(loudest, 0.1f);
    EXPECT_LT(loudest, 0.5f);  // at least 6 dB of headroom
}

TEST(FluidSynth, TheVolumeIsALinearGainSetByTheLeftLevel) {
    auto full = openRendering();
    full->setVolume(0xFFFFFFFF);
    loudestChord(*full, 70);
    const float fullPeak = render(*full, 0.5).peak();

    auto half = openRendering();
    half->setVolume(0x0000FFFF / 2 | 0xFFFF0000);  // the right level plays no part
    loudestChord(*half, 70);
    EXPECT_NEAR(render(*half, 0.5).peak() / fullPeak, 0.5, 0.01);

    auto silent = openRendering();
    silent->setVolume(0);
    loudestChord(*silent, 70);
    EXPECT_LT(render(*silent, 0.5).peak(), 1e-6f);  // the reverb's noise floor only
}

TEST(FluidSynth, ResetSilencesEveryChannelSustainedNotesToo) {
    auto sink = openRendering();
    sink->send(0x007F40B2);  // channel 3: sustain pedal down
    loudestChord(*sink, 66);
    ASSERT_GT(render(*sink, 0.3).peak(), 0.05f);
    sink->reset();
    // Every voice stops at once; only the reverb's tail rings on, for about a second,
    // after which the output is below -80 dBFS.
    EXPECT_LT(render(*sink, 1.0).peak(), 0.1f);
    EXPECT_LT(render(*sink, 0.5).peak(), 1e-4f);

    // Without the reset the same chord is still sounding then.
    auto ringing = openRendering();
    ringing->send(0x007F40B2);
    loudestChord(*ringing, 66);
    render(*ringing, 1.3);
    EXPECT_GT(render(*ringing, 0.5).peak(), 1e-2f);
}

class FluidSynthDriver : public ::testing::Test {
  protected:
    void useAlsaConfig(const std::string& pcmDefault) {
        const std::string conf = dir.filePath("asound.conf").toStdString();
        std::ofstream(conf) << pcmDefault;
        setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    }
    QTemporaryDir dir;
};

TEST_F(FluidSynthDriver, TheDefaultDeviceOpensThroughItsAudioDriver) {
    useAlsaConfig(testsupport::PacedDeviceConfig());
    HMIDIOUT h = 0;
    ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x00644090), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutSetVolume(h, 0x80008000), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
}

TEST_F(FluidSynthDriver, WithoutAnAudioOutputTheDeviceDoesNotOpen) {
    useAlsaConfig("pcm.!default { type hw; card 99; device 0 }\n");
    CWnd win;
    win.CreateHidden("notify", 0);
    HMIDIOUT h = 0;
    EXPECT_EQ(midiOutOpen(&h, MIDI_MAPPER, win.GetSafeHwnd(), 0, CALLBACK_WINDOW),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(h, 0u);
}

}  // namespace
