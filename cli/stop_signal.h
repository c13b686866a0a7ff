// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl-C (SIGINT) and SIGTERM end playing. The handler only writes a byte to a pipe,
// which is all a signal handler may safely do; the event loop watches the pipe, so nothing
// has to wake up now and then to look at a flag while the tone plays.
#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace cli {

class StopSignal : public QObject {
  public:
    // Installs the handlers; `onStop` runs on this thread's event loop once a signal has
    // come, also when it came before the loop started.
    explicit StopSignal(std::function<void()> onStop);
    // Later signals do nothing: teardown goes on to its end.
    ~StopSignal() override;

  private:
    QSocketNotifier* m_notifier = nullptr;
    std::function<void()> m_onStop;
};

}  // namespace cli
