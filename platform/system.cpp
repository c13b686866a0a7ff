// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system.h"

#include "platform/alsa_tone.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace plat {
namespace {

std::mutex g_mutex;
MessageBoxHandler g_box;
BeepHandler g_beep;
ToneHandler g_tone;

template <typename T>
T copyOf(const T& handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    return handler;
}

}  // namespace

void Sleep(DWORD milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL Beep(DWORD frequency, DWORD duration) {
    if (auto tone = copyOf(g_tone)) {
        tone(frequency, duration);
    } else if (!PlayAlsaTone(frequency, duration)) {
        Sleep(duration);  // no sound device: the caller still waits as long as the beep
    }
    return TRUE;
}

BOOL MessageBeep(UINT type) {
    if (auto beep = copyOf(g_beep)) {
        beep(type);
    } else if (isatty(STDERR_FILENO)) {
        std::fputc('\a', stderr);
    }
    return TRUE;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    const std::string shownCaption = caption != nullptr ? caption : ApplicationName();
    const std::string shownText = text != nullptr ? text : "";
    if (auto box = copyOf(g_box)) {
        return box(owner, shownText, shownCaption, type);
    }
    std::fprintf(stderr, "%s\n", shownText.c_str());
    return 1;  // IDOK
}

bool IsTerminal(int fd) {
    return isatty(fd) == 1;
}

std::string ApplicationName() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("tovin") : exe.stem().string();
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_box = std::move(handler);
}

void SetMessageBeepHandler(BeepHandler handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_beep = std::move(handler);
}

void SetToneHandler(ToneHandler handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tone = std::move(handler);
}

}  // namespace plat
