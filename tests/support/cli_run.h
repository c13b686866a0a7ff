// SPDX-License-Identifier: GPL-3.0-or-later
// Runs tovin-cli, or a shell around it, as a user would, and keeps what it said.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace testsupport {

struct CliRun {
    int exitCode = -1;  // -1 when it did not end by itself
    QString out;
    QString err;
};

inline CliRun Run(const QString& program, const QStringList& args, const QString& dir = {},
                  const QString& alsaConfig = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!alsaConfig.isEmpty()) {
        env.insert("ALSA_CONFIG_PATH", alsaConfig);
    }
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace testsupport
