// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/pulse_server.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QThread>

namespace testsupport {

bool PulseServer::Start() {
    const QByteArray runtime = m_dir.path().toLocal8Bit();
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("PULSE_RUNTIME_PATH", runtime + "/pulse");
    qputenv("PULSE_SERVER", "unix:" + runtime + "/pulse/native");
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The server goes with the test, also when the test is killed for taking too long.
    m_server.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_server.start(
        QStringLiteral("pulseaudio"),
        {"-n", "--daemonize=no", "--exit-idle-time=-1", "--log-level=0",
         "--load=module-native-protocol-unix", "--load=module-null-sink sink_name=test"});
    for (int i = 0; i < 100 && m_dir.isValid() && m_server.waitForStarted(5000); ++i) {
        if (QProcess::execute(QStringLiteral("pactl"), {"info"}) == 0) {
            return QProcess::execute(QStringLiteral("pactl"), {"set-default-sink", "test"}) == 0;
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

}  // namespace testsupport
