// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pc_speaker.h"

#include <fcntl.h>
#include <glob.h>
#include <linux/input.h>
#include <unistd.h>

#include <cmath>
#include <mutex>
#include <string>

namespace plat {
namespace {

std::string findDevice() {
    glob_t found{};
    std::string path;
    if (glob("/dev/input/by-path/*pcspkr*", 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
        path = found.gl_pathv[0];
    }
    globfree(&found);
    return path;
}

std::mutex g_mutex;
int g_fd = -1;
bool g_tried = false;

int deviceFd() {
    if (!g_tried) {
        g_tried = true;
        const std::string path = findDevice();
        if (!path.empty()) {
            g_fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        }
    }
    return g_fd;
}

}  // namespace

bool PcSpeakerDeviceWritable() {
    const std::string path = findDevice();
    return !path.empty() && access(path.c_str(), W_OK) == 0;
}

void PcSpeakerTone(int hz) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const int fd = deviceFd();
    if (fd < 0) {
        return;
    }
    input_event ev{};
    ev.type = EV_SND;
    ev.code = SND_TONE;
    ev.value = hz;
    [[maybe_unused]] ssize_t n = write(fd, &ev, sizeof ev);
}

void PitSpeakerBridge::Write(WORD port, BYTE value) {
    switch (port) {
        case 0x43:
            // Counter 2, low byte then high byte: the next two data bytes are a divisor.
            if ((value & 0xC0) == 0x80) {
                m_expectHigh = false;
            }
            break;
        case 0x42:
            if (!m_expectHigh) {
                m_divisor = static_cast<WORD>((m_divisor & 0xFF00) | value);
                m_expectHigh = true;
            } else {
                m_divisor = static_cast<WORD>((m_divisor & 0x00FF) | (value << 8));
                m_expectHigh = false;
                update();
            }
            break;
        case 0x61:
            m_gateOn = (value & 0x03) == 0x03;
            update();
            break;
        default:
            break;
    }
}

void PitSpeakerBridge::update() {
    int hz = 0;
    if (m_gateOn && m_divisor != 0) {
        hz = static_cast<int>(std::lround(kInputClock / m_divisor));
    }
    if (hz != m_sounding) {
        m_sounding = hz;
        m_tone(hz);
    }
}

}  // namespace plat
