// SPDX-License-Identifier: GPL-3.0-or-later
// A private PulseAudio server with a null sink, for this process: a real-time sound device
// that can go away at once.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

namespace testsupport {

class PulseServer {
  public:
    ~PulseServer() { Kill(); }
    bool Start();  // false when no server could be started
    void Kill();   // the server goes away at once, as when it crashes

  private:
    QTemporaryDir m_dir;
    QProcess m_server;
};

}  // namespace testsupport
