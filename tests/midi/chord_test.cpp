// The chord generator: the logistic map's note source and one chord's messages, with the
// generator's draws in their fixed order.
#include <gtest/gtest.h>

#include <set>

#include "platform/crt.h"
#include "platform/midi_out.h"
#include "tests/midi/midi_fixture.h"

using namespace plat;
using miditest::Lcg;
using miditest::word;

namespace {

std::uint8_t nextNote(float r, float x, float* xAfter = nullptr) {
    CBeatEngine e;
    e.m_fLogR = r;
    e.m_fLogX = x;
    const std::uint8_t root = e.NextNote();
    if (xAfter != nullptr) {
        *xAfter = e.m_fLogX;
    }
    return root;
}

TEST(NextNote, TheWorkedPointsOfTheMap) {
    float x = 0;
    EXPECT_EQ(nextNote(3.0f, 0.5f, &x), 78);  // 0.75 * 24 = 18
    EXPECT_EQ(x, 0.75f);
    EXPECT_EQ(nextNote(3.999f, 0.5f, &x), 83);  // the highest root
    EXPECT_NEAR(x, 0.99975, 1e-6);
    EXPECT_EQ(nextNote(3.0f, 0.001f, &x), 60);  // the lowest
    EXPECT_NEAR(x, 0.002997, 1e-8);
}

TEST(NextNote, EachStepIsRoundedToSinglePrecision) {
    // r = 3, x = 0.001f (0x1.0624dep-10): r x rounds to 0x1.89374cp-9 and 1 - x to
    // 0x1.ff7ceep-1; their product rounds to 0x1.88d2a2p-9. Rounding the exact product
    // only once would give 0x1.88d2a4p-9.
    float x = 0;
    nextNote(3.0f, 0.001f, &x);
    EXPECT_EQ(x, 0x1.88d2a2p-9f);

    // r = 3.125, x = 0.6f (0x1.333334p-1): r x = 0x1.e00002p+0, 1 - x = 0x1.999998p-2,
    // product 0x1.8p-1 = 0.75 exactly, so the root is 78. In double precision the same
    // step gives 0.74999998 and the root would be 77.
    EXPECT_EQ(nextNote(3.125f, 0.6f, &x), 78);
    EXPECT_EQ(x, 0.75f);
}

TEST(NextNote, TheStateAdvancesOncePerCallAndTheRootsStayInTwoOctaves) {
    CBeatEngine e;
    e.m_fLogR = 3.999f;
    e.m_fLogX = 0.123f;
    for (int i = 0; i < 5000; ++i) {
        const float before = e.m_fLogX;
        const int root = e.NextNote();
        const float after = e.m_fLogX;
        ASSERT_EQ(root, 60 + static_cast<int>(static_cast<double>(after) * 24.0)) << i;
        ASSERT_NE(before, after) << i;
        ASSERT_GE(root, 60);
        ASSERT_LE(root, 83);
    }
}

// The words of one chord with root n, from the voice table, drawing from `g` exactly
// where the table names a draw.
std::vector<DWORD> expectedChord(int n, Lcg& g, int* draws) {
    std::vector<DWORD> w;
    *draws = 0;
    auto draw = [&] {
        ++*draws;
        return g.next();
    };
    for (int ch = 0; ch < 5; ++ch) {
        w.push_back(word(0xB0 + ch, 120, 0));
    }
    for (int ch : {1, 0, 2, 3, 4}) {
        w.push_back(word(0xB0 + ch, 10, draw() % 10 + 59));
    }
    w.push_back(word(0xC1, 98, 0));
    w.push_back(word(0xC0, 98, 0));
    w.push_back(word(0xC2, 98, 0));
    w.push_back(word(0xC3, 51, 0));
    w.push_back(word(0xC4, 51, 0));
    w.push_back(word(0x90, n, 100));
    w.push_back(word(0x91, draw() % 4 != 0 ? n + 3 : n - 4, 90));
    w.push_back(word(0x92, draw() % 4 != 0 ? n + 5 : n + 8, 90));
    if (draw() % 6 == 0) {
        w.push_back(word(0x93, n - 12, 100));
    }
    if (draw() % 3 == 0) {
        w.push_back(word(0x94, draw() % 2 != 0 ? n - 5 : n + 4, 100));
    }
    return w;
}

class PlayChord : public miditest::CapturedEngine {
  protected:
    void SetUp() override {
        CapturedEngine::SetUp();
        HMIDIOUT h = 0;
        ASSERT_EQ(midiOutOpen(&h, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        engine->m_hMidiOut = h;
        handle = h;
    }
    void TearDown() override {
        midiOutClose(handle);
        CapturedEngine::TearDown();
    }

    HMIDIOUT handle = 0;

    std::vector<DWORD> chord(unsigned seed, float r = 3.0f, float x = 0.5f) {
        dev->Clear();
        engine->m_fLogR = r;
        engine->m_fLogX = x;
        crt::srand(seed);
        engine->PlayChord();
        return dev->Words();
    }
};

TEST_F(PlayChord, Seed1SoundsTheOctaveButNoFifthVoice) {
    // Seed 1 draws 41, 18467, 6334, 26500, 19169 (pans 60, 66, 63, 59, 68), 15724 (% 4 = 0:
    // major third down), 11478 (% 4 = 2: fourth up), 29358 (% 6 = 0: octave down sounds),
    // 26962 (% 3 = 1: no fifth voice, no further draw); the next value is 24464.
    const std::vector<DWORD> expected = {
        0x000078B0, 0x000078B1, 0x000078B2, 0x000078B3, 0x000078B4,  // all sound off
        0x003C0AB1, 0x00420AB0, 0x003F0AB2, 0x003B0AB3, 0x00440AB4,  // pans
        0x000062C1, 0x000062C0, 0x000062C2, 0x000033C3, 0x000033C4,  // programs
        0x00644E90, 0x005A4A91, 0x005A5392, 0x00644293,              // 78, 74, 83, 66
    };
    EXPECT_EQ(chord(1), expected);
    EXPECT_EQ(crt::rand(), 24464);
}

TEST_F(PlayChord, Seed2SoundsThreeNotesOnChannelsOneToThreeOnly) {
    // 45, 29216, 24198, 17795, 29484 -> pans 64, 65, 67, 64, 63; 19650 % 4 = 2: minor
    // third up; 14590 % 4 = 2: fourth up; 26431 % 6 = 1 and 10705 % 3 = 1: nothing more.
    const std::vector<DWORD> expected = {
        0x000078B0, 0x000078B1, 0x000078B2, 0x000078B3, 0x000078B4, 0x00400AB1,
        0x00410AB0, 0x00430AB2, 0x00400AB3, 0x003F0AB4, 0x000062C1, 0x000062C0,
        0x000062C2, 0x000033C3, 0x000033C4, 0x00644E90, 0x005A5191, 0x005A5392,
    };
    EXPECT_EQ(chord(2), expected);
    EXPECT_EQ(crt::rand(), 18316);  // nine draws
}

TEST_F(PlayChord, Seed29SoundsAllFiveVoices) {
    // 133, 24511, 15011, 12145, 13065 -> pans 62, 60, 60, 64, 64; 27368 % 4 = 0: 74;
    // 322 % 4 = 2: 83; 12930 % 6 = 0: 66; 30534 % 3 = 0, then 16158 % 2 = 0: 82.
    const std::vector<DWORD> expected = {
        0x000078B0, 0x000078B1, 0x000078B2, 0x000078B3, 0x000078B4, 0x003E0AB1, 0x003C0AB0,
        0x003C0AB2, 0x00400AB3, 0x00400AB4, 0x000062C1, 0x000062C0, 0x000062C2, 0x000033C3,
        0x000033C4, 0x00644E90, 0x005A4A91, 0x005A5392, 0x00644293, 0x00645294,
    };
    EXPECT_EQ(chord(29), expected);
    EXPECT_EQ(crt::rand(), 1564);  // ten draws
}

TEST_F(PlayChord, Seed18SoundsTheFifthVoiceAFourthDown) {
    // ... 12362 % 6 = 2: no octave; 12747 % 3 = 0, then 18251 % 2 = 1: 78 - 5 = 73.
    const std::vector<DWORD> words = chord(18);
    ASSERT_EQ(words.size(), 19u);
    EXPECT_EQ(words[18], 0x00644994u);
    EXPECT_EQ(crt::rand(), 3191);
}

TEST_F(PlayChord, EverySeedFollowsTheVoiceTableAndDrawsNineOrTen) {
    std::set<std::size_t> sizes;
    std::set<DWORD> voicings;
    for (unsigned seed = 1; seed <= 600; ++seed) {
        const float x = static_cast<float>(seed % 997) / 1000.0f + 0.001f;
        const float r = 3.0f + static_cast<float>(seed % 1000) / 1000.0f;
        // The root comes from the map first; its value is checked by the NextNote tests.
        CBeatEngine probe;
        probe.m_fLogR = r;
        probe.m_fLogX = x;
        const int n = probe.NextNote();

        const std::vector<DWORD> got = chord(seed, r, x);
        Lcg g(seed);
        int draws = 0;
        const std::vector<DWORD> expected = expectedChord(n, g, &draws);
        ASSERT_EQ(got, expected) << "seed " << seed;
        ASSERT_EQ(crt::rand(), g.next()) << "seed " << seed << ": " << draws << " draws";
        ASSERT_TRUE(draws == 9 || draws == 10);
        sizes.insert(got.size());
        for (DWORD w : got) {
            const int status = w & 0xFF;
            const int note = (w >> 8) & 0xFF;
            if ((status & 0xF0) == 0x90) {
                ASSERT_GE(note, 48);
                ASSERT_LE(note, 91);
                voicings.insert(static_cast<DWORD>(status) << 8 |
                                static_cast<DWORD>(note - n + 64));
            }
            if ((status & 0xF0) == 0xB0 && note == 10) {
                ASSERT_GE(static_cast<int>(w >> 16), 59);
                ASSERT_LE(static_cast<int>(w >> 16), 68);
            }
        }
    }
    EXPECT_EQ(sizes, (std::set<std::size_t>{18, 19, 20}));
    // Every voice interval of the table occurred: root; +3/-4; +5/+8; -12; -5/+4.
    const std::set<DWORD> all = {0x9040, 0x9143, 0x913C, 0x9245, 0x9248, 0x9334, 0x943B, 0x9444};
    EXPECT_EQ(voicings, all);
}

TEST_F(PlayChord, WithoutAnOpenDeviceTheMapStillAdvancesAndEveryDrawIsMade) {
    engine->m_hMidiOut = 0;
    const std::vector<DWORD> words = chord(1);
    EXPECT_TRUE(words.empty());
    EXPECT_EQ(engine->m_fLogX, 0.75f);
    EXPECT_EQ(crt::rand(), 24464);
}

}  // namespace
