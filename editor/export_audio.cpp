// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/export_audio.h"

#include "editor/problem_text.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "session/clock.h"
#include "session/file_format.h"

namespace editor {
namespace {

QString refusal(const session::RenderPlan& plan) {
    using Failure = session::RenderPlan::Failure;
    switch (plan.failure) {
        case Failure::None:
            return QString();
        case Failure::UnknownFormat:
            return QString("Choose a file ending in %1.").arg(session::kFormatExtensions);
        case Failure::OpusRate:
            return "Opus takes 8000, 12000, 16000, 24000 or 48000 Hz.";
        case Failure::VoiceTooHigh:
        case Failure::MixUnreadable:
            break;
        case Failure::Endless:
            return "The session plays without end: give the length to export.";
    }
    QStringList lines;
    for (const session::Problem& p : plan.problems) {
        lines << ProblemText(p);
    }
    return lines.join('\n');
}

QString outcome(const session::FileRenderResult& result, const QString& path) {
    using Status = session::FileRenderResult::Status;
    const QString reason = QString::fromStdString(result.fault.Reason());
    switch (result.status) {
        case Status::Complete:
            return QString();
        case Status::CannotCreate:
            return QString("Cannot create %1: %2").arg(path, reason);
        case Status::WriteFailed:
            return QString("Writing %1 failed: %2. The file ends where the writing stopped.")
                .arg(path, reason);
        case Status::Cancelled:
            return "Cancelled: nothing was kept.";
    }
    return QString();
}

}  // namespace

ExportJob::ExportJob(const session::Session& session, const session::RenderRequest& request)
    : m_plan(session::PlanRender(session, request)), m_refused(refusal(m_plan)) {
    if (!m_refused.isEmpty()) {
        return;
    }
    m_plan.job.progress = [this](std::int64_t done) {
        m_done.store(done, std::memory_order_relaxed);
    };
    m_plan.job.cancel = &m_cancel;
    m_thread = std::thread([this] {
        session::FileRenderResult result = session::WriteSoundFile(m_plan.timeline, m_plan.job);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_result = std::move(result);
    });
}

ExportJob::~ExportJob() {
    Cancel();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::optional<QString> ExportJob::Finished() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_result) {
        return std::nullopt;
    }
    return outcome(*m_result, QString::fromStdString(m_plan.job.path));
}

ExportAudioDialog::ExportAudioDialog(std::shared_ptr<const player::PlayItem> item,
                                     const QString& sessionPath, QWidget* parent)
    : QDialog(parent),
      m_item(std::move(item)),
      m_path(new QLineEdit(this)),
      m_rate(new QSpinBox(this)),
      m_bits(new QComboBox(this)),
      m_length(new QLineEdit(this)),
      m_seed(new QSpinBox(this)),
      m_progress(new QProgressBar(this)),
      m_status(new QLabel(this)),
      m_start(new QPushButton("Export", this)),
      m_cancel(new QPushButton("Cancel", this)) {
    setWindowTitle("Export Audio");
    const QFileInfo info(sessionPath);
    m_path->setText(sessionPath.isEmpty() ? QString("session.wav")
                                          : info.path() + "/" + info.completeBaseName() + ".wav");
    m_path->setAccessibleName("File");
    auto* browse = new QPushButton("Browse…", this);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(browse);
    const session::Session& session = m_item->session;
    m_rate->setRange(8000, 192000);
    m_rate->setValue(session::RateInUse(session));
    m_rate->setSuffix(" Hz");
    m_rate->setAccessibleName("Rate");
    m_bits->addItems({"16", "24"});
    m_bits->setAccessibleName("Bits");
    m_length->setPlaceholderText("h:mm:ss");
    m_length->setAccessibleName("Length");
    const bool endless = m_item->timeline.end == session::kEndless;
    m_length->setEnabled(endless);
    m_length->setToolTip(endless ? "The session plays without end: how long to export"
                                 : "The session's own length");
    m_seed->setRange(0, 2147483647);
    m_seed->setAccessibleName("Seed");
    m_seed->setToolTip("Chooses the noise: the same seed gives the same file");
    m_progress->setAccessibleName("Progress");
    m_status->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow("File:", pathRow);
    form->addRow("Rate:", m_rate);
    form->addRow("Bits:", m_bits);
    form->addRow("Length:", m_length);
    form->addRow("Seed:", m_seed);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_start, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancel, QDialogButtonBox::RejectRole);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_progress);
    column->addWidget(m_status);
    column->addWidget(buttons);

    const auto followFormat = [this] {
        const auto format = session::FormatOfPath(m_path->text().toStdString());
        m_bits->setEnabled(!format || session::HasBitDepth(*format));
    };
    connect(m_path, &QLineEdit::textChanged, this, followFormat);
    followFormat();
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, "Export Audio", m_path->text(), "Sound files (*.wav *.flac *.ogg *.mp3 *.opus)");
        if (!path.isEmpty()) {
            m_path->setText(path);
        }
    });
    connect(m_start, &QPushButton::clicked, this, &ExportAudioDialog::Start);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_job) {
            m_job->Cancel();
        } else {
            reject();
        }
    });
    m_poll.setInterval(100);
    connect(&m_poll, &QTimer::timeout, this, &ExportAudioDialog::poll);
}

ExportAudioDialog::~ExportAudioDialog() = default;

session::RenderRequest ExportAudioDialog::Request() const {
    session::RenderRequest request;
    request.path = m_path->text().toStdString();
    // The session's own rate is not "asked for": an Opus file then takes 48000 Hz, as
    // tovin-cli render does without --rate.
    if (m_rate->value() != session::RateInUse(m_item->session)) {
        request.rate = m_rate->value();
    }
    const auto format = session::FormatOfPath(request.path);
    request.bits = format && session::HasBitDepth(*format) ? m_bits->currentText().toInt() : 16;
    if (m_length->isEnabled() && !m_length->text().trimmed().isEmpty()) {
        request.lengthMs = session::ReadClock(m_length->text().trimmed().toStdString());
        if (!request.lengthMs) {
            request.lengthMs = -1;  // said by Start
        }
    }
    request.seed = static_cast<std::uint64_t>(m_seed->value());
    return request;
}

void ExportAudioDialog::Start() {
    const session::RenderRequest request = Request();
    if (request.lengthMs && *request.lengthMs <= 0) {
        m_status->setText("The length is h:mm:ss, more than 0, such as 1:00:00.");
        return;
    }
    m_job = std::make_unique<ExportJob>(m_item->session, request);
    if (!m_job->Refused().isEmpty()) {
        m_status->setText(m_job->Refused());
        m_job.reset();
        return;
    }
    m_status->setText("Exporting…");
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_start->setEnabled(false);
    m_poll.start();
}

void ExportAudioDialog::poll() {
    if (!m_job) {
        return;
    }
    const double share = m_job->Frames() > 0 ? static_cast<double>(m_job->Done()) /
                                                   static_cast<double>(m_job->Frames())
                                             : 1.0;
    m_progress->setValue(static_cast<int>(1000 * share));
    const std::optional<QString> finished = m_job->Finished();
    if (!finished) {
        return;
    }
    m_poll.stop();
    m_job.reset();
    m_start->setEnabled(true);
    if (finished->isEmpty()) {
        m_written = m_path->text();
        m_progress->setValue(1000);
        m_status->setText("Exported to " + m_written + ".");
        m_cancel->setText("Close");
    } else {
        m_status->setText(*finished);
    }
}

}  // namespace editor
