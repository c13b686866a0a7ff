// A limit on the size of the files this process writes, for as long as the object lives:
// writes past it fail with EFBIG (the signal that would otherwise end the process is
// ignored meanwhile), as when a disk fills up part way through a file.
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
