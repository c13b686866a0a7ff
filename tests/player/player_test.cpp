// SPDX-License-Identifier: GPL-3.0-or-later
// The session player on the in-process device: what each change makes of the frames, held
// against the render of the same timeline and the 10 ms, 50 ms and quarter-second ramps.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/testing/virtual_wave_device.h"
#include "player/checkpoint_maker.h"
#include "player/session_player.h"
#include "session/reader.h"
#include "tests/support/pump.h"

namespace {

using namespace player;
using Samples = std::vector<std::int16_t>;
using Item = std::shared_ptr<const PlayItem>;

// Three seconds at 44.1 kHz: pink noise, a crossfade at 0:01, a slide from 0:02.
constexpr const char* kSession =
    "-SE\na: pink/20 200+10/30\nb: 300@5/20 100-4/30\n"
    "0:00:00 a\n0:00:01 == b\n0:00:02 == b ->\n0:00:03 a\n";
constexpr const char* kOther = "-SE\nc: 150+4/40 brown/10\n0:00:00 c\n0:00:02 == c\n0:00:04 c\n";
const int kBlock = SessionPlayer::BlockFrames(44100);
const std::int64_t kQueued = 3 * kBlock;  // the device holds three blocks when a row acts
constexpr int kRamp = 441, kFade = 2205, kStop = 11025;

Item load(const char* text) {
    auto item = std::make_shared<PlayItem>();
    item->session = *session::ReadSessionText(text, "t.sbg").session;
    item->timeline = session::BuildTimeline(item->session, 44100);
    return item;
}

// The whole timeline as a render makes it.
Samples render(const Item& item) {
    Samples s(2 * static_cast<std::size_t>(item->timeline.end));
    session::Synth(item->timeline, 0, session::kPcm16).Render(s.data(), item->timeline.end);
    return s;
}

// Builds what the device should get: stretches of renders, each frame k of n times the
// ramp gain (g0 × (n − k) + g1 × k) / n, the two renders mixed by k / n over a crossfade.
struct Expect {
    Samples frames;
    Expect& take(const Samples& r, std::int64_t from, std::int64_t to, double gain = 1.0) {
        return ramp(r, from, to - from, gain, gain);
    }
    Expect& ramp(const Samples& r, std::int64_t from, int n, double g0, double g1) {
        for (std::int64_t i = 2 * from; i < 2 * (from + n); ++i) {
            const std::int64_t k = i / 2 - from;
            frames.push_back(static_cast<std::int16_t>(r[i] * ((g0 * (n - k) + g1 * k) / n)));
        }
        return *this;
    }
    Expect& fade(const Samples& a, const Samples& b, std::int64_t from, int n) {
        for (std::int64_t i = 2 * from; i < 2 * (from + n); ++i) {
            const double t = static_cast<double>(i / 2 - from) / n;
            frames.push_back(static_cast<std::int16_t>(a[i] * (1.0 - t) + b[i] * t));
        }
        return *this;
    }
};

class Player : public ::testing::Test {
  protected:
    void SetUp() override {
        dev = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
    }
    void TearDown() override { plat::VirtualWaveDevice::Uninstall(); }

    // Plays from `from`; `act` runs while the first three blocks are queued. With `resumeAt`,
    // the player is resumed once the device has played up to there.
    Samples play(std::int64_t from, const std::function<void(SessionPlayer&)>& act,
                 std::int64_t resumeAt = -1) {
        SessionPlayer p(a, [&](const PlayerState& s) { states.push_back(s); });
        EXPECT_TRUE(p.Play(from));
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !dev->Blocks().empty(); }));
        act(p);
        dev->Release(1 << 20);
        if (resumeAt >= 0) {
            EXPECT_TRUE(testsupport::PumpUntil(
                [&] { return !states.empty() && states.back().position == resumeAt; }));
            EXPECT_TRUE(p.State().paused);
            p.Resume();
        }
        EXPECT_TRUE(testsupport::PumpUntil([&] { return !states.empty() && states.back().ended; }));
        Samples got;
        for (const auto& block : dev->Blocks()) {
            const auto* s = reinterpret_cast<const std::int16_t*>(block.bytes.data());
            got.insert(got.end(), s, s + block.bytes.size() / 2);
        }
        return got;
    }

    std::shared_ptr<plat::VirtualWaveDevice> dev;
    Item a = load(kSession), b = load(kOther);
    Samples ra = render(a), rb = render(b);
    std::vector<PlayerState> states;
};

TEST_F(Player, EveryChangeRampsAndTheFramesAroundItAreTheRendersOwn) {
    const std::int64_t q = kQueued, end = a->timeline.end;
    ASSERT_EQ(end, 3 * 44100);
    const std::int64_t mid = 44100 - 5000;  // with the crossfade at 0:01 in its first blocks
    struct Row {
        const char* what;
        std::int64_t from;
        std::function<void(SessionPlayer&)> act;
        Expect expect;
        std::int64_t end;
        std::int64_t resumeAt = -1;
    } rows[] = {
        {"untouched", 0, [](SessionPlayer&) {}, Expect().take(ra, 0, end), end},
        {"untouched, from a crossfade", mid, [](SessionPlayer&) {}, Expect().take(ra, mid, end),
         end},
        {"seek back into the noise", 0, [](SessionPlayer& p) { p.Seek(8000); },
         Expect()
             .take(ra, 0, q)
             .ramp(ra, q, kRamp, 1, 0)
             .ramp(ra, 8000, kRamp, 0, 1)
             .take(ra, 8000 + kRamp, end),
         end},
        {"seek into the crossfade", 0, [](SessionPlayer& p) { p.Seek(44000); },
         Expect()
             .take(ra, 0, q)
             .ramp(ra, q, kRamp, 1, 0)
             .ramp(ra, 44000, kRamp, 0, 1)
             .take(ra, 44000 + kRamp, end),
         end},
        {"seek into the slide", 0, [](SessionPlayer& p) { p.Seek(110250); },
         Expect()
             .take(ra, 0, q)
             .ramp(ra, q, kRamp, 1, 0)
             .ramp(ra, 110250, kRamp, 0, 1)
             .take(ra, 110250 + kRamp, end),
         end},
        {"pause, resume", 0, [](SessionPlayer& p) { p.Pause(); },
         Expect()
             .take(ra, 0, q)
             .ramp(ra, q, kRamp, 1, 0)
             .ramp(ra, q + kRamp, kRamp, 0, 1)
             .take(ra, q + 2 * kRamp, end),
         end, q + kRamp},
        {"volume 100 to 30", 0, [](SessionPlayer& p) { p.SetVolume(30); },
         Expect().take(ra, 0, q).ramp(ra, q, kRamp, 1, 0.3).take(ra, q + kRamp, end, 0.3), end},
        {"stop", 0, [](SessionPlayer& p) { p.Stop(); },
         Expect().take(ra, 0, q).ramp(ra, q, kStop, 1, 0), q + kStop},
        {"new timeline", 0, [&](SessionPlayer& p) { EXPECT_TRUE(p.Replace(b)); },
         Expect().take(ra, 0, q).fade(ra, rb, q, kFade).take(rb, q + kFade, b->timeline.end),
         b->timeline.end},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.what);
        states.clear();
        dev = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
        const Samples got = play(row.from, row.act, row.resumeAt);
        const Samples& want = row.expect.frames;
        const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
        EXPECT_TRUE(diff.first == got.end() && diff.second == want.end())
            << "first difference at sample " << diff.first - got.begin() << " of " << got.size()
            << " (" << want.size() << " expected)";
        // Finished is said once, last, with every frame played.
        if (states.empty()) {
            ADD_FAILURE() << "no state reported";
            continue;
        }
        EXPECT_EQ(states.back().position, row.end);
        EXPECT_EQ(std::count_if(states.begin(), states.end(), [](auto& s) { return s.ended; }), 1);
        EXPECT_EQ(dev->Closes(), 1);
    }
}

// The device goes away after `played` blocks, some frames of them still unplayed in its
// buffer, and comes back (or the player is stopped): the second opening gets the render from
// the first frame never played, ramped up over 10 ms. When that frame lies in the ramp down
// to a seek, play goes on from the seek's target.
TEST_F(Player, ALostDeviceIsWaitedForAndPlayGoesOnFromWhereItStopped) {
    const std::int64_t end = a->timeline.end;
    const int seekBlock = kBlock - kRamp;  // of the fourth block, the frames after the seek
    struct Row {
        const char* what;
        int played;         // blocks the device had finished when it went away
        int buffered;       // frames of them it still held
        std::int64_t seek;  // asked for while the first three blocks are queued, or -1
        std::int64_t stopped;
        bool stop = false;
    } rows[] = {
        {"lost in the first block", 0, 0, -1, 0},
        {"lost after two blocks", 2, 0, -1, 2 * kBlock},
        {"a third of a block unplayed", 2, kBlock / 3, -1, 2 * kBlock - kBlock / 3},
        {"lost at the crossfade", 44100 / kBlock, 0, -1, 44100},
        {"unplayed from after a seek", 4, seekBlock / 2, 8000, 8000 + seekBlock - seekBlock / 2},
        {"unplayed from the ramp down to a seek", 4, seekBlock + 100, 8000, 8000},
        {"stopped while waiting", 2, 0, -1, 2 * kBlock, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        states.clear();
        dev = plat::VirtualWaveDevice::Install(plat::VirtualWaveDevice::Pace::Manual);
        dev->SetBuffered(static_cast<std::uint64_t>(row.buffered));
        SessionPlayer p(a, [&](const PlayerState& s) { states.push_back(s); });
        ASSERT_TRUE(p.Play(0));
        ASSERT_TRUE(testsupport::PumpUntil([&] { return !dev->Blocks().empty(); }));
        if (row.seek >= 0) {
            p.Seek(row.seek);
        }
        dev->Release(row.played);
        ASSERT_TRUE(testsupport::PumpUntil(
            [&] { return dev->Blocks().size() > static_cast<std::size_t>(row.played); }));
        dev->SetLost(true);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return p.State().waiting; }));
        EXPECT_EQ(p.State().position, row.stopped);
        if (row.stop) {
            p.Stop();  // ends there and then, with no device to wait for
            EXPECT_TRUE(states.back().ended && !states.back().waiting && dev->Opens() == 1);
            continue;
        }
        testsupport::PumpFor(std::chrono::milliseconds(600));  // a retry or two fails
        dev->SetLost(false);
        dev->SetBuffered(0);
        dev->Release(1 << 20);
        ASSERT_TRUE(testsupport::PumpUntil([&] { return states.back().ended; }));
        EXPECT_TRUE(states.back().position == end && dev->Opens() == 2);
        Samples got;
        for (const auto& block : dev->Blocks()) {
            const auto* s = reinterpret_cast<const std::int16_t*>(block.bytes.data());
            if (block.opening == 2) {
                got.insert(got.end(), s, s + block.bytes.size() / 2);
            }
        }
        EXPECT_TRUE(
            got ==
            Expect().ramp(ra, row.stopped, kRamp, 0, 1).take(ra, row.stopped + kRamp, end).frames);
    }
}

// The helper walks the whole timeline on its own thread and hands over every checkpoint it
// passes (one at each multiple of the spacing before the end), and a synthesis seeking from
// them makes the render's frames: inside the pink noise and the binaural voice, and on a
// checkpoint itself.
TEST(CheckpointMaker, HandsOverEveryCheckpointOfTheTimeline) {
    constexpr std::int64_t c = session::Synth::kCheckpointSpacing;
    const Item item = load("-SE\na: pink/20 200+10/30\n0:00:00 a\n0:02:00 a\n");
    const std::int64_t end = item->timeline.end;
    ASSERT_EQ(end, 120 * 44100);
    CheckpointMaker maker(item);
    for (int i = 0; i < 60000 && !maker.Done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(maker.Done());
    session::Synth synth(item->timeline, 0, session::kPcm16);
    maker.HandTo(synth);
    EXPECT_EQ(synth.Checkpoints().count, static_cast<std::size_t>((end - 1) / c));
    for (const std::int64_t at : {4 * c + 3, 2 * c, c + 777}) {
        Samples got(2 * 1000), want(2 * 1000);
        synth.Seek(at);
        synth.Render(got.data(), 1000);
        session::Synth straight(item->timeline, 0, session::kPcm16);
        straight.Seek(at);
        straight.Render(want.data(), 1000);
        EXPECT_EQ(got, want) << "at " << at;
    }
}

// A seek beyond where the helper has got, while it is under way, waits for it and then gives
// the frames of a synthesis that moved on there from the start.
TEST(CheckpointMaker, ASeekAheadOfTheHelperWaitsForItAndIsExact) {
    const Item item = load("-SE\na: pink/20 200+10/30\n0:00:00 a\n0:20:00 a\n");
    const std::int64_t at = item->timeline.end - 1000;
    ItemSound sound(item, 0);
    for (int i = 0; i < 60000 && sound.CheckpointsMadeTo() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ASSERT_LT(sound.CheckpointsMadeTo(), at) << "the helper was already past the target";
    Samples got(2 * 1000), want(2 * 1000);
    sound.Seek(at);
    sound.Synth().Render(got.data(), 1000);
    EXPECT_GT(sound.Synth().Checkpoints().count, 20u) << "the helper's, up to the target";
    session::Synth straight(item->timeline, 0, session::kPcm16);
    straight.Seek(at);
    straight.Render(want.data(), 1000);
    EXPECT_EQ(got, want);
}

}  // namespace
