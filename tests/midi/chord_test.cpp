// SPDX-License-Identifier: GPL-3.0-or-later
// The logistic map's note source and one chord's messages, with the draws in fixed order.
#include "tests/midi/midi_fixture.h"

using namespace plat;

namespace {

TEST(NextNote, EachStepIsRoundedToSinglePrecisionAndTheRootFollows) {
    const struct {
        float r, x;
        int root;
        float after;
    } cases[] = {
        {3.0f, 0.5f, 78, 0.75f},         // 0.75 × 24 = 18
        {3.999f, 0.5f, 83, 3.999f / 4},  // the highest root: 0.99975 × 24 = 23.994
        // r x = 0x1.89374cp-9 and 1 - x = 0x1.ff7ceep-1, each rounded; their product rounds
        // to 0x1.88d2a2p-9 (the exact product rounded once would be ...a4p-9). The lowest root.
        {3.0f, 0.001f, 60, 0x1.88d2a2p-9f},
        // r x = 0x1.e00002p+0, 1 - x = 0x1.999998p-2: 0.75 exactly, where double precision
        // would give 0.74999998 and the root 77.
        {3.125f, 0.6f, 78, 0.75f},
    };
    for (const auto& c : cases) {
        CBeatEngine e;
        e.m_fLogR = c.r;
        e.m_fLogX = c.x;
        EXPECT_EQ(e.NextNote(), c.root) << c.r << " " << c.x;
        EXPECT_EQ(e.m_fLogX, c.after) << c.r << " " << c.x;
    }
}

class PlayChord : public miditest::CapturedEngine {
  protected:
    // The chord for root 78 (r = 3, x = 0.5) with this thread's generator seeded.
    std::vector<DWORD> chord(unsigned seed) {
        dev->Clear();
        engine->m_fLogR = 3.0f;
        engine->m_fLogX = 0.5f;
        crt::srand(seed);
        engine->PlayChord();
        return dev->Words();
    }
};

TEST_F(PlayChord, TheVoiceTableWithItsDrawsInOrder) {
    engine->StartMidi();
    // All sound off on channels 1 to 5; later the programs of channels 2, 1, 3, 4, 5.
    const std::vector<DWORD> head = {0x000078B0, 0x000078B1, 0x000078B2, 0x000078B3, 0x000078B4};
    const std::vector<DWORD> programs = {0x000062C1, 0x000062C0, 0x000062C2, 0x000033C3,
                                         0x000033C4};
    const struct {
        unsigned seed;
        std::vector<DWORD> pans, notes;
        int next;  // the generator's next value: 9 draws, or 10 with the fifth voice
    } cases[] = {
        // Seed 1 draws 41, 18467, 6334, 26500, 19169: pans 60, 66, 63, 59, 68 for channels
        // 2, 1, 3, 4, 5; 15724 % 4 = 0: 78 - 4; 11478 % 4 = 2: 78 + 5; 29358 % 6 = 0: the
        // octave 66; 26962 % 3 = 1: no fifth voice and no further draw.
        {1,
         {0x003C0AB1, 0x00420AB0, 0x003F0AB2, 0x003B0AB3, 0x00440AB4},
         {0x00644E90, 0x005A4A91, 0x005A5392, 0x00644293},
         24464},
        // Seed 2: pans 64, 65, 67, 64, 63; 19650 % 4 = 2: 78 + 3; 14590 % 4 = 2: 83;
        // 26431 % 6 = 1 and 10705 % 3 = 1: three notes only.
        {2,
         {0x00400AB1, 0x00410AB0, 0x00430AB2, 0x00400AB3, 0x003F0AB4},
         {0x00644E90, 0x005A5191, 0x005A5392},
         18316},
        // Seed 29: 27368 % 4 = 0: 74; 322 % 4 = 2: 83; 12930 % 6 = 0: 66; 30534 % 3 = 0,
        // then 16158 % 2 = 0: 78 + 4.
        {29,
         {0x003E0AB1, 0x003C0AB0, 0x003C0AB2, 0x00400AB3, 0x00400AB4},
         {0x00644E90, 0x005A4A91, 0x005A5392, 0x00644293, 0x00645294},
         1564},
        // Seed 18: pans 66, 61, 62, 61, 66; 16942 % 4 = 2: 81; 31621 % 4 = 1: 83; 12362 % 6
        // = 2: no octave; 12747 % 3 = 0, then 18251 % 2 = 1: 78 - 5.
        {18,
         {0x00420AB1, 0x003D0AB0, 0x003E0AB2, 0x003D0AB3, 0x00420AB4},
         {0x00644E90, 0x005A5191, 0x005A5392, 0x00644994},
         3191},
    };
    for (const auto& c : cases) {
        std::vector<DWORD> expected = head;
        expected.insert(expected.end(), c.pans.begin(), c.pans.end());
        expected.insert(expected.end(), programs.begin(), programs.end());
        expected.insert(expected.end(), c.notes.begin(), c.notes.end());
        EXPECT_EQ(chord(c.seed), expected) << "seed " << c.seed;
        EXPECT_EQ(crt::rand(), c.next) << "seed " << c.seed;
    }
}

TEST_F(PlayChord, WithoutAnOpenDeviceTheMapStillAdvancesAndEveryDrawIsMade) {
    EXPECT_TRUE(chord(1).empty());  // never started: no device
    EXPECT_EQ(engine->m_fLogX, 0.75f);
    EXPECT_EQ(crt::rand(), 24464);
}

}  // namespace
