// SPDX-License-Identifier: GPL-3.0-or-later
// While it lives, writes past `bytes` in any file of this process fail with EFBIG (the
// signal that would end the process is ignored), as when a disk fills up mid-file.
#pragma once

#include <cstdint>

namespace testsupport {

class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    std::uint64_t m_oldSoft = 0;
    void (*m_oldHandler)(int) = nullptr;
};

}  // namespace testsupport
