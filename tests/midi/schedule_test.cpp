// SPDX-License-Identifier: GPL-3.0-or-later
// The music schedule over the counter's 2000-tick cycle: a chord decision every 50 ticks,
// a hit every 400, new map parameters at 1600, and nothing while stopped.
#include <algorithm>
#include <map>

#include "tests/midi/midi_fixture.h"

using namespace plat;

namespace {

constexpr DWORD kChordStart = 0x000078B0;  // channel 1 all sound off opens every chord
constexpr DWORD kHit = 0x00645099;
// Seed 1 draws 41 first (odd: the decision plays a chord); seed 3 draws 48 (even: none).
// Seed 4 draws 51, 17945 and 27159: at 1600, x = 0.052 and r = 3.945, then a chord.
constexpr unsigned kChordSeed = 1;
constexpr unsigned kQuietSeed = 3;
constexpr unsigned kReseedSeed = 4;

class Schedule : public miditest::CapturedEngine {
  protected:
    // The schedule for counter values from..to (the cycle's 2000 added after `cycle`
    // cycles) as the tick runs it, but with this thread's generator seeded by `seed(t)`
    // before each tick instead of by the clock after it, so that every draw is known.
    void run(std::uint32_t from, std::uint32_t to, unsigned (*seed)(std::uint32_t)) {
        for (std::uint32_t t = from; t <= to; ++t) {
            const std::size_t before = dev->Words().size();
            engine->m_nTick = t;
            crt::srand(seed(t));
            const float r = engine->m_fLogR;
            engine->MusicTick();
            const std::vector<DWORD> words = dev->Words();
            sent[cycle * 2000 + t].assign(words.begin() + static_cast<long>(before), words.end());
            if (engine->m_fLogR != r) {
                reseeds.push_back(t);
            }
        }
    }
    std::vector<std::uint32_t> ticksWith(DWORD w) const {
        std::vector<std::uint32_t> ticks;
        for (const auto& [t, words] : sent) {
            ticks.insert(ticks.end(), std::count(words.begin(), words.end(), w), t);
        }
        return ticks;
    }
    static std::vector<std::uint32_t> multiples(std::uint32_t step, std::uint32_t to) {
        std::vector<std::uint32_t> v;
        for (std::uint32_t t = step; t <= to; t += step) {
            v.push_back(t);
        }
        return v;
    }
    std::uint32_t cycle = 0;
    std::map<std::uint32_t, std::vector<DWORD>> sent;
    std::vector<std::uint32_t> reseeds;
};

TEST_F(Schedule, ACycleHasFortyDecisionsFiveHitsAndOneReseedAndNothingElseDraws) {
    engine->StartMidi();
    engine->m_fLogR = 3.0005f;  // off the drawn grid: any draw changes it
    run(1, 2000, [](std::uint32_t t) { return t == 1600 ? kReseedSeed : kChordSeed; });
    EXPECT_EQ(ticksWith(kChordStart), multiples(50, 2000));
    EXPECT_EQ(ticksWith(kHit), multiples(400, 2000));
    EXPECT_EQ(reseeds, std::vector<std::uint32_t>{1600});
    EXPECT_EQ(engine->m_fLogR, 3.945f);
    // At 1600 the map is drawn, then the chord plays from it, then the hit: root from
    // 3.945 × 0.052 × 0.948 = 0.19447, × 24 = 4.67: 64; first pan from the fourth draw,
    // 386 % 10 + 59 = 65; the hit with its all sound off and pan on channel 10.
    const std::vector<DWORD>& at1600 = sent.at(1600);
    ASSERT_GE(at1600.size(), 21u);
    EXPECT_EQ(at1600[5], 0x00410AB1u);
    EXPECT_EQ(at1600[15], 0x00644090u);
    EXPECT_EQ(std::vector<DWORD>(at1600.end() - 3, at1600.end()),
              (std::vector<DWORD>{0x000078B9, 0x00400AB9, kHit}));
    for (std::uint32_t t : {1u, 49u, 51u, 399u, 401u, 1599u, 1601u, 1999u}) {  // none draws
        engine->m_nTick = t;
        crt::srand(777);
        engine->MusicTick();
        EXPECT_EQ(crt::rand(), miditest::kFirstOfSeed777) << t;
    }
    engine->m_nTick = 100;  // a decision whose even draw plays nothing: one draw
    crt::srand(kQuietSeed);
    engine->MusicTick();
    EXPECT_EQ(crt::rand(), 7196);  // seed 3's second value
}

TEST_F(Schedule, HitsStayOnMultiplesOf400AcrossAStopAndAStartAndStoppedNothingHappens) {
    const auto quiet = [](std::uint32_t) { return kQuietSeed; };
    run(1, 9, quiet);  // never started: no word, no draw, but the counter counts
    engine->m_nTick = 50;
    crt::srand(777);
    engine->MusicTick();
    EXPECT_EQ(crt::rand(), miditest::kFirstOfSeed777);
    EXPECT_TRUE(dev->Events().empty());
    EXPECT_EQ(engine->m_nDrumCount, 10u);
    sent.clear();
    engine->StartMidi();
    run(11, 530, quiet);
    engine->StopMidi();
    run(531, 1370, quiet);
    engine->StartMidi();  // the device opens afresh
    run(1371, 2000, quiet);
    cycle = 1;
    run(1, 1250, quiet);
    EXPECT_EQ(ticksWith(kHit), (std::vector<std::uint32_t>{400, 1600, 2000, 2400, 2800, 3200}));
    EXPECT_TRUE(ticksWith(kChordStart).empty());  // every decision's draw was even
    for (std::uint32_t t = 531; t <= 1370; ++t) {
        EXPECT_TRUE(sent[t].empty()) << "sent at " << t << " while stopped";
    }
}

}  // namespace
