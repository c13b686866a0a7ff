// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/reader.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "session/line_reader.h"
#include "session/printable.h"
#include "session/source_text.h"

namespace session {
namespace {

// Sessions are a few kilobytes; the bound keeps a wrong file (a sound file, /dev/zero)
// from being read without end, and every count in the reader inside an int.
constexpr std::size_t kMaxBytes = 1 << 20;

ReadResult failed(std::string message) {
    ReadResult result;
    result.problems.push_back({0, 0, message, message});
    return result;
}

}  // namespace

ReadResult ReadSessionText(const std::string& text, const std::string& name,
                           const std::optional<std::string>& mixFile) {
    const std::string shown = Printable(name);
    if (text.size() > kMaxBytes) {
        return failed(shown + ": larger than 1 MiB: not a session file");
    }
    LineReader reader(shown, name.substr(0, name.rfind('/') + 1), mixFile);
    return reader.Read(text);
}

ReadResult ReadSessionFile(const std::string& path, const std::optional<std::string>& mixFile) {
    // Opened without waiting, so that a named pipe nobody writes to reads as empty instead
    // of blocking here; reads then wait as usual, for `check <(...)`.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return failed(Printable(path) + ": cannot read: " + std::strerror(errno));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::string text;
    char block[65536];
    while (text.size() <= kMaxBytes) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return failed(Printable(path) + ": cannot read: " + std::strerror(error));
        }
        if (got == 0) {
            break;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ReadSessionText(text, path, mixFile);
}

ReadResult ReadTones(const std::string& voices, const std::optional<std::string>& mixFile) {
    LineReader reader("--tones", "", mixFile);
    return reader.ReadTones(voices);
}

}  // namespace session
