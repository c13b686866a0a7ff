// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of voice has one home: a file in session/kinds/ with one VoiceKindInfo, listed
// once in voice_kind.cpp. The reader, check's description, the rate check, the timeline, the
// synthesis and the status line all ask the row, so a new kind is a new file and a row.
#pragma once

#include <span>
#include <string>

#include "session/session.h"

namespace session {

// How a voice's terms enter a frame. ReferenceFrame and the fast mix each compute these few
// forms; a kind names the one it sounds with.
enum class MixForm {
    Ears,    // amplitude × sin(phaseA) to the left, amplitude × sin(phaseB) to the right
    Both,    // amplitude × sin(phaseA) to both ears
    Pulsed,  // (amplitude × gain) × sin(phaseA) to both, gain = sin(phaseB)² while phaseB < π,
             // else 0: one smooth pulse in the first half of each pulse period
    Signal,  // amplitude × the voice's own signal (its noise) to both
    Stereo,  // amplitude × the voice's own left signal to the left, its right to the right
};

// Where a voice's signal comes from, for the forms that take one (Signal, Stereo), and for
// a tone voice drawn with another wave than the sine.
enum class Source {
    Phases,  // the sines of its phases, or its wave of them (Ears, Both, Pulsed)
    Noise,   // a seeded noise of `colour`
    Spin,    // a seeded noise of `colour`, delayed differently in each ear by phase A
    Bell,    // a sine of phase A from its strike, halving every quarter second for 4 s
    Mix,     // the session's mix file
};

// The frequencies, in hertz, that a voice's phases A and B advance by.
struct PhaseRates {
    double a = 0.0;
    double b = 0.0;
};

struct VoiceKindInfo {
    VoiceKind kind = VoiceKind::None;

    // Reading. A named kind is its word and "/A" ("pink/40"), or with a `lead`, its word, the
    // lead and a carrier form ("bell+400/10", "spin:300+4/10"). A carrier kind is a carrier,
    // one of `signs`, then its second value when `take` is set ("200+10/20", "300@8/15"),
    // then "/A" ("200/20": '/' is the sign of a kind with no second value).
    const char* word = nullptr;
    const char* lead = nullptr;
    const char* signs = nullptr;
    void (*take)(Voice& voice, char sign, double value) = nullptr;
    const char* forms = "";  // as the list of voices names them: "C+B/A, C-B/A"
    const char* after = "";  // what comes before "/A", for messages: "the beat"
    // What the values must satisfy at any rate ("" when they do); the message points at
    // the carrier for `checkCarrier`, at the second value for `check`.
    std::string (*checkCarrier)(const Voice& voice) = nullptr;
    std::string (*check)(const Voice& voice) = nullptr;

    // Description: check's kind column and what it lists; the player's status line.
    const char* name = "";
    std::string (*where)(const Voice& voice) = nullptr;
    std::string (*status)(const VoiceState& state, int percent) = nullptr;

    // Sound. `phases` of them advance at `rates` (Binaural: the two ears; Isochronic: the
    // carrier and the pulse); a Signal kind has none and a noise of its own colour.
    int phases = 0;
    PhaseRates (*rates)(const VoiceState& state) = nullptr;
    MixForm mix = MixForm::Both;
    Source source = Source::Phases;
    VoiceKind colour = VoiceKind::None;  // Noise and Spin: Pink, White or Brown
    // Why the voice cannot sound below half the rate, `limit` ("" when it can): what is too
    // high, shown before " Hz is not below half the sample rate".
    std::string (*tooHigh)(const Voice& voice, double limit) = nullptr;

    // A kind that is a special case of another with the same values sounds as that one on
    // the timeline: "200/10" is "200+0/10", so either keeps playing into, or slides to,
    // the other. None: it sounds as itself.
    VoiceKind soundsAs = VoiceKind::None;

    // The timeline picture. What it draws on its rhythm scale (the beat, the pulse, the
    // turns a second) and on its carrier scale (a tone's carrier, a bell's pitch), null
    // where the kind has none: values the timeline moves linearly, so a span's two ends
    // draw it exactly. `band`: a level the picture fills as a band (noise, the mix).
    double VoiceState::*rhythm = nullptr;
    double VoiceState::*pitch = nullptr;
    bool band = false;
};

// The row of `kind`, which is never None.
const VoiceKindInfo& KindOf(VoiceKind kind);

// The kind a voice of `kind` sounds as on the timeline (None stays None).
VoiceKind SoundingKind(VoiceKind kind);

// Every kind, in the order the reader lists them in its messages.
std::span<const VoiceKindInfo* const> VoiceKinds();

// Whether two voices sound as one kind with the same values, amplitude aside: a crossfade keeps
// such a voice playing, and check calls such a change "nothing changes".
bool SameValues(const Voice& a, const Voice& b);

// The voice's values as the timeline moves them, at `scale` × its amplitude / 100.
VoiceState StateOf(const Voice& voice, double scale);

}  // namespace session
