// SPDX-License-Identifier: GPL-3.0-or-later
// Gathering a System Exclusive message sent one byte per short-message word.
#include "platform/sysex_assembler.h"

#include <gtest/gtest.h>

#include <vector>

using plat::SysExAssembler;
using R = SysExAssembler::Result;

namespace {

TEST(SysExAssembler, GathersBytesUntilF7AndLetsChannelMessagesThrough) {
    const struct {
        std::vector<plat::DWORD> words;
        std::vector<R> results;
        std::vector<plat::BYTE> message;  // what the last word completed, if it did
    } cases[] = {
        // A channel message passes and ends an unfinished one: its end alone completes nothing.
        {{0x00644E90, 0xF0, 0x7E, 0x000078B0, 0xF7, 0x7E},
         {R::Message, R::Gathered, R::Gathered, R::Message, R::Message, R::Message},
         {}},
        {{0xF0, 0x01, 0xF0, 0x02, 0xF7},  // a new start begins again
         {R::Gathered, R::Gathered, R::Gathered, R::Gathered, R::Complete},
         {0xF0, 0x02, 0xF7}}};
    for (const auto& c : cases) {
        SysExAssembler a;
        for (std::size_t i = 0; i < c.words.size(); ++i) {
            EXPECT_EQ(a.feed(c.words[i]), c.results[i]) << "word " << i;
        }
        if (!c.message.empty()) {
            EXPECT_EQ(std::vector<plat::BYTE>(a.bytes(), a.bytes() + a.size()), c.message);
        }
    }
    SysExAssembler overlong;  // dropped, and the next channel message passes
    overlong.feed(0xF0);
    for (std::size_t i = 0; i < SysExAssembler::kCapacity + 10; ++i) {
        overlong.feed(0x10);
    }
    EXPECT_NE(overlong.feed(0xF7), R::Complete);
    EXPECT_EQ(overlong.feed(0x00644E90), R::Message);
}

}  // namespace
