// SPDX-License-Identifier: GPL-3.0-or-later
// A timeline turned into interleaved stereo frames: any number at a time, from any frame.
// The samples are those of ReferenceFrame (session/sample.h), with each voice's phases
// carried from sample to sample. For a phase of frequency f(n) at sample n, the phase of
// sample n + 1 is phase + f(n) × w (w = 2π / rate, computed once), less 2π once it reaches
// 2π; within a span, f(n) = from + ((to - from) / (end - begin)) × (n - begin), and so is
// the amplitude. A binaural voice's ears are two phases, of carrier + beat × 0.5 and
// carrier - beat × 0.5 at each end of the span; an isochronic voice has its carrier's and
// its pulse's. A voice starts at phase 0 and keeps its phases, and a noise its generator
// and filter, from span to span while its track id stays the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "session/sample.h"
#include "session/synth_block.h"
#include "session/timeline.h"

namespace session {

class MixStream;
class CheckpointBatch;

class Synth {
  public:
    enum class Method {
        Fast,   // the polynomial mix where it decides every sample, the reference elsewhere
        Plain,  // ReferenceFrame for every frame: the definition, kept for comparison
    };

    // The timeline must outlive the synthesis, and so must `mix`, the session's mix file
    // opened at the timeline's rate (null: a mix voice is silent). `seed` chooses the noise.
    Synth(const Timeline& timeline, std::uint64_t seed, const SampleFormat& format,
          Method method = Method::Fast, MixStream* mix = nullptr);
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    // The frame the next Render starts with.
    std::int64_t Position() const;

    // Moves to `frame` exactly as if every frame before it had been rendered: the phases
    // and the noise move on sample by sample, but no sine is computed, from the nearest
    // checkpoint at or before `frame` (or from where it is, when that is nearer).
    void Seek(std::int64_t frame);

    // Checkpoints: the synthesis keeps its whole state (every voice's phases, noise filter,
    // spin ring and bell) at each multiple of a spacing as it renders or seeks past it, so
    // that a seek moves on over less than one spacing once they exist. The spacing starts at
    // kCheckpointSpacing frames and doubles, dropping every other checkpoint, whenever they
    // would take more than the limit (kCheckpointLimit unless LimitCheckpoints changed it).
    // A checkpoint is a few KiB, and 64 KiB more for each spin (its ring). Moving on costs
    // some 10 ns a frame for six voices with a spin, so 2^20 frames (24 s at 44.1 kHz) take
    // about 10 ms; ten such hours need 98 MiB at that spacing, so the 64 MiB limit keeps
    // one every 2^21 frames (49 MiB) and a seek takes 21 ms at worst (bench_session_seek).
    static constexpr std::int64_t kCheckpointSpacing = std::int64_t{1} << 20;
    static constexpr std::size_t kCheckpointLimit = std::size_t{64} << 20;
    struct CheckpointUse {
        std::size_t count = 0;
        std::int64_t spacing = 0;
        std::size_t bytes = 0;
    };
    CheckpointUse Checkpoints() const;
    void LimitCheckpoints(std::size_t bytes);

    // Makes the checkpoints up to `frame` now, moving on over every frame not yet passed
    // (as a seek there would), then returns to Position(). It takes as long as seeking there
    // the first time: 0.1 to 0.5 s an hour of session, 1.4 s with a spin, so a player calls it
    // before playing or while paused rather than in the sound's path.
    void PrepareCheckpoints(std::int64_t frame);

    // Checkpoints handed from one synthesis to another of the same timeline and seed (the
    // mix file plays no part in them), so that a helper thread can make them ahead of a
    // player's seeks. Take moves every checkpoint out, leaving this synthesis none; Add
    // keeps those of the batch that fall on this one's spacing and that it lacks, then
    // holds them to its limit.
    CheckpointBatch TakeCheckpoints();
    void AddCheckpoints(CheckpointBatch batch);
    // The frame that a Seek to `frame` would move on from: a checkpoint, Position() or 0.
    std::int64_t SeekFrom(std::int64_t frame) const;

    // Writes `count` frames (left, right) from Position() and moves past them. Frames from
    // the timeline's end on are silence. The 16-bit form needs kPcm16, the other any format.
    void Render(std::int16_t* frames, int count);
    void Render(std::int32_t* frames, int count);

    // Render in two halves, which may run on two threads one block apart: Prepare moves
    // the voices on over the next `count` frames and keeps in `block` what their mix needs
    // (the serial part: phases and noise); Finish then makes the frames from it (and uses
    // the block up: it finishes a block once).
    void Prepare(SynthBlock& block, int count);
    static void Finish(SynthBlock& block, std::int16_t* frames);
    static void Finish(SynthBlock& block, std::int32_t* frames);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Checkpoints on their way between two syntheses (Synth::TakeCheckpoints): a value that
// may be moved to another thread.
class CheckpointBatch {
  public:
    CheckpointBatch();
    ~CheckpointBatch();
    CheckpointBatch(CheckpointBatch&&) noexcept;
    CheckpointBatch& operator=(CheckpointBatch&&) noexcept;

    std::size_t Size() const;

  private:
    friend class Synth;
    struct Kept;
    std::unique_ptr<Kept> m_kept;
};

}  // namespace session
