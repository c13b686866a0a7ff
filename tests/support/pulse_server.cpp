#include "tests/support/pulse_server.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QThread>
#include <cstdlib>

namespace testsupport {

PulseServer::PulseServer() = default;

PulseServer::~PulseServer() {
    StopRecording();
    Kill();
}

bool PulseServer::Start() {
    if (!m_dir.isValid()) {
        return false;
    }
    const QByteArray runtime = m_dir.path().toLocal8Bit();
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("PULSE_RUNTIME_PATH", runtime + "/pulse");
    qputenv("PULSE_SERVER", "unix:" + runtime + "/pulse/native");
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The server goes with the test, also when the test is killed for taking too long.
    m_server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_recorder.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_server.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--log-level=0"),
                    QStringLiteral("--load=module-native-protocol-unix"),
                    QStringLiteral("--load=module-null-sink sink_name=test")});
    if (!m_server.waitForStarted(5000)) {
        return false;
    }
    for (int i = 0; i < 100; ++i) {
        if (QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("info")}) == 0) {
            return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("set-default-sink"),
                                                               QStringLiteral("test")}) == 0;
        }
        QThread::msleep(50);
    }
    return false;
}

void PulseServer::Kill() {
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(5000);
    }
}

bool PulseServer::StartRecording(const QString& path) {
    m_recorder.start(QStringLiteral("parecord"),
                     {QStringLiteral("-d"), QStringLiteral("test.monitor"), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                      QStringLiteral("--channels=2"), QStringLiteral("--latency-msec=10"), path});
    if (!m_recorder.waitForStarted(5000)) {
        return false;
    }
    // Ready once the server lists the recorder's stream.
    for (int i = 0; i < 100; ++i) {
        QProcess list;
        list.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                             QStringLiteral("source-outputs")});
        if (list.waitForFinished(5000) && !list.readAllStandardOutput().trimmed().isEmpty()) {
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

void PulseServer::StopRecording() {
    if (m_recorder.state() != QProcess::NotRunning) {
        m_recorder.terminate();
        if (!m_recorder.waitForFinished(3000)) {
            m_recorder.kill();
            m_recorder.waitForFinished(3000);
        }
    }
}

}  // namespace testsupport
