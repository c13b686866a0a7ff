// SPDX-License-Identifier: GPL-3.0-or-later
// File ▸ Export Audio: the session to a sound file, in the background with a progress bar
// and Cancel. The render is the one `tovin-cli render` makes of the same text, with the
// same choices (rate, bits, length of an endless session, seed), byte for byte.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "player/play_item.h"
#include "session/file_render.h"
#include "session/render_plan.h"

namespace editor {

// A render running on a thread of its own; its progress and end are read by polling.
class ExportJob {
  public:
    ExportJob(const session::Session& session, const session::RenderRequest& request);
    ~ExportJob();  // cancels and waits

    // Why it could not start, as the window says it; empty when it runs.
    const QString& Refused() const { return m_refused; }
    std::int64_t Frames() const { return m_plan.job.frames; }
    std::int64_t Done() const { return m_done.load(std::memory_order_relaxed); }
    void Cancel() { m_cancel.store(true, std::memory_order_relaxed); }
    // Once finished: how it went, as the window says it ("" when complete).
    std::optional<QString> Finished();

  private:
    session::RenderPlan m_plan;
    QString m_refused;
    std::atomic<std::int64_t> m_done{0};
    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;
    std::optional<session::FileRenderResult> m_result;
    std::thread m_thread;
};

class ExportAudioDialog : public QDialog {
    Q_OBJECT
  public:
    ExportAudioDialog(std::shared_ptr<const player::PlayItem> item, const QString& sessionPath,
                      QWidget* parent = nullptr);
    ~ExportAudioDialog() override;

    // The choices as they stand, as a render request.
    session::RenderRequest Request() const;
    void Start();
    // The file written, once an export has completed.
    QString Written() const { return m_written; }

  private:
    void poll();

    std::shared_ptr<const player::PlayItem> m_item;
    QLineEdit* m_path;
    QSpinBox* m_rate;
    QComboBox* m_bits;
    QLineEdit* m_length;
    QSpinBox* m_seed;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_start;
    QPushButton* m_cancel;
    QTimer m_poll;
    std::unique_ptr<ExportJob> m_job;
    QString m_written;
};

}  // namespace editor
