// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal_keys.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <vector>

namespace cli {

std::vector<KeyPress> ReadKeys(const std::string& bytes) {
    // The escape sequences of the keys that have one, as terminals send them.
    static const struct {
        const char* sequence;
        KeyPress press;
    } kSequences[] = {{"\x1b[C", {Key::Forward, 10}},   {"\x1b[D", {Key::Back, 10}},
                      {"\x1b[A", {Key::Forward, 60}},   {"\x1b[B", {Key::Back, 60}},
                      {"\x1b[5~", {Key::Forward, 600}}, {"\x1b[6~", {Key::Back, 600}},
                      {"\x1bOC", {Key::Forward, 10}},   {"\x1bOD", {Key::Back, 10}},
                      {"\x1bOA", {Key::Forward, 60}},   {"\x1bOB", {Key::Back, 60}}};
    std::vector<KeyPress> keys;
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        if (c == '\x1b') {
            bool known = false;
            for (const auto& s : kSequences) {
                const std::string seq = s.sequence;
                if (bytes.compare(i, seq.size(), seq) == 0) {
                    keys.push_back(s.press);
                    i += seq.size();
                    known = true;
                    break;
                }
            }
            if (!known) {
                // Esc alone in what arrived is the key; another sequence is passed over
                // up to its last byte (a letter or '~').
                if (i + 1 == bytes.size()) {
                    keys.push_back({Key::Quit});
                }
                ++i;
                while (i < bytes.size() &&
                       (bytes[i] == '[' || bytes[i] == 'O' ||
                        (bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == ';')) {
                    ++i;
                }
                i += i < bytes.size() ? 1 : 0;
            }
            continue;
        }
        if (c == ' ') {
            keys.push_back({Key::PauseResume});
        } else if (c == '+' || c == '=') {
            keys.push_back({Key::VolumeUp});
        } else if (c == '-' || c == '_') {
            keys.push_back({Key::VolumeDown});
        } else if (c == 'q' || c == 'Q') {
            keys.push_back({Key::Quit});
        }
        ++i;
    }
    return keys;
}

TerminalKeys::TerminalKeys(std::function<void(const KeyPress&)> onKey) : m_onKey(std::move(onKey)) {
    // Only in the terminal's foreground: a play started in the background (`&`) would be
    // stopped by the terminal for changing its mode, and its keys are the shell's anyway.
    if (isatty(STDIN_FILENO) == 0 || tcgetpgrp(STDIN_FILENO) != getpgrp() ||
        tcgetattr(STDIN_FILENO, &m_saved) != 0) {
        return;
    }
    termios raw = m_saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));  // ISIG stays: Ctrl-C signals
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
        return;
    }
    m_active = true;
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char bytes[64];
        const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) {
            m_notifier->setEnabled(false);  // the terminal went away: no more keys
            return;
        }
        for (const KeyPress& press : ReadKeys(std::string(bytes, static_cast<std::size_t>(n)))) {
            m_onKey(press);
        }
    });
}

TerminalKeys::~TerminalKeys() {
    delete m_notifier;
    if (m_active) {
        tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
}

}  // namespace cli
