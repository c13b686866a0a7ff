// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fluid_synth_sink.h"

#include <fluidsynth.h>

#include <mutex>

#include "platform/sysex_assembler.h"

namespace plat {
namespace {

constexpr int kChannels = 16;
constexpr int kSustain = 64;

// The audio driver's periods. FluidSynth's own choice, 16 periods of 64 frames, wakes its
// thread and the sound server's client thread some 700 times a second, which cost about
// ten times the CPU of the synthesis itself. Four periods of 512 frames (11.6 ms each,
// 46 ms in all at 44.1 kHz) leave twice the old buffer against underruns; a note still
// starts within one period of the tick that sends it.
constexpr int kPeriodFrames = 512;
constexpr int kPeriods = 4;

// The program reports its own device failures; FluidSynth's log lines would only repeat
// them on the terminal. Its last error on this thread becomes the reason an open gives.
thread_local std::string t_lastError;

void keepError(int, const char* message, void*) {
    t_lastError = message != nullptr ? message : "";
}

void quietenFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, keepError, nullptr);
        fluid_set_log_function(FLUID_ERR, keepError, nullptr);
        for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
    });
}

// "what", and FluidSynth's own words for it when it logged any.
std::string because(const std::string& what) {
    return t_lastError.empty() ? what : what + ": " + t_lastError;
}

}  // namespace

struct FluidSynthSink::Impl {
    Options options;
    std::string soundFont;
    std::string failure;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    SysExAssembler sysEx;
    int sampleRate = 0;

    void play(DWORD word) {
        const int status = static_cast<int>(word & 0xFF);
        const int data1 = static_cast<int>((word >> 8) & 0x7F);
        const int data2 = static_cast<int>((word >> 16) & 0x7F);
        const int channel = status & 0x0F;
        switch (status & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth, channel, data1);
                break;
            case 0x90:
                fluid_synth_noteon(synth, channel, data1, data2);  // velocity 0 is a note-off
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth, channel, data1, data2);
                break;
            case 0xB0:
                fluid_synth_cc(synth, channel, data1, data2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth, channel, data1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth, channel, data1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
                break;
            default:
                if (status == 0xFF) {
                    fluid_synth_system_reset(synth);
                }
                break;  // other system messages and stray data bytes mean nothing here
        }
    }

    void release() {
        if (driver != nullptr) {
            delete_fluid_audio_driver(driver);  // stops the driver's thread first
            driver = nullptr;
        }
        if (synth != nullptr) {
            delete_fluid_synth(synth);
            synth = nullptr;
        }
        if (settings != nullptr) {
            delete_fluid_settings(settings);
            settings = nullptr;
        }
    }
};

FluidSynthSink::FluidSynthSink() : FluidSynthSink(Options{}) {}

FluidSynthSink::FluidSynthSink(Options options) : m_impl(std::make_unique<Impl>()) {
    m_impl->options = std::move(options);
}

FluidSynthSink::~FluidSynthSink() {
    m_impl->release();
}

bool FluidSynthSink::open() {
    quietenFluidSynth();
    t_lastError.clear();
    Impl& d = *m_impl;
    d.soundFont = FindSoundFont(d.options.soundFonts);
    if (d.soundFont.empty()) {
        d.failure = "no General MIDI SoundFont found";
        if (!d.options.soundFonts.empty()) {
            d.failure += " (looked for " + d.options.soundFonts.front() + " and in " +
                         std::to_string(d.options.soundFonts.size() - 1) + " other places)";
        }
        return false;
    }
    d.settings = new_fluid_settings();
    if (d.settings != nullptr) {
        d.synth = new_fluid_synth(d.settings);
    }
    if (d.synth == nullptr || fluid_synth_sfload(d.synth, d.soundFont.c_str(), 1) == FLUID_FAILED) {
        d.failure =
            because(d.synth == nullptr ? std::string("FluidSynth cannot start")
                                       : "the SoundFont " + d.soundFont + " cannot be loaded");
        d.release();
        return false;
    }
    double rate = 44100.0;
    fluid_settings_getnum(d.settings, "synth.sample-rate", &rate);
    d.sampleRate = static_cast<int>(rate);
    fluid_synth_set_gain(d.synth, static_cast<float>(kFullGain));  // a new device is at full volume
    if (d.options.audioDriver) {
        fluid_settings_setint(d.settings, "audio.period-size", kPeriodFrames);
        fluid_settings_setint(d.settings, "audio.periods", kPeriods);
        if (!d.options.alsaDevice.empty()) {
            fluid_settings_setstr(d.settings, "audio.driver", "alsa");
            fluid_settings_setstr(d.settings, "audio.alsa.device", d.options.alsaDevice.c_str());
        }
        d.driver = new_fluid_audio_driver(d.settings, d.synth);
        if (d.driver == nullptr) {
            d.failure = because("FluidSynth's audio output cannot start");
            d.release();
            return false;
        }
    }
    return true;
}

std::string FluidSynthSink::failure() const {
    return m_impl->failure;
}

void FluidSynthSink::send(DWORD message) {
    Impl& d = *m_impl;
    if (d.synth == nullptr) {
        return;
    }
    switch (d.sysEx.feed(message)) {
        case SysExAssembler::Result::Message:
            d.play(message);
            break;
        case SysExAssembler::Result::Gathered:
            break;
        case SysExAssembler::Result::Complete: {
            // FluidSynth takes the bytes between F0 and F7.
            const auto* bytes = reinterpret_cast<const char*>(d.sysEx.bytes());
            fluid_synth_sysex(d.synth, bytes + 1, static_cast<int>(d.sysEx.size()) - 2, nullptr,
                              nullptr, nullptr, 0);
            break;
        }
    }
}

void FluidSynthSink::setVolume(DWORD volume) {
    if (m_impl->synth != nullptr) {
        const double level = static_cast<double>(volume & 0xFFFF) / 65535.0;
        fluid_synth_set_gain(m_impl->synth, static_cast<float>(kFullGain * level));
    }
}

void FluidSynthSink::reset() {
    fluid_synth_t* synth = m_impl->synth;
    if (synth == nullptr) {
        return;
    }
    // Every voice stops at once, sustained ones too, and no pedal holds the next notes.
    for (int channel = 0; channel < kChannels; ++channel) {
        fluid_synth_cc(synth, channel, kSustain, 0);
    }
    fluid_synth_all_sounds_off(synth, -1);
}

void FluidSynthSink::close() {
    m_impl->release();
}

bool FluidSynthSink::render(float* left, float* right, int frames) {
    if (m_impl->synth == nullptr || m_impl->driver != nullptr) {
        return false;
    }
    return fluid_synth_write_float(m_impl->synth, frames, left, 0, 1, right, 0, 1) == FLUID_OK;
}

int FluidSynthSink::sampleRate() const {
    return m_impl->sampleRate;
}

const std::string& FluidSynthSink::soundFont() const {
    return m_impl->soundFont;
}

std::unique_ptr<MidiSink> MakeFluidSynthMidiSink() {
    return std::make_unique<FluidSynthSink>();
}

}  // namespace plat
