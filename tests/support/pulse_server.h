// A private PulseAudio server with a null sink, for tests that need a sound device that
// plays at real-time pace (ALSA's "default" reaches it through the pulse plugin). The
// server runs as a child process; the test process is pointed at it.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class PulseServer {
  public:
    PulseServer();
    ~PulseServer();

    bool Start();  // false when no server could be started
    void Kill();   // the server goes away at once, as when it crashes
    // Records the null sink's monitor as raw 16-bit stereo 44.1 kHz into `path`.
    bool StartRecording(const QString& path);
    void StopRecording();

  private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_recorder;
};

}  // namespace testsupport
