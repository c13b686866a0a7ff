// SPDX-License-Identifier: GPL-3.0-or-later
// The default MIDI device: an embedded FluidSynth synthesizer with a General MIDI
// SoundFont, playing through FluidSynth's default audio driver. Built without the audio
// driver it plays into render() instead, which tests use to hear what it makes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/midi_sink.h"

namespace plat {

// The usual places of a General MIDI SoundFont, the system's chosen default first.
std::vector<std::string> DefaultSoundFontPaths();
// The first of `candidates` that is a readable file, or empty.
std::string FindSoundFont(const std::vector<std::string>& candidates);

class FluidSynthSink : public MidiSink {
  public:
    // Synth gain at device volume 65535: five voices and a percussion hit at full
    // channel volume stay well below clipping.
    static constexpr double kFullGain = 0.3;

    struct Options {
        std::vector<std::string> soundFonts = DefaultSoundFontPaths();
        bool audioDriver = true;
        // When set, the audio goes through ALSA to this PCM instead of FluidSynth's
        // default driver and device.
        std::string alsaDevice;
    };

    FluidSynthSink();
    explicit FluidSynthSink(Options options);
    ~FluidSynthSink() override;

    // Fails when no SoundFont can be found or loaded, or the synth or audio driver
    // cannot be made.
    bool open() override;
    std::string failure() const override;
    void send(DWORD message) override;
    // FluidSynth has one gain for both sides: the left level (low word) sets it, as
    // devices with a single volume do.
    void setVolume(DWORD volume) override;
    void reset() override;
    void close() override;

    // Without the audio driver: renders the next `frames` stereo frames at
    // sampleRate(). False when the synth is not open.
    bool render(float* left, float* right, int frames);
    int sampleRate() const;
    const std::string& soundFont() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace plat
