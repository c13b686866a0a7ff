// SPDX-License-Identifier: GPL-3.0-or-later
// The default MIDI device: FluidSynth with a General MIDI SoundFont, heard through its own
// render call; its audio driver run through the tests' paced null device.
#include "platform/fluid_synth_sink.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "platform/midi_out.h"
#include "platform/open_failure.h"
#include "tests/support/paced_device.h"

using namespace plat;

namespace {

const std::string kTimGM6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

std::unique_ptr<FluidSynthSink> rendering(std::initializer_list<DWORD> words,
                                          DWORD volume = 0xFFFFFFFF) {
    auto sink = std::make_unique<FluidSynthSink>(
        FluidSynthSink::Options{.soundFonts = {kTimGM6mb}, .audioDriver = false, .alsaDevice = {}});
    EXPECT_TRUE(sink->open());
    sink->setVolume(volume);
    for (DWORD w : words) {
        sink->send(w);
    }
    return sink;
}

std::vector<float> sound(FluidSynthSink& sink, double seconds) {
    const int frames = static_cast<int>(seconds * sink.sampleRate());
    std::vector<float> both(2 * frames);
    EXPECT_TRUE(sink.render(both.data(), both.data() + frames, frames));
    return both;
}

float peak(const std::vector<float>& s) {
    return std::fabs(std::ranges::max(s, {}, [](float v) { return std::fabs(v); }));
}

TEST(FluidSynth, TheSoundFontIsTheFirstReadableOfTheUsualPlacesAndMustBeOne) {
    const auto paths = DefaultSoundFontPaths();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.front(), "/usr/share/sounds/sf2/default-GM.sf2");
    EXPECT_NE(std::find(paths.begin(), paths.end(), kTimGM6mb), paths.end());
    QTemporaryDir dir;
    const std::string junk = dir.filePath("junk.sf2").toStdString();
    std::ofstream(junk) << "not a soundfont";
    const std::string missing = dir.filePath("missing.sf2").toStdString();
    EXPECT_EQ(FindSoundFont({missing, dir.path().toStdString(), junk, kTimGM6mb}), junk);
    EXPECT_EQ(FindSoundFont({missing}), "");
    for (const auto& [font, why] :
         {std::pair{missing, "no General MIDI SoundFont found (looked for " + missing},
          std::pair{junk, "the SoundFont " + junk + " cannot be loaded"}}) {
        FluidSynthSink sink({.soundFonts = {font}, .audioDriver = false, .alsaDevice = {}});
        EXPECT_FALSE(sink.open()) << font;
        EXPECT_EQ(sink.failure().rfind(why, 0), 0u) << sink.failure();
    }
}

TEST(FluidSynth, SystemOnSentOneByteAWordResetsTheSynth) {
    // Program 98 then GM System On: the note sounds as on a fresh synth (program 0).
    const auto fresh = sound(*rendering({0x00644090}), 0.3);
    EXPECT_EQ(sound(*rendering({0x000062C0, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00644090}), 0.3),
              fresh);
    EXPECT_NE(sound(*rendering({0x000062C0, 0x00644090}), 0.3), fresh);
}

TEST(FluidSynth, TheLoudestChordHasHeadroomTheLeftLevelIsALinearGainAndAResetSilencesIt) {
    // Five voices at full channel volume, as the accompaniment's loudest chord, and a hit,
    // with the sustain pedal of channel 3 down.
    const std::initializer_list<DWORD> loudest = {
        0x007F07B0, 0x007F07B1, 0x007F07B2, 0x007F07B3, 0x007F07B4, 0x007F07B9,
        0x000062C0, 0x000062C1, 0x000062C2, 0x000033C3, 0x000033C4, 0x007F40B2,
        0x00644690, 0x005A4991, 0x005A4E92, 0x00643A93, 0x00644A94, 0x00645099};
    auto full = rendering(loudest);
    const float peakFull = peak(sound(*full, 1.0));
    EXPECT_GT(peakFull, 0.1f);
    EXPECT_LT(peakFull, 0.5f);  // at least 6 dB below clipping
    const float half = peak(sound(*rendering(loudest, 0x7FFF | 0xFFFF0000), 1.0));
    EXPECT_NEAR(half / peakFull, 0.5, 0.01);  // the right level plays no part
    EXPECT_LT(peak(sound(*rendering(loudest, 0), 1.0)), 1e-6f);
    full->reset();  // every voice stops at once; the reverb's tail is gone within a second
    sound(*full, 1.0);
    EXPECT_LT(peak(sound(*full, 0.5)), 1e-4f);  // below -80 dBFS
    auto ringing = rendering(loudest);          // without the reset the chord is still sounding
    sound(*ringing, 1.3);
    EXPECT_GT(peak(sound(*ringing, 0.5)), 1e-2f);
}

TEST(FluidSynth, TheDefaultDeviceOpensThroughItsAudioDriverOnlyWhereThereIsOne) {
    QTemporaryDir dir;
    const std::string conf = dir.filePath("asound.conf").toStdString();
    std::ofstream(conf) << testsupport::PacedDeviceConfig();
    setenv("ALSA_CONFIG_PATH", conf.c_str(), 1);
    HMIDIOUT h = 0;
    ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutShortMsg(h, 0x00644090), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutReset(h), MMSYSERR_NOERROR);
    EXPECT_EQ(midiOutClose(h), MMSYSERR_NOERROR);
    const std::string none = dir.filePath("none.conf").toStdString();
    std::ofstream(none) << "pcm.!default { type hw; card 99; device 0 }\n";
    setenv("ALSA_CONFIG_PATH", none.c_str(), 1);
    EXPECT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NODRIVER);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(LastOpenFailure().rfind("FluidSynth's audio output cannot start", 0), 0u);
}

}  // namespace
