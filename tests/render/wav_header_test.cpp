// The 44-byte header, byte by byte as the file layout gives it, written over the start of
// the file wherever the stream stands.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>

#include "engine/beat_engine.h"
#include "tests/support/read_file.h"

using testsupport::Bytes;

namespace {

TEST(WavHeader, StatesTheLengthItIsGivenOverTheStartOfTheFile) {
    QTemporaryDir dir;
    const std::string p = dir.filePath("header.wav").toStdString();
    const Bytes fixed = {'W',  'A',  'V', 'E', 'f', 'm',  't',  ' ', 0x10, 0,    0,
                         0,    1,    0,   2,   0,   0x44, 0xAC, 0,   0,    0x10, 0xB1,
                         0x02, 0x00, 4,   0,   16,  0,    'd',  'a', 't',  'a'};
    // Sound bytes L, then L + 36 and L as the header has them, little-endian.
    const std::uint32_t cases[][3] = {
        {52428800, 0x03200024, 0x03200000}, {0, 0x24, 0}, {0x01020304, 0x01020328, 0x01020304}};
    for (const auto& c : cases) {
        std::FILE* f = std::fopen(p.c_str(), "w+b");
        ASSERT_NE(f, nullptr);
        std::fwrite(Bytes(100, 0xEE).data(), 1, 100, f);  // the stream stands at 100
        CBeatEngine::WriteWavHeader(f, c[0]);
        std::fclose(f);
        Bytes want = {'R', 'I', 'F', 'F'};
        for (int i = 0; i < 4; ++i) {
            want.push_back(static_cast<unsigned char>(c[1] >> (8 * i)));
        }
        want.insert(want.end(), fixed.begin(), fixed.end());
        for (int i = 0; i < 4; ++i) {
            want.push_back(static_cast<unsigned char>(c[2] >> (8 * i)));
        }
        want.insert(want.end(), 56, 0xEE);  // what followed is left as it was
        EXPECT_EQ(testsupport::ReadAll(p), want) << c[0];
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
