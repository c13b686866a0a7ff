// Gathering a System Exclusive message sent one byte per short-message word.
#include "platform/sysex_assembler.h"

#include <gtest/gtest.h>

#include <vector>

using plat::SysExAssembler;
using Result = SysExAssembler::Result;

namespace {

std::vector<plat::BYTE> bytesOf(const SysExAssembler& a) {
    return {a.bytes(), a.bytes() + a.size()};
}

TEST(SysExAssembler, TheSixWordsOfGeneralMidiOnBecomeOneMessage) {
    SysExAssembler a;
    for (plat::DWORD w : {0xF0u, 0x7Eu, 0x7Fu, 0x09u, 0x01u}) {
        EXPECT_EQ(a.feed(w), Result::Gathered);
    }
    ASSERT_EQ(a.feed(0xF7), Result::Complete);
    EXPECT_EQ(bytesOf(a), (std::vector<plat::BYTE>{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
}

TEST(SysExAssembler, ChannelMessagesPassThroughAndEndAnUnfinishedSysEx) {
    SysExAssembler a;
    EXPECT_EQ(a.feed(0x00644E90), Result::Message);
    EXPECT_EQ(a.feed(0xF0), Result::Gathered);
    EXPECT_EQ(a.feed(0x7E), Result::Gathered);
    EXPECT_EQ(a.feed(0x000078B0), Result::Message);
    // The unfinished one is gone: its end alone completes nothing.
    EXPECT_EQ(a.feed(0xF7), Result::Message);
    EXPECT_EQ(a.feed(0x7E), Result::Message);
}

TEST(SysExAssembler, ANewStartBeginsAgainAndAnOverlongOneIsDropped) {
    SysExAssembler a;
    a.feed(0xF0);
    a.feed(0x01);
    a.feed(0xF0);
    a.feed(0x02);
    ASSERT_EQ(a.feed(0xF7), Result::Complete);
    EXPECT_EQ(bytesOf(a), (std::vector<plat::BYTE>{0xF0, 0x02, 0xF7}));

    a.feed(0xF0);
    for (std::size_t i = 0; i < SysExAssembler::kCapacity + 10; ++i) {
        a.feed(0x10);
    }
    EXPECT_NE(a.feed(0xF7), Result::Complete);
    EXPECT_EQ(a.feed(0x00644E90), Result::Message);
}

}  // namespace
