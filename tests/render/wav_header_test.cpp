// The 44-byte header, byte by byte as the file layout gives it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "engine/beat_engine.h"
#include "tests/support/read_file.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readAll(const std::string& path) {
    return testsupport::ReadAll(path);
}

// "RIFF", L + 36, "WAVE", "fmt ", 16, PCM 1, 2 channels, 44100, 176400, 4, 16, "data", L.
Bytes headerFor(unsigned char l0, unsigned char l1, unsigned char l2, unsigned char l3,
                unsigned char r0, unsigned char r1, unsigned char r2, unsigned char r3) {
    return {'R',  'I',  'F',  'F',  r0,   r1,   r2,   r3,   'W',  'A',  'V',
            'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
            0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04,
            0x00, 0x10, 0x00, 'd',  'a',  't',  'a',  l0,   l1,   l2,   l3};
}

class WavHeader : public ::testing::Test {
  protected:
    std::string path(const char* name) { return dir.filePath(name).toStdString(); }
    // The bytes of a new file holding nothing but the header for `length` bytes of sound.
    Bytes headerWrittenFor(std::uint32_t length) {
        const std::string p = path("header.wav");
        std::FILE* f = std::fopen(p.c_str(), "w+b");
        EXPECT_NE(f, nullptr);
        if (f == nullptr) {
            return {};
        }
        CBeatEngine::WriteWavHeader(f, length);
        std::fclose(f);
        return readAll(p);
    }
    QTemporaryDir dir;
};

TEST_F(WavHeader, TheFullLengthIs52428800BytesOfSound) {
    // 52428800 = 0x03200000; 52428836 = 0x03200024.
    EXPECT_EQ(headerWrittenFor(52428800),
              headerFor(0x00, 0x00, 0x20, 0x03, 0x24, 0x00, 0x20, 0x03));
}

TEST_F(WavHeader, ThePlaceholderStatesNoSound) {
    EXPECT_EQ(headerWrittenFor(0), headerFor(0, 0, 0, 0, 0x24, 0, 0, 0));
}

TEST_F(WavHeader, ItGoesOverTheStartOfTheFileWhereverTheStreamStands) {
    const std::string p = path("patched.wav");
    std::FILE* f = std::fopen(p.c_str(), "w+b");
    ASSERT_NE(f, nullptr);
    const Bytes filler(100, 0xEE);
    std::fwrite(filler.data(), 1, filler.size(), f);  // the stream stands at 100
    CBeatEngine::WriteWavHeader(f, 0x01020304);
    std::fclose(f);
    const Bytes got = readAll(p);
    ASSERT_EQ(got.size(), 100u);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 44),
              headerFor(0x04, 0x03, 0x02, 0x01, 0x28, 0x03, 0x02, 0x01));
    EXPECT_EQ(Bytes(got.begin() + 44, got.end()), Bytes(56, 0xEE));
}

TEST_F(WavHeader, AStreamThatCannotGoBackGetsNoHeaderAfterTheSound) {
    const std::string p = path("piped.wav");
    std::FILE* pipe = popen(("cat > '" + p + "'").c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    std::fputs("sound", pipe);
    std::fflush(pipe);
    CBeatEngine::WriteWavHeader(pipe, 5);
    pclose(pipe);
    EXPECT_EQ(readAll(p), (Bytes{'s', 'o', 'u', 'n', 'd'}));
}

}  // namespace
