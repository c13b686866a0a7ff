// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_paint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>

namespace {

class FirstPaintWatch : public QObject {
  public:
    FirstPaintWatch(QCoreApplication& app, std::FILE* out) : QObject(&app), m_out(out) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            m_seen = true;
            QCoreApplication::instance()->removeEventFilter(this);
            // The window paints first and its controls after it, then the whole picture goes
            // to the display; all of that is done when control is back in the event loop.
            QTimer::singleShot(0, this, [this] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::fprintf(m_out, "tovin: first paint at %.6f s (monotonic clock)\n",
                             std::chrono::duration<double>(now).count());
                std::fflush(m_out);
                deleteLater();
            });
        }
        return false;
    }

  private:
    std::FILE* const m_out;
    bool m_seen = false;
};

}  // namespace

void WatchFirstPaint(QCoreApplication& app, std::FILE* out) {
    app.installEventFilter(new FirstPaintWatch(app, out));
}

bool WatchFirstPaintIfAsked(QCoreApplication& app) {
    if (std::getenv("TOVIN_REPORT_FIRST_PAINT") == nullptr) {
        return false;
    }
    WatchFirstPaint(app, stderr);
    return true;
}
