// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>
#include <cstdio>

#include "engine/beat_engine.h"

namespace {

void put32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

void put16(unsigned char* at, std::uint16_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void putTag(unsigned char* at, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(tag[i]);
    }
}

}  // namespace

void CBeatEngine::WriteWavHeader(std::FILE* file, std::uint32_t length) {
    if (file == nullptr) {
        return;
    }
    // 44100 frames per second of 16-bit stereo, little-endian throughout.
    unsigned char h[44];
    putTag(h, "RIFF");
    put32(h + 4, length + 36);
    putTag(h + 8, "WAVE");
    putTag(h + 12, "fmt ");
    put32(h + 16, 16);
    put16(h + 20, 1);  // linear PCM
    put16(h + 22, 2);
    put32(h + 24, 44100);
    put32(h + 28, 176400);
    put16(h + 32, 4);
    put16(h + 34, 16);
    putTag(h + 36, "data");
    put32(h + 40, length);
    // On a stream that cannot go back (a pipe), writing here would put the header after
    // the sound; such a file is left with what it has.
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        return;
    }
    std::fwrite(h, 1, sizeof h, file);
}
