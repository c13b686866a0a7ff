// SPDX-License-Identifier: GPL-3.0-or-later
// The 44-byte header, written over the start of the file wherever the stream stands.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "engine/beat_engine.h"
#include "tests/support/read_file.h"

using testsupport::Bytes;

namespace {

TEST(WavHeader, StatesTheLengthItIsGivenOverTheStartOfTheFile) {
    QTemporaryDir dir;
    const std::string p = dir.filePath("header.wav").toStdString();
    // The layout with both sizes 0, then the bytes that followed it, left as they were.
    Bytes layout = {'R',  'I',  'F', 'F', 0,  0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                    ' ',  0x10, 0,   0,   0,  1, 0,   2,   0,   0x44, 0xAC, 0,   0,   0x10, 0xB1,
                    0x02, 0x00, 4,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
    layout.resize(100, 0xEE);
    // Sound bytes L, then bytes 4-7 (L + 36) and 40-43 (L) as the header has them.
    const std::pair<std::uint32_t, Bytes> cases[] = {
        {52428800, {0x24, 0x00, 0x20, 0x03, 0x00, 0x00, 0x20, 0x03}},
        {0, {0x24, 0, 0, 0, 0, 0, 0, 0}},
        {0x01020304, {0x28, 0x03, 0x02, 0x01, 0x04, 0x03, 0x02, 0x01}}};
    for (const auto& [length, b] : cases) {
        std::FILE* f = std::fopen(p.c_str(), "w+b");
        ASSERT_NE(f, nullptr);
        std::fwrite(Bytes(100, 0xEE).data(), 1, 100, f);  // the stream stands at 100
        CBeatEngine::WriteWavHeader(f, length);
        std::fclose(f);
        Bytes want = layout;
        std::copy(b.begin(), b.begin() + 4, want.begin() + 4);
        std::copy(b.begin() + 4, b.end(), want.begin() + 40);
        EXPECT_EQ(testsupport::ReadAll(p), want) << length;
    }
    // A stream that cannot go back gets no header after the sound.
    std::FILE* pipe = popen(("cat > '" + p + "'").c_str(), "w");
    std::fputs("sound", pipe);
    std::fflush(pipe);
    CBeatEngine::WriteWavHeader(pipe, 5);
    pclose(pipe);
    EXPECT_EQ(testsupport::ReadAll(p), (Bytes{'s', 'o', 'u', 'n', 'd'}));
}

}  // namespace
