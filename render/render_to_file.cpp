// SPDX-License-Identifier: GPL-3.0-or-later
#include <cerrno>
#include <cstdio>

#include "engine/beat_engine.h"
#include "platform/crt.h"

using Status = RenderResult::Status;

namespace {

constexpr long kHeaderBytes = 44;
constexpr std::uint32_t kFrameBytes = 4;

// Writes the header for `length` bytes of sound; returns 0, or the errno of the failure.
int writeHeader(std::FILE* file, std::uint32_t length) {
    std::clearerr(file);
    errno = 0;
    CBeatEngine::WriteWavHeader(file, length);
    const int error = errno;
    // It made it when the stream stands right after it with no error.
    if (std::ftell(file) == kHeaderBytes && !std::ferror(file)) {
        return 0;
    }
    return error != 0 ? error : EIO;
}

}  // namespace

CBeatEngine::CBeatEngine(const RenderToFile& job) : CPeriodicTimer(1) {
    CheckPlatform();
    m_bRenderMode = 1;
    SetTone(job.carrier, job.beat);

    // The block comes first, so that a render without memory leaves the file as it was.
    m_pBuf[0] = static_cast<char*>(crt::malloc(kBlockBytes));
    if (m_pBuf[0] == nullptr) {
        m_renderResult.status = Status::NoMemory;
        return;
    }
    auto* const block = reinterpret_cast<std::int16_t*>(m_pBuf[0]);

    errno = EINVAL;  // for a missing path
    std::FILE* file = job.path != nullptr ? std::fopen(job.path, "w+b") : nullptr;
    if (file == nullptr) {
        m_renderResult = {Status::CannotCreate, errno, 0};
        crt::free(m_pBuf[0]);
        return;
    }
    // Unbuffered, the count each write returns is what the file holds, and a failed write
    // must leave a header that states exactly that.
    std::setvbuf(file, nullptr, _IONBF, 0);

    RenderResult result{Status::Complete, 0, 0};
    if (const int error = writeHeader(file, 0); error != 0) {
        result = {Status::WriteFailed, error, 0};
    }
    std::uint32_t total = 0;
    for (int n = 1; n <= render::kBlocks && result.status == Status::Complete; ++n) {
        m_bSwap = (n / render::kSwapRun) % 2 != 0 ? 1 : 0;
        FillBlock(block);
        errno = 0;
        const std::size_t written = std::fwrite(block, 1, kBlockBytes, file);
        total += static_cast<std::uint32_t>(written);
        if (written != static_cast<std::size_t>(kBlockBytes)) {
            // The render stops here, and the header states the whole frames in the file.
            result = {Status::WriteFailed, errno != 0 ? errno : EIO, 0};
            total -= total % kFrameBytes;
        } else if (job.progress) {
            job.progress(n);
        }
    }

    // The placeholder already states "no sound", which is right when nothing got written.
    if (total > 0) {
        if (const int error = writeHeader(file, total); error == 0) {
            result.sampleBytes = total;
        } else if (result.status == Status::Complete) {
            result = {Status::WriteFailed, error, 0};
        }
    }
    if (std::fclose(file) != 0 && result.status == Status::Complete) {
        result = {Status::WriteFailed, errno, total};
    }
    m_renderResult = result;
    // m_pBuf[0] goes on naming the released block; the destructor leaves it alone because
    // this is a render object.
    crt::free(m_pBuf[0]);
}
