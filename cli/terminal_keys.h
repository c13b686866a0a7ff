// SPDX-License-Identifier: GPL-3.0-or-later
// The keys a session's play takes while standard input is a terminal: the terminal is put
// into a mode that hands over each key at once without echoing it (Ctrl-C still signals),
// and is put back as it was when this goes, on every way out. Without a terminal nothing
// is read and nothing changes.
#pragma once

#include <termios.h>

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QSocketNotifier;

namespace cli {

enum class Key { PauseResume, Forward, Back, VolumeUp, VolumeDown, Quit };

// What a key does: Forward and Back carry the seconds to move by.
struct KeyPress {
    Key key;
    int seconds = 0;
};

// The keys in `bytes` as a terminal sends them: Space, the arrows (Right and Left 10 s,
// Up and Down a minute), PageUp and PageDown (ten minutes), + and -, q and a lone Esc.
// Anything else is left alone.
std::vector<KeyPress> ReadKeys(const std::string& bytes);

class TerminalKeys : public QObject {
  public:
    explicit TerminalKeys(std::function<void(const KeyPress&)> onKey);
    ~TerminalKeys() override;

    bool Active() const { return m_active; }

  private:
    std::function<void(const KeyPress&)> m_onKey;
    QSocketNotifier* m_notifier = nullptr;
    termios m_saved{};
    bool m_active = false;
};

}  // namespace cli
