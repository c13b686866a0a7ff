// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/midi_file.h"

#include "platform/sysex_assembler.h"

namespace cli {
namespace {

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

// Variable-length quantity: seven bits a byte, most significant first.
void putVarLen(std::string& out, std::uint32_t v) {
    char bytes[5];
    int n = 0;
    bytes[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) {
        bytes[n++] = static_cast<char>((v & 0x7F) | 0x80);
    }
    while (n > 0) {
        out += bytes[--n];
    }
}

// How many data bytes follow a channel message's status byte.
int dataBytes(std::uint32_t status) {
    const std::uint32_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

class TrackWriter {
  public:
    void event(std::uint32_t ms) {
        putVarLen(m_track, ms - m_now);
        m_now = ms;
    }
    std::string& bytes() { return m_track; }
    std::uint32_t now() const { return m_now; }

  private:
    std::string m_track;
    std::uint32_t m_now = 0;
};

}  // namespace

std::string EncodeMidiFile(const std::vector<TimedWord>& words, std::uint32_t endMs) {
    TrackWriter track;
    std::string& t = track.bytes();
    track.event(0);
    t += "\xFF\x51\x03";  // tempo
    t += static_cast<char>((kMidiFileTempo >> 16) & 0xFF);
    put16(t, kMidiFileTempo & 0xFFFF);

    plat::SysExAssembler sysEx;
    std::uint32_t sysExStart = 0;
    for (const TimedWord& w : words) {
        const auto status = w.word & 0xFF;
        switch (sysEx.feed(w.word)) {
            case plat::SysExAssembler::Result::Gathered:
                if (status == 0xF0) {
                    sysExStart = w.ms;  // the event takes the time of its first byte
                }
                break;
            case plat::SysExAssembler::Result::Complete:
                track.event(sysExStart);
                t += '\xF0';
                putVarLen(t, static_cast<std::uint32_t>(sysEx.size() - 1));
                t.append(reinterpret_cast<const char*>(sysEx.bytes()) + 1, sysEx.size() - 1);
                break;
            case plat::SysExAssembler::Result::Message:
                // Only channel messages have a place in the file.
                if (status < 0x80 || status >= 0xF0) {
                    break;
                }
                track.event(w.ms);
                t += static_cast<char>(status);
                t += static_cast<char>((w.word >> 8) & 0x7F);
                if (dataBytes(status) == 2) {
                    t += static_cast<char>((w.word >> 16) & 0x7F);
                }
                break;
        }
    }
    track.event(endMs > track.now() ? endMs : track.now());
    t += "\xFF\x2F";
    t += '\0';

    std::string file = "MThd";
    put32(file, 6);
    put16(file, 0);  // format 0
    put16(file, 1);  // one track
    put16(file, kMidiFileDivision);
    file += "MTrk";
    put32(file, static_cast<std::uint32_t>(t.size()));
    file += t;
    return file;
}

}  // namespace cli
