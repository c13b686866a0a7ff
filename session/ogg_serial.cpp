// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/ogg_serial.h"

#include <cstdint>
#include <cstring>

namespace session {
namespace {

constexpr std::uint32_t kSerial = 0x546F7669;  // "Tovi"
constexpr std::size_t kSerialAt = 14;
constexpr std::size_t kChecksumAt = 22;
constexpr std::size_t kSegmentsAt = 26;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<unsigned char>(v >> (8 * i));
    }
}

// One byte into Ogg's CRC: polynomial 0x04C11DB7, most significant bit first.
std::uint32_t crcByte(std::uint32_t crc, unsigned char byte) {
    crc ^= static_cast<std::uint32_t>(byte) << 24;
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

}  // namespace

bool FixOggSerial(unsigned char* header, std::size_t bytes) {
    if (bytes < kSegmentsAt + 1 || std::memcmp(header, "OggS", 4) != 0 ||
        bytes != kSegmentsAt + 1 + header[kSegmentsAt]) {
        return false;
    }
    std::size_t body = 0;
    for (std::size_t i = kSegmentsAt + 1; i < bytes; ++i) {
        body += header[i];
    }
    // The CRC starts at 0 with no final step, so it is linear: the checksum of the page
    // with the new serial is the old checksum plus (exclusive or) the checksum of a page
    // of zeros holding only the change of the serial. Leading zeros leave it at 0.
    const std::uint32_t change = le32(header + kSerialAt) ^ kSerial;
    std::uint32_t crc = 0;
    for (int i = 0; i < 4; ++i) {
        crc = crcByte(crc, static_cast<unsigned char>(change >> (8 * i)));
    }
    for (std::size_t i = kSerialAt + 4; i < bytes + body; ++i) {
        crc = crcByte(crc, 0);
    }
    putLe32(header + kSerialAt, kSerial);
    putLe32(header + kChecksumAt, le32(header + kChecksumAt) ^ crc);
    return true;
}

}  // namespace session
