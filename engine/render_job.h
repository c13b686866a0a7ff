// SPDX-License-Identifier: GPL-3.0-or-later
// What a WAV render is asked to do, and how it went.
#pragma once

#include <cstdint>
#include <functional>

namespace render {
// 800 blocks of 16384 frames: 52428800 bytes of sound, about 297.2 s.
constexpr int kBlocks = 800;
// The channels are exchanged for the blocks n (counted from 1) where n / 50 is odd.
constexpr int kSwapRun = 50;
}  // namespace render

// The argument of the render constructor, so that the call reads as what it does:
//     CBeatEngine render(RenderToFile{1500, 80, "tovin.wav"});
struct RenderToFile {
    RenderToFile(std::int32_t carrierTenths, std::int32_t beatTenths, const char* filePath)
        : carrier(carrierTenths), beat(beatTenths), path(filePath) {}

    std::int32_t carrier;  // tenths of a hertz
    std::int32_t beat;     // tenths of a hertz
    const char* path;
    // Optional: called on the rendering thread each time a block is in the file, with the
    // number of blocks written so far (1 to 800).
    std::function<void(int blocksWritten)> progress;
};

struct RenderResult {
    enum class Status {
        NotRendered,   // the object is a playback engine
        Complete,      // all 800 blocks and the final header are in the file
        CannotCreate,  // the file could not be opened; nothing was written
        WriteFailed,   // the render stopped at a failed write; the header tells what is there
        NoMemory,      // the block could not be allocated; the file was not touched
    };
    Status status = Status::NotRendered;
    int error = 0;                  // errno of the failed open or write
    std::uint32_t sampleBytes = 0;  // bytes of sound in the file, as its header states
};
