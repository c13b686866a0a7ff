// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sysex_assembler.h"

namespace plat {

SysExAssembler::Result SysExAssembler::feed(DWORD word) {
    const auto byte = static_cast<BYTE>(word & 0xFF);
    if (byte == 0xF0) {
        // A new start abandons any SysEx left unfinished.
        m_bytes[0] = byte;
        m_size = 1;
        m_gathering = true;
        return Result::Gathered;
    }
    if (!m_gathering) {
        return Result::Message;
    }
    if (byte < 0x80 && m_size < kCapacity - 1) {
        m_bytes[m_size++] = byte;
        return Result::Gathered;
    }
    m_gathering = false;
    if (byte == 0xF7) {
        m_bytes[m_size++] = byte;
        return Result::Complete;
    }
    // Any other status byte, or a SysEx too long to hold, ends the gathering unfinished;
    // a status word is then a message of its own.
    m_size = 0;
    return byte < 0x80 ? Result::Gathered : Result::Message;
}

}  // namespace plat
