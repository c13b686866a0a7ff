// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a stream of short-message words as a MIDI device reads its input: channel
// messages pass through whole, while a System Exclusive message sent one byte per word
// (F0, its data bytes, F7) is gathered and handed on complete. The gathering lives in
// a fixed buffer, so feeding never allocates.
#pragma once

#include <array>
#include <cstddef>

#include "platform/types.h"

namespace plat {

class SysExAssembler {
  public:
    static constexpr std::size_t kCapacity = 256;

    enum class Result {
        Message,   // the word is a message of its own
        Gathered,  // the word was absorbed by a SysEx under way
        Complete,  // the word ended a SysEx: bytes() holds it, F0 to F7
    };

    Result feed(DWORD word);

    // The last complete SysEx, F0 and F7 included; valid until the next feed.
    const BYTE* bytes() const { return m_bytes.data(); }
    std::size_t size() const { return m_size; }

  private:
    std::array<BYTE, kCapacity> m_bytes{};
    std::size_t m_size = 0;
    bool m_gathering = false;
};

}  // namespace plat
