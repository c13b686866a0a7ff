// The music schedule: what each tick of the 2000-tick counter cycle does while the
// accompaniment runs.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/crt.h"
#include "platform/midi_out.h"
#include "tests/midi/midi_fixture.h"

using namespace plat;
using miditest::Lcg;

namespace {

constexpr DWORD kChordStart = 0x000078B0;  // channel 1 all sound off opens every chord
constexpr DWORD kHit = 0x00645099;

// Seed 1 draws 41 first (odd: a decision plays its chord); seed 3 draws 48 (even: no
// chord). Seed 4 draws 51, 17945, then 27159: at counter 1600 that is x = 0.052,
// r = 3.945, and a chord.
constexpr unsigned kChordSeed = 1;
constexpr unsigned kQuietSeed = 3;
constexpr unsigned kReseedChordSeed = 4;
// Off the 0.001 grid of drawn values: a change shows a draw.
constexpr float kNeverDrawn = 3.0005f;

class Schedule : public miditest::CapturedEngine {
  protected:
    void TearDown() override {
        engine->StopMidi();
        CapturedEngine::TearDown();
    }

    // The tick's schedule for counter values from..to, as the tick runs it, but with this
    // thread's generator seeded by `seed` before each tick instead of by the clock after
    // it, so that every draw is known. Records the words each counter value sent.
    void run(std::uint32_t from, std::uint32_t to,
             const std::function<unsigned(std::uint32_t)>& seed) {
        for (std::uint32_t t = from; t <= to; ++t) {
            const std::size_t before = dev->Words().size();
            engine->m_nTick = t;
            crt::srand(seed(t));
            engine->MusicTick();
            const std::vector<DWORD> words = dev->Words();
            if (words.size() > before) {
                sent[cycle * 2000 + t].assign(words.begin() + static_cast<long>(before),
                                              words.end());
            }
        }
    }

    std::vector<std::uint32_t> ticksWith(DWORD w) const {
        std::vector<std::uint32_t> ticks;
        for (const auto& [t, words] : sent) {
            for (DWORD x : words) {
                if (x == w) {
                    ticks.push_back(t);
                }
            }
        }
        return ticks;
    }

    static std::vector<std::uint32_t> every(std::uint32_t step, std::uint32_t from,
                                            std::uint32_t to) {
        std::vector<std::uint32_t> v;
        for (std::uint32_t t = from; t <= to; ++t) {
            if (t % step == 0) {
                v.push_back(t);
            }
        }
        return v;
    }

    int cycle = 0;
    std::map<std::uint32_t, std::vector<DWORD>> sent;  // by cycle * 2000 + counter
};

TEST_F(Schedule, ACycleHasFortyDecisionsFiveHitsAndOneReseed) {
    engine->StartMidi();
    dev->Clear();
    engine->m_fLogR = kNeverDrawn;
    std::vector<std::uint32_t> rChanged;
    for (std::uint32_t t = 1; t <= 2000; ++t) {
        const float before = engine->m_fLogR;
        run(t, t, [](std::uint32_t c) { return c == 1600 ? kReseedChordSeed : kChordSeed; });
        if (engine->m_fLogR != before) {
            rChanged.push_back(t);
        }
    }
    EXPECT_EQ(ticksWith(kChordStart), every(50, 1, 2000));
    EXPECT_EQ(ticksWith(kHit), every(400, 1, 2000));
    EXPECT_EQ(rChanged, std::vector<std::uint32_t>{1600});
    EXPECT_EQ(engine->m_fLogR, 3.945f);

    // With the decision's draw even, no decision plays.
    sent.clear();
    run(1, 2000, [](std::uint32_t) { return kQuietSeed; });
    EXPECT_TRUE(ticksWith(kChordStart).empty());
    EXPECT_EQ(ticksWith(kHit), every(400, 1, 2000));
}

TEST_F(Schedule, TicksBetweenDecisionsDrawNothing) {
    engine->StartMidi();
    for (std::uint32_t t : {1u, 49u, 51u, 399u, 401u, 1599u, 1601u, 1999u}) {
        engine->m_nTick = t;
        crt::srand(99);
        engine->MusicTick();
        EXPECT_EQ(crt::rand(), Lcg(99).next()) << t;
    }
    // A decision draws once, and with an even draw nothing more.
    engine->m_nTick = 100;
    crt::srand(kQuietSeed);
    engine->MusicTick();
    Lcg g(kQuietSeed);
    g.next();
    EXPECT_EQ(crt::rand(), g.next());
}

TEST_F(Schedule, AtCounter1600TheMapIsDrawnThenTheChordPlaysThenTheHit) {
    engine->StartMidi();
    // Bring the percussion counter to 1599 ticks, as the tick would have.
    run(1, 1599, [](std::uint32_t) { return kQuietSeed; });
    sent.clear();
    run(1600, 1600, [](std::uint32_t) { return kReseedChordSeed; });
    EXPECT_EQ(engine->m_fLogR, 3.945f);

    const std::vector<DWORD>& words = sent.at(1600);
    ASSERT_GE(words.size(), 21u);
    EXPECT_EQ(words.front(), kChordStart);
    // The chord's root comes from the new parameters: 3.945 * 0.052 * 0.948 = 0.19447,
    // times 24 is 4.67, root 64.
    EXPECT_EQ(words[15], 0x00644090u);
    // Its first pan comes from the fourth draw of the tick: 386 % 10 + 59 = 65.
    EXPECT_EQ(words[5], 0x00410AB1u);
    const std::vector<DWORD> hit(words.end() - 3, words.end());
    EXPECT_EQ(hit, (std::vector<DWORD>{0x000078B9, 0x00400AB9, kHit}));
}

TEST_F(Schedule, StartedAtCounter1000TheScheduleFollowsTheCounter) {
    run(1, 1000, [](std::uint32_t) { return kChordSeed; });
    EXPECT_TRUE(sent.empty());
    engine->StartMidi();
    dev->Clear();
    engine->m_fLogR = kNeverDrawn;
    std::uint32_t firstReseed = 0;
    for (std::uint32_t t = 1001; t <= 2000 && firstReseed == 0; ++t) {
        run(t, t, [](std::uint32_t) { return kChordSeed; });
        if (engine->m_fLogR != kNeverDrawn) {
            firstReseed = t;
        }
    }
    EXPECT_EQ(ticksWith(kChordStart).front(), 1050u);
    EXPECT_EQ(ticksWith(kHit).front(), 1200u);
    EXPECT_EQ(firstReseed, 1600u);
}

TEST_F(Schedule, HitsStayOnMultiplesOf400AcrossAStopAndAStart) {
    const auto seed = [](std::uint32_t) { return kQuietSeed; };
    engine->StartMidi();
    run(1, 530, seed);
    engine->StopMidi();
    engine->StartMidi();  // the device opens afresh
    engine->StopMidi();
    run(531, 1370, seed);  // stopped: the counter goes on, nothing is sent
    engine->StartMidi();
    run(1371, 2000, seed);
    cycle = 1;
    run(1, 1250, seed);
    EXPECT_EQ(ticksWith(kHit), (std::vector<std::uint32_t>{400, 1600, 2000, 2400, 2800, 3200}));
    for (const auto& [t, words] : sent) {
        EXPECT_FALSE(t > 530 && t < 1371) << "sent at " << t << " while stopped";
    }
}

TEST_F(Schedule, TheRealTickPlaysOnlyOnDecisionTicksAndHitsEveryFourSeconds) {
    engine->StartMidi();
    dev->Clear();
    std::vector<std::uint32_t> chordTicks;
    std::vector<std::uint32_t> hitTicks;
    std::size_t seen = 0;
    for (int i = 0; i < 2000; ++i) {
        engine->OnTick();
        const std::vector<DWORD> words = dev->Words();
        for (std::size_t k = seen; k < words.size(); ++k) {
            if (words[k] == kChordStart) {
                chordTicks.push_back(engine->m_nTick);
            } else if (words[k] == kHit) {
                hitTicks.push_back(engine->m_nTick);
            }
        }
        seen = words.size();
    }
    EXPECT_EQ(hitTicks, every(400, 1, 2000));
    EXPECT_LE(chordTicks.size(), 40u);
    for (std::uint32_t t : chordTicks) {
        EXPECT_EQ(t % 50, 0u) << t;
    }
}

TEST_F(Schedule, WhileStoppedTheTickSendsAndDrawsNothing) {
    for (std::uint32_t t : {50u, 400u, 1600u, 2000u}) {
        engine->m_nTick = t;
        crt::srand(5);
        engine->MusicTick();
        EXPECT_EQ(crt::rand(), Lcg(5).next());
    }
    EXPECT_TRUE(dev->Events().empty());
    EXPECT_EQ(engine->m_nDrumCount, 4u);
}

}  // namespace
